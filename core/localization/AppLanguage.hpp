// The 37 interface languages, their codes, names and fallbacks, and the rules
// that decide which one is in effect: the user's stored choice or the system's.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "model/RawValueEnum.hpp"

namespace kelvane {

// The cases live in a scoped enumeration because one of them is named `id`;
// `AppLanguage` brings them in with `using enum`.
enum class AppLanguageCode : std::uint8_t {
    ar,
    az,
    bg,
    ca,
    cs,
    da,
    de,
    el,
    en,
    es,
    fa,
    fi,
    fr,
    he,
    hi,
    hr,
    hu,
    id,
    it,
    ja,
    ko,
    ms,
    nb,
    nl,
    pl,
    ptBR,
    ptPT,
    ro,
    ru,
    sk,
    sv,
    th,
    tr,
    uk,
    vi,
    zhHans,
    zhHant,
};

class AppLanguage final : public RawValueEnum<AppLanguage, AppLanguageCode, std::string_view, 37> {
public:
    using RawValueEnum::RawValueEnum;
    using enum AppLanguageCode;

    // Declaration order; matching walks the languages in this order.
    static constexpr std::array<std::pair<AppLanguageCode, std::string_view>, 37> kRawValues{{
        {ar, "ar"},          {az, "az"},          {bg, "bg"}, {ca, "ca"}, {cs, "cs"},
        {da, "da"},          {de, "de"},          {el, "el"}, {en, "en"}, {es, "es"},
        {fa, "fa"},          {fi, "fi"},          {fr, "fr"}, {he, "he"}, {hi, "hi"},
        {hr, "hr"},          {hu, "hu"},          {id, "id"}, {it, "it"}, {ja, "ja"},
        {ko, "ko"},          {ms, "ms"},          {nb, "nb"}, {nl, "nl"}, {pl, "pl"},
        {ptBR, "pt-BR"},     {ptPT, "pt-PT"},     {ro, "ro"}, {ru, "ru"}, {sk, "sk"},
        {sv, "sv"},          {th, "th"},          {tr, "tr"}, {uk, "uk"}, {vi, "vi"},
        {zhHans, "zh-Hans"}, {zhHant, "zh-Hant"},
    }};

    // User-defaults key of the stored choice, and the stored value meaning
    // "follow the operating system" (an absent value means the same).
    static constexpr std::string_view defaultsKey = "com.tessaloom.preferredLanguage";
    static constexpr std::string_view systemPreferenceCode = "system";

    // The language's own name for itself ("Deutsch").
    [[nodiscard]] std::string_view nativeName() const;
    // "German".
    [[nodiscard]] std::string_view englishName() const;
    // Badge text: "DE", "PT", "PT-PT", "ZH", "ZH-TW".
    [[nodiscard]] std::string_view shortCode() const;
    // Where a missing translation is looked up next: pt-PT → pt-BR, zh-Hant → zh-Hans.
    [[nodiscard]] std::optional<AppLanguage> fallbackParent() const;
    // Native name, plus " (English name)" when the two differ ignoring case.
    [[nodiscard]] std::string displayName() const;
    // Written from right to left (Arabic, Persian, Hebrew): the window mirrors.
    [[nodiscard]] constexpr bool isRightToLeft() const {
        return value() == ar || value() == fa || value() == he;
    }
    // Locale identifier for collation and number formatting (the raw code).
    [[nodiscard]] std::string_view locale() const { return rawValue(); }

    // The language in effect now: the stored choice, else the system's. Worked out on the
    // first call and kept until the choice changes through this type, so reading it costs
    // no lock and no look at the environment.
    [[nodiscard]] static AppLanguage current();
    // True when the stored value is absent, blank, or "system" in any case.
    [[nodiscard]] static bool isFollowingSystem();
    // Store the choice in the user-defaults store; a store that cannot be
    // written throws std::filesystem::filesystem_error and keeps the old choice.
    static void setCurrent(AppLanguage language);
    static void setFollowSystem();

    // Forgets the kept choice so the next read looks at the store and the environment again
    // (after either changed behind this type's back, as tests do).
    static void reloadCurrent();
    // First match along the system's preferred-language list; English when none matches.
    [[nodiscard]] static AppLanguage systemResolved();
    // First match along `tags`; English when none matches.
    [[nodiscard]] static AppLanguage resolve(std::span<const std::string> tags);
    // Maps one language tag ("de-AT", "pt_BR", "zh-Hant-TW", "iw") to a language.
    [[nodiscard]] static std::optional<AppLanguage> match(std::string_view tag);

    // All languages by English name, compared the way the current language sorts names.
    [[nodiscard]] static std::vector<AppLanguage> sortedCases();
};

}  // namespace kelvane
