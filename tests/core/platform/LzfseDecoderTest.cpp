#include "platform/LzfseDecoder.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "support/TemporaryFolder.hpp"

namespace kelvane {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes fixture(std::string_view name) {
    const std::string text =
        testing::readFile(std::string(KELVANE_FIXTURES_DIR "/lzfse/") + std::string(name));
    return Bytes(text.begin(), text.end());
}

Bytes bytesOf(std::string_view text) {
    return Bytes(text.begin(), text.end());
}

Bytes bytesOf(std::initializer_list<int> values) {
    Bytes bytes;
    for (const int value : values) {
        bytes.push_back(static_cast<std::uint8_t>(value));
    }
    return bytes;
}

void append(Bytes& bytes, const Bytes& tail) {
    bytes.insert(bytes.end(), tail.begin(), tail.end());
}

void appendU32(Bytes& bytes, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        bytes.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
    }
}

void appendU64(Bytes& bytes, std::uint64_t value) {
    for (int i = 0; i < 8; ++i) {
        bytes.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
    }
}

const Bytes kEndOfStream = bytesOf("bvx$");
const Bytes kLzvnEnd = bytesOf({0x06, 0, 0, 0, 0, 0, 0, 0});

Bytes uncompressedBlock(std::string_view data) {
    Bytes block = bytesOf("bvx-");
    appendU32(block, static_cast<std::uint32_t>(data.size()));
    append(block, bytesOf(data));
    return block;
}

Bytes lzvnBlock(std::uint32_t rawSize, const Bytes& payload) {
    Bytes block = bytesOf("bvxn");
    appendU32(block, rawSize);
    appendU32(block, static_cast<std::uint32_t>(payload.size()));
    append(block, payload);
    return block;
}

Bytes stream(std::initializer_list<Bytes> blocks) {
    Bytes bytes;
    for (const Bytes& block : blocks) {
        append(bytes, block);
    }
    append(bytes, kEndOfStream);
    return bytes;
}

// Fields of a packed-tables block header whose frequency area is left out (header size 32).
struct PackedHeader {
    std::uint32_t rawSize = 0;
    std::uint64_t literalCount = 0;
    std::uint64_t matchCount = 0;
    std::uint64_t literalPayloadSize = 0;
    std::uint64_t lmdPayloadSize = 8;
    std::uint64_t headerSize = 32;
    std::uint64_t lState = 0;
};

Bytes packedBlockWithoutTables(const PackedHeader& h) {
    Bytes block = bytesOf("bvx2");
    appendU32(block, h.rawSize);
    const std::uint64_t bitsZero = 7;  // stored as offset + 7
    appendU64(block, h.literalCount | (h.literalPayloadSize << 20) | (h.matchCount << 40) |
                         (bitsZero << 60));
    appendU64(block, (h.lmdPayloadSize << 40) | (bitsZero << 60));
    appendU64(block, h.headerSize | (h.lState << 32));
    block.resize(block.size() + h.literalPayloadSize + h.lmdPayloadSize, 0);
    return block;
}

// Overwrites `width` bits starting at bit `first` of the little-endian word at `offset`.
Bytes withField(Bytes bytes, std::size_t offset, unsigned first, unsigned width,
                std::uint64_t value) {
    for (unsigned bit = 0; bit < width; ++bit) {
        const std::size_t position = first + bit;
        std::uint8_t& byte = bytes.at(offset + position / 8);
        const auto mask = static_cast<std::uint8_t>(1U << (position % 8));
        byte = static_cast<std::uint8_t>(((value >> bit) & 1U) != 0 ? byte | mask : byte & ~mask);
    }
    return bytes;
}

std::uint64_t fieldOf(const Bytes& bytes, std::size_t offset, unsigned first, unsigned width) {
    std::uint64_t value = 0;
    for (unsigned bit = 0; bit < width; ++bit) {
        const std::size_t position = first + bit;
        value |= ((std::uint64_t{bytes.at(offset + position / 8)} >> (position % 8)) & 1U) << bit;
    }
    return value;
}

struct FixturePair {
    const char* compressed;
    const char* plaintext;
};

