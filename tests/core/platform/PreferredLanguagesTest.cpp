#include <gtest/gtest.h>

#include "platform/PreferredLanguages.hpp"
#include "support/ScopedEnvironment.hpp"

namespace kelvane {
namespace {

using testing::ScopedEnvironment;
using Tags = std::vector<std::string>;

TEST(PreferredLanguagesTest, ListFollowsTheLocaleVariablesInOrder) {
    struct Case {
        const char* language;  // nullptr: unset
        const char* lcAll;
        const char* lcMessages;
        const char* lang;
        Tags expected;
    };
    const Case cases[] = {
        {"de_DE.UTF-8:ca_ES@valencia::C:pt_BR",
         "",
         "POSIX",
         "en_US.UTF-8",
         {"de-DE", "ca-ES", "pt-BR", "en-US"}},
        {nullptr, "fr_CA.ISO-8859-1", "ja_JP.eucJP", "en_GB", {"fr-CA", "ja-JP", "en-GB"}},
        {nullptr, nullptr, nullptr, "tr_TR.UTF-8@euro", {"tr-TR"}},
        // Repeats are dropped; the first place counts.
        {"sv:de", nullptr, "de", "sv_SE.UTF-8", {"sv", "de", "sv-SE"}},
        {nullptr, "C.UTF-8", nullptr, "POSIX", {}},
        {"", "", "", "", {}},
        {nullptr, nullptr, nullptr, nullptr, {}},
    };
    for (const Case& c : cases) {
        ScopedEnvironment environment;
        const auto apply = [&environment](const char* name, const char* value) {
            if (value == nullptr) {
                environment.unset(name);
            } else {
                environment.set(name, value);
            }
        };
        apply("LANGUAGE", c.language);
        apply("LC_ALL", c.lcAll);
        apply("LC_MESSAGES", c.lcMessages);
        apply("LANG", c.lang);
        EXPECT_EQ(PreferredLanguages::fromEnvironment(), c.expected)
            << (c.language ? c.language : "(unset)") << " / " << (c.lang ? c.lang : "(unset)");
    }
}

TEST(PreferredLanguagesTest, ChangesAreSeenOnTheNextCall) {
    ScopedEnvironment environment;
    environment.unset("LANGUAGE");
    environment.unset("LC_ALL");
    environment.unset("LC_MESSAGES");
    environment.set("LANG", "de_DE.UTF-8");
    EXPECT_EQ(PreferredLanguages::fromEnvironment(), Tags{"de-DE"});
    environment.set("LANG", "ko_KR.UTF-8");
    EXPECT_EQ(PreferredLanguages::fromEnvironment(), Tags{"ko-KR"});
}

}  // namespace
}  // namespace kelvane
