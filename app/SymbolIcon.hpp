// Icons for the symbol names the window uses ("folder.fill", "magnifyingglass",
// "archivebox.fill", …): the desktop theme's icon where the theme has a true
// equivalent, otherwise Kelvane's own drawing in the caller's colour.
#pragma once

#include <QColor>
#include <QIcon>
#include <QString>
#include <QStringList>

namespace kelvane {

class SymbolIcon final {
public:
    SymbolIcon() = delete;

    // Never a null icon: the theme's icon for `symbolName` when the current
    // theme has it, else the bundled drawing tinted with `tint`, else (a name
    // with no drawing) the generic document symbol.
    [[nodiscard]] static QIcon icon(const QString& symbolName, const QColor& tint);

    // The bundled drawing alone, for places where the colour carries meaning
    // and a full-colour theme icon would lose it (a highlighted toolbar button).
    [[nodiscard]] static QIcon bundledIcon(const QString& symbolName, const QColor& tint);

    // Every symbol name with a bundled drawing, in a fixed order.
    [[nodiscard]] static QStringList symbolNames();

    // The freedesktop icon name tried first for `symbolName`; empty when no
    // theme icon means the same thing.
    [[nodiscard]] static QString themeIconName(const QString& symbolName);

    // Kelvane's own application icon in full colour: the installed theme's copy
    // (io.tessaloom.Kelvane) when there is one, else the copy built in, so a
    // program run from the build tree has its icon too.
    [[nodiscard]] static QIcon applicationIcon();

    // The symbol shown for a name that has no drawing.
    [[nodiscard]] static QString fallbackSymbolName() { return QStringLiteral("doc"); }
};

}  // namespace kelvane
