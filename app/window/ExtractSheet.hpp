// The extract sheet: destination, smart subfolder (whole archive only), what to do with
// existing files, the password (archives with encrypted entries only) and revealing the
// result; every control writes the state object at once, Extract starts the extraction.
#pragma once

#include "window/BoundSheet.hpp"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace kelvane::app {

class CapsuleBadge;
class MiddleElidedLabel;

class ExtractSheet final : public BoundSheet {
    Q_OBJECT

public:
    ExtractSheet(ArchiveViewModel& viewModel, QWidget* parentWindow);

    static constexpr int kWidth = 470;

    [[nodiscard]] QLabel* title() const { return title_; }
    [[nodiscard]] CapsuleBadge* badge() const { return badge_; }
    [[nodiscard]] MiddleElidedLabel* destinationPath() const { return destination_; }
    [[nodiscard]] QPushButton* chooseFolderButton() const { return chooseFolder_; }
    [[nodiscard]] QCheckBox* smartSubfolderToggle() const { return smartSubfolder_; }
    [[nodiscard]] QComboBox* overwritePicker() const { return overwrite_; }
    [[nodiscard]] QWidget* passwordBlock() const { return passwordBlock_; }
    [[nodiscard]] QLineEdit* passwordField() const { return password_; }
    [[nodiscard]] QCheckBox* revealToggle() const { return reveal_; }
    [[nodiscard]] QPushButton* cancelButton() const { return cancel_; }
    [[nodiscard]] QPushButton* startButton() const { return start_; }

protected:
    void refresh() override;
    void confirm() override;
    void cancelSheet() override;

private:
    QLabel* title_;
    CapsuleBadge* badge_;
    MiddleElidedLabel* destination_;
    QPushButton* chooseFolder_;
    QCheckBox* smartSubfolder_;
    QComboBox* overwrite_;
    QWidget* passwordBlock_;
    QLineEdit* password_;
    QCheckBox* reveal_;
    QPushButton* cancel_;
    QPushButton* start_;
};

}  // namespace kelvane::app
