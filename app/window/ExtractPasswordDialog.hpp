// The password prompt of Extract Here, in the look of the password sheet: it names the
// archive that asks (a batch holds several), shows why it asks again after a refused
// password, and offers Skip beside Unlock. It opens while the batch asks and closes when
// the batch goes on; Escape and the frame's close button skip the archive.
#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace kelvane::app {

class BatchExtraction;
class MiddleElidedLabel;

class ExtractPasswordDialog final : public QDialog {
    Q_OBJECT

public:
    ExtractPasswordDialog(BatchExtraction& batch, QWidget* parentWindow);

    static constexpr int kWidth = 390;

    [[nodiscard]] MiddleElidedLabel* archiveLabel() const { return archive_; }
    [[nodiscard]] QWidget* errorBox() const { return errorBox_; }
    [[nodiscard]] QLabel* errorLine() const { return error_; }
    [[nodiscard]] QLineEdit* passwordField() const { return password_; }
    [[nodiscard]] QPushButton* skipButton() const { return skip_; }
    [[nodiscard]] QPushButton* unlockButton() const { return unlock_; }

    // Skips the archive (Escape, the frame's close button).
    void reject() override;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void follow();
    void refresh();
    void submit();
    void fitHeight();

    BatchExtraction& batch_;
    MiddleElidedLabel* archive_;
    QLabel* hint_;
    QWidget* errorBox_;
    QLabel* error_;
    QLineEdit* password_;
    QPushButton* skip_;
    QPushButton* unlock_;
};

}  // namespace kelvane::app
