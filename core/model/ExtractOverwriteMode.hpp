// What extraction does when a file it writes already exists.
#pragma once

#include <cstdint>
#include <string_view>

#include "model/RawValueEnum.hpp"

namespace kelvane {

enum class ExtractOverwriteModeCase : std::uint8_t { overwrite, skipExisting, autoRename };

class ExtractOverwriteMode final
    : public RawValueEnum<ExtractOverwriteMode, ExtractOverwriteModeCase, std::string_view, 3> {
public:
    using enum ExtractOverwriteModeCase;
    using RawValueEnum::RawValueEnum;

    static constexpr std::array<std::pair<ExtractOverwriteModeCase, std::string_view>, 3>
        kRawValues{{
            {overwrite, "overwrite"},
            {skipExisting, "skipExisting"},
            {autoRename, "autoRename"},
        }};
};

}  // namespace kelvane
