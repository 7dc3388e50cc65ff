#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "index/AsciiSortKeyEncoder.hpp"
#include "localization/AppLanguage.hpp"
#include "platform/NameCollator.hpp"

namespace kelvane {
namespace {

int sign(int value) {
    return (value > 0) - (value < 0);
}

// Names built from the letters tailorings like to combine, digits with and
// without leading zeros, and punctuation.
std::vector<std::string> sampleNames() {
    static constexpr std::string_view kPieces[] = {
        "a",   "A",   "aa", "b", "c", "ch", "CH", "cs", "d",  "dz", "dzs", "e",  "g", "gy", "h",
        "i",   "I",   "ij", "j", "l", "ll", "ly", "n",  "ny", "o",  "r",   "rr", "s", "sz", "t",
        "th",  "u",   "v",  "w", "y", "Y",  "z",  "zs", "0",  "00", "01",  "1",  "2", "9",  "10",
        "010", "123", "-",  "_", ".", " ",  "~",  "(",  "'",  ",",  "+",   "#",  "!", "@",  "txt",
    };
    std::mt19937 random(1234);
    std::vector<std::string> names;
    for (int i = 0; i < 400; ++i) {
        std::string name;
        const auto parts = 1 + random() % 4;
        for (unsigned part = 0; part < parts; ++part) {
            name += kPieces[random() % std::size(kPieces)];
        }
        names.push_back(name);
    }
    return names;
}

// Wherever the encoder offers itself, its keys must order every pair of
// names exactly as the locale's collator does.
TEST(AsciiSortKeyEncoderTest, KeysOrderLikeTheCollatorInEveryInterfaceLanguage) {
    const std::vector<std::string> names = sampleNames();
    std::vector<std::string> available;
    for (const AppLanguage language : AppLanguage::allCases()) {
        const NameCollator collator(language.locale());
        const AsciiSortKeyEncoder encoder(language.locale(), collator);
        if (!encoder.isAvailable()) continue;
        available.emplace_back(language.rawValue());
        std::vector<std::string> keys;
        for (const std::string& name : names) {
            std::string key;
            ASSERT_TRUE(encoder.appendKey(name, key)) << name;
            keys.push_back(key);
        }
        for (std::size_t a = 0; a < names.size(); ++a) {
            for (std::size_t b = 0; b < names.size(); ++b) {
                ASSERT_EQ(sign(keys[a].compare(keys[b])),
                          sign(collator.compare(names[a], names[b])))
                    << language.rawValue() << ": \"" << names[a] << "\" vs \"" << names[b] << '"';
            }
        }
    }
    // The fast path must at least serve English; it is what most users get.
    EXPECT_NE(std::find(available.begin(), available.end(), "en"), available.end());
    std::string list;
    for (const std::string& code : available) list += code + " ";
    RecordProperty("available", list);
}

TEST(AsciiSortKeyEncoderTest, RefusesNamesItCannotEncode) {
    const NameCollator collator("en");
    const AsciiSortKeyEncoder encoder("en", collator);
    ASSERT_TRUE(encoder.isAvailable());
    std::string key = "kept";
    EXPECT_FALSE(encoder.appendKey("caf\xC3\xA9", key));
    EXPECT_FALSE(encoder.appendKey("tab\there", key));
    EXPECT_FALSE(encoder.appendKey(std::string(300, '7'), key));
    EXPECT_EQ(key, "kept");
    EXPECT_TRUE(encoder.appendKey("", key));
    EXPECT_EQ(key, "kept");
}

// Letters that a tailoring joins or ranks apart from their plain form must
// switch the encoder off rather than misorder names.
TEST(AsciiSortKeyEncoderTest, StaysOffWhereTailoringsJoinAsciiLetters) {
    for (const std::string_view locale : {"cs", "da", "hu", "sk", "hr"}) {
        const NameCollator collator(locale);
        EXPECT_FALSE(AsciiSortKeyEncoder(locale, collator).isAvailable()) << locale;
    }
}

}  // namespace
}  // namespace kelvane
