// The convert sheet: the target format and options for re-packing the shown archive;
// Convert opens the save panel.
#pragma once

#include "window/BoundSheet.hpp"

class QPushButton;

namespace kelvane::app {

class ArchiveOptionsEditor;
class CapsuleBadge;

class ConvertArchiveSheet final : public BoundSheet {
    Q_OBJECT

public:
    ConvertArchiveSheet(ArchiveViewModel& viewModel, QWidget* parentWindow);

    static constexpr int kWidth = 470;

    [[nodiscard]] CapsuleBadge* formatBadge() const { return badge_; }
    [[nodiscard]] ArchiveOptionsEditor* options() const { return options_; }
    [[nodiscard]] QPushButton* cancelButton() const { return cancel_; }
    [[nodiscard]] QPushButton* convertButton() const { return convert_; }

protected:
    void refresh() override;
    void confirm() override;
    void cancelSheet() override;

private:
    CapsuleBadge* badge_;
    ArchiveOptionsEditor* options_;
    QPushButton* cancel_;
    QPushButton* convert_;
};

}  // namespace kelvane::app
