#include "window/MainWindow.hpp"

#include <QAction>
#include <QActionGroup>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QDesktopServices>
#include <QFrame>
#include <QHBoxLayout>
#include <QMenuBar>
#include <QScrollArea>
#include <QStackedWidget>
#include <QVBoxLayout>

#include "localization/S.hpp"
#include "platform/UserDefaults.hpp"
#include "state/ArchiveViewModel.hpp"
#include "state/DragOutStager.hpp"
#include "window/AppearanceController.hpp"
#include "window/ArchiveTabStrip.hpp"
#include "window/ConvertArchiveSheet.hpp"
#include "window/CreateArchiveSheet.hpp"
#include "window/DragOutController.hpp"
#include "window/EntryTableView.hpp"
#include "window/ExtractSheet.hpp"
#include "window/PasswordSheet.hpp"
#include "window/WindowDropHandler.hpp"
#include "window/BusyOverlay.hpp"
#include "window/EntryListPane.hpp"
#include "window/FeedbackLink.hpp"
#include "window/FolderTreeSidebar.hpp"
#include "window/NoticeCapsule.hpp"
#include "window/PreviewInspector.hpp"
#include "window/WelcomeView.hpp"
#include "window/WindowStyle.hpp"
#include "window/WorkspaceStatusBar.hpp"
#include "window/WorkspaceToolbar.hpp"

