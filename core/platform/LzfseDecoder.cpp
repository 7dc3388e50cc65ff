#include "platform/LzfseDecoder.hpp"

#include <utility>

#include "platform/LzfseBlockDecoder.hpp"
#include "platform/LzfseBlockMagic.hpp"
#include "platform/LzfseLittleEndian.hpp"
#include "platform/LzfseOutputBuffer.hpp"
#include "platform/LzvnBlockDecoder.hpp"

namespace kelvane {
namespace {

constexpr std::size_t kMagicSize = 4;
constexpr std::size_t kUncompressedHeaderSize = 8;

std::size_t copyUncompressedBlock(std::span<const std::uint8_t> block, LzfseOutputBuffer& output) {
    if (block.size() < kUncompressedHeaderSize) {
        throw LzfseError("LZFSE uncompressed block header is truncated");
    }
    const std::uint32_t size = LzfseLittleEndian::u32At(block, 4);
    if (size > block.size() - kUncompressedHeaderSize) {
        throw LzfseError("LZFSE uncompressed block is truncated");
    }
    output.beginBlock(size);
    output.appendLiterals(block.subspan(kUncompressedHeaderSize, size));
    return kUncompressedHeaderSize + size;
}

}  // namespace

std::vector<std::uint8_t> LzfseDecoder::decode(std::span<const std::uint8_t> stream,
                                               std::size_t maximumOutputSize) {
    LzfseOutputBuffer output(maximumOutputSize);
    std::size_t cursor = 0;
    while (true) {
        const auto block = stream.subspan(cursor);
        if (block.size() < kMagicSize) {
            throw LzfseError("LZFSE stream ends without an end-of-stream block");
        }
        // Every block kind consumes at least its magic, so the loop always advances.
        switch (static_cast<LzfseBlockMagic>(LzfseLittleEndian::u32At(block, 0))) {
            case LzfseBlockMagic::endOfStream:
                return std::move(output).takeBytes();
            case LzfseBlockMagic::uncompressed:
                cursor += copyUncompressedBlock(block, output);
                break;
            case LzfseBlockMagic::lzvn:
                cursor += LzvnBlockDecoder::decode(block, output);
                break;
            case LzfseBlockMagic::lzfsePlainTables:
            case LzfseBlockMagic::lzfsePackedTables:
                cursor += LzfseBlockDecoder::decode(block, output);
                break;
            default:
                throw LzfseError("LZFSE stream holds a block of unknown kind");
        }
    }
}

}  // namespace kelvane
