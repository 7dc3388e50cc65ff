#include <gtest/gtest.h>

#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "localization/PluralForms.hpp"

namespace kelvane {
namespace {

using Members = std::vector<std::pair<std::string_view, std::string_view>>;

TEST(PluralFormsTest, AcceptsOnlyKnownCategoriesWithTheNumberInEveryForm) {
    struct Case {
        const char* what;
        Members members;
        bool accepted;
    };
    const std::vector<Case> cases{
        {"only other", {{"other", "%d 個のファイル"}}, true},
        {"all six",
         {{"zero", "%d ملف"},
          {"one", "%d ملف"},
          {"two", "%d ملف"},
          {"few", "%d ملفات"},
          {"many", "%d ملفًا"},
          {"other", "%d ملف"}},
         true},
        {"number after the noun", {{"one", "파일 %d개"}, {"other", "파일 %d개"}}, true},
        {"no other", {{"one", "%d Datei"}, {"few", "%d Dateien"}}, false},
        {"nothing at all", {}, false},
        {"unknown category",
         {{"one", "%d Datei"}, {"plural", "%d Dateien"}, {"other", "%d"}},
         false},
        {"category in capitals", {{"One", "%d Datei"}, {"other", "%d Dateien"}}, false},
        {"category twice",
         {{"one", "%d Datei"}, {"one", "%d Datei"}, {"other", "%d Dateien"}},
         false},
        {"form without the number", {{"one", "eine Datei"}, {"other", "%d Dateien"}}, false},
        {"empty form", {{"one", ""}, {"other", "%d Dateien"}}, false},
        {"number twice", {{"other", "%d Dateien (%d)"}}, false},
        {"another placeholder", {{"other", "%s Dateien"}}, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(PluralForms::fromMembers(c.members).has_value(), c.accepted) << c.what;
    }
}

TEST(PluralFormsTest, PutsTheNumberInTheChosenFormOrInTheOtherForm) {
    const std::optional<PluralForms> russian = PluralForms::fromMembers(Members{
        {"one", "%d файл"}, {"few", "%d файла"}, {"many", "%d файлов"}, {"other", "%d файла"}});
    ASSERT_TRUE(russian);
    EXPECT_EQ(russian->withNumber(PluralCategory::one, "21"), "21 файл");
    EXPECT_EQ(russian->withNumber(PluralCategory::few, "1 002"), "1 002 файла");
    EXPECT_EQ(russian->withNumber(PluralCategory::many, "111"), "111 файлов");
    // A category the pack has no form for reads the "other" form.
    EXPECT_FALSE(russian->has(PluralCategory::two));
    EXPECT_EQ(russian->withNumber(PluralCategory::two, "2"), "2 файла");

    const std::optional<PluralForms> korean =
        PluralForms::fromMembers(Members{{"other", "파일 %d개"}});
    ASSERT_TRUE(korean);
    EXPECT_EQ(korean->withNumber(PluralCategory::other, "1,000"), "파일 1,000개");
    // The number is put in as it is, even when it looks like a placeholder itself.
    EXPECT_EQ(korean->withNumber(PluralCategory::other, "%d"), "파일 %d개");
}

TEST(PluralFormsTest, OnlyATextWithOnePlaceholderIsACountPattern) {
    EXPECT_TRUE(PluralForms::isCountPattern("%d files"));
    EXPECT_TRUE(PluralForms::isCountPattern("All %d files passed integrity verification."));
    EXPECT_FALSE(PluralForms::isCountPattern("Files"));
    EXPECT_FALSE(PluralForms::isCountPattern("%1 of %2 archives extracted."));
    EXPECT_FALSE(PluralForms::isCountPattern("%d of %d"));
}

}  // namespace
}  // namespace kelvane
