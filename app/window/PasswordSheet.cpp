#include "window/PasswordSheet.hpp"

#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "localization/S.hpp"
#include "state/ArchiveViewModel.hpp"
#include "window/ProminentButton.hpp"
#include "window/RoundedPanel.hpp"
#include "window/SheetParts.hpp"

namespace kelvane::app {
namespace {

QString text(const std::string& value) {
    return QString::fromStdString(value);
}

const QColor kErrorRed(Qt::red);

}  // namespace

PasswordSheet::PasswordSheet(ArchiveViewModel& viewModel, QWidget* parentWindow)
    : BoundSheet(viewModel, parentWindow, kWidth),
      hint_(new QLabel(text(S::passwordPromptHint()), this)),
      errorBox_(new RoundedPanel(kErrorRed, 0.1, 7, this)),
      error_(new QLabel(errorBox_)),
      password_(new QLineEdit(this)),
      cancel_(SheetParts::plainButton(text(S::cancel()), this)),
      unlock_(new ProminentButton(text(S::unlockArchive()), this)) {
    setWindowTitle(text(S::passwordPromptTitle()));
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(20, 20, 20, 20);
    column->setSpacing(14);

    auto* header = new QHBoxLayout;
    header->setSpacing(10);
    header->addWidget(SheetParts::lockIcon(this));
    auto* title = new QLabel(text(S::passwordPromptTitle()), this);
    title->setFont(SheetFonts::headline());
    header->addWidget(title, 1);
    column->addLayout(header);

    hint_->setFont(SheetFonts::callout());
    hint_->setWordWrap(true);
    hint_->setForegroundRole(QPalette::PlaceholderText);
    column->addWidget(hint_);

    auto* errorLayout = new QHBoxLayout(errorBox_);
    errorLayout->setContentsMargins(8, 8, 8, 8);
    QFont errorFont = SheetFonts::caption(QFont::Medium);
    error_->setFont(errorFont);
    error_->setWordWrap(true);
    QPalette red = error_->palette();
    red.setColor(QPalette::WindowText, QColor(0xD7, 0x26, 0x1E));
    error_->setPalette(red);
    errorLayout->addWidget(error_);
    column->addWidget(errorBox_);

    password_->setEchoMode(QLineEdit::Password);
    password_->setPlaceholderText(QStringLiteral("••••••••"));
    column->addWidget(password_);
    connect(password_, &QLineEdit::textEdited, &viewModel_,
            &ArchiveViewModel::setPasswordSheetInput);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cancel_);
    buttons->addWidget(unlock_);
    column->addLayout(buttons);
    connect(cancel_, &QPushButton::clicked, this, &PasswordSheet::cancelSheet);
    connect(unlock_, &QPushButton::clicked, this, &PasswordSheet::confirm);

    for (auto signal : {&ArchiveViewModel::passwordSheetInputChanged,
                        &ArchiveViewModel::passwordSheetErrorChanged}) {
        connect(&viewModel_, signal, this, &PasswordSheet::refresh);
    }
    connect(&viewModel_, &ArchiveViewModel::showPasswordSheetChanged, this,
            [this] { follow(viewModel_.showPasswordSheet()); });
    refresh();
    follow(viewModel_.showPasswordSheet());
}

void PasswordSheet::refresh() {
    const QString& typed = viewModel_.passwordSheetInput();
    if (password_->text() != typed) password_->setText(typed);
    unlock_->setEnabled(!typed.isEmpty());
    const auto& error = viewModel_.passwordSheetError();
    const bool errorVisible = error.has_value();
    error_->setText(error.value_or(QString()));
    if (errorBox_->isVisibleTo(this) != errorVisible) {
        errorBox_->setVisible(errorVisible);
        fitHeight();
    }
}

void PasswordSheet::confirm() {
    viewModel_.submitPasswordSheet();
}

void PasswordSheet::cancelSheet() {
    viewModel_.cancelPasswordSheet();
}

}  // namespace kelvane::app
