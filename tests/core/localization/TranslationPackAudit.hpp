// Checks one translation pack file the way a release needs it: readable in one of the
// two pack shapes, a non-empty translation for every English text the program shows,
// and every translation keeping what the program and its layout rely on in the
// English text (blanks at either end that join it to a number or a name, "%"
// placeholders, and the "…", "·" and "—" marks).
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace kelvane::testing {

class TranslationPackAudit final {
public:
    // Everything wrong with the pack at `pack`, one readable line each; empty when the
    // pack is sound. `englishTexts` are the texts it must translate.
    [[nodiscard]] static std::vector<std::string> problems(
        const std::filesystem::path& pack, const std::vector<std::string>& englishTexts);

    // The same for a pack given as JSON text.
    [[nodiscard]] static std::vector<std::string> problemsOfText(
        std::string_view json, const std::vector<std::string>& englishTexts);

    // What `translation` loses of the patterns of `english`; empty when nothing.
    [[nodiscard]] static std::vector<std::string> patternProblems(std::string_view english,
                                                                  std::string_view translation);
};

}  // namespace kelvane::testing