TEST(LzfseDecoderTest, DecodesEveryFixtureToItsPlaintext) {
    const FixturePair pairs[] = {
        {"empty.bin.lzfse", "empty.bin"},       // empty uncompressed block
        {"tiny.json.lzfse", "tiny.json"},       // uncompressed block
        {"raw.json.lzfse", "tiny.json"},        // hand-made uncompressed block
        {"small.json.lzfse", "small.json"},     // LZVN
        {"large.json.lzfse", "large.json"},     // two packed-table blocks
        {"large-v1.json.lzfse", "large.json"},  // the same with plain tables
        {"multi.bin.lzfse", "multi.bin"},       // five blocks, matches into earlier blocks
        {"binary.bin.lzfse", "binary.bin"},     // ten blocks of non-text data
        {"mixed.bin.lzfse", "mixed.bin"},       // every block kind in one stream
    };
    for (const FixturePair& pair : pairs) {
        SCOPED_TRACE(pair.compressed);
        const Bytes decoded = LzfseDecoder::decode(fixture(pair.compressed));
        const Bytes expected = fixture(pair.plaintext);
        ASSERT_EQ(decoded.size(), expected.size());
        EXPECT_TRUE(decoded == expected);
    }
}

TEST(LzfseDecoderTest, RejectsTheDamagedFixtures) {
    // A flipped distance in the second block, and a stream cut in the middle of a block.
    EXPECT_THROW((void)LzfseDecoder::decode(fixture("corrupt.json.lzfse")), LzfseError);
    EXPECT_THROW((void)LzfseDecoder::decode(fixture("truncated.json.lzfse")), LzfseError);
}

TEST(LzfseDecoderTest, IgnoresBytesAfterTheEndOfStream) {
    Bytes bytes = stream({uncompressedBlock("abc")});
    append(bytes, bytesOf("garbage"));
    EXPECT_EQ(LzfseDecoder::decode(bytes), bytesOf("abc"));
    EXPECT_TRUE(LzfseDecoder::decode(kEndOfStream).empty());
}

// Every opcode kind, with the output worked out by hand from the opcode table.
TEST(LzfseDecoderTest, DecodesEveryLzvnOpcodeKind) {
    Bytes payload;
    append(payload, bytesOf({0xE4, 'a', 'b', 'c', 'd'}));  // small literal, 4 bytes
    append(payload, bytesOf({0x00, 0x04}));                // small distance: L0 M3 D4 -> "abc"
    append(payload, bytesOf({0xF2}));                      // small match M2, previous D4 -> "da"
    append(payload, bytesOf({0x0E}));                      // no-op
    append(payload, bytesOf({0xE0, 0x00}));                // large literal, 16 bytes
    append(payload, bytesOf("0123456789ABCDEF"));
    append(payload, bytesOf({0xF0, 0x00}));  // large match M16, D4 -> "CDEF" four times
    append(payload, bytesOf({0x46, 'x'}));   // previous distance: L1 'x', M3 D4 -> "DEF"
    append(payload, bytesOf({0xB0, 0xBD, 0x00, 'y', 'z'}));  // medium: L2, M4, D47 -> "abcd"
    append(payload, bytesOf({0x0F, 0x33, 0x00}));            // large distance: L0 M4 D51 -> "abcd"
    append(payload, bytesOf({0x60, 0x01, 'q'}));  // small distance: L1 'q', M7 D1 -> "qqqqqqq"
    append(payload, bytesOf({0x16}));             // the other no-op
    append(payload, bytesOf({0xE1, '!'}));
    append(payload, kLzvnEnd);
    const std::string expected = "abcdabcda0123456789ABCDEFCDEFCDEFCDEFCDEFxDEFyzabcdabcdqqqqqqqq!";
    EXPECT_EQ(LzfseDecoder::decode(stream({lzvnBlock(64, payload)})), bytesOf(expected));
}

TEST(LzfseDecoderTest, MatchesReachIntoEarlierBlocks) {
    // An LZVN block that starts with a match into the preceding uncompressed block.
    const Bytes bytes =
        stream({uncompressedBlock("hello "),
                lzvnBlock(5, bytesOf({0x10, 0x06, 0x0E, 0x0E, 0x06, 0, 0, 0, 0, 0, 0, 0}))});
    EXPECT_EQ(LzfseDecoder::decode(bytes), bytesOf("hello hello"));
}

TEST(LzfseDecoderTest, AcceptsAnLzfseBlockWithoutTablesThatProducesNothing) {
    const Bytes bytes = stream({uncompressedBlock("x"), packedBlockWithoutTables({})});
    EXPECT_EQ(LzfseDecoder::decode(bytes), bytesOf("x"));
}

struct HostileCase {
    const char* name;
    Bytes input;
};

