// Checks one translation pack file the way a release needs it: readable in one of the
// two pack shapes, a non-empty translation for every English text the program shows,
// and every translation keeping what the program and its layout rely on in the
// English text (blanks at either end that join it to a number or a name, "%"
// placeholders, and the "…", "·" and "—" marks). Count texts must give plural forms:
// one for every category the language's plural rules choose for a whole number, and
// none the rules never choose, each keeping the English pattern's placeholder.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace kelvane::testing {

class TranslationPackAudit final {
public:
    // Everything wrong with the pack at `pack`, one readable line each; empty when the
    // pack is sound. `englishTexts` are the texts it must translate, `countPatterns`
    // the count texts ("%d files") it must give plural forms for; the file's name
    // is the language whose plural rules the forms must follow.
    [[nodiscard]] static std::vector<std::string> problems(
        const std::filesystem::path& pack, const std::vector<std::string>& englishTexts,
        const std::vector<std::string>& countPatterns = {});

    // The same for a pack given as JSON text, written for `localeID`; without a
    // locale the plural forms are not held against any language's rules.
    [[nodiscard]] static std::vector<std::string> problemsOfText(
        std::string_view json, const std::vector<std::string>& englishTexts,
        const std::vector<std::string>& countPatterns = {}, std::string_view localeID = {});

    // The plural categories `localeID`'s rules choose for whole numbers, in category
    // order: the forms a count text of that language can be shown in.
    [[nodiscard]] static std::vector<std::string> wholeNumberCategories(std::string_view localeID);

    // What `translation` loses of the patterns of `english`; empty when nothing.
    [[nodiscard]] static std::vector<std::string> patternProblems(std::string_view english,
                                                                  std::string_view translation);
};

}  // namespace kelvane::testing
