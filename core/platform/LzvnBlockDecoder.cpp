#include "platform/LzvnBlockDecoder.hpp"

#include "platform/LzfseError.hpp"
#include "platform/LzfseLittleEndian.hpp"

namespace kelvane {
namespace {

constexpr std::size_t kHeaderSize = 12;
constexpr std::size_t kEndOfBlockSize = 8;
// The densest opcode, a large match, turns 2 payload bytes into 271 output bytes. A header
// announcing more per payload byte cannot be honest, and must not make us reserve memory for it.
constexpr std::uint64_t kMaximumExpansion = 136;

// One opcode taken apart: its own length, the literal bytes that follow it, and its match.
struct Opcode {
    std::size_t size = 1;
    std::size_t literalLength = 0;
    std::size_t matchLength = 0;
    std::size_t distance = 0;
    bool hasMatch = false;
    bool carriesDistance = false;  // otherwise the match reuses the previous distance
};

bool isUndefined(std::uint8_t b) {
    return b == 0x1E || b == 0x26 || b == 0x2E || b == 0x36 || b == 0x3E ||
           (b >= 0x70 && b <= 0x7F) || (b >= 0xD0 && b <= 0xDF);
}

std::uint8_t byteAt(std::span<const std::uint8_t> payload, std::size_t offset) {
    if (offset >= payload.size()) {
        throw LzfseError("LZVN payload ends inside an opcode");
    }
    return payload[offset];
}

// Reads the opcode at `at`; end-of-block and no-op opcodes are handled by the caller.
Opcode parseOpcode(std::span<const std::uint8_t> payload, std::size_t at) {
    const std::uint8_t b = payload[at];
    const std::size_t ll = b >> 6U;
    const std::size_t mmm = (b >> 3U) & 7U;
    if (isUndefined(b)) {
        throw LzfseError("LZVN payload holds an undefined opcode");
    }
    Opcode op;
    if (b == 0xE0) {
        op.size = 2;
        op.literalLength = std::size_t{byteAt(payload, at + 1)} + 16;
    } else if (b >= 0xE1 && b <= 0xEF) {
        op.literalLength = b & 15U;
    } else if (b == 0xF0) {
        op.size = 2;
        op.matchLength = std::size_t{byteAt(payload, at + 1)} + 16;
        op.hasMatch = true;
    } else if (b >= 0xF1) {
        op.matchLength = b & 15U;
        op.hasMatch = true;
    } else if (b >= 0xA0 && b <= 0xBF) {
        op.size = 3;
        const std::size_t w =
            std::size_t{byteAt(payload, at + 1)} | (std::size_t{byteAt(payload, at + 2)} << 8U);
        op.literalLength = (b >> 3U) & 3U;
        op.matchLength = (((b & 7U) << 2U) | (w & 3U)) + 3;
        op.distance = w >> 2U;
        op.hasMatch = true;
        op.carriesDistance = true;
    } else if ((b & 7U) == 7) {
        op.size = 3;
        op.literalLength = ll;
        op.matchLength = mmm + 3;
        op.distance =
            std::size_t{byteAt(payload, at + 1)} | (std::size_t{byteAt(payload, at + 2)} << 8U);
        op.hasMatch = true;
        op.carriesDistance = true;
    } else if ((b & 7U) == 6) {
        op.literalLength = ll;
        op.matchLength = mmm + 3;
        op.hasMatch = true;
    } else {
        op.size = 2;
        op.literalLength = ll;
        op.matchLength = mmm + 3;
        op.distance = ((b & 7U) << 8U) | byteAt(payload, at + 1);
        op.hasMatch = true;
        op.carriesDistance = true;
    }
    return op;
}

}  // namespace

std::size_t LzvnBlockDecoder::decode(std::span<const std::uint8_t> block,
                                     LzfseOutputBuffer& output) {
    if (block.size() < kHeaderSize) {
        throw LzfseError("LZVN block header is truncated");
    }
    const std::uint32_t rawByteCount = LzfseLittleEndian::u32At(block, 4);
    const std::uint32_t payloadSize = LzfseLittleEndian::u32At(block, 8);
    if (payloadSize > block.size() - kHeaderSize) {
        throw LzfseError("LZVN block payload is truncated");
    }
    if (rawByteCount > kMaximumExpansion * payloadSize) {
        throw LzfseError("LZVN block announces more output than its payload can hold");
    }
    const auto payload = block.subspan(kHeaderSize, payloadSize);
    output.beginBlock(rawByteCount);

    std::size_t at = 0;
    std::size_t previousDistance = 0;
    while (true) {
        if (at >= payload.size()) {
            throw LzfseError("LZVN payload ends without an end-of-block opcode");
        }
        const std::uint8_t b = payload[at];
        if (b == 0x06) {
            if (payload.size() - at != kEndOfBlockSize) {
                throw LzfseError("LZVN end-of-block opcode is not at the end of its payload");
            }
            break;
        }
        if (b == 0x0E || b == 0x16) {
            ++at;
            continue;
        }
        const Opcode op = parseOpcode(payload, at);
        at += op.size;
        if (op.literalLength > payload.size() - at) {
            throw LzfseError("LZVN payload ends inside a literal");
        }
        output.appendLiterals(payload.subspan(at, op.literalLength));
        at += op.literalLength;
        if (op.hasMatch) {
            // A distance of 0, carried or not yet set, is refused by copyMatch.
            const std::size_t distance = op.carriesDistance ? op.distance : previousDistance;
            output.copyMatch(distance, op.matchLength);
            previousDistance = distance;
        }
    }
    output.endBlock();
    return kHeaderSize + payloadSize;
}

}  // namespace kelvane