namespace kelvane::app {

namespace {

QFrame* line(Qt::Orientation orientation, QWidget* parent) {
    auto* divider = new QFrame(parent);
    divider->setFrameShape(orientation == Qt::Horizontal ? QFrame::HLine : QFrame::VLine);
    divider->setFrameShadow(QFrame::Plain);
    divider->setObjectName(QStringLiteral("divider"));
    return divider;
}

}  // namespace

MainWindow::MainWindow(ArchiveViewModel& viewModel, AppearanceController* appearance,
                       QWidget* parent)
    : QMainWindow(parent),
      viewModel_(viewModel),
      appearance_(appearance),
      content_(new QWidget(this)),
      toolbar_(new WorkspaceToolbar(viewModel, content_)),
      tabScroller_(new QScrollArea(content_)),
      tabDivider_(line(Qt::Horizontal, content_)),
      tabStrip_(new ArchiveTabStrip(viewModel)),
      body_(new QStackedWidget(content_)),
      welcome_(new WelcomeView(viewModel, body_)),
      browsing_(new QWidget(body_)),
      sidebar_(new FolderTreeSidebar(viewModel, browsing_)),
      sidebarDivider_(line(Qt::Vertical, browsing_)),
      entryList_(new EntryListPane(viewModel, browsing_)),
      inspectorDivider_(line(Qt::Vertical, browsing_)),
      inspector_(new PreviewInspector(viewModel, browsing_)),
      statusBar_(new WorkspaceStatusBar(viewModel, browsing_)),
      busy_(nullptr),
      notice_(nullptr) {
    setObjectName(QStringLiteral("mainWindow"));
    setWindowTitle(QStringLiteral("Kelvane — by Tessaloom"));
    setMinimumSize(1020, 650);
    resize(kDefaultWidth, kDefaultHeight);
    setCentralWidget(content_);
    content_->setObjectName(QStringLiteral("content"));

    auto* column = new QVBoxLayout(content_);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(toolbar_);
    column->addWidget(line(Qt::Horizontal, content_));
    tabScroller_->setWidget(tabStrip_);
    tabScroller_->setWidgetResizable(true);
    tabScroller_->setFrameShape(QFrame::NoFrame);
    tabScroller_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    tabScroller_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    tabScroller_->setFixedHeight(ArchiveTabStrip::kHeight);
    column->addWidget(tabScroller_);
    column->addWidget(tabDivider_);
    column->addWidget(body_, 1);

    body_->addWidget(welcome_);
    body_->addWidget(browsing_);
    auto* browsingColumn = new QVBoxLayout(browsing_);
    browsingColumn->setContentsMargins(0, 0, 0, 0);
    browsingColumn->setSpacing(0);
    auto* panes = new QHBoxLayout;
    panes->setSpacing(0);
    panes->addWidget(sidebar_);
    panes->addWidget(sidebarDivider_);
    panes->addWidget(entryList_, 1);
    panes->addWidget(inspectorDivider_);
    panes->addWidget(inspector_);
    browsingColumn->addLayout(panes, 1);
    browsingColumn->addWidget(line(Qt::Horizontal, browsing_));
    browsingColumn->addWidget(statusBar_);

    // Over everything: the busy cover, and above it the notice.
    busy_ = new BusyOverlay(viewModel_, content_);
    notice_ = new NoticeCapsule(viewModel_, content_);

    buildMenus();
    installSheets();

    for (auto signal : {&ArchiveViewModel::listingChanged, &ArchiveViewModel::tabsChanged,
                        &ArchiveViewModel::showSidebarChanged,
                        &ArchiveViewModel::showPreviewPanelChanged}) {
        connect(&viewModel_, signal, this, &MainWindow::refreshLayout);
    }
    for (auto signal :
         {&ArchiveViewModel::listingChanged, &ArchiveViewModel::tabsChanged,
          &ArchiveViewModel::activeTabIDChanged, &ArchiveViewModel::selectedEntryIDsChanged,
          &ArchiveViewModel::currentFolderPathChanged, &ArchiveViewModel::showSidebarChanged,
          &ArchiveViewModel::showPreviewPanelChanged}) {
        connect(&viewModel_, signal, this, &MainWindow::refreshCommands);
    }
    connect(&viewModel_, &ArchiveViewModel::languageChanged, this, &MainWindow::retranslate);
    refreshLayout();
    refreshCommands();
    busy_->raise();
    notice_->raise();
}

void MainWindow::installSheets() {
    // The sheets are built once; each opens and closes itself when the state object's show
    // flag for it changes.
    new ExtractSheet(viewModel_, this);
    new PasswordSheet(viewModel_, this);
    new CreateArchiveSheet(viewModel_, this);
    new ConvertArchiveSheet(viewModel_, this);
    // Files dropped anywhere on the window.
    new WindowDropHandler(viewModel_, this);
    // Rows dragged out of the table: staged as real files first, then a copy-only drag.
    auto* stager = new DragOutStager(viewModel_, this);
    auto* dragOut = new DragOutController(viewModel_, *stager, &entryList_->table(), this);
    connect(&entryList_->table(), &EntryTableView::dragRequested, dragOut,
            &DragOutController::beginDrag);
    // Connected before the state object's own cleanup, so running staging stops first.
    connect(qApp, &QCoreApplication::aboutToQuit, stager, &DragOutStager::shutdown);
}

QAction* MainWindow::addCommand(QMenu* menu, const QString& objectName,
                                const QKeySequence& shortcut) {
    auto* command = new QAction(this);
    command->setObjectName(objectName);
    if (!shortcut.isEmpty()) command->setShortcut(shortcut);
    command->setShortcutContext(Qt::WindowShortcut);
    menu->addAction(command);
    return command;
}

void MainWindow::buildMenus() {
    QMenuBar* bar = menuBar();
    fileMenu_ = bar->addMenu(QString());
    QAction* open = addCommand(fileMenu_, QStringLiteral("openArchive"), QKeySequence(Qt::CTRL | Qt::Key_O));
    connect(open, &QAction::triggered, &viewModel_, &ArchiveViewModel::promptOpenArchive);
    QAction* create = addCommand(fileMenu_, QStringLiteral("createArchive"), QKeySequence(Qt::CTRL | Qt::Key_N));
    connect(create, &QAction::triggered, &viewModel_, &ArchiveViewModel::presentCreateArchiveSheet);
    fileMenu_->addSeparator();
    QAction* extractAll = addCommand(fileMenu_, QStringLiteral("extractAll"), QKeySequence(Qt::CTRL | Qt::Key_E));
    connect(extractAll, &QAction::triggered, this, [this] { viewModel_.presentExtractSheet(false); });
    QAction* extractSelected = addCommand(fileMenu_, QStringLiteral("extractSelected"),
                                          QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_E));
    connect(extractSelected, &QAction::triggered, this, [this] { viewModel_.presentExtractSheet(true); });
    QAction* test = addCommand(fileMenu_, QStringLiteral("testArchive"), QKeySequence(Qt::CTRL | Qt::Key_T));
    connect(test, &QAction::triggered, &viewModel_, &ArchiveViewModel::runArchiveIntegrityTest);
    QAction* convert = addCommand(fileMenu_, QStringLiteral("convertArchive"),
                                  QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_K));
    connect(convert, &QAction::triggered, &viewModel_, &ArchiveViewModel::presentConvertSheet);
    fileMenu_->addSeparator();
    QAction* closeTab = addCommand(fileMenu_, QStringLiteral("closeTab"), QKeySequence(Qt::CTRL | Qt::Key_W));
    connect(closeTab, &QAction::triggered, this, [this] {
        if (viewModel_.activeTabID()) viewModel_.closeTab(*viewModel_.activeTabID());
    });
    fileMenu_->addSeparator();
    QAction* quit = addCommand(fileMenu_, QStringLiteral("quit"), QKeySequence(Qt::CTRL | Qt::Key_Q));
    quit->setMenuRole(QAction::QuitRole);
    connect(quit, &QAction::triggered, this, &QWidget::close);

    archiveMenu_ = bar->addMenu(QString());
    QAction* search = addCommand(archiveMenu_, QStringLiteral("search"), QKeySequence(Qt::CTRL | Qt::Key_F));
    connect(search, &QAction::triggered, &viewModel_, &ArchiveViewModel::pulseSearchFocus);
    QAction* selectAll = addCommand(archiveMenu_, QStringLiteral("selectAll"), QKeySequence(Qt::CTRL | Qt::Key_A));
    connect(selectAll, &QAction::triggered, &viewModel_, &ArchiveViewModel::selectAllVisible);
    QAction* up = addCommand(archiveMenu_, QStringLiteral("upFolder"));
    up->setShortcuts({QKeySequence(Qt::ALT | Qt::Key_Up), QKeySequence(Qt::CTRL | Qt::Key_Up)});
    connect(up, &QAction::triggered, &viewModel_, &ArchiveViewModel::navigateUpFolder);
    archiveMenu_->addSeparator();
    QAction* addFiles = addCommand(archiveMenu_, QStringLiteral("addFiles"));
    connect(addFiles, &QAction::triggered, &viewModel_, &ArchiveViewModel::promptAddFilesToOpenArchive);
    QAction* remove = addCommand(archiveMenu_, QStringLiteral("deleteSelected"),
                                 QKeySequence(Qt::CTRL | Qt::Key_Delete));
    connect(remove, &QAction::triggered, &viewModel_,
            &ArchiveViewModel::deleteSelectedEntriesFromArchive);
    archiveMenu_->addSeparator();
    QAction* reload = addCommand(archiveMenu_, QStringLiteral("reload"), QKeySequence(Qt::Key_F5));
    connect(reload, &QAction::triggered, &viewModel_, &ArchiveViewModel::reloadArchive);
    QAction* next = addCommand(archiveMenu_, QStringLiteral("nextTab"));
    next->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Tab), QKeySequence(Qt::CTRL | Qt::Key_PageDown)});
    connect(next, &QAction::triggered, this, [this] { switchTabBy(1); });
    QAction* previous = addCommand(archiveMenu_, QStringLiteral("previousTab"));
    previous->setShortcuts({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Tab),
                            QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab),
                            QKeySequence(Qt::CTRL | Qt::Key_PageUp)});
    connect(previous, &QAction::triggered, this, [this] { switchTabBy(-1); });

    viewMenu_ = bar->addMenu(QString());
    QAction* sidebar = addCommand(viewMenu_, QStringLiteral("toggleSidebar"));
    sidebar->setCheckable(true);
    connect(sidebar, &QAction::triggered, this, [this](bool on) { viewModel_.setShowSidebar(on); });
    QAction* preview = addCommand(viewMenu_, QStringLiteral("togglePreview"));
    preview->setCheckable(true);
    connect(preview, &QAction::triggered, this,
            [this](bool on) { viewModel_.setShowPreviewPanel(on); });
    if (appearance_ != nullptr) {
        viewMenu_->addSeparator();
        appearanceMenu_ = viewMenu_->addMenu(QString());
        appearanceChoices_ = new QActionGroup(this);
        const std::pair<const char*, AppearanceController::Mode> choices[] = {
            {"appearanceSystem", AppearanceController::Mode::system},
            {"appearanceLight", AppearanceController::Mode::light},
            {"appearanceDark", AppearanceController::Mode::dark}};
        for (const auto& [name, mode] : choices) {
            QAction* choice = addCommand(appearanceMenu_, QString::fromLatin1(name));
            choice->setCheckable(true);
            choice->setChecked(appearance_->mode() == mode);
            appearanceChoices_->addAction(choice);
            const AppearanceController::Mode chosen = mode;
            connect(choice, &QAction::triggered, this,
                    [this, chosen] { appearance_->setMode(chosen); });
        }
    }

    helpMenu_ = bar->addMenu(QString());
    QAction* feedback = addCommand(helpMenu_, QStringLiteral("sendFeedback"));
    connect(feedback, &QAction::triggered, this, [this] {
        const QUrl address = FeedbackLink::feedbackPage(viewModel_.language());
        if (address.isValid()) QDesktopServices::openUrl(address);
    });
    helpMenu_->addSeparator();
    QAction* maker = addCommand(helpMenu_, QStringLiteral("makerHome"));
    connect(maker, &QAction::triggered, this,
            [] { QDesktopServices::openUrl(FeedbackLink::homePage()); });
    retranslate();
}

