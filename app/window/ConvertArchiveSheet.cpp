#include "window/ConvertArchiveSheet.hpp"

#include <QVBoxLayout>

#include "localization/S.hpp"
#include "state/ArchiveViewModel.hpp"
#include "window/ArchiveOptionsEditor.hpp"
#include "window/CapsuleBadge.hpp"
#include "window/ProminentButton.hpp"
#include "window/SheetParts.hpp"

namespace kelvane::app {
namespace {

QString text(const std::string& value) {
    return QString::fromStdString(value);
}

}  // namespace

ConvertArchiveSheet::ConvertArchiveSheet(ArchiveViewModel& viewModel, QWidget* parentWindow)
    : BoundSheet(viewModel, parentWindow, kWidth),
      badge_(new CapsuleBadge(QFont::Bold, 8, 3, this)),
      options_(new ArchiveOptionsEditor(viewModel, this)),
      cancel_(SheetParts::plainButton(text(S::cancel()), this)),
      convert_(new ProminentButton(text(S::convertSaveAction()), this)) {
    setWindowTitle(text(S::convertSheetTitle()));
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(20, 20, 20, 20);
    column->setSpacing(14);

    auto* header = new QHBoxLayout;
    SheetParts::addHeaderLabel(header, QStringLiteral("arrow.triangle.2.circlepath.circle.fill"),
                               text(S::convertSheetTitle()), this);
    header->addStretch(1);
    header->addWidget(badge_);
    column->addLayout(header);
    column->addWidget(SheetParts::divider(this));

    column->addWidget(options_);
    connect(options_, &ArchiveOptionsEditor::layoutChanged, this, [this] {
        if (isVisible()) fitHeight();
    });

    column->addWidget(SheetParts::divider(this));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cancel_);
    buttons->addWidget(convert_);
    column->addLayout(buttons);
    connect(cancel_, &QPushButton::clicked, this, &ConvertArchiveSheet::cancelSheet);
    connect(convert_, &QPushButton::clicked, this, &ConvertArchiveSheet::confirm);

    connect(&viewModel_, &ArchiveViewModel::listingChanged, this, &ConvertArchiveSheet::refresh);
    connect(&viewModel_, &ArchiveViewModel::showConvertSheetChanged, this,
            [this] { follow(viewModel_.showConvertSheet()); });
    refresh();
    follow(viewModel_.showConvertSheet());
}

void ConvertArchiveSheet::refresh() {
    const auto& listing = viewModel_.listing();
    badge_->setVisible(listing.has_value());
    if (listing) badge_->setText(QString::fromStdString(listing->info().formatName));
}

void ConvertArchiveSheet::confirm() {
    viewModel_.promptSaveAndConvertArchive();
}

void ConvertArchiveSheet::cancelSheet() {
    viewModel_.setShowConvertSheet(false);
}

}  // namespace kelvane::app
