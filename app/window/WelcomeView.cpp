#include "window/WelcomeView.hpp"

#include <QEvent>
#include <QFileInfo>
#include <QGraphicsDropShadowEffect>
#include <QHBoxLayout>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QVBoxLayout>

#include "localization/S.hpp"
#include "state/ArchiveViewModel.hpp"
#include "window/AppEmblem.hpp"
#include "window/LayoutClearing.hpp"
#include "window/PillButton.hpp"
#include "window/WindowStyle.hpp"

namespace kelvane::app {

namespace {

const char* const kFormatBadges[] = {"RAR / RAR5", "ZIP",       "7Z",     "TAR.GZ",
                                     "TAR.XZ",     "ISO / DMG", "AES-256"};

// The emblem tile: a rounded square with the brand gradient.
class EmblemTile final : public QWidget {
public:
    explicit EmblemTile(QWidget* parent) : QWidget(parent) {
        setFixedSize(82, 82);
        auto* shadow = new QGraphicsDropShadowEffect(this);
        shadow->setColor(QColor(128, 0, 128, 97));
        shadow->setBlurRadius(32);
        shadow->setOffset(0, 6);
        setGraphicsEffect(shadow);
    }

protected:
    void paintEvent(QPaintEvent* /*event*/) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        QLinearGradient gradient(rect().topLeft(), rect().bottomRight());
        gradient.setColorAt(0, QColor::fromRgbF(0.56F, 0.24F, 0.94F));
        gradient.setColorAt(0.5, QColor::fromRgbF(0.16F, 0.52F, 0.98F));
        gradient.setColorAt(1, QColor::fromRgbF(0.10F, 0.72F, 0.56F));
        painter.setPen(Qt::NoPen);
        painter.setBrush(gradient);
        painter.drawRoundedRect(QRectF(rect()), 22, 22);
        const QPixmap emblem = AppEmblem::pixmap(52, devicePixelRatioF());
        painter.drawPixmap(15, 15, emblem);
    }
};

// The card inviting a drop: a dashed rounded outline around its contents.
class DropCard final : public QWidget {
public:
    explicit DropCard(QWidget* parent) : QWidget(parent) {}

protected:
    void paintEvent(QPaintEvent* /*event*/) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        QPen pen(WindowStyle::faded(WindowStyle::secondary(palette()), 0.35), 1.5);
        pen.setDashPattern({6 / 1.5, 5 / 1.5});
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(QRectF(rect()).adjusted(0.75, 0.75, -0.75, -0.75), 14, 14);
    }
};

}  // namespace

WelcomeView::WelcomeView(ArchiveViewModel& viewModel, QWidget* parent)
    : QWidget(parent),
      viewModel_(viewModel),
      emblem_(nullptr),
      subtitle_(new QLabel(this)),
      headline_(nullptr),
      subhead_(nullptr),
      open_(new PillButton(this)),
      create_(new PillButton(this)),
      recentBlock_(new QWidget(this)),
      recentTitle_(new QLabel(recentBlock_)),
      recentRow_(new QHBoxLayout) {
    setObjectName(QStringLiteral("welcomeView"));
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Window);
    auto* outer = new QVBoxLayout(this);
    outer->addStretch(1);
    auto* column = new QVBoxLayout;
    column->setSpacing(20);
    column->setAlignment(Qt::AlignHCenter);
    outer->addLayout(column);
    outer->addStretch(1);

    column->addWidget(new EmblemTile(this), 0, Qt::AlignHCenter);

    auto* titleBlock = new QVBoxLayout;
    titleBlock->setSpacing(6);
    auto* name = new QLabel(QStringLiteral("Kelvane"), this);
    name->setFont(WindowStyle::font(26, QFont::Bold));
    name->setAlignment(Qt::AlignCenter);
    titleBlock->addWidget(name);
    subtitle_->setFont(WindowStyle::font(15));
    subtitle_->setForegroundRole(QPalette::PlaceholderText);
    subtitle_->setAlignment(Qt::AlignCenter);
    titleBlock->addWidget(subtitle_);
    column->addLayout(titleBlock);

    auto* card = new DropCard(this);
    card->setObjectName(QStringLiteral("dropCard"));
    auto* cardColumn = new QVBoxLayout(card);
    cardColumn->setContentsMargins(28, 20, 28, 20);
    cardColumn->setSpacing(8);
    headline_ = new QLabel(card);
    headline_->setFont(WindowStyle::font(12.5, QFont::DemiBold));
    headline_->setAlignment(Qt::AlignCenter);
    cardColumn->addWidget(headline_);
    subhead_ = new QLabel(card);
    subhead_->setFont(WindowStyle::font(10.5));
    subhead_->setForegroundRole(QPalette::PlaceholderText);
    subhead_->setAlignment(Qt::AlignCenter);
    subhead_->setWordWrap(true);
    cardColumn->addWidget(subhead_);
    cardColumn->addSpacing(4);
    auto* badges = new QHBoxLayout;
    badges->setSpacing(6);
    for (const char* text : kFormatBadges) {
        auto* badge = new PillButton(card);
        badge->setText(QString::fromUtf8(text));
        badge->setLook(PillButton::Look::emphasis);
        badge->setFocusPolicy(Qt::NoFocus);
        badge->setCursor(Qt::ArrowCursor);
        badge->setAttribute(Qt::WA_TransparentForMouseEvents);
        PillButton::Metrics metrics;
        metrics.fontSize = 10;
        metrics.weight = QFont::Bold;
        metrics.paddingX = 8;
        metrics.paddingY = 3;
        metrics.height = 0;
        metrics.radius = -1;
        metrics.border = false;
        badge->setMetrics(metrics);
        badges->addWidget(badge);
    }
    cardColumn->addLayout(badges);
    column->addWidget(card, 0, Qt::AlignHCenter);

    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(12);
    open_->setObjectName(QStringLiteral("welcomeOpen"));
    open_->setSymbol(QStringLiteral("folder"));
    open_->setLook(PillButton::Look::prominent);
    PillButton::Metrics large;
    large.fontSize = 12.5;
    large.height = 32;
    large.paddingX = 14;
    large.radius = 8;
    large.iconSize = 15;
    open_->setMetrics(large);
    connect(open_, &PillButton::clicked, &viewModel_, &ArchiveViewModel::promptOpenArchive);
    create_->setObjectName(QStringLiteral("welcomeCreate"));
    create_->setSymbol(QStringLiteral("shippingbox"));
    create_->setLook(PillButton::Look::plain);
    large.paddingX = 12;
    create_->setMetrics(large);
    connect(create_, &PillButton::clicked, &viewModel_,
            &ArchiveViewModel::presentCreateArchiveSheet);
    buttons->addStretch(1);
    buttons->addWidget(open_);
    buttons->addWidget(create_);
    buttons->addStretch(1);
    column->addLayout(buttons);

    auto* recentColumn = new QVBoxLayout(recentBlock_);
    recentColumn->setContentsMargins(0, 6, 0, 0);
    recentColumn->setSpacing(8);
    recentTitle_->setFont(WindowStyle::font(10.5, QFont::Bold));
    recentTitle_->setForegroundRole(QPalette::PlaceholderText);
    recentTitle_->setAlignment(Qt::AlignCenter);
    recentColumn->addWidget(recentTitle_);
    recentRow_->setSpacing(8);
    recentColumn->addLayout(recentRow_);
    column->addWidget(recentBlock_, 0, Qt::AlignHCenter);

    connect(&viewModel_, &ArchiveViewModel::recentArchiveURLsChanged, this,
            &WelcomeView::rebuildRecents);
    retranslate();
}

