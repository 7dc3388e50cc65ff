// The left column of the browsing layout: the archive's summary card, the folder tree and
// the recent archives.
#pragma once

#include <QWidget>

class QLabel;
class QVBoxLayout;

namespace kelvane::app {

class ArchiveSummaryCard;
class ArchiveViewModel;
class FolderTreeView;

class FolderTreeSidebar final : public QWidget {
    Q_OBJECT

public:
    static constexpr int kWidth = 240;

    explicit FolderTreeSidebar(ArchiveViewModel& viewModel, QWidget* parent = nullptr);

    [[nodiscard]] FolderTreeView& tree() const { return *tree_; }
    void retranslate();

private:
    void refreshListing();
    void rebuildRecents();

    ArchiveViewModel& viewModel_;
    QWidget* archivePart_;
    ArchiveSummaryCard* card_;
    QLabel* treeTitle_;
    QLabel* treeIcon_;
    QLabel* folderCount_;
    FolderTreeView* tree_;
    QWidget* recentPart_;
    QVBoxLayout* recentList_;
};

}  // namespace kelvane::app
