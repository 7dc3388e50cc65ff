#include "window/BusyOverlay.hpp"

#include <QEvent>
#include <QGraphicsDropShadowEffect>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QProgressBar>
#include <QVBoxLayout>

#include <cmath>

#include "localization/S.hpp"
#include "state/ArchiveViewModel.hpp"
#include "window/PillButton.hpp"
#include "window/SpinnerWidget.hpp"
#include "window/WindowStyle.hpp"

namespace kelvane::app {

namespace {

class Panel final : public QWidget {
public:
    explicit Panel(QWidget* parent) : QWidget(parent) {
        auto* shadow = new QGraphicsDropShadowEffect(this);
        shadow->setColor(QColor(0, 0, 0, 89));
        shadow->setBlurRadius(44);
        shadow->setOffset(0, 10);
        setGraphicsEffect(shadow);
    }

protected:
    void paintEvent(QPaintEvent* /*event*/) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(WindowStyle::faded(WindowStyle::primary(palette()), 0.14), 1));
        painter.setBrush(palette().color(QPalette::Window));
        painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 14, 14);
    }
};

}  // namespace

BusyOverlay::BusyOverlay(ArchiveViewModel& viewModel, QWidget* parent)
    : QWidget(parent),
      viewModel_(viewModel),
      panel_(new Panel(this)),
      spinner_(new SpinnerWidget(16, panel_)),
      title_(new QLabel(panel_)),
      speed_(new QLabel(panel_)),
      percent_(new QLabel(panel_)),
      bar_(new QProgressBar(panel_)),
      detail_(new QLabel(panel_)),
      cancel_(new PillButton(panel_)) {
    setObjectName(QStringLiteral("busyOverlay"));
    // The cover takes every click and key: nothing underneath can be used.
    setAttribute(Qt::WA_NoMousePropagation);
    setFocusPolicy(Qt::StrongFocus);
    panel_->setFixedWidth(390);
    auto* column = new QVBoxLayout(panel_);
    column->setContentsMargins(20, 20, 20, 20);
    column->setSpacing(12);
    auto* top = new QHBoxLayout;
    top->setSpacing(10);
    top->addWidget(spinner_);
    title_->setObjectName(QStringLiteral("busyTitle"));
    title_->setFont(WindowStyle::font(13, QFont::DemiBold));
    top->addWidget(title_, 1);
    speed_->setObjectName(QStringLiteral("busySpeed"));
    speed_->setFont(WindowStyle::font(10.5, QFont::DemiBold));
    top->addWidget(speed_);
    percent_->setObjectName(QStringLiteral("busyPercent"));
    percent_->setFont(WindowStyle::font(12.5, QFont::Bold));
    top->addWidget(percent_);
    column->addLayout(top);
    bar_->setTextVisible(false);
    bar_->setFixedHeight(6);
    bar_->setRange(0, 1000);
    column->addWidget(bar_);
    auto* bottom = new QHBoxLayout;
    detail_->setObjectName(QStringLiteral("busyDetail"));
    detail_->setFont(WindowStyle::monospace(10.5));
    detail_->setForegroundRole(QPalette::PlaceholderText);
    detail_->setMinimumWidth(100);
    detail_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    bottom->addWidget(detail_, 1);
    cancel_->setObjectName(QStringLiteral("busyCancel"));
    PillButton::Metrics metrics;
    metrics.fontSize = 11;
    metrics.weight = QFont::Normal;
    metrics.height = 22;
    metrics.paddingX = 10;
    metrics.radius = 5;
    cancel_->setMetrics(metrics);
    connect(cancel_, &PillButton::clicked, &viewModel_, &ArchiveViewModel::cancelActiveOperation);
    bottom->addWidget(cancel_);
    column->addLayout(bottom);

    for (auto signal : {&ArchiveViewModel::isBusyChanged, &ArchiveViewModel::busyTitleChanged,
                        &ArchiveViewModel::busyDetailChanged,
                        &ArchiveViewModel::busySpeedTextChanged,
                        &ArchiveViewModel::busyProgressChanged}) {
        connect(&viewModel_, signal, this, &BusyOverlay::refresh);
    }
    parent->installEventFilter(this);
    hide();
    retranslate();
    followParent();
}

QString BusyOverlay::percentFor(double fraction) {
    if (!std::isfinite(fraction)) return {};
    return QString::number(std::lround(std::clamp(fraction, 0.0, 1.0) * 100.0)) +
           QLatin1Char('%');
}

QString BusyOverlay::percentText() const { return percent_->isVisible() ? percent_->text() : QString(); }

bool BusyOverlay::isIndeterminate() const { return bar_->maximum() == 0; }

void BusyOverlay::retranslate() {
    cancel_->setText(qs(S::cancel()));
    refresh();
}

void BusyOverlay::refresh() {
    const bool busy = viewModel_.isBusy();
    if (busy == isHidden()) {
        setVisible(busy);
        if (busy) {
            raise();
            followParent();
            setFocus();
        }
    }
    title_->setText(viewModel_.busyTitle());
    const QString speed = viewModel_.busySpeedText();
    speed_->setVisible(!speed.isEmpty());
    speed_->setText(QStringLiteral("<span style=\"color:%1\">%2</span>")
                        .arg(WindowStyle::green(palette()).name(), speed.toHtmlEscaped()));
    const std::optional<double>& progress = viewModel_.busyProgress();
    percent_->setVisible(progress.has_value());
    if (progress) {
        percent_->setText(QStringLiteral("<span style=\"color:%1\">%2</span>")
                              .arg(WindowStyle::accent(palette()).name(), percentFor(*progress)));
        bar_->setRange(0, 1000);
        bar_->setValue(static_cast<int>(std::lround(std::clamp(*progress, 0.0, 1.0) * 1000)));
    } else {
        bar_->setRange(0, 0);
    }
    const QString detail = viewModel_.busyDetail();
    detail_->setToolTip(detail);
    detail_->setText(detail_->fontMetrics().elidedText(detail, Qt::ElideMiddle,
                                                        std::max(60, detail_->width())));
    panel_->adjustSize();
    followParent();
}

void BusyOverlay::followParent() {
    if (parentWidget() == nullptr) return;
    setGeometry(parentWidget()->rect());
    panel_->adjustSize();
    panel_->move((width() - panel_->width()) / 2, (height() - panel_->height()) / 2);
}

bool BusyOverlay::eventFilter(QObject* watched, QEvent* event) {
    if (watched == parentWidget() && event->type() == QEvent::Resize) followParent();
    return QWidget::eventFilter(watched, event);
}

void BusyOverlay::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    painter.fillRect(rect(), QColor(0, 0, 0, 89));
}

}  // namespace kelvane::app
