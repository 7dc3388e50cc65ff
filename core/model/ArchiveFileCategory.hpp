// The display and filter category of an entry, decided by its extension.
#pragma once

#include <cstdint>
#include <string_view>

#include "model/RawValueEnum.hpp"

namespace kelvane {

enum class ArchiveFileCategoryCase : std::uint8_t {
    folder, image, codeText, document, media, archive, other
};

class ArchiveFileCategory final
    : public RawValueEnum<ArchiveFileCategory, ArchiveFileCategoryCase, std::string_view, 7> {
public:
    using enum ArchiveFileCategoryCase;
    using RawValueEnum::RawValueEnum;

    static constexpr std::array<std::pair<ArchiveFileCategoryCase, std::string_view>, 7> kRawValues{{
        {folder, "folder"},
        {image, "image"},
        {codeText, "codeText"},
        {document, "document"},
        {media, "media"},
        {archive, "archive"},
        {other, "other"},
    }};
};

}  // namespace kelvane
