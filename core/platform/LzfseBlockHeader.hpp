// The logical header of an LZFSE-compressed block, read from either of its two layouts:
// fixed 772-byte plain tables ("bvx1") or variable-length packed frequencies ("bvx2").
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace kelvane {

struct LzfseBlockHeader final {
    static constexpr std::size_t kLiteralStateCount = 1024;
    static constexpr std::size_t kLStateCount = 64;
    static constexpr std::size_t kMStateCount = 64;
    static constexpr std::size_t kDStateCount = 256;
    static constexpr std::uint32_t kMaximumLiteralCount = 40000;
    static constexpr std::uint32_t kMaximumMatchCount = 10000;

    std::size_t headerSize = 0;  // the literal payload starts here, counted from the magic
    std::uint32_t rawByteCount = 0;
    std::uint32_t literalCount = 0;
    std::uint32_t matchCount = 0;
    std::uint32_t literalPayloadSize = 0;
    std::uint32_t lmdPayloadSize = 0;
    int literalBits = 0;  // -7..0: start of the literal bit stream relative to its last byte
    int lmdBits = 0;      // same for the L/M/D bit stream
    std::array<std::uint16_t, 4> literalStates{};
    std::uint16_t lState = 0;
    std::uint16_t mState = 0;
    std::uint16_t dState = 0;
    std::array<std::uint16_t, 20> lFrequencies{};
    std::array<std::uint16_t, 20> mFrequencies{};
    std::array<std::uint16_t, 64> dFrequencies{};
    std::array<std::uint16_t, 256> literalFrequencies{};

    // Both parse `block` from its magic on and throw LzfseError when the header is cut short
    // or a field is out of its range. The payloads after the header are not looked at.
    [[nodiscard]] static LzfseBlockHeader parsePlainTables(std::span<const std::uint8_t> block);
    [[nodiscard]] static LzfseBlockHeader parsePackedTables(std::span<const std::uint8_t> block);
};

}  // namespace kelvane
