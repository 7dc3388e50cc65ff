#include "window/ExtractPasswordDialog.hpp"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "localization/S.hpp"
#include "state/BatchExtraction.hpp"
#include "window/MiddleElidedLabel.hpp"
#include "window/ProminentButton.hpp"
#include "window/RoundedPanel.hpp"
#include "window/SheetParts.hpp"
#include "window/WindowStyle.hpp"

namespace kelvane::app {
namespace {

const QColor kErrorRed(Qt::red);

}  // namespace

ExtractPasswordDialog::ExtractPasswordDialog(BatchExtraction& batch, QWidget* parentWindow)
    : QDialog(parentWindow),
      batch_(batch),
      archive_(new MiddleElidedLabel(this)),
      hint_(new QLabel(qs(S::t("Enter the password to extract this archive.",
                               "Bu arşivi çıkarmak için parolayı girin.")),
                       this)),
      errorBox_(new RoundedPanel(kErrorRed, 0.1, 7, this)),
      error_(new QLabel(errorBox_)),
      password_(new QLineEdit(this)),
      skip_(SheetParts::plainButton(qs(S::t("Skip", "Atla")), this)),
      unlock_(new ProminentButton(qs(S::unlockArchive()), this)) {
    setWindowModality(Qt::WindowModal);
    setFixedWidth(kWidth);
    setWindowTitle(qs(S::passwordPromptTitle()));
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(20, 20, 20, 20);
    column->setSpacing(12);

    auto* header = new QHBoxLayout;
    header->setSpacing(10);
    header->addWidget(SheetParts::lockIcon(this));
    auto* titles = new QVBoxLayout;
    titles->setSpacing(2);
    auto* title = new QLabel(qs(S::passwordPromptTitle()), this);
    title->setFont(SheetFonts::headline());
    titles->addWidget(title);
    archive_->setObjectName(QStringLiteral("passwordArchiveName"));
    archive_->setFont(SheetFonts::callout());
    titles->addWidget(archive_);
    header->addLayout(titles, 1);
    column->addLayout(header);

    hint_->setFont(SheetFonts::callout());
    hint_->setWordWrap(true);
    hint_->setForegroundRole(QPalette::PlaceholderText);
    column->addWidget(hint_);

    auto* errorLayout = new QHBoxLayout(errorBox_);
    errorLayout->setContentsMargins(8, 8, 8, 8);
    error_->setFont(SheetFonts::caption(QFont::Medium));
    error_->setWordWrap(true);
    errorLayout->addWidget(error_);
    column->addWidget(errorBox_);

    password_->setEchoMode(QLineEdit::Password);
    column->addWidget(password_);
    connect(password_, &QLineEdit::textChanged, this,
            [this](const QString& typed) { unlock_->setEnabled(!typed.isEmpty()); });

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(skip_);
    buttons->addWidget(unlock_);
    column->addLayout(buttons);
    connect(skip_, &QPushButton::clicked, this, &ExtractPasswordDialog::reject);
    connect(unlock_, &QPushButton::clicked, this, &ExtractPasswordDialog::submit);

    connect(&batch_, &BatchExtraction::phaseChanged, this, &ExtractPasswordDialog::follow);
    connect(&batch_, &BatchExtraction::passwordErrorChanged, this, &ExtractPasswordDialog::refresh);
    connect(&batch_, &BatchExtraction::currentArchiveChanged, this,
            &ExtractPasswordDialog::refresh);
    refresh();
    follow();
}

void ExtractPasswordDialog::follow() {
    const bool asking = batch_.phase() == BatchExtraction::Phase::askingPassword;
    if (asking && !isVisible()) {
        // Every prompt starts empty: a refused password is not offered again.
        password_->clear();
        refresh();
        fitHeight();
        open();
        password_->setFocus();
    } else if (!asking && isVisible()) {
        done(QDialog::Accepted);
    }
}

void ExtractPasswordDialog::refresh() {
    archive_->setText(batch_.currentArchiveName());
    // The error red is readable on both appearances only in its own shade for each.
    QPalette red = error_->palette();
    red.setColor(QPalette::WindowText, WindowStyle::red(palette()));
    error_->setPalette(red);
    const auto& error = batch_.passwordError();
    error_->setText(error.value_or(QString()));
    unlock_->setEnabled(!password_->text().isEmpty());
    if (errorBox_->isVisibleTo(this) != error.has_value()) {
        errorBox_->setVisible(error.has_value());
        fitHeight();
    }
}

void ExtractPasswordDialog::submit() {
    const QString typed = password_->text();
    if (typed.isEmpty()) return;
    batch_.submitPassword(typed);
}

void ExtractPasswordDialog::reject() {
    if (batch_.phase() == BatchExtraction::Phase::askingPassword) {
        batch_.skipArchive();
    } else {
        QDialog::reject();
    }
}

void ExtractPasswordDialog::keyPressEvent(QKeyEvent* event) {
    if (event->modifiers() == Qt::NoModifier || event->modifiers() == Qt::KeypadModifier) {
        if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
            submit();
            event->accept();
            return;
        }
    }
    QDialog::keyPressEvent(event);
}

void ExtractPasswordDialog::fitHeight() {
    if (layout() == nullptr) return;
    layout()->activate();
    setFixedHeight(layout()->hasHeightForWidth() ? layout()->totalHeightForWidth(width())
                                                 : layout()->totalSizeHint().height());
}

}  // namespace kelvane::app
