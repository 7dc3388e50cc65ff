#include "window/CreateArchiveSheet.hpp"

#include <QCheckBox>
#include <QFileInfo>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QToolButton>
#include <QVBoxLayout>

#include "localization/S.hpp"
#include "state/ArchiveViewModel.hpp"
#include "window/ArchiveOptionsEditor.hpp"
#include "window/MiddleElidedLabel.hpp"
#include "window/ProminentButton.hpp"
#include "window/RoundedPanel.hpp"
#include "window/SheetParts.hpp"

namespace kelvane::app {
namespace {

QString text(const std::string& value) {
    return QString::fromStdString(value);
}

constexpr int kPlaceholderHeight = 68;
constexpr int kSourceListHeight = 92;

}  // namespace

CreateArchiveSheet::CreateArchiveSheet(ArchiveViewModel& viewModel, QWidget* parentWindow)
    : BoundSheet(viewModel, parentWindow, kWidth),
      count_(new QLabel(this)),
      addItems_(SheetParts::plainButton(text(S::addMoreItems()), this)),
      placeholder_(new RoundedPanel(QPalette::WindowText, 0.04, 8, this)),
      sourceList_(new QScrollArea(this)),
      options_(new ArchiveOptionsEditor(viewModel, this)),
      excludeJunk_(new QCheckBox(SheetParts::literal(text(S::excludeMacJunkToggle())), this)),
      cancel_(SheetParts::plainButton(text(S::cancel()), this)),
      create_(new ProminentButton(text(S::createSaveAction()), this)) {
    setWindowTitle(text(S::createSheetTitle()));
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(20, 20, 20, 20);
    column->setSpacing(14);

    auto* header = new QHBoxLayout;
    SheetParts::addHeaderLabel(header, QStringLiteral("shippingbox.fill"),
                               text(S::createSheetTitle()), this);
    header->addStretch(1);
    count_->setFont(SheetFonts::caption(QFont::DemiBold));
    count_->setForegroundRole(QPalette::PlaceholderText);
    header->addWidget(count_);
    column->addLayout(header);
    column->addWidget(SheetParts::divider(this));

    auto* sources = new QVBoxLayout;
    sources->setSpacing(6);
    auto* sourcesHeader = new QHBoxLayout;
    auto* sourcesTitle = new QLabel(text(S::sourceItemsLabel()), this);
    sourcesTitle->setFont(SheetFonts::caption(QFont::DemiBold));
    sourcesTitle->setForegroundRole(QPalette::PlaceholderText);
    sourcesHeader->addWidget(sourcesTitle);
    sourcesHeader->addStretch(1);
    addItems_->setFont(SheetFonts::caption());
    sourcesHeader->addWidget(addItems_);
    sources->addLayout(sourcesHeader);
    connect(addItems_, &QPushButton::clicked, &viewModel_,
            &ArchiveViewModel::promptAddSourceItemsForCreation);

    placeholder_->setFixedHeight(kPlaceholderHeight);
    auto* placeholderLayout = new QHBoxLayout(placeholder_);
    auto* placeholderText = new QLabel(
        text(S::t("No files or folders selected yet.", "Henüz dosya veya klasör seçilmedi.")),
        placeholder_);
    placeholderText->setFont(SheetFonts::caption());
    placeholderText->setForegroundRole(QPalette::PlaceholderText);
    placeholderText->setAlignment(Qt::AlignCenter);
    placeholderLayout->addWidget(placeholderText);
    sources->addWidget(placeholder_);

    // The list sits on a faint rounded box; the scroll area itself stays transparent.
    auto* listBox = new RoundedPanel(QPalette::WindowText, 0.03, 8, this);
    auto* listBoxLayout = new QVBoxLayout(listBox);
    listBoxLayout->setContentsMargins(0, 0, 0, 0);
    sourceList_->setParent(listBox);
    sourceList_->setFrameShape(QFrame::NoFrame);
    sourceList_->setWidgetResizable(true);
    sourceList_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    sourceList_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    sourceList_->viewport()->setAutoFillBackground(false);
    auto* rowsHost = new QWidget;
    rowsHost->setAutoFillBackground(false);
    rowsLayout_ = new QVBoxLayout(rowsHost);
    rowsLayout_->setContentsMargins(6, 6, 6, 6);
    rowsLayout_->setSpacing(4);
    rowsLayout_->addStretch(1);
    sourceList_->setWidget(rowsHost);
    listBoxLayout->addWidget(sourceList_);
    listBox->setFixedHeight(kSourceListHeight);
    sources->addWidget(listBox);
    column->addLayout(sources);

    column->addWidget(options_);
    connect(options_, &ArchiveOptionsEditor::layoutChanged, this, [this] {
        if (isVisible()) fitHeight();
    });

    excludeJunk_->setFont(SheetFonts::caption());
    column->addWidget(excludeJunk_);
    connect(excludeJunk_, &QCheckBox::toggled, this, [this](bool on) {
        CreateArchiveOptions options = viewModel_.createOptions();
        options.excludeMacJunk = on;
        viewModel_.setCreateOptions(options);
    });

    column->addWidget(SheetParts::divider(this));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cancel_);
    buttons->addWidget(create_);
    column->addLayout(buttons);
    connect(cancel_, &QPushButton::clicked, this, &CreateArchiveSheet::cancelSheet);
    connect(create_, &QPushButton::clicked, this, &CreateArchiveSheet::confirm);

