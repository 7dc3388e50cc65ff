// The single output buffer of an LZFSE stream. Matches may reach back into earlier blocks,
// so every block appends here, and each append is held to the size its block announced.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace kelvane {

class LzfseOutputBuffer final {
public:
    explicit LzfseOutputBuffer(std::size_t maximumSize) : maximumSize_(maximumSize) {}

    // Starts a block that announces `blockSize` bytes; throws LzfseError when the stream
    // would grow past the maximum size.
    void beginBlock(std::uint64_t blockSize);

    // Throws LzfseError unless the current block produced exactly its announced size.
    void endBlock() const;

    // Bytes produced by the whole stream so far.
    [[nodiscard]] std::size_t size() const { return bytes_.size(); }

    // Throws LzfseError when the bytes would overrun the current block.
    void appendLiterals(std::span<const std::uint8_t> literals);

    // Appends `length` bytes copied from `distance` bytes back, one at a time, so a distance
    // shorter than the length repeats the last `distance` bytes. Throws LzfseError when the
    // distance is zero or reaches before the start of the stream (checked even for length 0),
    // or when the copy would overrun the current block.
    void copyMatch(std::size_t distance, std::size_t length);

    [[nodiscard]] std::vector<std::uint8_t> takeBytes() && { return std::move(bytes_); }

private:
    void requireBlockRoom(std::size_t length) const;

    std::vector<std::uint8_t> bytes_;
    std::size_t maximumSize_;
    std::size_t blockEnd_ = 0;
};

}  // namespace kelvane
