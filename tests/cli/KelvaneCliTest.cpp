// kelvane-cli list and browse, run as a user would run them.
#include <gtest/gtest.h>
#include <signal.h>
#include <simdjson.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "CliProcess.hpp"
#include "core/engine/ListingTestSupport.hpp"

namespace kelvane {
namespace {

namespace fs = std::filesystem;
using testing::CliProcess;
using testing::runTool;

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> result;
    testing::feedLines(text, [&result](std::string_view line) { result.emplace_back(line); });
    return result;
}

// The tests read local times in UTC and messages in English unless they say otherwise.
const std::map<std::string, std::string> kEnvironment{{"TZ", "UTC"}, {"LANGUAGE", "en"}};

class KelvaneCliTest : public ::testing::Test {
protected:
    void SetUp() override {
        source_.write("docs/readme.md", "hello\n");
        source_.write("docs/sub/big.txt", std::string(3000, 'x'));
        source_.write("docs/photo.png", "not really a picture");
        source_.write("top.txt", "top\n");
        // Names with a tab and an escape character must not break a line or a terminal.
        source_.write("odd/tab\there.txt", "t");
        source_.write("odd/esc\x1b[31mred.txt", "e");
        const std::chrono::sys_seconds date(
            std::chrono::sys_days(std::chrono::year(2024) / 1 / 31).time_since_epoch() +
            std::chrono::hours(12) + std::chrono::minutes(34));
        for (const char* file :
             {"docs/readme.md", "docs/sub/big.txt", "docs/photo.png", "top.txt"}) {
            fs::last_write_time(source_.path() / file, fs::file_time_type::clock::from_sys(date));
        }
        // Named one by one, so the archive's order does not depend on the file system's.
        runTool(source_.path(), "zip",
                {"-q", zip().string(), "docs/readme.md", "docs/sub/big.txt", "docs/photo.png",
                 "top.txt", "odd/tab\there.txt", "odd/esc\x1b[31mred.txt"});
    }

    fs::path zip() const { return out_.path() / "sample.zip"; }

    static CliProcess::Outcome run(const std::vector<std::string>& arguments,
                                   std::map<std::string, std::string> environment = kEnvironment) {
        return CliProcess::run(arguments, environment);
    }

