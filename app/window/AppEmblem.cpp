#include "window/AppEmblem.hpp"

#include <QImage>
#include <QPainter>

#include "SymbolIcon.hpp"

namespace kelvane::app {

QPixmap AppEmblem::pixmap(int side, qreal ratio, const QColor& templateTint) {
    const int pixels = static_cast<int>(side * ratio);
    QImage emblem(QStringLiteral(":/kelvane/AppEmblem.png"));
    QPixmap result;
    if (emblem.isNull()) {
        const QColor tint = templateTint.isValid() ? templateTint : QColor(Qt::white);
        const int inner = static_cast<int>(pixels * 0.72);
        QPixmap canvas(pixels, pixels);
        canvas.fill(Qt::transparent);
        QPainter painter(&canvas);
        SymbolIcon::bundledIcon(QStringLiteral("archivebox.fill"), tint)
            .paint(&painter, QRect((pixels - inner) / 2, (pixels - inner) / 2, inner, inner));
        painter.end();
        result = canvas;
    } else {
        QImage scaled = emblem.scaled(pixels, pixels, Qt::KeepAspectRatio, Qt::SmoothTransformation)
                            .convertToFormat(QImage::Format_ARGB32_Premultiplied);
        if (templateTint.isValid()) {
            QPainter painter(&scaled);
            painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
            painter.fillRect(scaled.rect(), templateTint);
        }
        result = QPixmap::fromImage(scaled);
    }
    result.setDevicePixelRatio(ratio);
    return result;
}

}  // namespace kelvane::app