QAction* MainWindow::action(const QString& objectName) const {
    return findChild<QAction*>(objectName);
}

void MainWindow::retranslate() {
    // Arabic, Persian and Hebrew mirror the whole application: panes, breadcrumbs, the
    // table's columns and the sheets; numbers and paths keep their own direction.
    const Qt::LayoutDirection direction =
        viewModel_.language().isRightToLeft() ? Qt::RightToLeft : Qt::LeftToRight;
    if (QGuiApplication::layoutDirection() != direction) {
        QGuiApplication::setLayoutDirection(direction);
    }
    fileMenu_->setTitle(qs(S::t("&File", "&Dosya")));
    archiveMenu_->setTitle(qs(S::t("Archive", "Arşiv")));
    viewMenu_->setTitle(qs(S::t("&View", "&Görünüm")));
    helpMenu_->setTitle(qs(S::t("&Help", "&Yardım")));
    action(QStringLiteral("openArchive"))->setText(qs(S::openArchive()));
    action(QStringLiteral("createArchive"))->setText(qs(S::createArchive()));
    action(QStringLiteral("extractAll"))->setText(qs(S::extractAll()));
    action(QStringLiteral("extractSelected"))->setText(qs(S::extractSelected()));
    action(QStringLiteral("testArchive"))->setText(qs(S::testArchive()));
    action(QStringLiteral("convertArchive"))->setText(qs(S::convertArchive()));
    action(QStringLiteral("closeTab"))->setText(qs(S::t("Close Tab", "Sekmeyi Kapat")));
    action(QStringLiteral("quit"))->setText(qs(S::t("Quit", "Çık")));
    action(QStringLiteral("search"))->setText(qs(S::t("Search inside archive…", "Arşiv içinde ara…")));
    action(QStringLiteral("selectAll"))->setText(qs(S::selectAll()));
    action(QStringLiteral("upFolder"))->setText(qs(S::upFolder()));
    action(QStringLiteral("addFiles"))->setText(qs(S::addFiles()));
    action(QStringLiteral("deleteSelected"))->setText(qs(S::deleteSelected()));
    action(QStringLiteral("reload"))->setText(qs(S::t("Reload Archive", "Arşivi Yeniden Oku")));
    action(QStringLiteral("nextTab"))->setText(qs(S::t("Next Tab", "Sonraki Sekme")));
    action(QStringLiteral("previousTab"))->setText(qs(S::t("Previous Tab", "Önceki Sekme")));
    action(QStringLiteral("toggleSidebar"))->setText(qs(S::folderTreeTitle()));
    action(QStringLiteral("togglePreview"))->setText(qs(S::previewPanelTitle()));
    if (appearanceMenu_ != nullptr) {
        appearanceMenu_->setTitle(qs(S::t("Appearance", "Görünüm")));
        action(QStringLiteral("appearanceSystem"))->setText(qs(S::t("System", "Sistem")));
        action(QStringLiteral("appearanceLight"))->setText(qs(S::t("Light", "Açık")));
        action(QStringLiteral("appearanceDark"))->setText(qs(S::t("Dark", "Koyu")));
    }
    action(QStringLiteral("sendFeedback"))
        ->setText(qs(S::t("Send Feedback & Ideas…", "Geri Bildirim & Fikir Gönder…")));
    action(QStringLiteral("makerHome"))
        ->setText(QStringLiteral("Tessaloom (") + FeedbackLink::makerSite() + QLatin1Char(')'));
    toolbar_->retranslate();
    entryList_->retranslate();
    sidebar_->retranslate();
    inspector_->retranslate();
    welcome_->retranslate();
    statusBar_->retranslate();
    busy_->retranslate();
}

