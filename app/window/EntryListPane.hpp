// The centre column of the browsing layout: the navigation bar (up button, breadcrumbs,
// filtering indicator, search field), the filter chips, and the entry table or, for an
// empty view, a short message.
#pragma once

#include <QWidget>

#include <array>

class QHBoxLayout;
class QLabel;
class QStackedWidget;

namespace kelvane::app {

class ArchiveViewModel;
class EntryTableView;
class MiddleElidedLabel;
class PillButton;
class SearchField;
class SpinnerWidget;

class EntryListPane final : public QWidget {
    Q_OBJECT

public:
    explicit EntryListPane(ArchiveViewModel& viewModel, QWidget* parent = nullptr);

    [[nodiscard]] EntryTableView& table() const { return *table_; }
    [[nodiscard]] SearchField& searchField() const { return *search_; }
    [[nodiscard]] PillButton& upButton() const { return *up_; }
    // True while the empty-view message stands in for the table.
    [[nodiscard]] bool showsEmptyMessage() const;

    void retranslate();

private:
    void rebuildBreadcrumbs();
    void refreshChips();
    void refreshBody();
    void refreshNavigation();

    ArchiveViewModel& viewModel_;
    PillButton* up_;
    QWidget* crumbs_;
    QHBoxLayout* crumbRow_;
    SpinnerWidget* spinner_;
    SearchField* search_;
    std::array<PillButton*, 7> chips_{};
    MiddleElidedLabel* trailing_;
    QStackedWidget* body_;
    EntryTableView* table_;
    QWidget* emptyMessage_;
    QLabel* emptyIcon_;
    QLabel* emptyText_;
};

}  // namespace kelvane::app
