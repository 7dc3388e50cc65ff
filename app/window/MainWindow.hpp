// The one main window: menus with their shortcuts, the toolbar row, the tab strip, the
// welcome screen or the browsing layout (sidebar, entry list, inspector, status bar), and
// over it the busy overlay and the notice capsule. Everything shown is read from the state
// object; every control calls one of its actions.
#pragma once

#include <QMainWindow>

class QAction;
class QActionGroup;
class QMenu;
class QStackedWidget;
class QScrollArea;

namespace kelvane::app {

class AppearanceController;
class ArchiveTabStrip;
class ArchiveViewModel;
class BusyOverlay;
class EntryListPane;
class FolderTreeSidebar;
class NoticeCapsule;
class PreviewInspector;
class WelcomeView;
class WorkspaceStatusBar;
class WorkspaceToolbar;

class MainWindow final : public QMainWindow {
    Q_OBJECT

public:
    static constexpr const char* geometryKey = "com.tessaloom.kelvane.windowGeometry";
    static constexpr int kDefaultWidth = 1240;
    static constexpr int kDefaultHeight = 780;

    // `appearance` may be null (tests): the View menu then has no appearance choice.
    MainWindow(ArchiveViewModel& viewModel, AppearanceController* appearance,
               QWidget* parent = nullptr);

    // The saved size and place, or the default size.
    void restoreSavedGeometry();

    [[nodiscard]] QAction* action(const QString& objectName) const;
    [[nodiscard]] EntryListPane& entryList() const { return *entryList_; }
    [[nodiscard]] FolderTreeSidebar& sidebar() const { return *sidebar_; }
    [[nodiscard]] PreviewInspector& inspector() const { return *inspector_; }
    [[nodiscard]] WelcomeView& welcome() const { return *welcome_; }
    [[nodiscard]] BusyOverlay& busyOverlay() const { return *busy_; }
    [[nodiscard]] NoticeCapsule& notice() const { return *notice_; }
    [[nodiscard]] WorkspaceToolbar& toolbar() const { return *toolbar_; }
    [[nodiscard]] WorkspaceStatusBar& statusBarView() const { return *statusBar_; }
    [[nodiscard]] ArchiveTabStrip& tabStrip() const { return *tabStrip_; }
    [[nodiscard]] bool isTabStripShown() const;
    [[nodiscard]] bool isWelcomeShown() const;

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void buildMenus();
    void installSheets();
    void refreshLayout();
    void refreshCommands();
    void retranslate();
    void switchTabBy(int step);
    QAction* addCommand(QMenu* menu, const QString& objectName, const QKeySequence& shortcut = {});

    ArchiveViewModel& viewModel_;
    AppearanceController* appearance_;
    QWidget* content_;
    WorkspaceToolbar* toolbar_;
    QScrollArea* tabScroller_;
    QWidget* tabDivider_;
    ArchiveTabStrip* tabStrip_;
    QStackedWidget* body_;
    WelcomeView* welcome_;
    QWidget* browsing_;
    FolderTreeSidebar* sidebar_;
    QWidget* sidebarDivider_;
    EntryListPane* entryList_;
    QWidget* inspectorDivider_;
    PreviewInspector* inspector_;
    WorkspaceStatusBar* statusBar_;
    BusyOverlay* busy_;
    NoticeCapsule* notice_;

    QMenu* fileMenu_ = nullptr;
    QMenu* archiveMenu_ = nullptr;
    QMenu* viewMenu_ = nullptr;
    QMenu* appearanceMenu_ = nullptr;
    QMenu* helpMenu_ = nullptr;
    QActionGroup* appearanceChoices_ = nullptr;
};

}  // namespace kelvane::app
