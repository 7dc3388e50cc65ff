#include "window/ExtractHereWindow.hpp"

#include <QCloseEvent>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QScrollArea>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

#include "SymbolIcon.hpp"
#include "localization/S.hpp"
#include "state/BatchExtraction.hpp"
#include "window/ExtractPasswordDialog.hpp"
#include "window/MiddleElidedLabel.hpp"
#include "window/ProminentButton.hpp"
#include "window/RoundedPanel.hpp"
#include "window/SheetParts.hpp"
#include "window/WindowStyle.hpp"

namespace kelvane::app {
namespace {

// Enough for three problems with two-line reasons; more scroll.
constexpr int kProblemListMaxHeight = 260;

QLabel* reasonLabel(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QStringLiteral("problemReason"));
    label->setFont(SheetFonts::callout());
    label->setWordWrap(true);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

}  // namespace

ExtractHereWindow::ExtractHereWindow(BatchExtraction& batch, QWidget* parent)
    : QWidget(parent),
      batch_(batch),
      icon_(new QLabel(this)),
      title_(new QLabel(this)),
      position_(new QLabel(this)),
      runningPart_(new QWidget(this)),
      archive_(new MiddleElidedLabel(runningPart_)),
      percent_(new QLabel(runningPart_)),
      bar_(new QProgressBar(runningPart_)),
      cancel_(SheetParts::plainButton(qs(S::cancel()), runningPart_)),
      summaryPart_(new QWidget(this)),
      summary_(new QLabel(summaryPart_)),
      problemList_(new QScrollArea(summaryPart_)),
      problemRows_(nullptr),
      close_(new ProminentButton(qs(S::t("Close", "Kapat")), summaryPart_)),
      passwordDialog_(nullptr) {
    setObjectName(QStringLiteral("extractHereWindow"));
    setWindowTitle(qs(S::extractHere()) + QStringLiteral(" — Kelvane"));
    setWindowIcon(SymbolIcon::applicationIcon());
    setWindowFlag(Qt::WindowMaximizeButtonHint, false);
    setFixedWidth(kWidth);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(20, 20, 20, 20);
    column->setSpacing(14);

    auto* header = new QHBoxLayout;
    header->setSpacing(12);
    const int iconSize = QFontMetrics(SheetFonts::headline()).height() * 2;
    icon_->setFixedSize(iconSize, iconSize);
    icon_->setAlignment(Qt::AlignCenter);
    header->addWidget(icon_, 0, Qt::AlignTop);
    auto* titles = new QVBoxLayout;
    titles->setSpacing(2);
    title_->setObjectName(QStringLiteral("extractHereTitle"));
    title_->setFont(SheetFonts::headline());
    title_->setWordWrap(true);
    titles->addWidget(title_);
    position_->setObjectName(QStringLiteral("extractHerePosition"));
    position_->setFont(SheetFonts::caption());
    position_->setForegroundRole(QPalette::PlaceholderText);
    position_->setWordWrap(true);
    titles->addWidget(position_);
    header->addLayout(titles, 1);
    column->addLayout(header);

    // --- While the batch runs ---
    auto* running = new QVBoxLayout(runningPart_);
    running->setContentsMargins(0, 0, 0, 0);
    running->setSpacing(8);
    auto* nameRow = new QHBoxLayout;
    nameRow->setSpacing(10);
    archive_->setObjectName(QStringLiteral("extractHereArchive"));
    archive_->setFont(SheetFonts::callout());
    nameRow->addWidget(archive_, 1);
    percent_->setObjectName(QStringLiteral("extractHerePercent"));
    percent_->setFont(WindowStyle::font(12, QFont::DemiBold));
    percent_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    // Wide enough for "100%" so the name does not shift as the number grows.
    percent_->setMinimumWidth(percent_->fontMetrics().horizontalAdvance(QStringLiteral("100%")));
    nameRow->addWidget(percent_);
    running->addLayout(nameRow);
    bar_->setTextVisible(false);
    bar_->setFixedHeight(6);
    bar_->setRange(0, 1000);
    running->addWidget(bar_);
    auto* cancelRow = new QHBoxLayout;
    cancelRow->addStretch(1);
    cancel_->setObjectName(QStringLiteral("extractHereCancel"));
    cancelRow->addWidget(cancel_);
    running->addSpacing(4);
    running->addLayout(cancelRow);
    column->addWidget(runningPart_);
    connect(cancel_, &QPushButton::clicked, &batch_, &BatchExtraction::cancel);

    // --- When it ended with problems ---
    auto* summary = new QVBoxLayout(summaryPart_);
    summary->setContentsMargins(0, 0, 0, 0);
    summary->setSpacing(10);
    summary_->setObjectName(QStringLiteral("extractHereSummary"));
    summary_->setFont(SheetFonts::callout());
    summary_->setWordWrap(true);
    summary->addWidget(summary_);
    problemList_->setObjectName(QStringLiteral("extractHereProblems"));
    problemList_->setFrameShape(QFrame::NoFrame);
    problemList_->setWidgetResizable(true);
    problemList_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    auto* rows = new QWidget(problemList_);
    rows->setAutoFillBackground(false);
    problemRows_ = new QVBoxLayout(rows);
    problemRows_->setContentsMargins(0, 0, 0, 0);
    problemRows_->setSpacing(8);
    problemList_->setWidget(rows);
    problemList_->viewport()->setAutoFillBackground(false);
    summary->addWidget(problemList_);
    auto* closeRow = new QHBoxLayout;
    closeRow->addStretch(1);
    close_->setObjectName(QStringLiteral("extractHereClose"));
    closeRow->addWidget(close_);
    summary->addSpacing(4);
    summary->addLayout(closeRow);
    column->addWidget(summaryPart_);
    summaryPart_->hide();
    connect(close_, &QPushButton::clicked, this, &QWidget::close);

    passwordDialog_ = new ExtractPasswordDialog(batch_, this);

    for (auto signal : {&BatchExtraction::phaseChanged, &BatchExtraction::currentArchiveChanged}) {
        connect(&batch_, signal, this, &ExtractHereWindow::refresh);
    }
    connect(&batch_, &BatchExtraction::progressChanged, this, &ExtractHereWindow::refreshProgress);
    connect(&batch_, &BatchExtraction::finished, this, &ExtractHereWindow::batchFinished);
    applyColours();
    refresh();
    fitHeight();
}

QStringList ExtractHereWindow::shownProblems() const {
    QStringList shown;
    for (const QWidget* row : problemList_->widget()->findChildren<QWidget*>(
             QStringLiteral("problemRow"), Qt::FindDirectChildrenOnly)) {
        if (const auto* name = row->findChild<MiddleElidedLabel*>()) shown << name->text();
        if (const auto* reason = row->findChild<QLabel*>()) shown << reason->text();
    }
    return shown;
}

void ExtractHereWindow::refresh() {
    title_->setText(batch_.titleText());
    position_->setText(batch_.isFinished() ? QString() : batch_.positionText());
    if (position_->isVisibleTo(this) == position_->text().isEmpty()) {
        position_->setVisible(!position_->text().isEmpty());
        fitHeight();
    }
    archive_->setText(batch_.currentArchiveName());
    cancel_->setEnabled(batch_.phase() != BatchExtraction::Phase::cancelling &&
                        !batch_.isFinished());
    refreshProgress();
}

void ExtractHereWindow::refreshProgress() {
    const std::optional<double>& progress = batch_.progress();
    const BatchExtraction::Phase phase = batch_.phase();
    percent_->setText(progress ? QString::number(std::lround(*progress * 100.0)) + QLatin1Char('%')
                               : QString());
    if (progress) {
        bar_->setRange(0, 1000);
        bar_->setValue(static_cast<int>(std::lround(*progress * 1000.0)));
    } else if (phase == BatchExtraction::Phase::reading ||
               phase == BatchExtraction::Phase::cancelling) {
        // Reading an archive's names has no measure: the bar only shows that work goes on.
        bar_->setRange(0, 0);
    } else {
        bar_->setRange(0, 1000);
        bar_->setValue(0);
    }
}

void ExtractHereWindow::batchFinished() {
    refresh();
    if (batch_.problems().empty()) {
        close();
        return;
    }
    fillProblems();
    runningPart_->hide();
    summaryPart_->show();
    summary_->setText(batch_.summaryText());
    summary_->setVisible(!summary_->text().isEmpty());
    fitHeight();
    close_->setFocus();
    raise();
    activateWindow();
}

void ExtractHereWindow::fillProblems() {
    while (QLayoutItem* item = problemRows_->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    QWidget* rows = problemList_->widget();
    for (const ArchiveExtractionOutcome& problem : batch_.problems()) {
        auto* row = new RoundedPanel(QPalette::WindowText, 0.06, 8, rows);
        row->setObjectName(QStringLiteral("problemRow"));
        auto* layout = new QVBoxLayout(row);
        layout->setContentsMargins(10, 8, 10, 9);
        layout->setSpacing(3);
        auto* name = new MiddleElidedLabel(row);
        name->setObjectName(QStringLiteral("problemArchive"));
        name->setFont(SheetFonts::sized(12.5, QFont::DemiBold));
        name->setText(QFileInfo(problem.archive).fileName());
        name->setToolTip(problem.archive);
        layout->addWidget(name);
        layout->addWidget(reasonLabel(problem.reason, row));
        problemRows_->addWidget(row);
    }
    problemRows_->addStretch(1);
    applyColours();
    // As tall as the rows need, up to the bound; beyond it the list scrolls.
    rows->setFixedWidth(kWidth - 40);
    rows->adjustSize();
    problemList_->setFixedHeight(
        std::min(kProblemListMaxHeight, problemRows_->totalHeightForWidth(kWidth - 40)));
    rows->setMinimumWidth(0);
    rows->setMaximumWidth(QWIDGETSIZE_MAX);
}

void ExtractHereWindow::applyColours() {
    const bool failed = batch_.isFinished() && !batch_.problems().empty();
    const bool cancelled = batch_.isFinished() && batch_.wasCancelled();
    const int iconSize = icon_->width();
    const QString symbol = failed || cancelled ? QStringLiteral("exclamationmark.triangle.fill")
                                               : QStringLiteral("tray.and.arrow.down");
    const QColor tint =
        failed || cancelled ? WindowStyle::orange(palette()) : WindowStyle::accent(palette());
    icon_->setPixmap(SymbolIcon::bundledIcon(symbol, tint).pixmap(iconSize, iconSize));
    QPalette accent = percent_->palette();
    accent.setColor(QPalette::WindowText, WindowStyle::accent(palette()));
    percent_->setPalette(accent);
    // The reasons in the secondary text colour of the appearance: readable, but quieter
    // than the archive names above them.
    for (QLabel* reason : problemList_->widget()->findChildren<QLabel*>()) {
        QPalette quiet = reason->palette();
        quiet.setColor(QPalette::WindowText, WindowStyle::secondary(palette()));
        reason->setPalette(quiet);
    }
}

void ExtractHereWindow::fitHeight() {
    layout()->activate();
    setFixedHeight(layout()->hasHeightForWidth() ? layout()->totalHeightForWidth(kWidth)
                                                 : layout()->totalSizeHint().height());
}

void ExtractHereWindow::closeEvent(QCloseEvent* event) {
    if (!batch_.isFinished()) {
        // The window goes once the running tool has stopped and its rollback is done.
        batch_.cancel();
        event->ignore();
        return;
    }
    event->accept();
    emit closed();
}

void ExtractHereWindow::keyPressEvent(QKeyEvent* event) {
    const bool plain =
        event->modifiers() == Qt::NoModifier || event->modifiers() == Qt::KeypadModifier;
    const bool confirming = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    // Escape cancels a running batch or closes the summary; Return closes the summary only.
    if (plain && (event->key() == Qt::Key_Escape || (confirming && batch_.isFinished()))) {
        close();
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

void ExtractHereWindow::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange) applyColours();
}

}  // namespace kelvane::app
