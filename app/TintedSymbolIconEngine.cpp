#include "TintedSymbolIconEngine.hpp"

#include <QFileInfo>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPixmapCache>
#include <QSvgRenderer>
#include <algorithm>

namespace kelvane {

namespace {

// Disabled controls show their symbol faded rather than greyed, so a tinted
// symbol keeps its hue.
constexpr float kDisabledOpacity = 0.38f;

// A drawing that could not be read still shows something the size of a symbol.
void drawPlaceholder(QPainter& painter, const QRectF& square) {
    const double unit = square.width() / 24.0;
    QPainterPath outline;
    outline.addRoundedRect(square.adjusted(4 * unit, 4 * unit, -4 * unit, -4 * unit), 3 * unit,
                           3 * unit);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Qt::black, 2 * unit));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(outline);
}

}  // namespace

TintedSymbolIconEngine::TintedSymbolIconEngine(const QString& resourcePath, const QColor& tint)
    : resourcePath_(resourcePath),
      tint_(tint.isValid() ? tint : QColor(Qt::black)),
      renderer_(std::make_shared<QSvgRenderer>(resourcePath)) {}

QImage TintedSymbolIconEngine::renderTinted(QSvgRenderer* renderer, const QSize& size,
                                            const QColor& tint) {
    if (size.isEmpty()) return {};
    QImage image(size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    const int side = std::min(size.width(), size.height());
    const QRectF square((size.width() - side) / 2.0, (size.height() - side) / 2.0, side, side);
    {
        QPainter painter(&image);
        if (renderer != nullptr && renderer->isValid()) {
            renderer->render(&painter, square);
        } else {
            drawPlaceholder(painter, square);
        }
    }
    const int red = tint.red();
    const int green = tint.green();
    const int blue = tint.blue();
    const int tintAlpha = tint.alpha();
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const QRgb pixel = line[x];
            const int ink = qAlpha(pixel) * (255 - qGray(pixel)) / 255;
            line[x] = qRgba(red, green, blue, ink * tintAlpha / 255);
        }
    }
    return image;
}

QColor TintedSymbolIconEngine::tintFor(QIcon::Mode mode) const {
    QColor tint = tint_;
    if (mode == QIcon::Disabled) tint.setAlphaF(tint.alphaF() * kDisabledOpacity);
    return tint;
}

QPixmap TintedSymbolIconEngine::pixmap(const QSize& size, QIcon::Mode mode, QIcon::State) {
    if (size.isEmpty()) return {};
    const QColor tint = tintFor(mode);
    const QString cacheKey = QStringLiteral("kelvane-symbol:%1:%2:%3x%4")
                                 .arg(resourcePath_)
                                 .arg(tint.rgba(), 8, 16, QLatin1Char('0'))
                                 .arg(size.width())
                                 .arg(size.height());
    QPixmap cached;
    if (QPixmapCache::find(cacheKey, &cached)) return cached;
    QPixmap rendered = QPixmap::fromImage(renderTinted(renderer_.get(), size, tint));
    QPixmapCache::insert(cacheKey, rendered);
    return rendered;
}

void TintedSymbolIconEngine::paint(QPainter* painter, const QRect& rect, QIcon::Mode mode,
                                   QIcon::State state) {
    if (painter == nullptr || rect.isEmpty()) return;
    const qreal scale = painter->device() != nullptr ? painter->device()->devicePixelRatioF() : 1.0;
    QPixmap image = pixmap((QSizeF(rect.size()) * scale).toSize(), mode, state);
    image.setDevicePixelRatio(scale);
    painter->drawPixmap(rect.topLeft(), image);
}

QIconEngine* TintedSymbolIconEngine::clone() const {
    return new TintedSymbolIconEngine(*this);
}

QString TintedSymbolIconEngine::key() const {
    return QStringLiteral("KelvaneTintedSymbol");
}

QString TintedSymbolIconEngine::iconName() {
    // "doc.text.fill.svg" names the symbol "doc.text.fill".
    return QFileInfo(resourcePath_).completeBaseName();
}

}  // namespace kelvane
