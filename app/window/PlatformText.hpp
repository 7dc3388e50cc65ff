// Interface texts whose built-in wording names the other desktop ("⌘F", "Finder"): the
// translation key stays as written so packs keep working, but English and Turkish readers
// see what this desktop calls things. A pack's own wording is shown as it stands.
#pragma once

#include <QString>

#include <string_view>

namespace kelvane::app {

class PlatformText final {
public:
    PlatformText() = delete;

    [[nodiscard]] static QString searchPlaceholder();
    [[nodiscard]] static QString dragOutHint();
    [[nodiscard]] static QString revealInFileManager();

    // `resolved` is what the catalogue answered for the pair (`en`, `tr`); when that is one
    // of the built-in texts, the matching desktop wording replaces it.
    [[nodiscard]] static QString adapt(std::string_view resolved, std::string_view en,
                                       std::string_view tr, std::string_view linuxEn,
                                       std::string_view linuxTr);
};

}  // namespace kelvane::app
