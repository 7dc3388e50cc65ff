// The list filters of the entry table; a filter admits entries of one kind.
#pragma once

#include <cstdint>
#include <string_view>

#include "model/RawValueEnum.hpp"

namespace kelvane {

enum class ArchiveFilterKindCase : std::uint8_t {
    all, folders, images, codeText, documents, media, encrypted
};

class ArchiveFilterKind final
    : public RawValueEnum<ArchiveFilterKind, ArchiveFilterKindCase, std::string_view, 7> {
public:
    using enum ArchiveFilterKindCase;
    using RawValueEnum::RawValueEnum;

    static constexpr std::array<std::pair<ArchiveFilterKindCase, std::string_view>, 7> kRawValues{{
        {all, "all"},
        {folders, "folders"},
        {images, "images"},
        {codeText, "codeText"},
        {documents, "documents"},
        {media, "media"},
        {encrypted, "encrypted"},
    }};
};

}  // namespace kelvane
