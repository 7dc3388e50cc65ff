// The tail rule of collected output: never more than the last 32768 bytes of a stream.
#include <gtest/gtest.h>

#include <string>

#include "process/BoundedPipeCollector.hpp"

namespace kelvane {
namespace {

constexpr std::size_t kBound = BoundedPipeCollector::kMaxTailBytes;

// Bytes that differ from position to position, so a wrong cut shows.
std::string patterned(std::size_t size) {
    std::string text(size, '\0');
    for (std::size_t i = 0; i < size; ++i) text[i] = static_cast<char>('a' + (i * 7 + i / 26) % 26);
    return text;
}

TEST(BoundedPipeCollectorTest, KeepsTheLastBoundBytesOfOneBigChunk) {
    const std::string stream = patterned(kBound * 3 + 5);
    BoundedPipeCollector collector(false);
    collector.appendStderr("earlier bytes that must go");
    collector.appendStderr(stream);
    EXPECT_EQ(kBound, 32768u);
    EXPECT_EQ(collector.takeStderr(), stream.substr(stream.size() - kBound));
}

TEST(BoundedPipeCollectorTest, KeepsTheLastBoundBytesOfManySmallChunks) {
    for (const std::size_t chunkSize : {std::size_t{1}, std::size_t{1000}, kBound - 1, kBound}) {
        const std::string stream = patterned(kBound * 5 + 123);
        BoundedPipeCollector collector(false);
        for (std::size_t i = 0; i < stream.size(); i += chunkSize) {
            collector.appendStdout(std::string_view(stream).substr(i, chunkSize));
            collector.appendStderr(std::string_view(stream).substr(i, chunkSize));
        }
        EXPECT_EQ(collector.takeStdout(), stream.substr(stream.size() - kBound)) << chunkSize;
        EXPECT_EQ(collector.takeStderr(), stream.substr(stream.size() - kBound)) << chunkSize;
    }
}

TEST(BoundedPipeCollectorTest, KeepsEverythingBelowTheBound) {
    BoundedPipeCollector collector(false);
    collector.appendStderr("first ");
    collector.appendStderr(patterned(kBound - 6));
    EXPECT_EQ(collector.takeStderr(), "first " + patterned(kBound - 6));
}

TEST(BoundedPipeCollectorTest, KeepsStandardOutputWholeWhenAsked) {
    const std::string stream = patterned(kBound * 4 + 1);
    BoundedPipeCollector collector(true);
    for (std::size_t i = 0; i < stream.size(); i += 4096) {
        collector.appendStdout(std::string_view(stream).substr(i, 4096));
        collector.appendStderr(std::string_view(stream).substr(i, 4096));
    }
    EXPECT_EQ(collector.takeStdout(), stream);
    EXPECT_EQ(collector.takeStderr(), stream.substr(stream.size() - kBound));
}

}  // namespace
}  // namespace kelvane
