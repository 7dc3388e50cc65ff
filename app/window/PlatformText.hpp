// Interface texts whose built-in wording names the other desktop ("⌘F", "Finder"): this
// desktop's wording is a text of its own, looked up in the packs like any other, so that
// no language shows a key or a file manager that is not there.
#pragma once

#include <QString>

namespace kelvane::app {

class PlatformText final {
public:
    PlatformText() = delete;

    [[nodiscard]] static QString searchPlaceholder();
    [[nodiscard]] static QString dragOutHint();
    [[nodiscard]] static QString revealInFileManager();
};

}  // namespace kelvane::app
