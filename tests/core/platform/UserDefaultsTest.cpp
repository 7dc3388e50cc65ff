#include <gtest/gtest.h>
#include <simdjson.h>
#include <sys/stat.h>

#include <barrier>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "platform/UserDefaults.hpp"
#include "support/TemporaryFolder.hpp"

namespace kelvane {
namespace {

namespace fs = std::filesystem;
using testing::readFile;
using testing::TemporaryFolder;

std::vector<std::string> namesIn(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& item : fs::directory_iterator(folder)) {
        names.push_back(item.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

void expectValidJsonObject(const fs::path& file) {
    simdjson::dom::parser parser;
    simdjson::dom::element root;
    const simdjson::padded_string text(readFile(file));
    ASSERT_EQ(parser.parse(text).get(root), simdjson::SUCCESS) << text;
    EXPECT_TRUE(root.is_object()) << text;
}

TEST(UserDefaultsTest, StandardStoreLivesInTheConfigurationHome) {
    const char* configHome = std::getenv("XDG_CONFIG_HOME");
    ASSERT_NE(configHome, nullptr);
    EXPECT_EQ(UserDefaults::standard().file(),
              fs::path(configHome) / "Tessaloom" / "defaults.json");
}

TEST(UserDefaultsTest, ValuesSurviveARoundTripThroughTheFile) {
    const TemporaryFolder folder;
    const fs::path file = folder.path() / "config" / "Tessaloom" / "defaults.json";
    const std::string awkward = std::string("quote \" back \\ slash\nline\ttab \x01 end ") + '\0' +
                                " nul · Türkçe ⌘ 日本語 \xF0\x9F\x93\xA6";
    {
        UserDefaults defaults(file);
        EXPECT_EQ(defaults.string("missing"), std::nullopt);
        defaults.setString("com.tessaloom.preferredLanguage", "pt-BR");
        defaults.setString("awkward", awkward);
        defaults.setStringArray("com.tessaloom.kelvane.recentArchives",
                                {"Downloads/a b.zip", "Backups/\"quoted\".7z", awkward});
        defaults.setStringArray("empty", {});
        defaults.setString("doomed", "x");
        defaults.remove("doomed");
        defaults.remove("never-there");
        EXPECT_EQ(defaults.string("awkward"), awkward);
    }
    expectValidJsonObject(file);

    const UserDefaults reread(file);
    EXPECT_EQ(reread.string("com.tessaloom.preferredLanguage"), "pt-BR");
    EXPECT_EQ(reread.string("awkward"), awkward);
    EXPECT_EQ(reread.stringArray("com.tessaloom.kelvane.recentArchives"),
              (std::vector<std::string>{"Downloads/a b.zip", "Backups/\"quoted\".7z", awkward}));
    EXPECT_EQ(reread.stringArray("empty"), std::vector<std::string>{});
    EXPECT_EQ(reread.string("doomed"), std::nullopt);
    // A value of another kind is not reported as this kind.
    EXPECT_EQ(reread.string("empty"), std::nullopt);
    EXPECT_EQ(reread.stringArray("awkward"), std::nullopt);

    // The folders it had to make are private to the user.
    struct stat info {};
    ASSERT_EQ(::stat(file.parent_path().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700U);
    ASSERT_EQ(::stat(file.parent_path().parent_path().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700U);
}

TEST(UserDefaultsTest, IllFormedUtf8IsRepairedSoTheFileStaysReadable) {
    const TemporaryFolder folder;
    const fs::path file = folder.path() / "defaults.json";
    {
        UserDefaults defaults(file);
        defaults.setString("path", "caf\xE9.zip");
        defaults.setStringArray("list", {"ok", "bad \xC3"});
        EXPECT_EQ(defaults.string("path"), "caf\xEF\xBF\xBD.zip");
    }
    expectValidJsonObject(file);
    const UserDefaults reread(file);
    EXPECT_EQ(reread.string("path"), "caf\xEF\xBF\xBD.zip");
    EXPECT_EQ(reread.stringArray("list"), (std::vector<std::string>{"ok", "bad \xEF\xBF\xBD"}));
}

TEST(UserDefaultsTest, RewritingKeepsValuesItDoesNotReadExactly) {
    const TemporaryFolder folder;
    const fs::path file = folder.write("defaults.json", R"({
  "other.app.window": {"frame": [10, 20.50, 300], "visible": true, "tag": null},
  "other.app.count": 1.250e3,
  "other.app.flag": false,
  "other.app.mixed": ["a", 1, {"b": "c"}],
  "com.tessaloom.preferredLanguage": "de"
})");
    {
        UserDefaults defaults(file);
        EXPECT_EQ(defaults.string("com.tessaloom.preferredLanguage"), "de");
        EXPECT_EQ(defaults.stringArray("other.app.mixed"), std::nullopt);
        defaults.setString("com.tessaloom.preferredLanguage", "tr");
    }
    const std::string rewritten = readFile(file);
    EXPECT_NE(
        rewritten.find(
            R"("other.app.window": {"frame": [10, 20.50, 300], "visible": true, "tag": null})"),
        std::string::npos)
        << rewritten;
    EXPECT_NE(rewritten.find(R"("other.app.count": 1.250e3)"), std::string::npos) << rewritten;
    EXPECT_NE(rewritten.find(R"("other.app.flag": false)"), std::string::npos) << rewritten;
    EXPECT_NE(rewritten.find(R"("other.app.mixed": ["a", 1, {"b": "c"}])"), std::string::npos)
        << rewritten;
    EXPECT_EQ(UserDefaults(file).string("com.tessaloom.preferredLanguage"), "tr");
    // Nothing but the file itself is left behind.
    EXPECT_EQ(namesIn(folder.path()), std::vector<std::string>{"defaults.json"});
}

TEST(UserDefaultsTest, UnreadableFileIsMovedAsideNotOverwritten) {
    const std::vector<std::string> unreadable = {
        R"({"com.tessaloom.preferredLanguage": "de", )",  // cut off mid-write by another program
        R"(["an", "array"])",                             // JSON, but not a settings object
        "{\"key\": \"caf\xE9\"}",                         // not UTF-8
    };
    for (const std::string& contents : unreadable) {
        SCOPED_TRACE(contents);
        const TemporaryFolder folder;
        const fs::path file = folder.write("defaults.json", contents);

        UserDefaults defaults(file);
        EXPECT_EQ(defaults.string("com.tessaloom.preferredLanguage"), std::nullopt);
        EXPECT_EQ(readFile(file), contents) << "reading must not touch the file";

        defaults.setString("com.tessaloom.preferredLanguage", "tr");
        defaults.setString("second", "write");

        std::vector<std::string> names = namesIn(folder.path());
        ASSERT_EQ(names.size(), 2U);
        EXPECT_EQ(names[0], "defaults.json");
        EXPECT_EQ(names[1].rfind("defaults.json.corrupt-", 0), 0U) << names[1];
        EXPECT_EQ(readFile(folder.path() / names[1]), contents);

        const UserDefaults reread(file);
        EXPECT_EQ(reread.string("com.tessaloom.preferredLanguage"), "tr");
        EXPECT_EQ(reread.string("second"), "write");
    }
}

TEST(UserDefaultsTest, EmptyFileReadsAsEmptyAndIsReplaced) {
    const TemporaryFolder folder;
    const fs::path file = folder.write("defaults.json", "");
    UserDefaults defaults(file);
    defaults.setString("k", "v");
    EXPECT_EQ(namesIn(folder.path()), std::vector<std::string>{"defaults.json"});
    EXPECT_EQ(UserDefaults(file).string("k"), "v");
}

TEST(UserDefaultsTest, FailedWriteThrowsAndKeepsTheOldValues) {
    const TemporaryFolder folder;
    // The settings folder cannot exist because a file has its name.
    folder.write("blocked", "not a folder");
    UserDefaults defaults(folder.path() / "blocked" / "defaults.json");
    EXPECT_THROW(defaults.setString("k", "v"), fs::filesystem_error);
    EXPECT_EQ(defaults.string("k"), std::nullopt);
    EXPECT_EQ(readFile(folder.path() / "blocked"), "not a folder");
}

TEST(UserDefaultsTest, ConcurrentWritersLeaveAValidCompleteFile) {
    const TemporaryFolder folder;
    const fs::path file = folder.path() / "defaults.json";
    UserDefaults defaults(file);

    constexpr int kThreads = 6;
    constexpr int kWrites = 40;
    std::barrier start(kThreads);
    std::vector<std::thread> writers;
    for (int t = 0; t < kThreads; ++t) {
        writers.emplace_back([&defaults, &start, t] {
            const std::string key = "writer." + std::to_string(t);
            start.arrive_and_wait();
            for (int i = 0; i < kWrites; ++i) {
                defaults.setString(key, std::to_string(i));
                defaults.setStringArray(key + ".list", {key, std::to_string(i)});
                // Readers run alongside the writers.
                EXPECT_TRUE(defaults.string(key).has_value());
            }
        });
    }
    for (auto& writer : writers) writer.join();

    expectValidJsonObject(file);
    const UserDefaults reread(file);
    for (int t = 0; t < kThreads; ++t) {
        const std::string key = "writer." + std::to_string(t);
        EXPECT_EQ(reread.string(key), std::to_string(kWrites - 1));
        EXPECT_EQ(reread.stringArray(key + ".list"),
                  (std::vector<std::string>{key, std::to_string(kWrites - 1)}));
    }
    EXPECT_EQ(namesIn(folder.path()), std::vector<std::string>{"defaults.json"});
}

}  // namespace
}  // namespace kelvane
