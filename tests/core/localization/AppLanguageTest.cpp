#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <set>

#include "localization/AppLanguage.hpp"
#include "platform/UserDefaults.hpp"
#include "support/ScopedEnvironment.hpp"

namespace kelvane {
namespace {

using testing::ScopedEnvironment;

std::string describe(std::optional<AppLanguage> language) {
    return language ? std::string(language->rawValue()) : std::string("(none)");
}

TEST(AppLanguageTest, CasesCodesAndNames) {
    const auto cases = AppLanguage::allCases();
    ASSERT_EQ(cases.size(), 37U);
    EXPECT_EQ(cases.front(), AppLanguage::ar);
    EXPECT_EQ(cases[17], AppLanguage::id);
    EXPECT_EQ(cases.back(), AppLanguage::zhHant);

    std::set<std::string_view> codes;
    for (const AppLanguage language : cases) {
        codes.insert(language.rawValue());
        EXPECT_EQ(AppLanguage::fromRawValue(language.rawValue()), language);
        EXPECT_EQ(language.locale(), language.rawValue());
        EXPECT_FALSE(language.nativeName().empty());
    }
    EXPECT_EQ(codes.size(), 37U);

    // Raw codes are matched exactly, case and all.
    EXPECT_EQ(AppLanguage::fromRawValue("pt-BR"), AppLanguage::ptBR);
    EXPECT_EQ(AppLanguage::fromRawValue("pt-br"), std::nullopt);
    EXPECT_EQ(AppLanguage::fromRawValue("system"), std::nullopt);

    EXPECT_EQ(AppLanguage(AppLanguage::de).shortCode(), "DE");
    EXPECT_EQ(AppLanguage(AppLanguage::ptBR).shortCode(), "PT");
    EXPECT_EQ(AppLanguage(AppLanguage::ptPT).shortCode(), "PT-PT");
    EXPECT_EQ(AppLanguage(AppLanguage::zhHans).shortCode(), "ZH");
    EXPECT_EQ(AppLanguage(AppLanguage::zhHant).shortCode(), "ZH-TW");
    EXPECT_EQ(AppLanguage(AppLanguage::nb).englishName(), "Norwegian Bokmål");

    EXPECT_EQ(AppLanguage(AppLanguage::ptPT).fallbackParent(), AppLanguage::ptBR);
    EXPECT_EQ(AppLanguage(AppLanguage::zhHant).fallbackParent(), AppLanguage::zhHans);
    for (const AppLanguage language : cases) {
        if (language != AppLanguage::ptPT && language != AppLanguage::zhHant) {
            EXPECT_EQ(language.fallbackParent(), std::nullopt) << language.rawValue();
        }
    }
}

TEST(AppLanguageTest, DisplayNameAddsTheEnglishNameWhenItDiffers) {
    EXPECT_EQ(AppLanguage(AppLanguage::en).displayName(), "English");
    EXPECT_EQ(AppLanguage(AppLanguage::de).displayName(), "Deutsch (German)");
    EXPECT_EQ(AppLanguage(AppLanguage::tr).displayName(), "Türkçe (Turkish)");
    EXPECT_EQ(AppLanguage(AppLanguage::ja).displayName(), "日本語 (Japanese)");
    EXPECT_EQ(AppLanguage(AppLanguage::ptBR).displayName(),
              "Português (Brasil) (Portuguese (Brazil))");
}

TEST(AppLanguageTest, MatchMapsTagsToLanguages) {
    struct Case {
        const char* tag;
        std::optional<AppLanguage> expected;
    };
    const Case cases[] = {
        {"de", AppLanguage::de},
        {"EN", AppLanguage::en},
        {"PT-br", AppLanguage::ptBR},
        {"zh-hant", AppLanguage::zhHant},
        {"zh-Hans", AppLanguage::zhHans},
        {"de-AT", AppLanguage::de},
        {"de_CH", AppLanguage::de},
        {" \tfr-CA\n", AppLanguage::fr},
        {"he", AppLanguage::he},
        {"iw-IL", AppLanguage::he},
        {"in", AppLanguage::id},
        {"id-ID", AppLanguage::id},
        {"it-IT", AppLanguage::it},
        {"zh", AppLanguage::zhHans},
        {"zh-CN", AppLanguage::zhHans},
        {"zh-SG", AppLanguage::zhHans},
        {"zh-Hant-TW", AppLanguage::zhHant},
        {"zh-TW", AppLanguage::zhHant},
        {"zh_HK", AppLanguage::zhHant},
        {"zh-MO", AppLanguage::zhHant},
        {"pt", AppLanguage::ptBR},
        {"pt-AO", AppLanguage::ptBR},
        {"pt-PT", AppLanguage::ptPT},
        {"pt_pt", AppLanguage::ptPT},
        {"no", AppLanguage::nb},
        {"nn-NO", AppLanguage::nb},
        {"nb-NO", AppLanguage::nb},
        {"uk-UA", AppLanguage::uk},
        {"-sv", AppLanguage::sv},
        {"sr-Latn", std::nullopt},
        {"fil", std::nullopt},
        {"nob", std::nullopt},
        {"zz-DE", std::nullopt},
        {"", std::nullopt},
        {"   ", std::nullopt},
        {"\n", std::nullopt},
        {"-", std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(describe(AppLanguage::match(c.tag)), describe(c.expected))
            << "tag \"" << c.tag << "\"";
    }
}

TEST(AppLanguageTest, ResolveTakesTheFirstMatchingTag) {
    const std::vector<std::string> chinese = {"sr-RS", "zh-Hant-TW", "en-US"};
    EXPECT_EQ(AppLanguage::resolve(chinese), AppLanguage::zhHant);
    const std::vector<std::string> german = {"fil", "de-DE", "fr"};
    EXPECT_EQ(AppLanguage::resolve(german), AppLanguage::de);
    const std::vector<std::string> unmatched = {"sr-RS", "fil", ""};
    EXPECT_EQ(AppLanguage::resolve(unmatched), AppLanguage::en);
    EXPECT_EQ(AppLanguage::resolve({}), AppLanguage::en);
}

// Tests of the stored preference: the standard store lives in this test
// binary's private configuration folder.
class CurrentLanguageTest : public ::testing::Test {
protected:
    void SetUp() override {
        const char* configHome = std::getenv("XDG_CONFIG_HOME");
        ASSERT_NE(configHome, nullptr);
        ASSERT_EQ(UserDefaults::standard().file().parent_path().parent_path(),
                  std::filesystem::path(configHome));
        UserDefaults::standard().remove(AppLanguage::defaultsKey);
        AppLanguage::reloadCurrent();
        environment_.unset("LANGUAGE");
        environment_.unset("LC_ALL");
        environment_.unset("LC_MESSAGES");
        environment_.set("LANG", "de_DE.UTF-8");
    }
    void TearDown() override { UserDefaults::standard().remove(AppLanguage::defaultsKey);
        AppLanguage::reloadCurrent(); }

    ScopedEnvironment environment_;
};

TEST_F(CurrentLanguageTest, StoredValueDecidesOrDefersToTheSystem) {
    struct Case {
        std::optional<std::string> stored;
        AppLanguage current;
        bool following;
    };
    const Case cases[] = {
        {std::nullopt, AppLanguage::de, true}, {"", AppLanguage::de, true},
        {" \n\t", AppLanguage::de, true},      {"system", AppLanguage::de, true},
        {"  SYSTEM  ", AppLanguage::de, true}, {"tr", AppLanguage::tr, false},
        {"pt_BR", AppLanguage::ptBR, false},   {" zh-Hant\n", AppLanguage::zhHant, false},
        {"xx", AppLanguage::de, false},        {"systemic", AppLanguage::de, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored.value_or("(absent)"));
        if (c.stored) {
            UserDefaults::standard().setString(AppLanguage::defaultsKey, *c.stored);
        } else {
            UserDefaults::standard().remove(AppLanguage::defaultsKey);
        }
        // Written behind the language type's back: forget the kept choice.
        AppLanguage::reloadCurrent();
        EXPECT_EQ(AppLanguage::current(), c.current);
        EXPECT_EQ(AppLanguage::isFollowingSystem(), c.following);
    }
}

TEST_F(CurrentLanguageTest, SystemLanguageComesFromTheEnvironmentOnEveryRead) {
    EXPECT_EQ(AppLanguage::current(), AppLanguage::de);

    environment_.set("LANGUAGE", "fil:sv_SE:fr");
    EXPECT_EQ(AppLanguage::current(), AppLanguage::sv);
    EXPECT_EQ(AppLanguage::systemResolved(), AppLanguage::sv);

    environment_.set("LANGUAGE", "");
    environment_.set("LC_ALL", "C");
    environment_.set("LC_MESSAGES", "pt_PT.UTF-8");
    EXPECT_EQ(AppLanguage::current(), AppLanguage::ptPT);

    environment_.set("LC_MESSAGES", "POSIX");
    environment_.set("LANG", "C.UTF-8");
    EXPECT_EQ(AppLanguage::current(), AppLanguage::en);

    environment_.set("LANG", "sr_RS.UTF-8");
    EXPECT_EQ(AppLanguage::current(), AppLanguage::en);
}

TEST_F(CurrentLanguageTest, SetCurrentAndFollowSystemAreStoredAndPersist) {
    AppLanguage::setCurrent(AppLanguage::ja);
    EXPECT_EQ(UserDefaults::standard().string(AppLanguage::defaultsKey), "ja");
    EXPECT_EQ(AppLanguage::current(), AppLanguage::ja);
    EXPECT_FALSE(AppLanguage::isFollowingSystem());
    // Written through to the file, where the next start reads it.
    EXPECT_EQ(UserDefaults(UserDefaults::standard().file()).string(AppLanguage::defaultsKey), "ja");

    AppLanguage::setCurrent(AppLanguage::id);
    EXPECT_EQ(AppLanguage::current(), AppLanguage::id);

    AppLanguage::setFollowSystem();
    EXPECT_EQ(UserDefaults::standard().string(AppLanguage::defaultsKey), "system");
    EXPECT_TRUE(AppLanguage::isFollowingSystem());
    EXPECT_EQ(AppLanguage::current(), AppLanguage::de);
}

TEST_F(CurrentLanguageTest, SortedCasesFollowEnglishNamesForAnEnglishLocale) {
    AppLanguage::setCurrent(AppLanguage::en);
    const std::vector<std::string_view> expected = {
        "Arabic",
        "Azerbaijani",
        "Bulgarian",
        "Catalan",
        "Chinese (Simplified)",
        "Chinese (Traditional)",
        "Croatian",
        "Czech",
        "Danish",
        "Dutch",
        "English",
        "Finnish",
        "French",
        "German",
        "Greek",
        "Hebrew",
        "Hindi",
        "Hungarian",
        "Indonesian",
        "Italian",
        "Japanese",
        "Korean",
        "Malay",
        "Norwegian Bokmål",
        "Persian",
        "Polish",
        "Portuguese (Brazil)",
        "Portuguese (Portugal)",
        "Romanian",
        "Russian",
        "Slovak",
        "Spanish",
        "Swedish",
        "Thai",
        "Turkish",
        "Ukrainian",
        "Vietnamese",
    };
    std::vector<std::string_view> names;
    for (const AppLanguage language : AppLanguage::sortedCases()) {
        names.push_back(language.englishName());
    }
    EXPECT_EQ(names, expected);
}

}  // namespace
}  // namespace kelvane
