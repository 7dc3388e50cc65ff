#include "platform/LzfseOutputBuffer.hpp"

#include <algorithm>
#include <utility>

#include "platform/LzfseError.hpp"

namespace kelvane {

void LzfseOutputBuffer::beginBlock(std::uint64_t blockSize) {
    if (blockSize > maximumSize_ - bytes_.size()) {
        throw LzfseError("LZFSE stream decodes to more than the allowed size");
    }
    blockEnd_ = bytes_.size() + static_cast<std::size_t>(blockSize);
    if (blockEnd_ > bytes_.capacity()) {
        // Grow geometrically: a stream of many small blocks must not copy its output each time.
        bytes_.reserve(std::min(std::max(blockEnd_, bytes_.capacity() * 2), maximumSize_));
    }
}

void LzfseOutputBuffer::endBlock() const {
    if (bytes_.size() != blockEnd_) {
        throw LzfseError("LZFSE block produced fewer bytes than its header announced");
    }
}

void LzfseOutputBuffer::requireBlockRoom(std::size_t length) const {
    if (length > blockEnd_ - bytes_.size()) {
        throw LzfseError("LZFSE block produces more bytes than its header announced");
    }
}

void LzfseOutputBuffer::appendLiterals(std::span<const std::uint8_t> literals) {
    requireBlockRoom(literals.size());
    bytes_.insert(bytes_.end(), literals.begin(), literals.end());
}

void LzfseOutputBuffer::copyMatch(std::size_t distance, std::size_t length) {
    const std::size_t position = bytes_.size();
    if (distance == 0 || distance > position) {
        throw LzfseError("LZFSE match has no distance or reaches before the start of the output");
    }
    requireBlockRoom(length);
    bytes_.resize(position + length);
    std::uint8_t* const data = bytes_.data();
    const std::size_t source = position - distance;
    if (distance >= length) {
        std::copy_n(data + source, length, data + position);
    } else {
        for (std::size_t i = 0; i < length; ++i) {
            data[position + i] = data[source + i];
        }
    }
}

}  // namespace kelvane
