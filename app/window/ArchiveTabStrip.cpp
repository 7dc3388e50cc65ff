#include "window/ArchiveTabStrip.hpp"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>

#include "SymbolIcon.hpp"
#include "state/ArchiveViewModel.hpp"
#include "window/LayoutClearing.hpp"
#include "window/PillButton.hpp"
#include "window/WindowStyle.hpp"

namespace kelvane::app {

namespace {

// One tab: a rounded chip holding the switch button and the close button.
class TabChip final : public QWidget {
public:
    TabChip(bool active, QWidget* parent) : QWidget(parent), active_(active) {
        setObjectName(QStringLiteral("tabChip"));
    }

protected:
    void paintEvent(QPaintEvent* /*event*/) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const QColor accent = WindowStyle::accent(palette());
        if (active_) {
            painter.setPen(QPen(WindowStyle::faded(accent, 0.45), 1));
            painter.setBrush(WindowStyle::faded(accent, 0.16));
        } else {
            painter.setPen(Qt::NoPen);
            painter.setBrush(WindowStyle::faded(WindowStyle::primary(palette()), 0.05));
        }
        painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 6, 6);
    }

private:
    bool active_;
};

}  // namespace

ArchiveTabStrip::ArchiveTabStrip(ArchiveViewModel& viewModel, QWidget* parent)
    : QWidget(parent), viewModel_(viewModel), row_(new QHBoxLayout(this)) {
    setObjectName(QStringLiteral("tabStrip"));
    row_->setContentsMargins(12, 5, 12, 5);
    row_->setSpacing(4);
    connect(&viewModel_, &ArchiveViewModel::tabsChanged, this, &ArchiveTabStrip::rebuild);
    connect(&viewModel_, &ArchiveViewModel::activeTabIDChanged, this, &ArchiveTabStrip::rebuild);
    rebuild();
}

int ArchiveTabStrip::chipCount() const {
    int count = 0;
    for (int i = 0; i < row_->count(); ++i) {
        if (row_->itemAt(i)->widget() != nullptr) ++count;
    }
    return count;
}

void ArchiveTabStrip::rebuild() {
    clearLayout(row_);
    const QPalette& pal = palette();
    for (const ArchiveTabSession& tab : viewModel_.tabs()) {
        const bool active = viewModel_.activeTabID() && *viewModel_.activeTabID() == tab.id;
        auto* chip = new TabChip(active, this);
        auto* inner = new QHBoxLayout(chip);
        inner->setContentsMargins(10, 5, 8, 5);
        inner->setSpacing(6);
        auto* open = new PillButton(chip);
        open->setObjectName(QStringLiteral("tabSwitch"));
        open->setText(tab.title);
        open->setToolTip(tab.url);
        open->setSymbol(QStringLiteral("archivebox.fill"));
        open->setSymbolColor(active ? WindowStyle::accent(pal) : WindowStyle::orange(pal));
        open->setLook(PillButton::Look::bare);
        PillButton::Metrics metrics;
        metrics.fontSize = 11;
        metrics.weight = active ? QFont::DemiBold : QFont::Normal;
        metrics.iconSize = 11;
        metrics.paddingX = 0;
        metrics.height = 18;
        metrics.border = false;
        open->setMetrics(metrics);
        open->setMaximumWidth(200);
        const QUuid id = tab.id;
        connect(open, &PillButton::clicked, this, [this, id] { viewModel_.switchToTab(id); });
        inner->addWidget(open);
        auto* format = new QLabel(qs(tab.listing.info().formatName), chip);
        format->setFont(WindowStyle::font(9, QFont::Bold));
        format->setForegroundRole(QPalette::PlaceholderText);
        inner->addWidget(format);
        auto* close = new PillButton(chip);
        close->setObjectName(QStringLiteral("tabClose"));
        close->setSymbol(QStringLiteral("xmark"));
        close->setLook(PillButton::Look::quiet);
        PillButton::Metrics closeMetrics;
        closeMetrics.height = 14;
        closeMetrics.fixedWidth = 14;
        closeMetrics.paddingX = 0;
        closeMetrics.iconSize = 9;
        closeMetrics.radius = 3;
        closeMetrics.border = false;
        close->setMetrics(closeMetrics);
        connect(close, &PillButton::clicked, this, [this, id] { viewModel_.closeTab(id); });
        inner->addWidget(close);
        row_->addWidget(chip);
    }
    row_->addStretch(1);
}

void ArchiveTabStrip::changeEvent(QEvent* event) {
    if (event->type() == QEvent::PaletteChange) rebuild();
    QWidget::changeEvent(event);
}

}  // namespace kelvane::app
