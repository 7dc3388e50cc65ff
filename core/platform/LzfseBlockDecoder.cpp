#include "platform/LzfseBlockDecoder.hpp"

#include <array>
#include <vector>

#include "platform/LzfseBackwardBitReader.hpp"
#include "platform/LzfseBlockHeader.hpp"
#include "platform/LzfseBlockMagic.hpp"
#include "platform/LzfseError.hpp"
#include "platform/LzfseLittleEndian.hpp"
#include "platform/LzfseStateTable.hpp"

namespace kelvane {
namespace {

// The encoder's padding (8 zero bytes) at the start of every L/M/D payload is never read.
constexpr std::size_t kLmdFloorBits = 64;
constexpr std::size_t kMaximumMatchLength = 2359;

// What an L, M or D symbol means: a base value plus that many extra bits from the stream.
struct ValueCode {
    std::uint32_t base;
    std::uint8_t extraBits;
};

constexpr std::array<ValueCode, 20> kLCodes{{
    {0, 0},  {1, 0},  {2, 0},  {3, 0},  {4, 0},  {5, 0},  {6, 0},  {7, 0},  {8, 0},  {9, 0},
    {10, 0}, {11, 0}, {12, 0}, {13, 0}, {14, 0}, {15, 0}, {16, 2}, {20, 3}, {28, 5}, {60, 8},
}};

constexpr std::array<ValueCode, 20> kMCodes{{
    {0, 0},  {1, 0},  {2, 0},  {3, 0},  {4, 0},  {5, 0},  {6, 0},  {7, 0},  {8, 0},  {9, 0},
    {10, 0}, {11, 0}, {12, 0}, {13, 0}, {14, 0}, {15, 0}, {16, 3}, {24, 5}, {56, 8}, {312, 11},
}};

// Distance symbols come in groups of four sharing one extra-bit count (symbol / 4); each base
// follows the previous one's full range.
constexpr std::array<ValueCode, 64> makeDCodes() {
    std::array<ValueCode, 64> codes{};
    std::uint32_t base = 0;
    for (std::size_t symbol = 0; symbol < codes.size(); ++symbol) {
        const auto extraBits = static_cast<std::uint8_t>(symbol / 4);
        codes[symbol] = {base, extraBits};
        base += std::uint32_t{1} << extraBits;
    }
    return codes;
}

constexpr std::array<ValueCode, 64> kDCodes = makeDCodes();

static_assert(kLCodes[19].base + (1U << kLCodes[19].extraBits) - 1 == 315);
static_assert(kMCodes[19].base + (1U << kMCodes[19].extraBits) - 1 == kMaximumMatchLength);
static_assert(kDCodes[63].base + (1U << kDCodes[63].extraBits) - 1 == 262139);

// One value decoder: its state table and the meaning of its symbols.
template <std::size_t SymbolCount>
struct ValueDecoder {
    const LzfseStateTable& table;
    const std::array<ValueCode, SymbolCount>& codes;
    std::size_t state;

