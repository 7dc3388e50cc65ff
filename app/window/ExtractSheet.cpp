#include "window/ExtractSheet.hpp"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "localization/S.hpp"
#include "model/ByteSizeFormatter.hpp"
#include "state/ArchiveViewModel.hpp"
#include "window/LeftToRightText.hpp"
#include "window/CapsuleBadge.hpp"
#include "window/MiddleElidedLabel.hpp"
#include "window/ProminentButton.hpp"
#include "window/RoundedPanel.hpp"
#include "window/SheetParts.hpp"

namespace kelvane::app {
namespace {

QString text(const std::string& value) {
    return QString::fromStdString(value);
}

}  // namespace

ExtractSheet::ExtractSheet(ArchiveViewModel& viewModel, QWidget* parentWindow)
    : BoundSheet(viewModel, parentWindow, kWidth),
      badge_(new CapsuleBadge(QFont::DemiBold, 9, 3, this)),
      destination_(new MiddleElidedLabel(this)),
      chooseFolder_(SheetParts::plainButton(text(S::chooseFolder()), this)),
      smartSubfolder_(new QCheckBox(SheetParts::literal(text(S::smartSubfolderToggle())), this)),
      overwrite_(new QComboBox(this)),
      passwordBlock_(new QWidget(this)),
      password_(new QLineEdit(this)),
      reveal_(new QCheckBox(SheetParts::literal(text(S::openFinderToggle())), this)),
      cancel_(SheetParts::plainButton(text(S::cancel()), this)),
      start_(new ProminentButton(text(S::startExtract()), this)) {
    setWindowTitle(text(S::extractSheetTitle()));
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(20, 20, 20, 20);
    column->setSpacing(15);

    auto* header = new QHBoxLayout;
    title_ = SheetParts::addHeaderLabel(header, QStringLiteral("arrow.up.doc.on.clipboard"),
                                        QString(), this);
    header->addStretch(1);
    header->addWidget(badge_);
    column->addLayout(header);
    column->addWidget(SheetParts::divider(this));

    auto* destinationBlock = new QVBoxLayout;
    destinationBlock->setSpacing(6);
    auto* destinationTitle = new QLabel(text(S::extractTargetFolder()), this);
    destinationTitle->setFont(SheetFonts::caption(QFont::DemiBold));
    destinationBlock->addWidget(destinationTitle);
    auto* destinationRow = new QHBoxLayout;
    destinationRow->setSpacing(8);
    auto* pathBox = new RoundedPanel(QPalette::WindowText, 0.06, 7, this);
    auto* pathLayout = new QHBoxLayout(pathBox);
    pathLayout->setContentsMargins(9, 6, 9, 6);
    destination_->setFont(SheetFonts::monospacedCaption());
    destination_->setReadsLeftToRight(true);
    pathLayout->addWidget(destination_);
    destinationRow->addWidget(pathBox, 1);
    destinationRow->addWidget(chooseFolder_);
    destinationBlock->addLayout(destinationRow);
    column->addLayout(destinationBlock);
    connect(chooseFolder_, &QPushButton::clicked, &viewModel_,
            &ArchiveViewModel::chooseExtractDestinationFolder);

    smartSubfolder_->setFont(SheetFonts::callout());
    column->addWidget(smartSubfolder_);
    connect(smartSubfolder_, &QCheckBox::toggled, &viewModel_,
            &ArchiveViewModel::setExtractSmartSubfolder);

    auto* overwriteRow = new QHBoxLayout;
    auto* overwriteTitle = new QLabel(text(S::t("If File Exists", "Çakışma Durumu")), this);
    overwriteTitle->setBuddy(overwrite_);
    overwriteRow->addWidget(overwriteTitle);
    for (const ExtractOverwriteMode mode : ExtractOverwriteMode::allCases()) {
        overwrite_->addItem(text(S::overwriteLabel(mode)));
    }
    overwriteRow->addWidget(overwrite_, 1);
    column->addLayout(overwriteRow);
    connect(overwrite_, &QComboBox::activated, this, [this](int index) {
        viewModel_.setExtractOverwriteMode(
            ExtractOverwriteMode::allCases()[static_cast<std::size_t>(index)]);
    });

    auto* passwordColumn = new QVBoxLayout(passwordBlock_);
    passwordColumn->setContentsMargins(0, 0, 0, 0);
    passwordColumn->setSpacing(4);
    auto* passwordTitle = new QLabel(text(S::passwordOptionalLabel()), passwordBlock_);
    passwordTitle->setFont(SheetFonts::caption(QFont::DemiBold));
    passwordColumn->addWidget(passwordTitle);
    password_->setParent(passwordBlock_);
    password_->setEchoMode(QLineEdit::Password);
    password_->setPlaceholderText(QStringLiteral("••••••••"));
    passwordColumn->addWidget(password_);
    column->addWidget(passwordBlock_);
    connect(password_, &QLineEdit::textEdited, &viewModel_,
            &ArchiveViewModel::setExtractPasswordInput);

    reveal_->setFont(SheetFonts::callout());
    column->addWidget(reveal_);
    connect(reveal_, &QCheckBox::toggled, &viewModel_, &ArchiveViewModel::setExtractOpenInFinder);

    column->addWidget(SheetParts::divider(this));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cancel_);
    buttons->addWidget(start_);
    column->addLayout(buttons);
    connect(cancel_, &QPushButton::clicked, this, &ExtractSheet::cancelSheet);
    connect(start_, &QPushButton::clicked, this, &ExtractSheet::confirm);

