// Running real tools: collected output, tails, chunk reports, environment, working folder,
// exit status and launch failures.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "core/process/ProcessTestSupport.hpp"
#include "engine/ArchiveEngineError.hpp"
#include "process/ProcessRunner.hpp"
#include "support/ScopedEnvironment.hpp"
#include "support/TemporaryFolder.hpp"

namespace kelvane {
namespace {

namespace fs = std::filesystem;
constexpr std::size_t kBound = 32768;

std::string numberedLines(int count, int width) {
    std::string text;
    for (int i = 0; i < count; ++i) {
        std::string number = std::to_string(i);
        text += std::string(static_cast<std::size_t>(width) - number.size(), '0') + number + "\n";
    }
    return text;
}

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find('\n', start);
        lines.push_back(text.substr(start, end - start));
        if (end == std::string::npos) break;
        start = end + 1;
    }
    return lines;
}

class ProcessRunnerTest : public ::testing::Test {
protected:
    testing::TemporaryFolder folder_;
};

TEST_F(ProcessRunnerTest, CollectsBothStreamsAndTheExitCode) {
    const auto tool =
        writeTool(folder_, "tool.sh", "printf 'out put'\nprintf 'err or' >&2\nexit 7");
    const ProcessResult result = ProcessRunner::run(tool, {});
    EXPECT_EQ(result.exitCode, 7);
    EXPECT_EQ(result.stdoutBytes, "out put");
    EXPECT_EQ(result.stderrBytes, "err or");
}

TEST_F(ProcessRunnerTest, PassesArgumentsVerbatimWithoutAShell) {
    const auto tool =
        writeTool(folder_, "args.sh", "for a in \"$@\"; do printf '[%s]' \"$a\"; done");
    const ProcessResult result =
        ProcessRunner::run(tool, {"two words", "$HOME", "*", "", "-p", "a'b\"c"});
    EXPECT_EQ(result.stdoutBytes, "[two words][$HOME][*][][-p][a'b\"c]");
}

TEST_F(ProcessRunnerTest, ReportsATerminatingSignalAs128PlusItsNumber) {
    const auto tool = writeTool(folder_, "killed.sh", "kill -KILL $$");
    EXPECT_EQ(ProcessRunner::run(tool, {}).exitCode, 128 + SIGKILL);
}

TEST_F(ProcessRunnerTest, TailsStandardErrorAboveTheBoundFromOneBigWrite) {
    const std::string stream = numberedLines(12000, 9);  // 120,000 bytes
    const auto data = folder_.write("big.txt", stream);
    const auto tool = writeTool(folder_, "tool.sh", "cat \"$1\" >&2");
    const ProcessResult result = ProcessRunner::run(tool, {data.string()});
    EXPECT_EQ(result.stderrBytes, stream.substr(stream.size() - kBound));
}

TEST_F(ProcessRunnerTest, TailsStandardErrorAboveTheBoundFromManySmallWrites) {
    // 400 writes of 100 bytes each.
    const auto tool = writeTool(folder_, "tool.sh",
                                "i=0\nwhile [ $i -lt 400 ]; do printf '%099d\\n' $i >&2; "
                                "i=$((i+1)); done");
    const std::string stream = numberedLines(400, 99);
    const ProcessResult result = ProcessRunner::run(tool, {});
    EXPECT_EQ(result.stderrBytes, stream.substr(stream.size() - kBound));
}

TEST_F(ProcessRunnerTest, KeepsStandardErrorBelowTheBoundWhole) {
    const std::string stream = numberedLines(3000, 9);  // 30,000 bytes
    const auto data = folder_.write("small.txt", stream);
    const auto tool = writeTool(folder_, "tool.sh", "cat \"$1\" >&2");
    EXPECT_EQ(ProcessRunner::run(tool, {data.string()}).stderrBytes, stream);
}