    testing::TemporaryFolder source_;
    testing::TemporaryFolder out_;
};

TEST_F(KelvaneCliTest, ListPrintsOneLinePerEntryInListingOrder) {
    const auto result = run({"list", zip().string()});
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    EXPECT_EQ(result.err, "");
    const auto printed = lines(result.out);
    ASSERT_EQ(printed.size(), 6U);
    EXPECT_EQ(printed[0], "F               6              6  2024-01-31 12:34:00  docs/readme.md");
    EXPECT_TRUE(printed[1].starts_with("F            3000 ")) << printed[1];
    EXPECT_TRUE(printed[1].ends_with("  docs/sub/big.txt")) << printed[1];
    EXPECT_TRUE(std::any_of(printed.begin(), printed.end(), [](const std::string& line) {
        return line.ends_with("  odd/tab\\there.txt");
    }));
    EXPECT_TRUE(std::any_of(printed.begin(), printed.end(), [](const std::string& line) {
        return line.ends_with("  odd/esc\\x1b[31mred.txt");
    }));
}

TEST_F(KelvaneCliTest, ListJsonIsOneDocumentWithTheModelsFieldNames) {
    const auto result = run({"list", "--json", zip().string()});
    ASSERT_EQ(result.exitStatus, 0) << result.err;
    simdjson::dom::parser parser;
    simdjson::dom::element document;
    ASSERT_EQ(parser.parse(result.out).get(document), simdjson::SUCCESS) << result.out;

    simdjson::dom::object info;
    ASSERT_EQ(document["info"].get(info), simdjson::SUCCESS);
    EXPECT_EQ(std::string_view(info["formatName"]), "ZIP");
    EXPECT_EQ(std::string_view(info["listEngine"]), "sevenZip");
    EXPECT_EQ(int64_t(info["fileCount"]), 6);
    EXPECT_EQ(int64_t(info["folderCount"]), 3);  // docs, docs/sub, odd
    EXPECT_EQ(bool(info["isModifiable"]), true);
    EXPECT_EQ(std::string_view(info["url"]), zip().string());
    std::vector<std::string_view> infoKeys;
    for (const auto field : info) infoKeys.push_back(field.key);
    EXPECT_EQ(infoKeys, (std::vector<std::string_view>{
                            "url", "formatName", "listEngine", "extractEngine", "physicalSize",
                            "totalUncompressedSize", "totalCompressedSize", "fileCount",
                            "folderCount", "isSolid", "hasEncryptedEntries", "isMultiVolume",
                            "volumeCount", "isModifiable", "loadDurationMs"}));

    simdjson::dom::array entries;
    ASSERT_EQ(document["entries"].get(entries), simdjson::SUCCESS);
    ASSERT_EQ(entries.size(), 6U);
    simdjson::dom::object first = entries.at(0);
    std::vector<std::string_view> entryKeys;
    for (const auto field : first) entryKeys.push_back(field.key);
    EXPECT_EQ(entryKeys,
              (std::vector<std::string_view>{
                  "id", "rawPath", "name", "lowercasedName", "lowercasedPath", "parentPath",
                  "isDirectory", "uncompressedSize", "compressedSize", "modifiedDate",
                  "isEncrypted", "crc32", "method", "xadIndex", "fileExtension", "category"}));
    EXPECT_EQ(std::string_view(first["id"]), "docs/readme.md");
    EXPECT_EQ(std::string_view(first["parentPath"]), "docs");
    EXPECT_EQ(std::string_view(first["modifiedDate"]), "2024-01-31T12:34:00Z");
    EXPECT_EQ(std::string_view(first["category"]), "codeText");
    EXPECT_TRUE(first["xadIndex"].is_null());
    EXPECT_EQ(std::string_view(entries.at(2)["category"]), "image");

    std::vector<std::string_view> ids;
    for (const auto entry : entries) ids.push_back(std::string_view(entry["id"]));
    // Control characters come back intact through the JSON escapes.
    EXPECT_NE(std::find(ids.begin(), ids.end(), "odd/tab\there.txt"), ids.end());
    EXPECT_NE(std::find(ids.begin(), ids.end(), "odd/esc\x1b[31mred.txt"), ids.end());
}

TEST_F(KelvaneCliTest, StatsFollowTheListingOrStandAloneWhenQuiet) {
    const auto quiet = run({"list", "--stats", "--quiet", zip().string()});
    ASSERT_EQ(quiet.exitStatus, 0) << quiet.err;
    const auto printed = lines(quiet.out);
    ASSERT_EQ(printed.size(), 1U) << quiet.out;
    simdjson::dom::parser parser;
    simdjson::dom::object stats;
    ASSERT_EQ(parser.parse(printed[0]).get(stats), simdjson::SUCCESS);
    std::vector<std::string_view> keys;
    for (const auto field : stats) keys.push_back(field.key);
    EXPECT_EQ(keys, (std::vector<std::string_view>{"entries", "files", "folders", "loadDurationMs",
                                                   "indexMs", "peakRssKiB"}));
    EXPECT_EQ(int64_t(stats["entries"]), 6);
    EXPECT_EQ(int64_t(stats["files"]), 6);
    EXPECT_EQ(int64_t(stats["folders"]), 3);
    EXPECT_GE(int64_t(stats["loadDurationMs"]), 1);
    EXPECT_GE(int64_t(stats["indexMs"]), 0);
    EXPECT_GT(int64_t(stats["peakRssKiB"]), 1000);

    const auto both = run({"list", "--stats", zip().string()});
    ASSERT_EQ(both.exitStatus, 0);
    const auto all = lines(both.out);
    ASSERT_EQ(all.size(), 7U);
    EXPECT_TRUE(all.back().starts_with("{\"entries\":6,")) << all.back();
}

TEST_F(KelvaneCliTest, BrowsePrintsTheIdsOfTheFolderView) {
    using Ids = std::vector<std::string>;
    EXPECT_EQ(lines(run({"browse", zip().string()}).out), (Ids{"docs", "odd", "top.txt"}));
    EXPECT_EQ(lines(run({"browse", "--folder", "docs", zip().string()}).out),
              (Ids{"docs/sub", "docs/photo.png", "docs/readme.md"}));
    EXPECT_EQ(
        lines(run({"browse", "--folder", "docs", "--sort", "size", "--descending", zip().string()})
                  .out),
        (Ids{"docs/sub", "docs/photo.png", "docs/readme.md"}));
    EXPECT_EQ(lines(run({"browse", "--folder=docs", "--sort", "size", zip().string()}).out),
              (Ids{"docs/sub", "docs/readme.md", "docs/photo.png"}));
    // Search covers the subtree, names and paths alike.
    EXPECT_EQ(lines(run({"browse", "--search", " SUB ", zip().string()}).out),
              (Ids{"docs/sub", "docs/sub/big.txt"}));
    EXPECT_EQ(lines(run({"browse", "--filter", "images", zip().string()}).out),
              (Ids{"docs/photo.png"}));
    EXPECT_EQ(lines(run({"browse", "--filter", "folders", "--folder", "docs", zip().string()}).out),
              (Ids{"docs/sub"}));
    EXPECT_EQ(run({"browse", "--json", "--folder", "docs/sub", zip().string()}).out,
              "[\"docs/sub/big.txt\"]\n");
    EXPECT_EQ(run({"browse", "--json", "--folder", "nowhere", zip().string()}).out, "[]\n");
}

TEST_F(KelvaneCliTest, BadUsageExitsWith2) {
    for (const std::vector<std::string>& arguments : std::vector<std::vector<std::string>>{
             {"list"},
             {"list", "a.zip", "b.zip"},
             {"list", "--frobnicate", zip().string()},
             {"list", "--json=yes", zip().string()},
             {"list", zip().string(), "--password"},
             {"browse", "--filter", "pictures", zip().string()},
             {"browse", "--sort", "date", zip().string()},
             {"no-such-command"},
         }) {
        const auto result = run(arguments);
        EXPECT_EQ(result.exitStatus, 2) << arguments.front() << " " << result.err;
        EXPECT_EQ(result.out, "");
        EXPECT_FALSE(result.err.empty());
    }
    const auto help = run({"list", "--help"});
    EXPECT_EQ(help.exitStatus, 0);
    EXPECT_NE(help.out.find("--stats"), std::string::npos);
}

TEST_F(KelvaneCliTest, FailuresExitWithTheirStatusAndOneLineInTheInterfaceLanguage) {
    const auto missing = run({"list", (out_.path() / "missing.zip").string()});
    EXPECT_EQ(missing.exitStatus, 1);
    EXPECT_EQ(lines(missing.err).size(), 1U);
    EXPECT_TRUE(missing.err.starts_with("kelvane-cli: Archive file not found.")) << missing.err;

    auto turkish = kEnvironment;
    turkish["LANGUAGE"] = "tr";
    const auto missingInTurkish = run({"list", (out_.path() / "missing.zip").string()}, turkish);
    EXPECT_TRUE(missingInTurkish.err.starts_with("kelvane-cli: Arşiv dosyası bulunamadı."))
        << missingInTurkish.err;

    // Other languages come from the packs the build tree carries next to the program.
    simdjson::dom::parser parser;
    const simdjson::padded_string germanPack =
        simdjson::padded_string::load(KELVANE_SOURCE_PACKS_DIR "/de.json");
    const std::string_view german = parser.parse(germanPack)["strings"]["Archive file not found."];
    auto inGerman = kEnvironment;
    inGerman["LANGUAGE"] = "de";
    const auto missingInGerman = run({"list", (out_.path() / "missing.zip").string()}, inGerman);
    ASSERT_FALSE(german.empty());
    EXPECT_TRUE(missingInGerman.err.starts_with("kelvane-cli: " + std::string(german) + " ("))
        << missingInGerman.err;

    // A damaged archive: both tools fail; their multi-line complaint becomes one line.
    const auto damaged = run(
        {"list", fs::path(KELVANE_FIXTURES_DIR) / "corpus/zip/test_read_format_zip_padded1.zip"});
    EXPECT_EQ(damaged.exitStatus, 1);
    EXPECT_EQ(lines(damaged.err).size(), 1U) << damaged.err;
    EXPECT_EQ(damaged.out, "");
}

TEST_F(KelvaneCliTest, PasswordProblemsExitWith3) {
    runTool(
        source_.path(), "7zz",
        {"a", "-bd", "-bso0", "-mhe=on", "-pSecret", (out_.path() / "names.7z").string(), "docs"});
    const std::string archive = (out_.path() / "names.7z").string();
    const auto needed = run({"list", archive});
    EXPECT_EQ(needed.exitStatus, 3);
    EXPECT_EQ(needed.err,
              "kelvane-cli: This archive is encrypted. Enter the password to continue.\n");
    const auto wrong = run({"list", "--password", "nope", archive});
    EXPECT_EQ(wrong.exitStatus, 3);
    EXPECT_EQ(wrong.err, "kelvane-cli: Incorrect password. Please try again.\n");
    const auto right = run({"browse", "--password", "Secret", "--filter", "encrypted", "--folder",
                            "docs/sub", archive});
    EXPECT_EQ(right.exitStatus, 0) << right.err;
    EXPECT_EQ(right.out, "docs/sub/big.txt\n");
}

// The unarchiver spins on this damaged sample; SIGINT to kelvane-cli alone must stop the
// tool through the cancellation token and exit with 130.
TEST_F(KelvaneCliTest, InterruptCancelsTheRunningToolAndExitsWith130) {
    CliProcess process(
        {"list", (fs::path(KELVANE_FIXTURES_DIR) / "corpus/7z/test_read_format_7zip_entries_oom.7z")
                     .string()},
        kEnvironment);
    const std::vector<pid_t> spinning = process.childrenNamedOnceStarted("lsar");
    ASSERT_EQ(spinning.size(), 1U) << "the unarchiver never ran";
    ASSERT_EQ(::kill(process.pid(), SIGINT), 0);
    const auto result = process.wait();
    EXPECT_EQ(result.exitStatus, 130);
    EXPECT_EQ(result.err, "kelvane-cli: Operation cancelled.\n");
    EXPECT_EQ(result.out, "");
    EXPECT_NE(::kill(spinning.front(), 0), 0) << "the unarchiver outlived kelvane-cli";
}

}  // namespace
}  // namespace kelvane