void MainWindow::refreshLayout() {
    const bool open = viewModel_.listing().has_value();
    body_->setCurrentWidget(open ? browsing_ : static_cast<QWidget*>(welcome_));
    const bool manyTabs = viewModel_.tabs().size() >= 2;
    tabScroller_->setVisible(manyTabs);
    tabDivider_->setVisible(manyTabs);
    sidebar_->setVisible(viewModel_.showSidebar());
    sidebarDivider_->setVisible(viewModel_.showSidebar());
    inspector_->setVisible(viewModel_.showPreviewPanel());
    inspectorDivider_->setVisible(viewModel_.showPreviewPanel());
}

void MainWindow::refreshCommands() {
    const auto& listing = viewModel_.listing();
    const bool open = listing.has_value();
    const bool modifiable = open && listing->info().isModifiable;
    const bool anySelected = !viewModel_.selectedEntryIDs().empty();
    action(QStringLiteral("extractAll"))->setEnabled(open);
    action(QStringLiteral("extractSelected"))->setEnabled(anySelected);
    action(QStringLiteral("testArchive"))->setEnabled(open);
    action(QStringLiteral("convertArchive"))->setEnabled(open);
    action(QStringLiteral("closeTab"))->setEnabled(!viewModel_.tabs().empty());
    action(QStringLiteral("search"))->setEnabled(open);
    action(QStringLiteral("selectAll"))->setEnabled(open);
    action(QStringLiteral("upFolder"))->setEnabled(!viewModel_.currentFolderPath().isEmpty());
    action(QStringLiteral("addFiles"))->setEnabled(modifiable);
    action(QStringLiteral("deleteSelected"))->setEnabled(modifiable && anySelected);
    action(QStringLiteral("reload"))->setEnabled(open);
    action(QStringLiteral("nextTab"))->setEnabled(viewModel_.tabs().size() >= 2);
    action(QStringLiteral("previousTab"))->setEnabled(viewModel_.tabs().size() >= 2);
    action(QStringLiteral("toggleSidebar"))->setChecked(viewModel_.showSidebar());
    action(QStringLiteral("togglePreview"))->setChecked(viewModel_.showPreviewPanel());
}