TEST_F(ProcessRunnerTest, TailsStandardOutputUnlessAskedToKeepItWhole) {
    const std::string stream = numberedLines(100000, 9);  // 1,000,000 bytes
    const auto data = folder_.write("big.txt", stream);
    const ProcessResult tailed = ProcessRunner::run("/bin/cat", {data.string()});
    EXPECT_EQ(tailed.stdoutBytes, stream.substr(stream.size() - kBound));
    const ProcessResult whole =
        ProcessRunner::run("/bin/cat", {data.string()}, std::nullopt, std::nullopt, true);
    EXPECT_EQ(whole.stdoutBytes, stream);
}

// A tool that fills both pipes at once only finishes when both are read while it runs.
TEST_F(ProcessRunnerTest, DrainsBothLargeStreamsAtOnce) {
    const std::string stream = numberedLines(200000, 9);  // 2,000,000 bytes
    const auto data = folder_.write("big.txt", stream);
    const auto tool = writeTool(folder_, "tool.sh", "cat \"$1\" >&2 &\ncat \"$1\"\nwait");
    const ProcessResult result =
        ProcessRunner::run(tool, {data.string()}, std::nullopt, std::nullopt, true);
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.stdoutBytes, stream);
    EXPECT_EQ(result.stderrBytes, stream.substr(stream.size() - kBound));
}

TEST_F(ProcessRunnerTest, ReportsChunksOfBothStreamsThatAreValidText) {
    // Each stream gets a single write, so each arrives as one chunk.
    const auto tool =
        writeTool(folder_, "tool.sh", "printf ' 45%% docs/a.txt'\nprintf 'Ar\\305\\237iv' >&2");
    std::string reported;
    const auto report = [&](std::string_view chunk) { reported += std::string(chunk) + "|"; };
    (void)ProcessRunner::run(tool, {}, std::nullopt, std::nullopt, false, nullptr, report);
    EXPECT_NE(reported.find(" 45% docs/a.txt|"), std::string::npos) << reported;
    EXPECT_NE(reported.find("Ar\xC5\x9Fiv|"), std::string::npos) << reported;
}

TEST_F(ProcessRunnerTest, CollectsButDoesNotReportAnIllFormedChunk) {
    const auto tool = writeTool(folder_, "tool.sh", "printf '\\377\\376' >&2");
    int reports = 0;
    const ProcessResult result = ProcessRunner::run(tool, {}, std::nullopt, std::nullopt, false,
                                                    nullptr, [&](std::string_view) { ++reports; });
    EXPECT_EQ(result.stderrBytes, "\xFF\xFE");
    EXPECT_EQ(reports, 0);
}

TEST_F(ProcessRunnerTest, DecodesCollectedBytesWithRepair) {
    const auto tool = writeTool(folder_, "tool.sh", "printf 'a\\377b'\nprintf '\\303\\274' >&2");
    const ProcessResult result = ProcessRunner::run(tool, {});
    EXPECT_EQ(result.stdoutString(),
              "a\xEF\xBF\xBD"
              "b");
    EXPECT_EQ(result.stderrString(), "\xC3\xBC");
}

TEST_F(ProcessRunnerTest, MergesTheGivenEnvironmentIntoTheProgramsOwn) {
    testing::ScopedEnvironment environment;
    environment.set("XZ_OPT", "-1");
    environment.set("KELVANE_INHERITED", "kept");

    const auto merged = linesOf(
        ProcessRunner::run("/usr/bin/env", {}, std::nullopt,
                           std::map<std::string, std::string>{{"XZ_OPT", "-9"}, {"GZIP", "-5"}})
            .stdoutBytes);
    EXPECT_EQ(std::count(merged.begin(), merged.end(), "XZ_OPT=-9"), 1);
    EXPECT_EQ(std::count(merged.begin(), merged.end(), "XZ_OPT=-1"), 0);
    EXPECT_EQ(std::count(merged.begin(), merged.end(), "GZIP=-5"), 1);
    EXPECT_EQ(std::count(merged.begin(), merged.end(), "KELVANE_INHERITED=kept"), 1);
    EXPECT_NE(std::find(merged.begin(), merged.end(), "HOME=" + std::string(::getenv("HOME"))),
              merged.end());

    const auto inherited = linesOf(ProcessRunner::run("/usr/bin/env", {}).stdoutBytes);
    EXPECT_EQ(std::count(inherited.begin(), inherited.end(), "XZ_OPT=-1"), 1);
    EXPECT_EQ(std::count(inherited.begin(), inherited.end(), "KELVANE_INHERITED=kept"), 1);
}