    connect(&viewModel_, &ArchiveViewModel::createSourceURLsChanged, this,
            &CreateArchiveSheet::refresh);
    connect(&viewModel_, &ArchiveViewModel::createOptionsChanged, this, [this] {
        const QSignalBlocker quiet(excludeJunk_);
        excludeJunk_->setChecked(viewModel_.createOptions().excludeMacJunk);
    });
    connect(&viewModel_, &ArchiveViewModel::showCreateSheetChanged, this,
            [this] { follow(viewModel_.showCreateSheet()); });
    refresh();
    follow(viewModel_.showCreateSheet());
}

QWidget* CreateArchiveSheet::makeSourceRow(const QString& path, int position) {
    auto* row = new RoundedPanel(QPalette::WindowText, 0.05, 6);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(8, 4, 8, 4);
    layout->setSpacing(6);
    const QFileInfo info(path);
    const bool isFolder = info.isDir();
    auto* icon = new QLabel(row);
    const int size = QFontMetrics(SheetFonts::caption()).height();
    icon->setPixmap(isFolder ? SheetSymbolIcon::tinted(QStringLiteral("folder.fill"), size,
                                                       palette().color(QPalette::Highlight))
                             : SheetSymbolIcon::icon(QStringLiteral("doc.fill")).pixmap(size, size));
    icon->setObjectName(isFolder ? QStringLiteral("folderIcon") : QStringLiteral("fileIcon"));
    layout->addWidget(icon);
    auto* name = new MiddleElidedLabel(row);
    name->setFont(SheetFonts::caption());
    name->setReadsLeftToRight(true);
    name->setText(info.fileName().isEmpty() ? QFileInfo(info.absolutePath()).fileName()
                                            : info.fileName());
    layout->addWidget(name, 1);
    auto* remove = new QToolButton(row);
    remove->setAutoRaise(true);
    remove->setIcon(SheetSymbolIcon::icon(QStringLiteral("xmark.circle.fill")));
    remove->setIconSize(QSize(size, size));
    remove->setToolTip(text(S::t("Remove", "Kaldır")));
    remove->setObjectName(QStringLiteral("removeSource"));
    layout->addWidget(remove);
    connect(remove, &QToolButton::clicked, this,
            [this, position] { viewModel_.removeCreateSource(position); });
    return row;
}

void CreateArchiveSheet::rebuildSourceRows() {
    for (QWidget* row : rows_) delete row;
    rows_.clear();
    const QStringList& sources = viewModel_.createSourceURLs();
    for (int i = 0; i < sources.size(); ++i) {
        QWidget* row = makeSourceRow(sources[i], i);
        rowsLayout_->insertWidget(i, row);
        rows_.push_back(row);
    }
}

void CreateArchiveSheet::refresh() {
    const QStringList& sources = viewModel_.createSourceURLs();
    count_->setText(QString::number(sources.size()) + QLatin1Char(' ') +
                    text(S::t("items", "öğe")));
    rebuildSourceRows();
    const bool empty = sources.isEmpty();
    const bool changed = placeholder_->isVisibleTo(this) != empty;
    placeholder_->setVisible(empty);
    sourceList_->parentWidget()->setVisible(!empty);
    create_->setEnabled(!empty);
    {
        const QSignalBlocker quiet(excludeJunk_);
        excludeJunk_->setChecked(viewModel_.createOptions().excludeMacJunk);
    }
    if (changed && isVisible()) fitHeight();
}

void CreateArchiveSheet::confirm() {
    if (create_->isEnabled()) viewModel_.promptSaveAndCreateArchive();
}

void CreateArchiveSheet::cancelSheet() {
    viewModel_.setShowCreateSheet(false);
}

}  // namespace kelvane::app
