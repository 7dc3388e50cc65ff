// kelvane-cli test, create, add and delete run as a user would run them, and the progress
// line they draw while standard error is a terminal.
#include <gtest/gtest.h>
#include <signal.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "CliProcess.hpp"
#include "TerminalProgressLine.hpp"
#include "TerminalRun.hpp"
#include "core/engine/ListingTestSupport.hpp"
#include "core/engine/OperationTestSupport.hpp"

namespace kelvane {
namespace {

namespace fs = std::filesystem;
using testing::CliProcess;
using testing::readFile;
using testing::TerminalRun;

const std::map<std::string, std::string> kEnvironment{{"TZ", "UTC"}, {"LANGUAGE", "en"}};

std::string randomBytes(std::size_t count) {
    std::mt19937_64 generator(17);
    std::string bytes(count, '\0');
    for (char& byte : bytes) byte = static_cast<char>(generator());
    return bytes;
}

class ArchiveWritingCommandsTest : public ::testing::Test {
protected:
    void SetUp() override {
        source_.write("docs/readme.md", "hello\n");
        source_.write("docs/sub/deep.txt", "deep\n");
        source_.write("a*.txt", "star\n");
        source_.write("ab.txt", "ab\n");
        source_.write("abc.txt", "abc\n");
    }

    static CliProcess::Outcome run(const std::vector<std::string>& arguments) {
        return CliProcess::run(arguments, kEnvironment);
    }

    std::string path(const std::string& relative) const {
        return (source_.path() / relative).string();
    }
    std::string output(const std::string& name) const { return (out_.path() / name).string(); }

