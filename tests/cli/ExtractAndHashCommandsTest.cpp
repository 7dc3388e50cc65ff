// kelvane-cli extract and hash run as a user would run them: destinations, selections by
// id, overwrite flags, passwords, exit statuses, the progress line and interruption.
#include <gtest/gtest.h>
#include <signal.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "CliProcess.hpp"
#include "TerminalRun.hpp"
#include "core/engine/ExtractionTestSupport.hpp"

namespace kelvane {
namespace {

namespace fs = std::filesystem;
using testing::CliProcess;
using testing::contentsBelow;
using testing::readFile;
using testing::runTool;
using testing::TerminalRun;
using Contents = std::map<std::string, std::string>;

const std::map<std::string, std::string> kEnvironment{{"TZ", "UTC"}, {"LANGUAGE", "en"}};

class ExtractAndHashCommandsTest : public ::testing::Test {
protected:
    void SetUp() override {
        source_.write("docs/readme.md", "hello\n");
        source_.write("docs/sub/deep.txt", "deep\n");
        source_.write("a*.txt", "star\n");
        source_.write("ab.txt", "ab\n");
        runTool(source_.path(), "bsdtar",
                {"--format", "zip", "-cf", archive(), "docs", "a*.txt", "ab.txt"});
    }

    static CliProcess::Outcome run(const std::vector<std::string>& arguments,
                                   std::map<std::string, std::string> environment = kEnvironment) {
        return CliProcess::run(arguments, environment);
    }
    std::string archive() const { return (out_.path() / "set.zip").string(); }
    fs::path target(const std::string& name) const { return target_.path() / name; }

