// Finds the English/Turkish text pairs written in the program's sources: every call
// of `t` or `resolve` whose first two arguments are string literals. The translation
// pack tests take the texts a pack must translate from here, so a text added to the
// code is required of every pack without anyone keeping a list. Count texts are
// found the same way, as the English and Turkish patterns of `countText` calls.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace kelvane::testing {

class InterfaceTextCollector final {
public:
    struct Pair {
        std::string english;
        std::string turkish;
        std::filesystem::path source;
    };

    // The pairs of one C++ source text, in order. Adjacent literals are joined the way
    // the compiler joins them; comments, and calls whose arguments are not plain
    // literals (a text built with a number), are passed over.
    [[nodiscard]] static std::vector<Pair> pairsInSource(std::string_view text,
                                                         const std::filesystem::path& source = {});

    // The pairs of every .cpp and .hpp file below the folders; a missing folder has none.
    [[nodiscard]] static std::vector<Pair> pairsBelow(
        const std::vector<std::filesystem::path>& folders);

    // The pattern pairs of the count texts ("%d files", "%d dosya") of one source
    // text: calls of `countText` whose first two arguments are string literals.
    [[nodiscard]] static std::vector<Pair> countPatternsInSource(
        std::string_view text, const std::filesystem::path& source = {});
    // The same for every .cpp and .hpp file below the folders.
    [[nodiscard]] static std::vector<Pair> countPatternsBelow(
        const std::vector<std::filesystem::path>& folders);
};

}  // namespace kelvane::testing
