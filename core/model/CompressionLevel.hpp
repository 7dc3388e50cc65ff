// Compression levels offered when creating an archive; the raw value is the
// level number handed to 7-Zip ("-mx=N").
#pragma once

#include <cstdint>

#include "model/RawValueEnum.hpp"

namespace kelvane {

enum class CompressionLevelCase : std::uint8_t { store, fast, normal, maximum, ultra };

class CompressionLevel final
    : public RawValueEnum<CompressionLevel, CompressionLevelCase, int, 5> {
public:
    using enum CompressionLevelCase;
    using RawValueEnum::RawValueEnum;

    static constexpr std::array<std::pair<CompressionLevelCase, int>, 5> kRawValues{{
        {store, 0},
        {fast, 1},
        {normal, 5},
        {maximum, 7},
        {ultra, 9},
    }};
};

}  // namespace kelvane