TEST(LzfseDecoderTest, RejectsHandMadeHostileStreams) {
    const Bytes large = fixture("large.json.lzfse");
    const Bytes plain = fixture("large-v1.json.lzfse");
    const auto lzvn = [](std::uint32_t rawSize, std::initializer_list<int> opcodes) {
        Bytes payload = bytesOf(opcodes);
        append(payload, kLzvnEnd);
        return stream({lzvnBlock(rawSize, payload)});
    };
    Bytes uncompressedTooLong = bytesOf("bvx-");
    appendU32(uncompressedTooLong, 10);
    append(uncompressedTooLong, bytesOf("abc"));
    append(uncompressedTooLong, kEndOfStream);
    Bytes lzvnPayloadTooLong = bytesOf("bvxn");
    appendU32(lzvnPayloadTooLong, 1);
    appendU32(lzvnPayloadTooLong, 100);
    append(lzvnPayloadTooLong, bytesOf({0xE1, 'a'}));
    append(lzvnPayloadTooLong, kLzvnEnd);
    append(lzvnPayloadTooLong, kEndOfStream);

    const std::uint64_t largeRawSize = fieldOf(large, 4, 0, 32);
    const std::uint64_t largeLFrequency0 = fieldOf(plain, 50, 0, 16);

    const HostileCase cases[] = {
        {"empty input", {}},
        {"three bytes", bytesOf("bvx")},
        {"unknown magic", stream({bytesOf("bvx3")})},
        {"no end-of-stream block", uncompressedBlock("abc")},
        {"uncompressed header cut", bytesOf({'b', 'v', 'x', '-', 3, 0})},
        {"uncompressed size past the end", uncompressedTooLong},
        {"uncompressed size near 4 GiB",
         stream({withField(uncompressedBlock("a"), 4, 0, 32, 0xFFFFFFFF)})},
        {"lzvn header cut", bytesOf({'b', 'v', 'x', 'n', 1, 0, 0, 0, 2, 0})},
        {"lzvn payload past the end", lzvnPayloadTooLong},
        {"lzvn distance before the output", lzvn(3, {0x00, 0x01})},
        {"lzvn distance zero", lzvn(4, {0xE1, 'a', 0x00, 0x00})},
        {"lzvn medium distance zero", lzvn(4, {0xE1, 'a', 0xA0, 0x00, 0x00})},
        {"lzvn large distance zero", lzvn(4, {0xE1, 'a', 0x07, 0x00, 0x00})},
        {"lzvn large distance before the output", lzvn(4, {0xE1, 'a', 0x07, 0x02, 0x00})},
        {"lzvn small match before any distance", lzvn(4, {0xE1, 'a', 0xF3})},
        {"lzvn large match before any distance", lzvn(17, {0xE1, 'a', 0xF0, 0x00})},
        {"lzvn previous distance before any", lzvn(5, {0x46, 'a'})},
        {"lzvn undefined opcode 1E", lzvn(1, {0xE1, 'a', 0x1E})},
        {"lzvn undefined opcode 70", lzvn(1, {0xE1, 'a', 0x70})},
        {"lzvn undefined opcode DF", lzvn(1, {0xE1, 'a', 0xDF})},
        {"lzvn missing end opcode", stream({lzvnBlock(1, bytesOf({0xE1, 'a'}))})},
        {"lzvn end opcode cut short", stream({lzvnBlock(1, bytesOf({0xE1, 'a', 0x06, 0, 0}))})},
        {"lzvn bytes after the end opcode",
         stream({lzvnBlock(1, bytesOf({0xE1, 'a', 0x06, 0, 0, 0, 0, 0, 0, 0, 0x0E}))})},
        {"lzvn literal past the payload", stream({lzvnBlock(5, bytesOf({0xE5, 'a', 'b'}))})},
        {"lzvn opcode cut short", stream({lzvnBlock(5, bytesOf({0xE1, 'a', 0x07, 0x01}))})},
        {"lzvn output beyond its size", lzvn(1, {0xE2, 'a', 'b'})},
        {"lzvn match beyond its size", lzvn(3, {0xE1, 'a', 0x00, 0x01})},
        {"lzvn output short of its size", lzvn(3, {0xE2, 'a', 'b'})},
        {"lzvn size far beyond its payload", lzvn(0xFFFFFFFF, {0xE1, 'a'})},
        {"packed header cut", Bytes(large.begin(), large.begin() + 20)},
        {"packed header size below 32", withField(large, 24, 0, 32, 31)},
        {"packed header size past the end", withField(large, 24, 0, 32, 0xFFFFFFFF)},
        {"packed frequencies one byte short", withField(large, 24, 0, 32, 178)},
        {"packed frequencies one byte long", withField(large, 24, 0, 32, 180)},
        {"packed payload past the end", withField(large, 16, 40, 20, 0xFFFFF)},
        {"packed too many literals", withField(large, 8, 0, 20, 40004)},
        {"packed too many matches", withField(large, 8, 40, 20, 10001)},
        {"packed block one byte short", withField(large, 4, 0, 32, largeRawSize - 1)},
        {"packed block one byte long", withField(large, 4, 0, 32, largeRawSize + 1)},
        {"tables left out but literals announced",
         stream({packedBlockWithoutTables({.rawSize = 4, .literalCount = 4})})},
        {"tables left out but matches announced",
         stream(
             {uncompressedBlock("a"), packedBlockWithoutTables({.rawSize = 1, .matchCount = 1})})},
        {"packed L state beyond its table", stream({packedBlockWithoutTables({.lState = 64})})},
        {"packed L/M/D payload below its padding",
         stream({packedBlockWithoutTables({.lmdPayloadSize = 7})})},
        {"plain header cut", Bytes(plain.begin(), plain.begin() + 771)},
        {"plain bit offset -8", withField(plain, 28, 0, 32, 0xFFFFFFF8)},
        {"plain bit offset +1", withField(plain, 40, 0, 32, 1)},
        {"plain literal state beyond its table", withField(plain, 32, 0, 16, 1024)},
        {"plain D state beyond its table", withField(plain, 48, 0, 16, 256)},
        {"plain L frequencies short of 64", withField(plain, 50, 0, 16, largeLFrequency0 - 1)},
        {"plain L frequencies beyond 64", withField(plain, 50, 0, 16, largeLFrequency0 + 1)},
        {"plain literal count beyond 40000", withField(plain, 12, 0, 32, 40004)},
        {"plain payload sizes adding past 4 GiB",
         withField(withField(plain, 20, 0, 32, 0xFFFFFFFF), 24, 0, 32, 0xFFFFFFFF)},
    };
    for (const HostileCase& hostile : cases) {
        SCOPED_TRACE(hostile.name);
        EXPECT_THROW((void)LzfseDecoder::decode(hostile.input), LzfseError);
    }
}

