// What a tool inherits from the program (only its three standard streams) and what runs
// leave behind in it (nothing: no descriptor, no child).
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <map>
#include <regex>
#include <string>

#include "core/process/ProcessTestSupport.hpp"
#include "engine/ArchiveEngineError.hpp"
#include "process/ProcessRunner.hpp"
#include "support/TemporaryFolder.hpp"

namespace kelvane {
namespace {

// fd number → link target, as `ls -l /proc/self/fd/` shows them for the listing tool.
std::map<int, std::string> descriptorsOf(const std::string& listing) {
    std::map<int, std::string> descriptors;
    static const std::regex line(R"((\d+) -> (.*))");
    std::smatch match;
    std::string::size_type start = 0;
    while (start < listing.size()) {
        const auto end = std::min(listing.find('\n', start), listing.size());
        const std::string text = listing.substr(start, end - start);
        if (std::regex_search(text, match, line)) {
            descriptors[std::stoi(match[1])] = match[2];
        }
        start = end + 1;
    }
    return descriptors;
}

void expectOnlyStandardStreams(const std::string& listing) {
    const auto descriptors = descriptorsOf(listing);
    ASSERT_TRUE(descriptors.contains(0)) << listing;
    EXPECT_EQ(descriptors.at(0), "/dev/null");
    EXPECT_TRUE(descriptors.at(1).starts_with("pipe:")) << listing;
    EXPECT_TRUE(descriptors.at(2).starts_with("pipe:")) << listing;
    for (const auto& [fd, target] : descriptors) {
        // Besides 0 to 2, only the folder `ls` itself opened to list its descriptors.
        if (fd > 2) {
            EXPECT_TRUE(target.starts_with("/proc/")) << fd << " -> " << target;
        }
    }
}

TEST(ProcessHygieneTest, ToolInheritsNoDescriptorButItsStandardStreams) {
    // Descriptors a careless library might leave open across exec.
    const int plain = ::open("/dev/null", O_RDONLY);
    int inheritablePipe[2] = {-1, -1};
    ASSERT_GE(plain, 0);
    ASSERT_EQ(::pipe(inheritablePipe), 0);

    const ProcessResult result = ProcessRunner::run("/bin/ls", {"-l", "/proc/self/fd/"});
    EXPECT_EQ(result.exitCode, 0) << result.stderrString();
    expectOnlyStandardStreams(result.stdoutBytes);

    std::string streamed;
    (void)ProcessRunner::streamStdoutLines(
        "/bin/ls", {"-l", "/proc/self/fd/"}, nullptr,
        [&](std::string_view line) { streamed += std::string(line) + "\n"; });
    expectOnlyStandardStreams(streamed);

    ::close(plain);
    ::close(inheritablePipe[0]);
    ::close(inheritablePipe[1]);
}

// Every kind of outcome, many times: the program's descriptor count does not move and no
// child is left, running or unreaped.
TEST(ProcessHygieneTest, ManyRunsLeaveNothingBehind) {
    testing::TemporaryFolder folder;
    const auto tool =
        testing::writeTool(folder, "tool.sh", "echo out\necho err >&2\nexit \"${1:-0}\"");
    const std::size_t descriptorsBefore = testing::openDescriptorCount();

    for (int i = 0; i < 60; ++i) {
        EXPECT_EQ(ProcessRunner::run(tool, {std::to_string(i % 3)}).exitCode, i % 3);
        int lines = 0;
        const StreamResult streamed =
            ProcessRunner::streamStdoutLines(tool, {}, nullptr, [&](std::string_view) { ++lines; });
        EXPECT_EQ(lines, 1);
        EXPECT_EQ(streamed.stderrTail, "err\n");
        EXPECT_THROW((void)ProcessRunner::run(folder.path() / "missing", {}), std::system_error);

        auto token = std::make_shared<ProcessCancellationToken>();
        EXPECT_THROW((void)ProcessRunner::streamStdoutLines(
                         "/usr/bin/yes", {}, token, [&](std::string_view) { token->cancel(); }),
                     ArchiveEngineError);
    }

    EXPECT_EQ(testing::openDescriptorCount(), descriptorsBefore);
    EXPECT_TRUE(testing::hasNoChildProcess());
}

}  // namespace
}  // namespace kelvane
