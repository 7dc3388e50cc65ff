#include "window/SheetSymbolIcon.hpp"

#include <QApplication>
#include <QPainter>
#include <QStyle>

#include <array>
#include <utility>

namespace kelvane::app {
namespace {

struct SymbolMapping {
    const char* symbol;
    const char* themeName;
    QStyle::StandardPixmap fallback;
};

constexpr std::array kMappings{
    SymbolMapping{"arrow.up.doc.on.clipboard", "document-export", QStyle::SP_ArrowUp},
    SymbolMapping{"lock.shield.fill", "dialog-password", QStyle::SP_MessageBoxWarning},
    SymbolMapping{"shippingbox.fill", "package-x-generic", QStyle::SP_DriveHDIcon},
    SymbolMapping{"arrow.triangle.2.circlepath.circle.fill", "view-refresh",
                  QStyle::SP_BrowserReload},
    SymbolMapping{"folder.fill", "folder", QStyle::SP_DirIcon},
    SymbolMapping{"doc.fill", "text-x-generic", QStyle::SP_FileIcon},
    SymbolMapping{"xmark.circle.fill", "edit-clear", QStyle::SP_LineEditClearButton},
};

}  // namespace

QIcon SheetSymbolIcon::icon(const QString& symbolName) {
    for (const SymbolMapping& mapping : kMappings) {
        if (symbolName != QLatin1String(mapping.symbol)) continue;
        QIcon themed = QIcon::fromTheme(QString::fromLatin1(mapping.themeName));
        if (!themed.isNull()) return themed;
        return QApplication::style()->standardIcon(mapping.fallback);
    }
    return QApplication::style()->standardIcon(QStyle::SP_FileIcon);
}

QPixmap SheetSymbolIcon::tinted(const QString& symbolName, int size, const QColor& colour) {
    QPixmap pixmap = icon(symbolName).pixmap(size, size);
    QPainter painter(&pixmap);
    painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
    painter.fillRect(pixmap.rect(), colour);
    return pixmap;
}

}  // namespace kelvane::app