// A stream with one block of each kind, small enough to try every prefix of.
Bytes smallMixedStream() {
    Bytes bytes;
    append(bytes, uncompressedBlock("hello "));
    const Bytes lzvn = fixture("small.json.lzfse");
    append(bytes, Bytes(lzvn.begin(), lzvn.end() - 4));
    append(bytes, packedBlockWithoutTables({}));
    append(bytes, kEndOfStream);
    return bytes;
}

TEST(LzfseDecoderTest, RejectsEveryProperPrefixOfAValidStream) {
    for (const Bytes& whole : {fixture("tiny.json.lzfse"), smallMixedStream()}) {
        ASSERT_NO_THROW((void)LzfseDecoder::decode(whole));
        for (std::size_t length = 0; length < whole.size(); ++length) {
            SCOPED_TRACE(length);
            const std::span<const std::uint8_t> prefix(whole.data(), length);
            EXPECT_THROW((void)LzfseDecoder::decode(prefix), LzfseError);
        }
    }
}

TEST(LzfseDecoderTest, RejectsPrefixesOfAMultiBlockLzfseStream) {
    // Every prefix through the first block's header, then a spread of longer ones: inside
    // the first block's payloads, and past it (each of those decodes the first block).
    const Bytes whole = fixture("large.json.lzfse");
    const std::size_t headerEnd = 179;
    for (std::size_t length = 0; length < whole.size(); length += length <= headerEnd ? 1 : 211) {
        SCOPED_TRACE(length);
        const std::span<const std::uint8_t> prefix(whole.data(), length);
        EXPECT_THROW((void)LzfseDecoder::decode(prefix), LzfseError);
    }
}

TEST(LzfseDecoderTest, RejectsDamageThatOnlyTheEndOfBlockChecksSee) {
    // Damage an LZFSE block can hide: every symbol still decodes and every distance is
    // valid, and only the final states, the bit positions or unused literals give it away.
    // The first bytes of a payload are read last, so flips there change little else.
    const Bytes whole = fixture("large.json.lzfse");
    const std::size_t literalStart = 179;
    const std::size_t lmdStart = literalStart + 3106;
    const std::size_t lmdEnd = lmdStart + 25545;
    for (const std::size_t offset : {literalStart + 1, lmdStart + 12, lmdEnd - 4}) {
        SCOPED_TRACE(offset);
        Bytes damaged = whole;
        damaged[offset] ^= 0x10;
        EXPECT_THROW((void)LzfseDecoder::decode(damaged), LzfseError);
    }
}

TEST(LzfseDecoderTest, RefusesOutputBeyondTheAllowedSize) {
    const Bytes compressed = fixture("large.json.lzfse");
    const std::size_t plainSize = fixture("large.json").size();
    EXPECT_EQ(LzfseDecoder::decode(compressed, plainSize).size(), plainSize);
    EXPECT_THROW((void)LzfseDecoder::decode(compressed, plainSize - 1), LzfseError);
    // Announced sizes count even before a block is decoded.
    EXPECT_THROW((void)LzfseDecoder::decode(stream({uncompressedBlock("abc")}), 2), LzfseError);
}

}  // namespace
}  // namespace kelvane
