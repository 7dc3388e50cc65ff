// The notice shown at the top of the window after an action: a dark capsule with a symbol
// and the message. It never takes a click; the state object decides how long it stays.
#pragma once

#include <QWidget>

namespace kelvane::app {

class ArchiveViewModel;

class NoticeCapsule final : public QWidget {
    Q_OBJECT

public:
    static constexpr int kTopOffset = 54;

    explicit NoticeCapsule(ArchiveViewModel& viewModel, QWidget* parent);

    [[nodiscard]] QSize sizeHint() const override;
    [[nodiscard]] const QString& message() const { return message_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void refresh();
    void place();

    ArchiveViewModel& viewModel_;
    QString message_;
    bool isError_ = false;
};

}  // namespace kelvane::app
