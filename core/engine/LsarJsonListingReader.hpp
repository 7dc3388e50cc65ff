// Reads the JSON document `lsar -j` prints into entries and archive facts. Values of an
// unexpected type fall back to defaults; only a document that is not a JSON object fails.
#pragma once

#include <optional>
#include <string_view>

#include "engine/LsarListingContents.hpp"

namespace kelvane {

class LsarJsonListingReader final {
public:
    LsarJsonListingReader() = delete;

    // None when `json` does not decode or its top level is not an object.
    // `fallbackFormatName` is used when the document names no format. The booleans may be
    // JSON booleans or the integers 0 and 1 (older builds of the tool print numbers).
    [[nodiscard]] static std::optional<LsarListingContents> read(
        std::string_view json, std::string_view fallbackFormatName);
};

}  // namespace kelvane
