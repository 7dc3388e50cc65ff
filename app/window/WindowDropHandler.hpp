// Files dropped anywhere on the main window, on any of its parts, reach the state
// object's router in one call. Every drop is accepted; what is not a file address (a text
// snippet) is ignored, and so is whatever the application itself drags (rows dragged out of
// the table and let go over the window).
#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QUrl>

class QMimeData;
class QWidget;

namespace kelvane::app {

class ArchiveViewModel;

class WindowDropHandler final : public QObject {
    Q_OBJECT

public:
    // Watches every drag over `window` and its children; `viewModel` must outlive it.
    WindowDropHandler(ArchiveViewModel& viewModel, QWidget* window);
    ~WindowDropHandler() override;

    // The local file addresses a drop carries, in their order.
    [[nodiscard]] static QList<QUrl> fileUrls(const QMimeData* data);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    [[nodiscard]] bool isOnWindow(QObject* watched) const;

    ArchiveViewModel& viewModel_;
    QPointer<QWidget> window_;
};

}  // namespace kelvane::app