    // The next-state bits come first in the stream, then the value's extra bits.
    std::uint32_t next(LzfseBackwardBitReader& bits) {
        const LzfseStateTable::Entry& entry = table.entry(state);
        const std::uint32_t stateBits = bits.read(entry.bitCount);
        const ValueCode& code = codes[entry.symbol];
        const std::uint32_t value = code.base + bits.read(code.extraBits);
        state = std::size_t{entry.nextStateBase} + stateBits;
        return value;
    }
};

// Decodes the literal payload into whole groups of four bytes, one state per lane.
std::vector<std::uint8_t> decodeLiterals(const LzfseBlockHeader& header,
                                         std::span<const std::uint8_t> payload) {
    LzfseBackwardBitReader bits(payload, header.literalBits, 0);
    std::array<std::size_t, 4> states{};
    for (std::size_t lane = 0; lane < states.size(); ++lane) {
        states[lane] = header.literalStates[lane];
    }
    std::vector<std::uint8_t> literals;
    if (header.literalCount > 0) {
        const LzfseStateTable table(header.literalFrequencies,
                                    LzfseBlockHeader::kLiteralStateCount);
        literals.resize((std::size_t{header.literalCount} + 3) / 4 * 4);
        for (std::size_t i = 0; i < literals.size(); i += 4) {
            for (std::size_t lane = 0; lane < 4; ++lane) {
                const LzfseStateTable::Entry& entry = table.entry(states[lane]);
                literals[i + lane] = static_cast<std::uint8_t>(entry.symbol);
                states[lane] = std::size_t{entry.nextStateBase} + bits.read(entry.bitCount);
            }
        }
    }
    // The encoder starts every state at 0 and consumes the stream to its first bit, so
    // anything else means the payload was damaged even if each symbol decoded.
    if (!bits.isAtFloor() || states != std::array<std::size_t, 4>{}) {
        throw LzfseError("LZFSE literal stream does not end where it should");
    }
    return literals;
}

void decodeTriples(const LzfseBlockHeader& header, std::span<const std::uint8_t> payload,
                   std::span<const std::uint8_t> literals, LzfseOutputBuffer& output) {
    LzfseBackwardBitReader bits(payload, header.lmdBits, kLmdFloorBits);
    std::size_t literalsUsed = 0;
    std::size_t lState = header.lState;
    std::size_t mState = header.mState;
    std::size_t dState = header.dState;
    if (header.matchCount > 0) {
        const LzfseStateTable lTable(header.lFrequencies, LzfseBlockHeader::kLStateCount);
        const LzfseStateTable mTable(header.mFrequencies, LzfseBlockHeader::kMStateCount);
        const LzfseStateTable dTable(header.dFrequencies, LzfseBlockHeader::kDStateCount);
        ValueDecoder<20> lDecoder{lTable, kLCodes, lState};
        ValueDecoder<20> mDecoder{mTable, kMCodes, mState};
        ValueDecoder<64> dDecoder{dTable, kDCodes, dState};
        std::size_t previousDistance = 0;
        for (std::uint32_t i = 0; i < header.matchCount; ++i) {
            const std::size_t literalLength = lDecoder.next(bits);
            const std::size_t matchLength = mDecoder.next(bits);
            const std::size_t rawDistance = dDecoder.next(bits);
            // A raw distance of 0 repeats the previous triple's; the first triple has none,
            // which copyMatch refuses as distance 0.
            const std::size_t distance = rawDistance != 0 ? rawDistance : previousDistance;
            previousDistance = distance;
            if (literalLength > header.literalCount - literalsUsed) {
                throw LzfseError("LZFSE block uses more literals than it stores");
            }
            output.appendLiterals(literals.subspan(literalsUsed, literalLength));
            literalsUsed += literalLength;
            output.copyMatch(distance, matchLength);
        }
        lState = lDecoder.state;
        mState = mDecoder.state;
        dState = dDecoder.state;
    }
    // Only the zero padding that rounds the literals up to groups of four may stay unused.
    if (header.literalCount - literalsUsed > 3) {
        throw LzfseError("LZFSE block leaves literals unused");
    }
    if (!bits.isAtFloor() || lState != 0 || mState != 0 || dState != 0) {
        throw LzfseError("LZFSE match stream does not end where it should");
    }
}

}  // namespace

std::size_t LzfseBlockDecoder::decode(std::span<const std::uint8_t> block,
                                      LzfseOutputBuffer& output) {
    const auto magic = static_cast<LzfseBlockMagic>(LzfseLittleEndian::u32At(block, 0));
    const LzfseBlockHeader header = magic == LzfseBlockMagic::lzfsePlainTables
                                        ? LzfseBlockHeader::parsePlainTables(block)
                                        : LzfseBlockHeader::parsePackedTables(block);
    const std::uint64_t blockSize =
        std::uint64_t{header.headerSize} + header.literalPayloadSize + header.lmdPayloadSize;
    if (blockSize > block.size()) {
        throw LzfseError("LZFSE block payload is truncated");
    }
    // Literals plus the longest possible match per triple bound what a block can produce;
    // a larger announcement is damage and must not make us reserve memory for it.
    if (header.rawByteCount > std::uint64_t{header.literalCount} +
                                  std::uint64_t{header.matchCount} * kMaximumMatchLength) {
        throw LzfseError("LZFSE block announces more output than its matches can produce");
    }
    output.beginBlock(header.rawByteCount);
    const auto literalPayload = block.subspan(header.headerSize, header.literalPayloadSize);
    const auto lmdPayload =
        block.subspan(header.headerSize + header.literalPayloadSize, header.lmdPayloadSize);
    const std::vector<std::uint8_t> literals = decodeLiterals(header, literalPayload);
    decodeTriples(header, lmdPayload, literals, output);
    output.endBlock();
    return static_cast<std::size_t>(blockSize);
}

}  // namespace kelvane
