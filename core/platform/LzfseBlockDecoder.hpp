// Decodes one LZFSE-compressed block ("bvx1" or "bvx2"): entropy-coded literals, then
// entropy-coded (literal length, match length, distance) triples that rebuild the output.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "platform/LzfseOutputBuffer.hpp"

namespace kelvane {

class LzfseBlockDecoder final {
public:
    // `block` starts at the block's magic and may run on past the block. Appends the block's
    // output and returns the number of input bytes the block occupies. Throws LzfseError on a
    // truncated, malformed or inconsistent block.
    [[nodiscard]] static std::size_t decode(std::span<const std::uint8_t> block,
                                            LzfseOutputBuffer& output);
};

}  // namespace kelvane