    testing::TemporaryFolder source_;
    testing::TemporaryFolder out_;
    testing::TemporaryFolder target_;
};

TEST_F(ExtractAndHashCommandsTest, ExtractsNextToTheArchiveOrWhereToldAndPrintsTheFolder) {
    const auto whole = run({"extract", archive()});
    EXPECT_EQ(whole.exitStatus, 0) << whole.err;
    EXPECT_EQ(whole.err, "");  // not a terminal: no progress line
    EXPECT_EQ(whole.out, (out_.path() / "set").string() + "\n");
    EXPECT_EQ(contentsBelow(out_.path() / "set"), (Contents{{"a*.txt", "star\n"},
                                                            {"ab.txt", "ab\n"},
                                                            {"docs", "/"},
                                                            {"docs/readme.md", "hello\n"},
                                                            {"docs/sub", "/"},
                                                            {"docs/sub/deep.txt", "deep\n"}}));

    // Entries by id, taken literally; a folder brings what is below it.
    const auto picked =
        run({"extract", "--to", target("picked").string(), archive(), "a*.txt", "docs/sub"});
    EXPECT_EQ(picked.exitStatus, 0) << picked.err;
    EXPECT_EQ(picked.out, target("picked").string() + "\n");
    EXPECT_EQ(contentsBelow(target("picked")), (Contents{{"a*.txt", "star\n"},
                                                         {"docs", "/"},
                                                         {"docs/sub", "/"},
                                                         {"docs/sub/deep.txt", "deep\n"}}));

    const auto flat =
        run({"extract", "--no-smart-subfolder", "--to", target("flat").string(), archive()});
    EXPECT_EQ(flat.exitStatus, 0) << flat.err;
    EXPECT_TRUE(fs::exists(target("flat") / "ab.txt"));
}

TEST_F(ExtractAndHashCommandsTest, OverwriteFlags) {
    const fs::path where = target("modes");
    fs::create_directories(where);
    const auto extractAb = [&](const std::string& flag) {
        { std::ofstream(where / "ab.txt", std::ios::trunc) << "mine"; }
        std::vector<std::string> arguments{"extract", "--to", where.string()};
        if (!flag.empty()) arguments.push_back(flag);
        arguments.push_back(archive());
        arguments.push_back("ab.txt");
        const auto result = run(arguments);
        EXPECT_EQ(result.exitStatus, 0) << flag << ": " << result.err;
        return contentsBelow(where);
    };
    EXPECT_EQ(extractAb(""), (Contents{{"ab.txt", "ab\n"}}));
    EXPECT_EQ(extractAb("--overwrite"), (Contents{{"ab.txt", "ab\n"}}));
    EXPECT_EQ(extractAb("--skip-existing"), (Contents{{"ab.txt", "mine"}}));
    EXPECT_EQ(extractAb("--auto-rename"), (Contents{{"ab.txt", "mine"}, {"ab_1.txt", "ab\n"}}));
}

TEST_F(ExtractAndHashCommandsTest, HashPrintsBothDigestsAndTheSizeAndLeavesNothingBehind) {
    const testing::TemporaryFolder temporary;
    auto environment = kEnvironment;
    environment["TMPDIR"] = temporary.path().string();
    const auto result = run({"hash", archive(), "docs/readme.md"}, environment);
    EXPECT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_EQ(result.out,
              "SHA-256 5891b5b522d5df086d0ff0b110fbd9d21bb4fc7163af34d08286a2e846f6be03\n"
              "MD5     b1946ac92492d2347c6235b4d2611184\n"
              "Bytes   6\n");
    EXPECT_TRUE(fs::is_empty(temporary.path()));

    const auto star = run({"hash", archive(), "a*.txt"}, environment);
    EXPECT_EQ(star.exitStatus, 0) << star.err;
    EXPECT_NE(star.out.find("Bytes   5\n"), std::string::npos) << star.out;
}

TEST_F(ExtractAndHashCommandsTest, UsageFailuresAndPasswordsHaveTheirStatus) {
    const struct {
        std::vector<std::string> arguments;
        int status;
    } cases[] = {
        {{"extract"}, 2},
        {{"extract", "--skip-existing", "--auto-rename", archive()}, 2},
        {{"extract", "--to"}, 2},
        {{"hash", archive()}, 2},
        {{"hash", archive(), "docs"}, 2},  // a folder has no digest
        {{"hash", archive(), "a.txt", "ab.txt"}, 2},
        {{"extract", "--to", target("x").string(), archive(), "no/such/entry"}, 1},
        {{"hash", archive(), "no-such-entry"}, 1},
        {{"extract", (out_.path() / "missing.zip").string()}, 1},
    };
    for (const auto& c : cases) {
        const auto result = run(c.arguments);
        EXPECT_EQ(result.exitStatus, c.status) << c.arguments.back() << ": " << result.err;
        EXPECT_EQ(result.out, "");
        EXPECT_FALSE(result.err.empty());
    }

    const std::string secret = (out_.path() / "secret.7z").string();
    runTool(source_.path(), "7zz", {"a", "-bd", "-bso0", "-pSecret", secret, "docs"});
    const auto needed = run({"extract", "--to", target("s").string(), secret});
    EXPECT_EQ(needed.exitStatus, 3);
    EXPECT_EQ(needed.err,
              "kelvane-cli: This archive is encrypted. Enter the password to continue. Give the "
              "password with the option --password\n");
    const auto wrong = run({"hash", "--password", "nope", secret, "docs/readme.md"});
    EXPECT_EQ(wrong.exitStatus, 3);
    EXPECT_EQ(wrong.err,
              "kelvane-cli: Incorrect password. Please try again. Give the password with the "
              "option --password\n");
    const auto right = run({"hash", "--password", "Secret", secret, "docs/readme.md"});
    EXPECT_EQ(right.exitStatus, 0) << right.err;
    EXPECT_NE(right.out.find("Bytes   6\n"), std::string::npos);
}

TEST_F(ExtractAndHashCommandsTest, DestinationThatIsAFileIsRefusedInPlainWords) {
    const fs::path file = target("taken");
    std::ofstream(file) << "mine";
    const auto result = run({"extract", "--to", file.string(), archive()});
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_EQ(result.out, "");
    // With the smart subfolder the destination is "set" below the file: the file is named.
    EXPECT_EQ(result.err, "kelvane-cli: Cannot extract into " + file.string() +
                              ": it is a file, not a folder.\n");
    const auto flat = run({"extract", "--no-smart-subfolder", "--to", file.string(), archive()});
    EXPECT_EQ(flat.exitStatus, 1);
    EXPECT_EQ(flat.err, "kelvane-cli: Cannot extract into " + file.string() +
                            ": it is a file, not a folder.\n");
    EXPECT_EQ(readFile(file), "mine");
}

TEST_F(ExtractAndHashCommandsTest, HelpSaysWhenTheSmartSubfolderIsMade) {
    const auto help = run({"extract", "--help"});
    EXPECT_EQ(help.exitStatus, 0);
    EXPECT_NE(help.out.find("a single loose file"), std::string::npos) << help.out;
    EXPECT_NE(help.out.find("whose top is one folder is extracted\nas it is"), std::string::npos)
        << help.out;
}

TEST_F(ExtractAndHashCommandsTest, RelativePathsAndTheProgressLineOnATerminal) {
    source_.write("big.bin", testing::incompressibleBytes(8U << 20U));
    runTool(source_.path(), "7zz", {"a", "-bd", "-bso0", "-mx=0", "big.7z", "big.bin", "docs"});
    const TerminalRun extracted =
        TerminalRun::run({"extract", "--to", "rel", "big.7z"}, source_.path(), kEnvironment);
    EXPECT_EQ(extracted.exitStatus, 0) << extracted.terminal;
    EXPECT_EQ(extracted.out, (source_.path() / "rel/big").string() + "\n");
    EXPECT_EQ(readFile(source_.path() / "rel/big/big.bin"),
              testing::incompressibleBytes(8U << 20U));
    // Redrawn in place, ending at 100 % and wiped before the program ends.
    EXPECT_NE(extracted.terminal.find("\r\x1b[K100%"), std::string::npos) << extracted.terminal;
    EXPECT_TRUE(extracted.terminal.ends_with("\r\x1b[K")) << extracted.terminal;

    const TerminalRun hashed =
        TerminalRun::run({"hash", "big.7z", "big.bin"}, source_.path(), kEnvironment);
    EXPECT_EQ(hashed.exitStatus, 0) << hashed.terminal;
    EXPECT_NE(hashed.out.find("Bytes   8388608\n"), std::string::npos) << hashed.out;
    EXPECT_NE(hashed.terminal.find("\r\x1b[K100%  big.bin"), std::string::npos) << hashed.terminal;
}

TEST_F(ExtractAndHashCommandsTest, InterruptStopsTheToolAndExitsWith130) {
    source_.write("big/one.bin", testing::incompressibleBytes(64U << 20U, 1));
    source_.write("big/two.bin", testing::incompressibleBytes(64U << 20U, 2));
    const std::string big = (out_.path() / "big.7z").string();
    runTool(source_.path(), "7zz", {"a", "-bd", "-bso0", "-mx=0", big, "big"});
    CliProcess process({"extract", "--to", target("big").string(), big}, kEnvironment);
    const std::vector<pid_t> extracting = process.childrenNamedOnceStarted("7zz");
    ASSERT_EQ(extracting.size(), 1U) << "7-Zip never ran";
    ASSERT_EQ(::kill(process.pid(), SIGINT), 0);
    const auto result = process.wait();
    EXPECT_EQ(result.exitStatus, 130);
    EXPECT_EQ(result.err, "kelvane-cli: Operation cancelled.\n");
    EXPECT_EQ(result.out, "");
    EXPECT_NE(::kill(extracting.front(), 0), 0) << "7-Zip outlived kelvane-cli";
}

}  // namespace
}  // namespace kelvane
