// Volume sizes offered when creating a split archive.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "model/RawValueEnum.hpp"

namespace kelvane {

enum class VolumeSplitPresetCase : std::uint8_t { none, mb100, mb700, gb1, gb4 };

class VolumeSplitPreset final
    : public RawValueEnum<VolumeSplitPreset, VolumeSplitPresetCase, std::string_view, 5> {
public:
    using enum VolumeSplitPresetCase;
    using RawValueEnum::RawValueEnum;

    static constexpr std::array<std::pair<VolumeSplitPresetCase, std::string_view>, 5>
        kRawValues{{
            {none, "none"},
            {mb100, "mb100"},
            {mb700, "mb700"},
            {gb1, "gb1"},
            {gb4, "gb4"},
        }};

    // "Single File" in the current interface language for `none`; sizes read
    // the same in every language.
    [[nodiscard]] std::string displayLabel() const;

    // The 7-Zip volume switch ("-v100m"), absent for `none`.
    [[nodiscard]] constexpr std::optional<std::string_view> sevenZipFlag() const {
        switch (value()) {
            case none: return std::nullopt;
            case mb100: return "-v100m";
            case mb700: return "-v700m";
            case gb1: return "-v1g";
            case gb4: return "-v4g";
        }
        return std::nullopt;
    }
};

}  // namespace kelvane
