// The formats Kelvane can create, with what each of them supports.
#pragma once

#include <cstdint>
#include <string_view>

#include "model/RawValueEnum.hpp"

namespace kelvane {

enum class ArchiveCreateFormatCase : std::uint8_t { zip, sevenZ, tarGz, tarXz, tar };

class ArchiveCreateFormat final
    : public RawValueEnum<ArchiveCreateFormat, ArchiveCreateFormatCase, std::string_view, 5> {
public:
    using enum ArchiveCreateFormatCase;
    using RawValueEnum::RawValueEnum;

    static constexpr std::array<std::pair<ArchiveCreateFormatCase, std::string_view>, 5>
        kRawValues{{
            {zip, "zip"},
            {sevenZ, "sevenZ"},
            {tarGz, "tarGz"},
            {tarXz, "tarXz"},
            {tar, "tar"},
        }};

    // The same in every interface language.
    [[nodiscard]] constexpr std::string_view displayName() const {
        return facts().displayName;
    }
    // Without a leading dot.
    [[nodiscard]] constexpr std::string_view fileExtension() const {
        return facts().fileExtension;
    }
    [[nodiscard]] constexpr bool supportsEncryption() const { return facts().encryption; }
    [[nodiscard]] constexpr bool supportsHeaderEncryption() const {
        return facts().headerEncryption;
    }
    [[nodiscard]] constexpr bool supportsSplitVolumes() const { return facts().splitVolumes; }

private:
    struct Facts {
        std::string_view displayName;
        std::string_view fileExtension;
        bool encryption;
        bool headerEncryption;
        bool splitVolumes;
    };
    static constexpr std::array<Facts, 5> kFacts{{
        {"ZIP (.zip)", "zip", true, false, true},
        {"7-Zip (.7z)", "7z", true, true, true},
        {"TAR.GZ (.tar.gz)", "tar.gz", false, false, false},
        {"TAR.XZ (.tar.xz)", "tar.xz", false, false, false},
        {"TAR (.tar)", "tar", false, false, true},
    }};
    [[nodiscard]] constexpr const Facts& facts() const { return kFacts[ordinal()]; }
};

}  // namespace kelvane
