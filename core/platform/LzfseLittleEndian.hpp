// Bounds-checked little-endian field reads from LZFSE headers and payloads.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "platform/LzfseError.hpp"

namespace kelvane::LzfseLittleEndian {

// The little-endian `Word` at `offset`; throws LzfseError when it does not fit.
template <class Word>
[[nodiscard]] Word wordAt(std::span<const std::uint8_t> bytes, std::size_t offset) {
    if (offset > bytes.size() || bytes.size() - offset < sizeof(Word)) {
        throw LzfseError("LZFSE field lies past the end of the input");
    }
    Word value = 0;
    for (std::size_t i = sizeof(Word); i > 0; --i) {
        value = static_cast<Word>((value << 8U) | bytes[offset + i - 1]);
    }
    return value;
}

[[nodiscard]] inline std::uint16_t u16At(std::span<const std::uint8_t> bytes, std::size_t offset) {
    return wordAt<std::uint16_t>(bytes, offset);
}

[[nodiscard]] inline std::uint32_t u32At(std::span<const std::uint8_t> bytes, std::size_t offset) {
    return wordAt<std::uint32_t>(bytes, offset);
}

[[nodiscard]] inline std::uint64_t u64At(std::span<const std::uint8_t> bytes, std::size_t offset) {
    return wordAt<std::uint64_t>(bytes, offset);
}

}  // namespace kelvane::LzfseLittleEndian
