#include "SymbolIcon.hpp"

#include <array>
#include <mutex>
#include <string_view>

#include "TintedSymbolIconEngine.hpp"

// The drawings live in a static library; naming its resource initializer here
// keeps the linker from dropping them from programs that link the library.
static void initSymbolResources() {
    Q_INIT_RESOURCE(symbols);
}

namespace kelvane {

namespace {

struct SymbolMapping {
    std::string_view symbol;
    // Icon naming specification names (and a few every common theme ships).
    // Empty where no theme icon means the same thing: a look-alike with another
    // meaning ("view-refresh" for converting) would mislead more than help.
    std::string_view themeIcon;
};

constexpr std::array<SymbolMapping, 50> kSymbols{{
    // Entry kinds in the archive listing
    {"folder", "folder"},
    {"folder.fill", "folder"},
    {"doc", "text-x-generic"},
    {"doc.fill", "x-office-document"},
    {"doc.text", "text-x-generic"},
    {"doc.text.fill", "text-x-generic"},
    {"doc.richtext.fill", "application-pdf"},
    {"photo", "image-x-generic"},
    {"photo.fill", "image-x-generic"},
    {"film.fill", "video-x-generic"},
    {"archivebox.fill", "package-x-generic"},
    // Toolbar, sidebar, table, inspector, welcome screen and sheets
    {"folder.badge.plus", "document-open"},
    {"plus.rectangle.on.folder", "list-add"},
    {"shippingbox", "package-x-generic"},
    {"shippingbox.fill", "package-x-generic"},
    {"arrow.up.bin.fill", ""},
    {"arrow.up.doc.on.clipboard", ""},
    {"tray.and.arrow.down", ""},
    {"trash", "edit-delete"},
    {"checkmark.shield", ""},
    {"arrow.triangle.2.circlepath", ""},
    {"arrow.triangle.2.circlepath.circle.fill", ""},
    {"eye", ""},
    {"eye.fill", ""},
    {"sidebar.left", ""},
    {"sidebar.right", ""},
    {"bubble.left.and.exclamationmark.bubble.right", ""},
    {"globe", "preferences-desktop-locale"},
    {"checkmark", ""},
    {"checkmark.circle.fill", ""},
    {"exclamationmark.triangle.fill", "dialog-warning"},
    {"xmark", "window-close"},
    {"xmark.circle.fill", "edit-clear"},
    {"list.bullet.indent", ""},
    {"chevron.right", ""},
    {"chevron.down", ""},
    {"clock", "document-open-recent"},
    {"lock.fill", ""},
    {"lock.shield.fill", "dialog-password"},
    {"cube.fill", ""},
    {"square.stack.fill", ""},
    {"tray", ""},
    {"arrow.up", "go-up"},
    {"magnifyingglass", "edit-find"},
    {"doc.on.doc", "edit-copy"},
    {"doc.on.doc.fill", ""},
    {"doc.viewfinder", ""},
    {"doc.text.magnifyingglass", ""},
    {"number.square", ""},
    {"arrow.up.forward.app", "document-open"},
}};

const SymbolMapping* findSymbol(const QString& symbolName) {
    for (const SymbolMapping& mapping : kSymbols) {
        if (symbolName == QLatin1String(mapping.symbol.data(),
                                        static_cast<qsizetype>(mapping.symbol.size()))) {
            return &mapping;
        }
    }
    return nullptr;
}

QString toQString(std::string_view text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

QString resourcePath(const QString& symbolName) {
    return QStringLiteral(":/symbols/%1.svg").arg(symbolName);
}

void ensureResources() {
    static std::once_flag once;
    std::call_once(once, [] { initSymbolResources(); });
}

}  // namespace

QIcon SymbolIcon::icon(const QString& symbolName, const QColor& tint) {
    const QString themeName = themeIconName(symbolName);
    if (!themeName.isEmpty() && QIcon::hasThemeIcon(themeName)) {
        QIcon themed = QIcon::fromTheme(themeName);
        if (!themed.isNull()) return themed;
    }
    return bundledIcon(symbolName, tint);
}

QIcon SymbolIcon::bundledIcon(const QString& symbolName, const QColor& tint) {
    ensureResources();
    const QString name = findSymbol(symbolName) != nullptr ? symbolName : fallbackSymbolName();
    return QIcon(new TintedSymbolIconEngine(resourcePath(name), tint));
}

QIcon SymbolIcon::applicationIcon() {
    ensureResources();
    static const QString kApplicationIconName = QStringLiteral("io.tessaloom.Kelvane");
    return QIcon::fromTheme(kApplicationIconName,
                            QIcon(QStringLiteral(":/app/%1.svg").arg(kApplicationIconName)));
}

QStringList SymbolIcon::symbolNames() {
    QStringList names;
    names.reserve(static_cast<qsizetype>(kSymbols.size()));
    for (const SymbolMapping& mapping : kSymbols) names.append(toQString(mapping.symbol));
    return names;
}

QString SymbolIcon::themeIconName(const QString& symbolName) {
    const SymbolMapping* mapping = findSymbol(symbolName);
    return mapping != nullptr ? toQString(mapping->themeIcon) : QString();
}

}  // namespace kelvane