void WelcomeView::retranslate() {
    subtitle_->setText(qs(S::appSubtitle()));
    headline_->setText(qs(S::dropHeadline()));
    subhead_->setText(qs(S::dropSubhead()));
    // A wrapped label in a centred card gets no height for its width from the layout;
    // give it the lines it needs at the card's width.
    subhead_->setFixedWidth(kSubheadWidth);
    subhead_->setFixedHeight(subhead_->heightForWidth(kSubheadWidth));
    open_->setText(qs(S::openArchive()));
    create_->setText(qs(S::createArchive()));
    recentTitle_->setText(qs(S::recentArchivesTitle()).toUpper());
    rebuildRecents();
}

int WelcomeView::recentButtonCount() const {
    int count = 0;
    for (const PillButton* chip :
         recentBlock_->findChildren<PillButton*>(QStringLiteral("welcomeRecent"))) {
        // Replaced chips were hidden on purpose and wait for deletion.
        const bool retired =
            chip->isHidden() && chip->testAttribute(Qt::WA_WState_ExplicitShowHide);
        if (!retired) ++count;
    }
    return count;
}

void WelcomeView::rebuildRecents() {
    clearLayout(recentRow_);
    const QStringList& recents = viewModel_.recentArchiveURLs();
    recentBlock_->setVisible(!recents.isEmpty());
    recentRow_->addStretch(1);
    for (qsizetype i = 0; i < std::min<qsizetype>(kRecentShown, recents.size()); ++i) {
        const QString path = recents.at(i);
        auto* chip = new PillButton(recentBlock_);
        chip->setObjectName(QStringLiteral("welcomeRecent"));
        chip->setText(QFileInfo(path).fileName());
        chip->setToolTip(path);
        chip->setSymbol(QStringLiteral("archivebox.fill"));
        chip->setSymbolColor(WindowStyle::orange(palette()));
        chip->setLook(PillButton::Look::plain);
        PillButton::Metrics metrics;
        metrics.fontSize = 10.5;
        metrics.weight = QFont::Medium;
        metrics.paddingX = 10;
        metrics.paddingY = 6;
        metrics.height = 0;
        metrics.radius = -1;
        metrics.border = false;
        metrics.iconSize = 12;
        chip->setMetrics(metrics);
        chip->setMaximumWidth(220);
        connect(chip, &PillButton::clicked, this, [this, path] { viewModel_.openArchive(path); });
        recentRow_->addWidget(chip);
    }
    recentRow_->addStretch(1);
}

void WelcomeView::changeEvent(QEvent* event) {
    if (event->type() == QEvent::PaletteChange) rebuildRecents();
    QWidget::changeEvent(event);
}

}  // namespace kelvane::app
