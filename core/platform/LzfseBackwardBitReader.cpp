#include "platform/LzfseBackwardBitReader.hpp"

#include "platform/LzfseError.hpp"

namespace kelvane {

LzfseBackwardBitReader::LzfseBackwardBitReader(std::span<const std::uint8_t> payload,
                                               int initialBits, std::size_t floorBits)
    : payload_(payload), floor_(floorBits) {
    if (initialBits < -7 || initialBits > 0) {
        throw LzfseError("LZFSE bit stream has an invalid start offset");
    }
    const auto unusedBits = static_cast<std::size_t>(-initialBits);
    const std::size_t totalBits = payload.size() * 8;
    if (totalBits < unusedBits || totalBits - unusedBits < floorBits) {
        throw LzfseError("LZFSE bit stream is shorter than its header claims");
    }
    cursor_ = totalBits - unusedBits;
    if (unusedBits > 0 && (payload.back() >> (8 - unusedBits)) != 0) {
        throw LzfseError("LZFSE bit stream has non-zero padding bits");
    }
}

std::uint32_t LzfseBackwardBitReader::read(unsigned count) {
    if (count > 32) {
        throw LzfseError("LZFSE bit stream read is too wide");
    }
    if (count == 0) {
        return 0;
    }
    if (cursor_ - floor_ < count) {
        throw LzfseError("LZFSE bit stream ends before its data does");
    }
    cursor_ -= count;
    const std::size_t firstByte = cursor_ / 8;
    const std::size_t lastByte = (cursor_ + count - 1) / 8;
    std::uint64_t window = 0;
    for (std::size_t i = lastByte + 1; i > firstByte; --i) {
        window = (window << 8U) | payload_[i - 1];
    }
    window >>= cursor_ % 8;
    return static_cast<std::uint32_t>(window & ((std::uint64_t{1} << count) - 1));
}

}  // namespace kelvane
