// The columns the entry table can be ordered by.
#pragma once

#include <cstdint>
#include <string_view>

#include "model/RawValueEnum.hpp"

namespace kelvane {

enum class ArchiveSortFieldCase : std::uint8_t { name, size, packedSize, modified, kind };

class ArchiveSortField final
    : public RawValueEnum<ArchiveSortField, ArchiveSortFieldCase, std::string_view, 5> {
public:
    using enum ArchiveSortFieldCase;
    using RawValueEnum::RawValueEnum;

    static constexpr std::array<std::pair<ArchiveSortFieldCase, std::string_view>, 5> kRawValues{{
        {name, "name"},
        {size, "size"},
        {packedSize, "packedSize"},
        {modified, "modified"},
        {kind, "kind"},
    }};
};

}  // namespace kelvane
