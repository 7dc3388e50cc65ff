#include "platform/LzfseBlockHeader.hpp"

#include <numeric>

#include "platform/LzfseError.hpp"
#include "platform/LzfseLittleEndian.hpp"

namespace kelvane {
namespace {

using LzfseLittleEndian::u16At;
using LzfseLittleEndian::u32At;
using LzfseLittleEndian::u64At;

constexpr std::size_t kPlainHeaderSize = 772;
constexpr std::size_t kPackedFixedSize = 32;

template <std::size_t Count>
std::size_t sumOf(const std::array<std::uint16_t, Count>& frequencies) {
    return std::accumulate(frequencies.begin(), frequencies.end(), std::size_t{0});
}

// Ranges whose violation would let a damaged header index past a table or a buffer. Whether
// a frequency table covers its states exactly is checked when a table is actually built.
void validate(const LzfseBlockHeader& header) {
    if (header.literalCount > LzfseBlockHeader::kMaximumLiteralCount ||
        header.matchCount > LzfseBlockHeader::kMaximumMatchCount) {
        throw LzfseError("LZFSE block header announces too many literals or matches");
    }
    if (header.literalBits < -7 || header.literalBits > 0 || header.lmdBits < -7 ||
        header.lmdBits > 0) {
        throw LzfseError("LZFSE block header has an invalid bit offset");
    }
    for (const std::uint16_t state : header.literalStates) {
        if (state >= LzfseBlockHeader::kLiteralStateCount) {
            throw LzfseError("LZFSE block header has an invalid literal state");
        }
    }
    if (header.lState >= LzfseBlockHeader::kLStateCount ||
        header.mState >= LzfseBlockHeader::kMStateCount ||
        header.dState >= LzfseBlockHeader::kDStateCount) {
        throw LzfseError("LZFSE block header has an invalid match state");
    }
    if (sumOf(header.lFrequencies) > LzfseBlockHeader::kLStateCount ||
        sumOf(header.mFrequencies) > LzfseBlockHeader::kMStateCount ||
        sumOf(header.dFrequencies) > LzfseBlockHeader::kDStateCount ||
        sumOf(header.literalFrequencies) > LzfseBlockHeader::kLiteralStateCount) {
        throw LzfseError("LZFSE block header has frequencies above the state count");
    }
}

std::uint32_t bitField(std::uint64_t word, unsigned first, unsigned width) {
    return static_cast<std::uint32_t>((word >> first) & ((std::uint64_t{1} << width) - 1));
}

template <std::size_t Count>
void readPlainFrequencies(std::span<const std::uint8_t> block, std::size_t offset,
                          std::array<std::uint16_t, Count>& frequencies) {
    for (std::size_t i = 0; i < Count; ++i) {
        frequencies[i] = u16At(block, offset + 2 * i);
    }
}

// The frequency area is a little-endian bit string of 360 prefix codes whose first bits say
// how long each code is: 2, 3, 5, 8 or 14 bits.
void unpackFrequencies(std::span<const std::uint8_t> area, LzfseBlockHeader& header) {
    const std::size_t totalBits = area.size() * 8;
    std::size_t position = 0;
    // Up to 14 unread bits, with missing bits past the end read as zero.
    const auto peek = [&]() {
        std::uint32_t window = 0;
        for (std::size_t bit = 0; bit < 14 && position + bit < totalBits; ++bit) {
            const std::size_t index = position + bit;
            window |= ((std::uint32_t{area[index / 8]} >> (index % 8)) & 1U) << bit;
        }
        return window;
    };
    const auto next = [&]() {
        const std::uint32_t w = peek();
        std::size_t length = 0;
        std::uint32_t value = 0;
        if ((w & 1U) == 0) {
            length = 2;
            value = (w >> 1U) & 1U;
        } else if ((w & 3U) == 1) {
            length = 3;
            value = 2 + ((w >> 2U) & 1U);
        } else if ((w & 7U) == 3) {
            length = 5;
            value = 4 + ((w >> 3U) & 3U);
        } else if ((w & 15U) == 7) {
            length = 8;
            value = 8 + ((w >> 4U) & 15U);
        } else {
            length = 14;
            value = 24 + ((w >> 4U) & 1023U);
        }
        if (length > totalBits - position) {
            throw LzfseError("LZFSE frequency table runs past the end of its header");
        }
        position += length;
        return static_cast<std::uint16_t>(value);
    };
    for (auto& frequency : header.lFrequencies) frequency = next();
    for (auto& frequency : header.mFrequencies) frequency = next();
    for (auto& frequency : header.dFrequencies) frequency = next();
    for (auto& frequency : header.literalFrequencies) frequency = next();
    if (totalBits - position >= 8) {
        throw LzfseError("LZFSE frequency table is shorter than its header");
    }
}

}  // namespace

LzfseBlockHeader LzfseBlockHeader::parsePlainTables(std::span<const std::uint8_t> block) {
    if (block.size() < kPlainHeaderSize) {
        throw LzfseError("LZFSE block header is truncated");
    }
    LzfseBlockHeader header;
    header.headerSize = kPlainHeaderSize;
    header.rawByteCount = u32At(block, 4);
    header.literalCount = u32At(block, 12);
    header.matchCount = u32At(block, 16);
    header.literalPayloadSize = u32At(block, 20);
    header.lmdPayloadSize = u32At(block, 24);
    const auto literalBits = static_cast<std::int32_t>(u32At(block, 28));
    const auto lmdBits = static_cast<std::int32_t>(u32At(block, 40));
    if (literalBits < -7 || literalBits > 0 || lmdBits < -7 || lmdBits > 0) {
        throw LzfseError("LZFSE block header has an invalid bit offset");
    }
    header.literalBits = literalBits;
    header.lmdBits = lmdBits;
    for (std::size_t i = 0; i < header.literalStates.size(); ++i) {
        header.literalStates[i] = u16At(block, 32 + 2 * i);
    }
    header.lState = u16At(block, 44);
    header.mState = u16At(block, 46);
    header.dState = u16At(block, 48);
    readPlainFrequencies(block, 50, header.lFrequencies);
    readPlainFrequencies(block, 90, header.mFrequencies);
    readPlainFrequencies(block, 130, header.dFrequencies);
    readPlainFrequencies(block, 258, header.literalFrequencies);
    validate(header);
    return header;
}

LzfseBlockHeader LzfseBlockHeader::parsePackedTables(std::span<const std::uint8_t> block) {
    if (block.size() < kPackedFixedSize) {
        throw LzfseError("LZFSE block header is truncated");
    }
    const std::uint64_t p0 = u64At(block, 8);
    const std::uint64_t p1 = u64At(block, 16);
    const std::uint64_t p2 = u64At(block, 24);
    LzfseBlockHeader header;
    header.rawByteCount = u32At(block, 4);
    header.literalCount = bitField(p0, 0, 20);
    header.literalPayloadSize = bitField(p0, 20, 20);
    header.matchCount = bitField(p0, 40, 20);
    header.literalBits = static_cast<int>(bitField(p0, 60, 3)) - 7;
    for (std::size_t i = 0; i < header.literalStates.size(); ++i) {
        header.literalStates[i] =
            static_cast<std::uint16_t>(bitField(p1, static_cast<unsigned>(10 * i), 10));
    }
    header.lmdPayloadSize = bitField(p1, 40, 20);
    header.lmdBits = static_cast<int>(bitField(p1, 60, 3)) - 7;
    header.headerSize = bitField(p2, 0, 32);
    header.lState = static_cast<std::uint16_t>(bitField(p2, 32, 10));
    header.mState = static_cast<std::uint16_t>(bitField(p2, 42, 10));
    header.dState = static_cast<std::uint16_t>(bitField(p2, 52, 10));
    if (header.headerSize < kPackedFixedSize) {
        throw LzfseError("LZFSE block header is shorter than its fixed part");
    }
    if (header.headerSize > block.size()) {
        throw LzfseError("LZFSE block header is truncated");
    }
    // An empty frequency area means every table was left out: all frequencies stay zero.
    if (header.headerSize > kPackedFixedSize) {
        unpackFrequencies(block.subspan(kPackedFixedSize, header.headerSize - kPackedFixedSize),
                          header);
    }
    validate(header);
    return header;
}

}  // namespace kelvane
