// Which external tool family lists or extracts an archive.
#pragma once

#include <cstdint>
#include <string_view>

#include "model/RawValueEnum.hpp"

namespace kelvane {

enum class ArchiveEngineKindCase : std::uint8_t { sevenZip, unarchiver };

class ArchiveEngineKind final
    : public RawValueEnum<ArchiveEngineKind, ArchiveEngineKindCase, std::string_view, 2> {
public:
    using enum ArchiveEngineKindCase;
    using RawValueEnum::RawValueEnum;

    static constexpr std::array<std::pair<ArchiveEngineKindCase, std::string_view>, 2> kRawValues{{
        {sevenZip, "sevenZip"},
        {unarchiver, "unarchiver"},
    }};
};

}  // namespace kelvane
