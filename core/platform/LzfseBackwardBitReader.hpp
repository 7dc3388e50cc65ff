// Reads an LZFSE entropy-coded payload as a bit string from its end towards its start: the
// encoder writes forward and the decoder takes the last bits written first.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace kelvane {

class LzfseBackwardBitReader final {
public:
    // Bit i of the payload is bit (i mod 8) of byte (i div 8). Reading starts at bit
    // 8 * size + `initialBits` (-7..0); the bits above it must be zero padding. Nothing below
    // `floorBits` is ever read. Throws LzfseError when the start or the padding is invalid.
    LzfseBackwardBitReader(std::span<const std::uint8_t> payload, int initialBits,
                           std::size_t floorBits);

    // Takes the next `count` bits (at most 32) below the cursor, the lowest of them as the
    // result's bit 0. Throws LzfseError rather than read below the floor.
    [[nodiscard]] std::uint32_t read(unsigned count);

    // True once every bit above the floor has been read.
    [[nodiscard]] bool isAtFloor() const { return cursor_ == floor_; }

private:
    std::span<const std::uint8_t> payload_;
    std::size_t cursor_ = 0;
    std::size_t floor_ = 0;
};

}  // namespace kelvane
