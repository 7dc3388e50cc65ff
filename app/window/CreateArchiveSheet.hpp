// The create sheet: the list of files and folders to pack (add more, remove one), the
// shared format options and the junk-exclusion toggle; Create opens the save panel.
#pragma once

#include <vector>

#include "window/BoundSheet.hpp"

class QCheckBox;
class QLabel;
class QPushButton;
class QScrollArea;
class QVBoxLayout;

namespace kelvane::app {

class ArchiveOptionsEditor;

class CreateArchiveSheet final : public BoundSheet {
    Q_OBJECT

public:
    CreateArchiveSheet(ArchiveViewModel& viewModel, QWidget* parentWindow);

    static constexpr int kWidth = 490;

    [[nodiscard]] QLabel* countLabel() const { return count_; }
    [[nodiscard]] QPushButton* addItemsButton() const { return addItems_; }
    [[nodiscard]] QWidget* emptyPlaceholder() const { return placeholder_; }
    [[nodiscard]] QScrollArea* sourceList() const { return sourceList_; }
    // The rows of the source list, in list order.
    [[nodiscard]] const std::vector<QWidget*>& sourceRows() const { return rows_; }
    [[nodiscard]] ArchiveOptionsEditor* options() const { return options_; }
    [[nodiscard]] QCheckBox* excludeJunkToggle() const { return excludeJunk_; }
    [[nodiscard]] QPushButton* cancelButton() const { return cancel_; }
    [[nodiscard]] QPushButton* createButton() const { return create_; }

protected:
    void refresh() override;
    void confirm() override;
    void cancelSheet() override;

private:
    void rebuildSourceRows();
    [[nodiscard]] QWidget* makeSourceRow(const QString& path, int position);

    QLabel* count_;
    QPushButton* addItems_;
    QWidget* placeholder_;
    QScrollArea* sourceList_;
    QVBoxLayout* rowsLayout_ = nullptr;
    std::vector<QWidget*> rows_;
    ArchiveOptionsEditor* options_;
    QCheckBox* excludeJunk_;
    QPushButton* cancel_;
    QPushButton* create_;
};

}  // namespace kelvane::app
