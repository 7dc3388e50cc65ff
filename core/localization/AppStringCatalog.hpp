// Resolves an (English, Turkish) text pair to the text to show in a language, and
// finds the plural forms of count texts, reading translation packs for the other
// languages once per process.
#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "localization/AppLanguage.hpp"
#include "localization/PluralForms.hpp"

namespace kelvane {

class AppStringCatalog final {
public:
    struct TextHash {
        using is_transparent = void;
        std::size_t operator()(std::string_view text) const noexcept {
            return std::hash<std::string_view>{}(text);
        }
    };
    // English source text → translation.
    using Table = std::unordered_map<std::string, std::string, TextHash, std::equal_to<>>;
    // English count pattern ("%d files") → its plural forms.
    using PluralTable = std::unordered_map<std::string, PluralForms, TextHash, std::equal_to<>>;
    // Everything the packs of one language hold.
    struct LanguageTables {
        Table texts;
        PluralTable counts;
    };

    // The process-wide catalogue over the real pack folders, created on first use.
    [[nodiscard]] static AppStringCatalog& shared();

    // A catalogue over the given pack folders, visited in this order; a later
    // folder's text wins over an earlier one's for the same English key.
    explicit AppStringCatalog(std::vector<std::filesystem::path> packFolders);
    AppStringCatalog(const AppStringCatalog&) = delete;
    AppStringCatalog& operator=(const AppStringCatalog&) = delete;

    // The pack folders of this machine in visiting order: the user's
    // `Tessaloom/Localizations`, the installed resources' `Localizations` (when
    // installed), then the user's `Tessaloom/Localizations/Custom` overrides.
    [[nodiscard]] static std::vector<std::filesystem::path> defaultPackFolders();

    // English for `en`, the Turkish text (or English when it is empty) for `tr`,
    // otherwise a pack translation keyed by the English text, then the fallback
    // parent's, then English. Never fails.
    [[nodiscard]] std::string resolve(std::string_view en, std::string_view tr,
                                      AppLanguage language);

    // The plural forms a pack gives the count text keyed by `englishPattern`, else
    // those of the fallback parent's pack; nothing for English and Turkish, whose
    // count texts are built in, and when no pack has the entry.
    [[nodiscard]] std::optional<PluralForms> pluralForms(std::string_view englishPattern,
                                                         AppLanguage language);

    [[nodiscard]] const std::vector<std::filesystem::path>& packFolders() const {
        return packFolders_;
    }

private:
    // The language's tables, loaded on first use and kept for the life of the catalogue.
    [[nodiscard]] std::shared_ptr<const LanguageTables> strings(AppLanguage language);
    // The merged tables of every pack folder for one raw code.
    [[nodiscard]] LanguageTables loadFromDisk(std::string_view code) const;

    std::vector<std::filesystem::path> packFolders_;
    std::mutex lock_;
    std::unordered_map<std::string, std::shared_ptr<const LanguageTables>, TextHash,
                       std::equal_to<>>
        cache_;
};

}  // namespace kelvane