    testing::TemporaryFolder source_;
    testing::TemporaryFolder out_;
};

TEST_F(ArchiveWritingCommandsTest, CreateTestAddAndDeleteRoundTrip) {
    const std::string archive = output("round.zip");
    const auto created = run({"create", "--format", "zip", "--level", "maximum", archive,
                              path("docs"), path("a*.txt"), path("ab.txt")});
    ASSERT_EQ(created.exitStatus, 0) << created.err;
    EXPECT_EQ(created.out, archive + "\n");
    EXPECT_EQ(created.err, "");  // a file, not a terminal: no progress line

    const auto tested = run({"test", archive});
    EXPECT_EQ(tested.exitStatus, 0) << tested.err;
    EXPECT_EQ(tested.out, "All 4 files passed CRC integrity verification.\n");

    const auto added = run({"add", archive, path("abc.txt")});
    EXPECT_EQ(added.exitStatus, 0) << added.err;
    EXPECT_EQ(added.out, "");
    EXPECT_EQ(testing::fileIds(testing::listWithEngine(archive)),
              (std::vector<std::string>{"a*.txt", "ab.txt", "abc.txt", "docs/readme.md",
                                        "docs/sub/deep.txt"}));

    const auto deleted = run({"delete", archive, "a*.txt", "docs/sub"});
    EXPECT_EQ(deleted.exitStatus, 0) << deleted.err;
    EXPECT_EQ(testing::fileIds(testing::listWithEngine(archive)),
              (std::vector<std::string>{"ab.txt", "abc.txt", "docs/readme.md"}));
}

TEST_F(ArchiveWritingCommandsTest, EveryFormatAndSplitVolumes) {
    for (const char* format : {"zip", "7z", "tar", "tar.gz", "tar.xz"}) {
        const std::string archive = output(std::string("every.") + format);
        const auto created = run({"create", "--format", format, archive, path("docs")});
        ASSERT_EQ(created.exitStatus, 0) << format << ": " << created.err;
        EXPECT_EQ(testing::fileIds(testing::listWithEngine(archive)),
                  (std::vector<std::string>{"docs/readme.md", "docs/sub/deep.txt"}))
            << format;
    }
    const auto split = run({"create", "--format", "7z", "--split", "100m", "--password", "pw",
                            "--encrypt-names", output("split.7z"), path("docs")});
    ASSERT_EQ(split.exitStatus, 0) << split.err;
    EXPECT_EQ(split.out, output("split.7z.001") + "\n");
    const auto locked = run({"test", output("split.7z.001")});
    EXPECT_EQ(locked.exitStatus, 3);
    const auto unlocked = run({"test", "--password", "pw", output("split.7z.001")});
    EXPECT_EQ(unlocked.exitStatus, 0) << unlocked.err;
}

TEST_F(ArchiveWritingCommandsTest, UsageAndFailuresHaveTheirStatus) {
    struct Case {
        std::vector<std::string> arguments;
        int status;
        const char* message;
    };
    const std::vector<Case> cases{
        {{"create", output("x.zip"), path("docs")}, 2, "--format is required"},
        {{"create", "--format", "rar", output("x.rar"), path("docs")}, 2, "'rar' is not one of"},
        {{"create", "--format", "tar.gz", "--password", "p", output("x.tgz"), path("docs")},
         2,
         "cannot be encrypted"},
        {{"create", "--format", "zip", "--split", "3m", output("x.zip"), path("docs")},
         2,
         "--split"},
        {{"create", "--format", "zip", output("x.zip")}, 2, "SOURCE"},
        {{"create", "--format", "zip", output("x.zip"), path("missing")}, 1, "File not found"},
        {{"add", output("none.zip"), path("ab.txt")}, 1, "Archive file not found"},
        {{"delete", output("none.zip"), "x"}, 1, "Archive file not found"},
        {{"test"}, 2, "ARCHIVE"},
    };
    for (const Case& row : cases) {
        const auto result = run(row.arguments);
        EXPECT_EQ(result.exitStatus, row.status) << row.arguments.front() << " " << result.err;
        EXPECT_NE(result.err.find(row.message), std::string::npos) << result.err;
    }
    EXPECT_FALSE(fs::exists(output("x.zip")));

    // Read-only formats and unknown entries.
    ASSERT_EQ(run({"create", "--format", "tar.gz", output("ro.tar.gz"), path("docs")}).exitStatus,
              0);
    const auto readOnly = run({"add", output("ro.tar.gz"), path("ab.txt")});
    EXPECT_EQ(readOnly.exitStatus, 1);
    EXPECT_EQ(readOnly.err,
              "kelvane-cli: This archive format is read-only (only ZIP, 7Z, and TAR support adding "
              "or deleting entries).\n");
    ASSERT_EQ(run({"create", "--format", "zip", output("ids.zip"), path("docs")}).exitStatus, 0);
    const auto unknown = run({"delete", output("ids.zip"), "docs/nothing.txt"});
    EXPECT_EQ(unknown.exitStatus, 1);
    EXPECT_EQ(unknown.err, "kelvane-cli: No such entry in the archive: docs/nothing.txt\n");
}

TEST_F(ArchiveWritingCommandsTest, FailedTestExitsWith1AndPrintsTheToolsReport) {
    source_.write("data.bin", randomBytes(200000));
    const std::string archive = output("damaged.zip");
    ASSERT_EQ(run({"create", "--format", "zip", "--level", "store", archive, path("data.bin")})
                  .exitStatus,
              0);
    testing::corruptedCopy(archive, archive, 100000);
    const auto result = run({"test", archive});
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_NE(result.out.find("CRC Failed"), std::string::npos) << result.out;
}

TEST_F(ArchiveWritingCommandsTest, RelativePathsAndTheProgressLineOnATerminal) {
    const TerminalRun created = TerminalRun::run(
        {"create", "--format", "7z", "rel.7z", "docs", "ab.txt"}, source_.path(), kEnvironment);
    EXPECT_EQ(created.exitStatus, 0) << created.terminal;
    EXPECT_EQ(created.out, path("rel.7z") + "\n");
    EXPECT_EQ(testing::fileIds(testing::listWithEngine(path("rel.7z"))),
              (std::vector<std::string>{"ab.txt", "docs/readme.md", "docs/sub/deep.txt"}));
    // Redrawn in place, ending at 100 % and wiped before the program ends.
    EXPECT_NE(created.terminal.find("\r\x1b[K100%"), std::string::npos) << created.terminal;
    EXPECT_TRUE(created.terminal.ends_with("\r\x1b[K")) << created.terminal;

    const TerminalRun tested = TerminalRun::run({"test", "rel.7z"}, source_.path(), kEnvironment);
    EXPECT_EQ(tested.exitStatus, 0) << tested.terminal;
    EXPECT_EQ(tested.out, "All 3 files passed CRC integrity verification.\n");
}

TEST_F(ArchiveWritingCommandsTest, InterruptLeavesTheOldArchiveAndExitsWith130) {
    const std::string archive = output("keep.7z");
    { std::ofstream(archive) << "the old archive"; }
    source_.write("big.bin", randomBytes(96 * 1024 * 1024));
    CliProcess process({"create", "--format", "7z", "--level", "ultra", archive, path("big.bin")},
                       kEnvironment);
    const std::vector<pid_t> packing = process.childrenNamedOnceStarted("7zz");
    ASSERT_EQ(packing.size(), 1U) << "7-Zip never ran";
    ASSERT_EQ(::kill(process.pid(), SIGINT), 0);
    const auto result = process.wait();
    EXPECT_EQ(result.exitStatus, 130);
    EXPECT_EQ(result.err, "kelvane-cli: Operation cancelled.\n");
    EXPECT_EQ(readFile(archive), "the old archive");
    for (const auto& item : fs::directory_iterator(out_.path())) {
        EXPECT_EQ(item.path().filename(), "keep.7z");
    }
    EXPECT_NE(::kill(packing.front(), 0), 0) << "7-Zip outlived kelvane-cli";
}

TEST_F(ArchiveWritingCommandsTest, ConvertRepacksWithTheSourcePassword) {
    const std::string from = output("from.7z");
    ASSERT_EQ(run({"create", "--format", "7z", "--password", "old", "--encrypt-names", from,
                   path("docs"), path("a*.txt")})
                  .exitStatus,
              0);
    const auto converted = run({"convert", "--format", "tar.gz", "--level", "ultra",
                                "--source-password", "old", from, output("to.tar.gz")});
    ASSERT_EQ(converted.exitStatus, 0) << converted.err;
    EXPECT_EQ(converted.out, output("to.tar.gz") + "\n");
    EXPECT_EQ(testing::fileIds(testing::listWithEngine(output("to.tar.gz"))),
              (std::vector<std::string>{"a*.txt", "docs/readme.md", "docs/sub/deep.txt"}));

    const auto wrong = run(
        {"convert", "--format", "zip", "--source-password", "guess", from, output("never.zip")});
    EXPECT_EQ(wrong.exitStatus, 3);
    EXPECT_EQ(wrong.err,
              "kelvane-cli: Incorrect password. Please try again. Give the password with the "
              "option --source-password\n");
    EXPECT_FALSE(fs::exists(output("never.zip")));

    // Onto its own path, now with a new password.
    const auto same = run(
        {"convert", "--format", "7z", "--password", "new", "--source-password", "old", from, from});
    ASSERT_EQ(same.exitStatus, 0) << same.err;
    EXPECT_EQ(run({"test", "--password", "old", from}).exitStatus, 3);
    EXPECT_EQ(run({"test", "--password", "new", from}).exitStatus, 0);
}

TEST(TerminalProgressLineTest, SpeedFollowsTheBusyDisplaysRule) {
    using cli::TerminalProgressLine;
    constexpr std::int64_t kHundredMB = 100 * 1048576;
    EXPECT_EQ(TerminalProgressLine::speedText(0.005, kHundredMB, 2.0), "");
    EXPECT_EQ(TerminalProgressLine::speedText(0.5, kHundredMB, 5.0), "10.0 MB/s");
    EXPECT_EQ(TerminalProgressLine::speedText(0.5, 1048576, 5.0), "");  // total not above 1 MB
    EXPECT_EQ(TerminalProgressLine::speedText(0.5, kHundredMB, 0.25), "");
    EXPECT_EQ(TerminalProgressLine::speedText(0.5, 0, 5.0), "");
}

TEST(TerminalProgressLineTest, LineShowsPercentDetailAndSpeedWithinTheWidth) {
    using cli::TerminalProgressLine;
    EXPECT_EQ(TerminalProgressLine::lineText(0.421, "docs/a.txt", "", 80), " 42%  docs/a.txt");
    EXPECT_EQ(TerminalProgressLine::lineText(1.0, "", "3.5 MB/s", 80), "100%  \xC2\xB7  3.5 MB/s");
    // A long detail gives way to the speed; control characters cannot reach the terminal.
    const std::string cut =
        TerminalProgressLine::lineText(0.5, std::string(200, 'x') + "\x1b[2J", "3.5 MB/s", 40);
    EXPECT_EQ(cut, " 50%  " + std::string(21, 'x') + "  \xC2\xB7  3.5 MB/s");
    EXPECT_EQ(TerminalProgressLine::lineText(0.5, "a\x1b[2Jb", "", 80), " 50%  a\\x1b[2Jb");
}

TEST(TerminalProgressLineTest, DrawsInPlaceOnlyWhenEnabledAndWipesItself) {
    char* text = nullptr;
    std::size_t size = 0;
    std::FILE* memory = ::open_memstream(&text, &size);
    {
        cli::TerminalProgressLine line(0, memory, true);
        line.report(0.25, "first");
        line.report(0.5, "");
        line.clear();
    }
    std::fclose(memory);
    EXPECT_EQ(std::string(text, size), "\r\x1b[K 25%  first\r\x1b[K 50%  first\r\x1b[K");
    std::free(text);

    std::FILE* silent = ::open_memstream(&text, &size);
    { cli::TerminalProgressLine(0, silent, false).report(0.5, "x"); }
    std::fclose(silent);
    EXPECT_EQ(size, 0U);
    std::free(text);
}

}  // namespace
}  // namespace kelvane
