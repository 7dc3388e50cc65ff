#include "window/PlatformText.hpp"

#include "localization/S.hpp"
#include "window/WindowStyle.hpp"

namespace kelvane::app {

QString PlatformText::adapt(std::string_view resolved, std::string_view en, std::string_view tr,
                            std::string_view linuxEn, std::string_view linuxTr) {
    if (resolved == en) return qs(linuxEn);
    if (resolved == tr) return qs(linuxTr);
    return qs(resolved);
}

QString PlatformText::searchPlaceholder() {
    return adapt(S::searchPlaceholder(), "Search inside archive (⌘F)…", "Arşiv içinde ara (⌘F)…",
                 "Search inside archive (Ctrl+F)…", "Arşiv içinde ara (Ctrl+F)…");
}

QString PlatformText::dragOutHint() {
    return adapt(S::dragOutHint(), "Drag files directly out to Finder or Desktop",
                 "Dosyaları Finder / Masaüstü'ne sürükleyip bırakabilirsiniz",
                 "Drag files out to a folder or the desktop",
                 "Dosyaları bir klasöre veya masaüstüne sürükleyin");
}

QString PlatformText::revealInFileManager() {
    return adapt(S::t("Reveal in Finder", "Finder'da Göster"), "Reveal in Finder",
                 "Finder'da Göster", "Show in File Manager", "Dosya Yöneticisinde Göster");
}

}  // namespace kelvane::app
