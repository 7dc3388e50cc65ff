#include "window/NoticeCapsule.hpp"

#include <QEvent>
#include <QPainter>

#include "SymbolIcon.hpp"
#include "state/ArchiveViewModel.hpp"
#include "window/WindowStyle.hpp"

namespace kelvane::app {

namespace {

constexpr int kPaddingX = 16;
constexpr int kPaddingY = 10;
constexpr int kIconSide = 16;
constexpr int kShadow = 8;

QFont messageFont() { return WindowStyle::font(12.5, QFont::Medium); }

}  // namespace

NoticeCapsule::NoticeCapsule(ArchiveViewModel& viewModel, QWidget* parent)
    : QWidget(parent), viewModel_(viewModel) {
    setObjectName(QStringLiteral("noticeCapsule"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_TranslucentBackground);
    hide();
    connect(&viewModel_, &ArchiveViewModel::toastMessageChanged, this, &NoticeCapsule::refresh);
    connect(&viewModel_, &ArchiveViewModel::toastIsErrorChanged, this, &NoticeCapsule::refresh);
    parent->installEventFilter(this);
}

QSize NoticeCapsule::sizeHint() const {
    const QFontMetrics metrics(messageFont());
    const int maxText = parentWidget() != nullptr ? parentWidget()->width() - 120 : 600;
    const int textWidth = std::min(metrics.horizontalAdvance(message_) + 1, std::max(120, maxText));
    return {2 * kShadow + 2 * kPaddingX + kIconSide + 8 + textWidth,
            2 * kShadow + 2 * kPaddingY + std::max(kIconSide, metrics.height())};
}

void NoticeCapsule::refresh() {
    const std::optional<QString>& message = viewModel_.toastMessage();
    message_ = message.value_or(QString());
    isError_ = viewModel_.toastIsError();
    setVisible(message.has_value());
    if (message) {
        place();
        raise();
    }
    update();
}

void NoticeCapsule::place() {
    if (parentWidget() == nullptr) return;
    const QSize size = sizeHint();
    setGeometry((parentWidget()->width() - size.width()) / 2, kTopOffset - kShadow, size.width(),
                size.height());
}

bool NoticeCapsule::eventFilter(QObject* watched, QEvent* event) {
    if (watched == parentWidget() && event->type() == QEvent::Resize && isVisible()) place();
    return QWidget::eventFilter(watched, event);
}

void NoticeCapsule::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF capsule = QRectF(rect()).adjusted(kShadow, kShadow - 2, -kShadow, -kShadow - 2);
    const double radius = capsule.height() / 2;
    for (int step = kShadow; step > 0; --step) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(0, 0, 0, 10));
        painter.drawRoundedRect(capsule.adjusted(-step / 2.0, -step / 2.0 + 4, step / 2.0,
                                                 step / 2.0 + 4),
                                radius + step / 2.0, radius + step / 2.0);
    }
    painter.setBrush(QColor(0, 0, 0, 219));
    painter.drawRoundedRect(capsule, radius, radius);
    const QPalette& pal = palette();
    const QIcon icon = isError_
                           ? SymbolIcon::bundledIcon(QStringLiteral("exclamationmark.triangle.fill"),
                                                     QColor(255, 159, 10))
                           : SymbolIcon::bundledIcon(QStringLiteral("checkmark.circle.fill"),
                                                     QColor(48, 209, 88));
    Q_UNUSED(pal);
    const int left = static_cast<int>(capsule.left()) + kPaddingX;
    icon.paint(&painter, QRect(left, static_cast<int>(capsule.center().y()) - kIconSide / 2,
                               kIconSide, kIconSide));
    painter.setFont(messageFont());
    painter.setPen(Qt::white);
    const int textLeft = left + kIconSide + 8;
    const QRect textRect(textLeft, static_cast<int>(capsule.top()),
                         static_cast<int>(capsule.right()) - kPaddingX - textLeft + 1,
                         static_cast<int>(capsule.height()));
    painter.drawText(textRect, Qt::AlignVCenter | Qt::AlignLeft,
                     QFontMetrics(messageFont()).elidedText(message_, Qt::ElideMiddle,
                                                            textRect.width()));
}

}  // namespace kelvane::app
