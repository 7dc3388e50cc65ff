#include "model/ByteSizeFormatter.hpp"

#include <array>
#include <string_view>

namespace kelvane {
namespace {

__extension__ using Wide = unsigned __int128;

struct Unit {
    std::string_view name;
    std::uint64_t divisor;
    int decimals;
};

constexpr std::array<Unit, 6> kUnits{{
    {"KB", 1'000ULL, 0},
    {"MB", 1'000'000ULL, 1},
    {"GB", 1'000'000'000ULL, 2},
    {"TB", 1'000'000'000'000ULL, 2},
    {"PB", 1'000'000'000'000'000ULL, 2},
    {"EB", 1'000'000'000'000'000'000ULL, 2},
}};

std::uint64_t powerOfTen(int exponent) {
    std::uint64_t value = 1;
    for (int i = 0; i < exponent; ++i) value *= 10;
    return value;
}

}  // namespace

std::string ByteSizeFormatter::format(std::int64_t bytes) {
    if (bytes <= 0) return "Zero KB";
    if (bytes == 1) return "1 byte";
    if (bytes < 1000) return std::to_string(bytes) + " bytes";

    const auto count = static_cast<std::uint64_t>(bytes);
    for (std::size_t index = 0; index < kUnits.size(); ++index) {
        const Unit& unit = kUnits[index];
        const std::uint64_t scale = powerOfTen(unit.decimals);
        // Rounded half up, in units of 10^-decimals.
        const auto scaled = static_cast<std::uint64_t>(
            (Wide(count) * scale + unit.divisor / 2) / unit.divisor);
        // 999,999 bytes rounds to 1,000 KB: show it as the next unit instead.
        if (scaled >= 1000 * scale && index + 1 < kUnits.size()) continue;

        std::string text = std::to_string(scaled / scale);
        std::uint64_t fraction = scaled % scale;
        int digits = unit.decimals;
        while (digits > 0 && fraction % 10 == 0) {
            fraction /= 10;
            --digits;
        }
        if (digits > 0) {
            std::string decimals = std::to_string(fraction);
            decimals.insert(0, static_cast<std::size_t>(digits) - decimals.size(), '0');
            text += "." + decimals;
        }
        return text + " " + std::string(unit.name);
    }
    return {};
}

}  // namespace kelvane