TEST_F(ProcessRunnerTest, RunsInTheGivenWorkingDirectory) {
    const fs::path inside = folder_.path() / "work dir";
    fs::create_directories(inside);
    const ProcessResult here = ProcessRunner::run("/bin/pwd", {"-P"}, inside);
    EXPECT_EQ(here.stdoutBytes, fs::canonical(inside).string() + "\n");
    const ProcessResult inherited = ProcessRunner::run("/bin/pwd", {"-P"});
    EXPECT_EQ(inherited.stdoutBytes, fs::canonical(fs::current_path()).string() + "\n");
}

TEST_F(ProcessRunnerTest, StandardInputIsAtEndOfFileAtOnce) {
    // `cat` without arguments copies its input: it must end at once, having read nothing.
    const ProcessResult result = ProcessRunner::run("/bin/cat", {});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.stdoutBytes, "");
}

// The launch failure comes through as the platform's error naming the tool, from both
// operations; it is neither a result nor a cancellation.
TEST_F(ProcessRunnerTest, ToolThatCannotStartThrowsThePlatformError) {
    const fs::path missing = folder_.path() / "no-such-tool";
    const fs::path notExecutable = folder_.write("plain.sh", "#!/bin/sh\necho hi\n");
    const fs::path directory = folder_.path();

    struct Case {
        fs::path tool;
        int error;
    };
    for (const Case& c :
         {Case{missing, ENOENT}, Case{notExecutable, EACCES}, Case{directory, EACCES}}) {
        const auto expectError = [&](auto&& call) {
            try {
                call();
                ADD_FAILURE() << "no error for " << c.tool;
            } catch (const std::system_error& error) {
                EXPECT_EQ(error.code().value(), c.error) << c.tool;
                EXPECT_NE(std::string(error.what()).find(c.tool.string()), std::string::npos)
                    << error.what();
            } catch (const ArchiveEngineError& error) {
                ADD_FAILURE() << "engine error for " << c.tool << ": " << error.what();
            }
        };
        expectError([&] { (void)ProcessRunner::run(c.tool, {"x"}); });
        expectError([&] {
            (void)ProcessRunner::streamStdoutLines(c.tool, {}, nullptr, [](std::string_view) {});
        });
    }
    EXPECT_TRUE(testing::hasNoChildProcess());
}

// A tool may exit while something it started still holds its pipes open; the run ends
// with the tool and does not wait for that straggler.
TEST_F(ProcessRunnerTest, EndsWhenTheToolExitsEvenIfItsChildHoldsThePipes) {
    const auto tool = writeTool(folder_, "tool.sh", "sleep 600 &\necho $!\nexit 0");
    const ProcessResult result = ProcessRunner::run(tool, {});
    EXPECT_EQ(result.exitCode, 0);
    const pid_t straggler = std::stoi(result.stdoutBytes);
    EXPECT_EQ(::kill(straggler, SIGKILL), 0);

    std::vector<std::string> lines;
    const StreamResult streamed = ProcessRunner::streamStdoutLines(
        tool, {}, nullptr, [&](std::string_view line) { lines.emplace_back(line); });
    EXPECT_EQ(streamed.exitCode, 0);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(::kill(std::stoi(lines[0]), SIGKILL), 0);
}

}  // namespace
}  // namespace kelvane
