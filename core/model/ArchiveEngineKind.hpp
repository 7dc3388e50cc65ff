// Which external tool family lists or extracts an archive.
#pragma once

#include <cstdint>
#include <string_view>

#include "model/RawValueEnum.hpp"

namespace kelvane {

// `tarStream`: tarballs, packages and cpio archives, read as a tar stream whatever their
// compression or container, so long names, links and times come through exactly.
enum class ArchiveEngineKindCase : std::uint8_t { sevenZip, unarchiver, tarStream };

class ArchiveEngineKind final
    : public RawValueEnum<ArchiveEngineKind, ArchiveEngineKindCase, std::string_view, 3> {
public:
    using enum ArchiveEngineKindCase;
    using RawValueEnum::RawValueEnum;

    static constexpr std::array<std::pair<ArchiveEngineKindCase, std::string_view>, 3> kRawValues{{
        {sevenZip, "sevenZip"},
        {unarchiver, "unarchiver"},
        {tarStream, "tarStream"},
    }};
};

}  // namespace kelvane
