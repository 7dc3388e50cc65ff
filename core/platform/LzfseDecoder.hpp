// Whole-buffer decoder for LZFSE streams, the compressed form of translation packs
// ("*.json.lzfse"). Written to take hostile input: every failure is an LzfseError.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "platform/LzfseError.hpp"

namespace kelvane {

class LzfseDecoder final {
public:
    // Far beyond any pack, yet small enough that a decompression bomb cannot exhaust memory.
    static constexpr std::size_t kDefaultMaximumOutputSize = std::size_t{1} << 30;

    // Decodes a whole LZFSE stream (all blocks up to the end-of-stream block). Throws
    // LzfseError on malformed, truncated or inconsistent input, or when the output would
    // exceed `maximumOutputSize` bytes. Bytes after the end-of-stream block are ignored.
    [[nodiscard]] static std::vector<std::uint8_t> decode(
        std::span<const std::uint8_t> stream,
        std::size_t maximumOutputSize = kDefaultMaximumOutputSize);
};

}  // namespace kelvane
