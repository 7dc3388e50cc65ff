// The application's own quick-look window: one file shown large (an image, a text, or the
// first page of a PDF) in a tool window that closes on Escape or on the second toggle.
#pragma once

#include <QString>
#include <QWidget>

class QLabel;
class QPlainTextEdit;
class QStackedLayout;

namespace kelvane::app {

class QuickLookWindow final : public QWidget {
    Q_OBJECT

public:
    explicit QuickLookWindow(QWidget* parent = nullptr);

    void showFile(const QString& path);
    [[nodiscard]] const QString& shownFile() const { return shownFile_; }

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    QString shownFile_;
    QStackedLayout* stack_;
    QLabel* image_;
    QPlainTextEdit* text_;
    QLabel* message_;
};

}  // namespace kelvane::app