    for (auto signal : {&ArchiveViewModel::extractSelectedOnlyChanged,
                        &ArchiveViewModel::extractDestinationChanged,
                        &ArchiveViewModel::extractSmartSubfolderChanged,
                        &ArchiveViewModel::extractOverwriteModeChanged,
                        &ArchiveViewModel::extractOpenInFinderChanged,
                        &ArchiveViewModel::extractPasswordInputChanged,
                        &ArchiveViewModel::listingChanged,
                        &ArchiveViewModel::selectedEntryIDsChanged,
                        &ArchiveViewModel::selectedTotalBytesChanged}) {
        connect(&viewModel_, signal, this, [this] {
            if (isVisible()) refresh();
        });
    }
    connect(&viewModel_, &ArchiveViewModel::showExtractSheetChanged, this,
            [this] { follow(viewModel_.showExtractSheet()); });
    follow(viewModel_.showExtractSheet());
}

void ExtractSheet::refresh() {
    const ArchiveViewModel& state = viewModel_;
    const bool selectedOnly = state.extractSelectedOnly();
    title_->setText(text(selectedOnly ? S::extractSelected() : S::extractAll()));
    const auto& listing = state.listing();
    if (selectedOnly) {
        badge_->setText(QString::number(state.selectedEntries().size()) + QLatin1Char(' ') +
                        text(S::t("items", "öğe")) + QStringLiteral(" · ") +
                        LeftToRightText::isolated(text(ByteSizeFormatter::format(state.selectedTotalBytes()))));
        badge_->show();
    } else if (listing) {
        badge_->setText(text(S::filesCountText(listing->info().fileCount)) +
                        QStringLiteral(" · ") +
                        LeftToRightText::isolated(
                            text(ByteSizeFormatter::format(listing->info().totalUncompressedSize))));
        badge_->show();
    } else {
        badge_->hide();
    }
    destination_->setText(state.extractDestination());
    {
        const QSignalBlocker quiet(smartSubfolder_);
        smartSubfolder_->setChecked(state.extractSmartSubfolder());
    }
    smartSubfolder_->setVisible(!selectedOnly);
    overwrite_->setCurrentIndex(static_cast<int>(state.extractOverwriteMode().ordinal()));
    passwordBlock_->setVisible(listing && listing->info().hasEncryptedEntries);
    if (password_->text() != state.extractPasswordInput()) {
        password_->setText(state.extractPasswordInput());
    }
    {
        const QSignalBlocker quiet(reveal_);
        reveal_->setChecked(state.extractOpenInFinder());
    }
    fitHeight();
}

void ExtractSheet::confirm() {
    viewModel_.executeExtract();
}

void ExtractSheet::cancelSheet() {
    viewModel_.setShowExtractSheet(false);
}

}  // namespace kelvane::app
