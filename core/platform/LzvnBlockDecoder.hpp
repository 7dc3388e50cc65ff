// Decodes one LZVN block ("bvxn") of an LZFSE stream: byte-aligned opcodes that each carry
// literal bytes and/or a copy from earlier output.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "platform/LzfseOutputBuffer.hpp"

namespace kelvane {

class LzvnBlockDecoder final {
public:
    // `block` starts at the block's magic and may run on past the block. Appends the block's
    // output and returns the number of input bytes the block occupies. Throws LzfseError on a
    // truncated or malformed block.
    [[nodiscard]] static std::size_t decode(std::span<const std::uint8_t> block,
                                            LzfseOutputBuffer& output);
};

}  // namespace kelvane