void MainWindow::switchTabBy(int step) {
    const auto& tabs = viewModel_.tabs();
    if (tabs.size() < 2 || !viewModel_.activeTabID()) return;
    const auto count = static_cast<long>(tabs.size());
    long at = 0;
    for (long i = 0; i < count; ++i) {
        if (tabs[static_cast<std::size_t>(i)].id == *viewModel_.activeTabID()) at = i;
    }
    const long next = ((at + step) % count + count) % count;
    viewModel_.switchToTab(tabs[static_cast<std::size_t>(next)].id);
}

bool MainWindow::isTabStripShown() const { return tabScroller_->isVisibleTo(this); }

bool MainWindow::isWelcomeShown() const { return body_->currentWidget() == welcome_; }

void MainWindow::restoreSavedGeometry() {
    if (const auto saved = UserDefaults::standard().string(geometryKey)) {
        if (restoreGeometry(QByteArray::fromBase64(QByteArray::fromStdString(*saved)))) return;
    }
    resize(kDefaultWidth, kDefaultHeight);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    try {
        UserDefaults::standard().setString(geometryKey, saveGeometry().toBase64().toStdString());
    } catch (const std::exception&) {
        // The next start opens at the default size.
    }
    QMainWindow::closeEvent(event);
}

void MainWindow::changeEvent(QEvent* event) {
    if (event->type() == QEvent::PaletteChange) {
        // Pieces built with colours baked in are rebuilt in the new ones.
        entryList_->retranslate();
        sidebar_->retranslate();
        inspector_->refresh();
    }
    QMainWindow::changeEvent(event);
}

}  // namespace kelvane::app
