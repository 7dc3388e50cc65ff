// Icons of the sheets by their symbol names ("lock.shield.fill", …): the desktop theme's
// icon when it has one, else a standard icon of the widget style, so no icon is blank.
#pragma once

#include <QColor>
#include <QIcon>
#include <QPixmap>
#include <QString>

namespace kelvane::app {

struct SheetSymbolIcon final {
    [[nodiscard]] static QIcon icon(const QString& symbolName);
    // The icon drawn in one colour (the accent-tinted folder of the source list).
    [[nodiscard]] static QPixmap tinted(const QString& symbolName, int size, const QColor& colour);
};

}  // namespace kelvane::app
