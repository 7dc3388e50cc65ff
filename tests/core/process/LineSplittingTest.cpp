// Line splitting of streamed standard output, checked on the splitter alone (fed whole and
// one byte at a time) and end to end through a real tool printing the same bytes.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/process/ProcessTestSupport.hpp"
#include "process/LineSplitter.hpp"
#include "process/ProcessRunner.hpp"
#include "support/TemporaryFolder.hpp"

namespace kelvane {
namespace {

struct SplitCase {
    const char* name;
    std::string output;
    std::vector<std::string> lines;
};

const std::vector<SplitCase>& splitCases() {
    static const std::vector<SplitCase> cases{
        {"CrLfThenEmptyThenUnterminated", "x\r\ny\n\nz", {"x", "y", "", "z"}},
        {"NoOutput", "", {}},
        {"OnlyLineFeed", "\n", {""}},
        {"LoneCarriageReturnStaysInLine", "a\rb\n", {"a\rb"}},
        {"OnlyTheLastCarriageReturnIsDropped", "ab\r\r\n", {"ab\r"}},
        {"UnterminatedLastLineLosesItsCarriageReturn", "tail\r", {"tail"}},
        {"LoneCarriageReturnAtEndIsAnEmptyLine", "\r", {""}},
        {"EmptyCrLfLines", "\r\n\r\n", {"", ""}},
        {"IllFormedBytesAreReplaced", "\xFF ok\nfine\n", {"\xEF\xBF\xBD ok", "fine"}},
        {"TruncatedSequenceAtEndOfFile", "ok\n\xC3", {"ok", "\xEF\xBF\xBD"}},
        {"MultiByteText", "Ar\xC5\x9Fiv\n\xC3\xBC\n", {"Ar\xC5\x9Fiv", "\xC3\xBC"}},
    };
    return cases;
}

class LineSplittingTest : public ::testing::TestWithParam<SplitCase> {};

std::vector<std::string> splitInPieces(const std::string& output, std::size_t pieceSize) {
    std::vector<std::string> lines;
    const auto collect = [&](std::string_view line) { lines.emplace_back(line); };
    LineSplitter splitter;
    for (std::size_t i = 0; i < output.size(); i += pieceSize) {
        splitter.feed(std::string_view(output).substr(i, pieceSize), collect);
    }
    splitter.finish(collect);
    return lines;
}

TEST_P(LineSplittingTest, SplitterGivesTheSameLinesWhateverTheChunking) {
    const SplitCase& c = GetParam();
    EXPECT_EQ(splitInPieces(c.output, std::max<std::size_t>(c.output.size(), 1)), c.lines);
    EXPECT_EQ(splitInPieces(c.output, 1), c.lines);
    EXPECT_EQ(splitInPieces(c.output, 2), c.lines);
}

TEST_P(LineSplittingTest, StreamedToolOutputGivesTheLines) {
    const SplitCase& c = GetParam();
    testing::TemporaryFolder folder;
    const auto data = folder.write("output.bin", c.output);
    std::vector<std::string> lines;
    const StreamResult result =
        ProcessRunner::streamStdoutLines("/bin/cat", {data.string()}, nullptr,
                                         [&](std::string_view line) { lines.emplace_back(line); });
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(lines, c.lines);
}

INSTANTIATE_TEST_SUITE_P(Cases, LineSplittingTest, ::testing::ValuesIn(splitCases()),
                         [](const auto& testInfo) { return std::string(testInfo.param.name); });

// Many lines cross many read boundaries, some of them between a carriage return and its
// line feed; every line must come out once, whole and in order.
TEST(LineStreamingTest, ManyLinesArriveWholeAndInOrder) {
    testing::TemporaryFolder folder;
    constexpr int kLines = 200000;
    std::string output;
    for (int i = 0; i < kLines; ++i) {
        output += "entry-" + std::to_string(i) + (i % 3 == 0 ? "\r\n" : "\n");
    }
    const auto data = folder.write("lines.txt", output);

    int next = 0;
    bool inOrder = true;
    const StreamResult result = ProcessRunner::streamStdoutLines(
        "/bin/cat", {data.string()}, nullptr, [&](std::string_view line) {
            inOrder = inOrder && line == "entry-" + std::to_string(next);
            ++next;
        });
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(next, kLines);
    EXPECT_TRUE(inOrder);
}

TEST(LineStreamingTest, StandardErrorIsKeptAsRepairedText) {
    testing::TemporaryFolder folder;
    const auto tool = testing::writeTool(folder, "tool.sh",
                                         "printf 'out\\n'\nprintf 'bad \\377 byte' >&2\nexit 4");
    std::vector<std::string> lines;
    const StreamResult result = ProcessRunner::streamStdoutLines(
        tool, {}, nullptr, [&](std::string_view line) { lines.emplace_back(line); });
    EXPECT_EQ(result.exitCode, 4);
    EXPECT_EQ(lines, std::vector<std::string>{"out"});
    EXPECT_EQ(result.stderrTail, "bad \xEF\xBF\xBD byte");
}

}  // namespace
}  // namespace kelvane
