// The password sheet: asks for the password of an encrypted archive and resumes the action
// that needed it. Unlock stays disabled while the field is empty; Return submits anyway
// (the state object ignores an empty submission).
#pragma once

#include "window/BoundSheet.hpp"

class QLabel;
class QLineEdit;
class QPushButton;

namespace kelvane::app {

class PasswordSheet final : public BoundSheet {
    Q_OBJECT

public:
    PasswordSheet(ArchiveViewModel& viewModel, QWidget* parentWindow);

    static constexpr int kWidth = 390;

    [[nodiscard]] QLabel* hint() const { return hint_; }
    [[nodiscard]] QWidget* errorBox() const { return errorBox_; }
    [[nodiscard]] QLabel* errorLine() const { return error_; }
    [[nodiscard]] QLineEdit* passwordField() const { return password_; }
    [[nodiscard]] QPushButton* cancelButton() const { return cancel_; }
    [[nodiscard]] QPushButton* unlockButton() const { return unlock_; }

protected:
    void refresh() override;
    void confirm() override;
    void cancelSheet() override;

private:
    QLabel* hint_;
    QWidget* errorBox_;
    QLabel* error_;
    QLineEdit* password_;
    QPushButton* cancel_;
    QPushButton* unlock_;
};

}  // namespace kelvane::app
