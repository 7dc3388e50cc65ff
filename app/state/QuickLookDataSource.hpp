// What the quick-look window shows: one file or nothing.
#pragma once

#include <QString>

#include <optional>

namespace kelvane::app {

struct QuickLookDataSource {
    std::optional<QString> previewURL;

    [[nodiscard]] int numberOfPreviewItems() const { return previewURL ? 1 : 0; }
    // The same item whatever the position.
    [[nodiscard]] std::optional<QString> previewItem(int /*position*/) const { return previewURL; }
};

}  // namespace kelvane::app
