#include "window/PlatformText.hpp"

#include "localization/S.hpp"
#include "window/WindowStyle.hpp"

namespace kelvane::app {

QString PlatformText::searchPlaceholder() {
    return qs(S::t("Search inside archive (Ctrl+F)…", "Arşiv içinde ara (Ctrl+F)…"));
}

QString PlatformText::dragOutHint() {
    return qs(S::t("Drag files out to a folder or the desktop",
                   "Dosyaları bir klasöre veya masaüstüne sürükleyin"));
}

QString PlatformText::revealInFileManager() {
    return qs(S::t("Show in File Manager", "Dosya Yöneticisinde Göster"));
}

}  // namespace kelvane::app
