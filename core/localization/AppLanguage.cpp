#include "localization/AppLanguage.hpp"

#include <atomic>

#include <algorithm>

#include "platform/NameCollator.hpp"
#include "platform/PreferredLanguages.hpp"
#include "platform/UnicodeText.hpp"
#include "platform/UserDefaults.hpp"

namespace kelvane {
namespace {

struct LanguageNames {
    std::string_view native;
    std::string_view english;
    std::string_view shortCode;
};

// Indexed by declaration order.
constexpr std::array<LanguageNames, 37> kNames{{
    {"العربية", "Arabic", "AR"},
    {"Azərbaycanca", "Azerbaijani", "AZ"},
    {"Български", "Bulgarian", "BG"},
    {"Català", "Catalan", "CA"},
    {"Čeština", "Czech", "CS"},
    {"Dansk", "Danish", "DA"},
    {"Deutsch", "German", "DE"},
    {"Ελληνικά", "Greek", "EL"},
    {"English", "English", "EN"},
    {"Español", "Spanish", "ES"},
    {"فارسی", "Persian", "FA"},
    {"Suomi", "Finnish", "FI"},
    {"Français", "French", "FR"},
    {"עברית", "Hebrew", "HE"},
    {"हिन्दी", "Hindi", "HI"},
    {"Hrvatski", "Croatian", "HR"},
    {"Magyar", "Hungarian", "HU"},
    {"Bahasa Indonesia", "Indonesian", "ID"},
    {"Italiano", "Italian", "IT"},
    {"日本語", "Japanese", "JA"},
    {"한국어", "Korean", "KO"},
    {"Bahasa Melayu", "Malay", "MS"},
    {"Norsk Bokmål", "Norwegian Bokmål", "NB"},
    {"Nederlands", "Dutch", "NL"},
    {"Polski", "Polish", "PL"},
    {"Português (Brasil)", "Portuguese (Brazil)", "PT"},
    {"Português (Portugal)", "Portuguese (Portugal)", "PT-PT"},
    {"Română", "Romanian", "RO"},
    {"Русский", "Russian", "RU"},
    {"Slovenčina", "Slovak", "SK"},
    {"Svenska", "Swedish", "SV"},
    {"ไทย", "Thai", "TH"},
    {"Türkçe", "Turkish", "TR"},
    {"Українська", "Ukrainian", "UK"},
    {"Tiếng Việt", "Vietnamese", "VI"},
    {"简体中文", "Chinese (Simplified)", "ZH"},
    {"繁體中文", "Chinese (Traditional)", "ZH-TW"},
}};

bool startsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

bool contains(std::string_view text, std::string_view part) {
    return text.find(part) != std::string_view::npos;
}

// The stored preference, trimmed; empty when absent.
std::string storedPreference() {
    const std::optional<std::string> stored =
        UserDefaults::standard().string(AppLanguage::defaultsKey);
    if (!stored) return {};
    return std::string(UnicodeText::trimmedWhitespace(*stored));
}

bool meansFollowSystem(std::string_view trimmedValue) {
    return trimmedValue.empty() ||
           UnicodeText::lowercased(trimmedValue) == AppLanguage::systemPreferenceCode;
}

// First language, in declaration order, whose lower-cased raw code equals
// `lowerCode`. Raw codes are ASCII, so they are lower-cased byte by byte here:
// this runs on every interface text lookup.
std::optional<AppLanguage> languageWithLowercasedCode(std::string_view lowerCode) {
    const auto asciiLower = [](char c) {
        return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    };
    for (const AppLanguage language : AppLanguage::allCases()) {
        const std::string_view code = language.rawValue();
        if (code.size() == lowerCode.size() &&
            std::equal(code.begin(), code.end(), lowerCode.begin(),
                       [&asciiLower](char a, char b) { return asciiLower(a) == b; })) {
            return language;
        }
    }
    return std::nullopt;
}

}  // namespace

std::string_view AppLanguage::nativeName() const {
    return kNames[ordinal()].native;
}

std::string_view AppLanguage::englishName() const {
    return kNames[ordinal()].english;
}

std::string_view AppLanguage::shortCode() const {
    return kNames[ordinal()].shortCode;
}

std::optional<AppLanguage> AppLanguage::fallbackParent() const {
    switch (value()) {
        case ptPT:
            return AppLanguage(ptBR);
        case zhHant:
            return AppLanguage(zhHans);
        default:
            return std::nullopt;
    }
}

std::string AppLanguage::displayName() const {
    std::string name(nativeName());
    if (UnicodeText::lowercased(nativeName()) != UnicodeText::lowercased(englishName())) {
        name += " (";
        name += englishName();
        name += ")";
    }
    return name;
}

namespace {

// The language in effect is read for every visible text, so it is worked out once and kept
// here: reading the store takes its lock (which a write holds through two fsync calls) and
// resolving the system's choice parses the environment. Packed as language index + 1, with
// bit 8 set while following the system; 0 means "not worked out yet".
std::atomic<unsigned> cachedChoice{0};
constexpr unsigned kFollowingSystemBit = 0x100U;

unsigned packChoice(AppLanguage language, bool followingSystem) {
    unsigned packed = static_cast<unsigned>(language.value()) + 1U;
    if (followingSystem) packed |= kFollowingSystemBit;
    return packed;
}

unsigned currentChoice() {
    const unsigned cached = cachedChoice.load(std::memory_order_acquire);
    if (cached != 0) return cached;
    const std::string stored = storedPreference();
    unsigned packed = 0;
    if (!meansFollowSystem(stored)) {
        if (const std::optional<AppLanguage> chosen = AppLanguage::match(stored)) {
            packed = packChoice(*chosen, false);
        }
    }
    if (packed == 0) packed = packChoice(AppLanguage::systemResolved(), meansFollowSystem(stored));
    cachedChoice.store(packed, std::memory_order_release);
    return packed;
}

}  // namespace

AppLanguage AppLanguage::current() {
    const unsigned packed = currentChoice() & ~kFollowingSystemBit;
    return AppLanguage(static_cast<AppLanguageCode>(packed - 1U));
}

bool AppLanguage::isFollowingSystem() {
    return (currentChoice() & kFollowingSystemBit) != 0;
}

void AppLanguage::setCurrent(AppLanguage language) {
    UserDefaults::standard().setString(defaultsKey, language.rawValue());
    cachedChoice.store(packChoice(language, false), std::memory_order_release);
}

void AppLanguage::setFollowSystem() {
    UserDefaults::standard().setString(defaultsKey, systemPreferenceCode);
    cachedChoice.store(packChoice(systemResolved(), true), std::memory_order_release);
}

void AppLanguage::reloadCurrent() {
    cachedChoice.store(0, std::memory_order_release);
}

AppLanguage AppLanguage::systemResolved() {
    const std::vector<std::string> tags = PreferredLanguages::fromEnvironment();
    return resolve(tags);
}

AppLanguage AppLanguage::resolve(std::span<const std::string> tags) {
    for (const std::string& tag : tags) {
        if (const std::optional<AppLanguage> matched = match(tag)) return *matched;
    }
    return en;
}

std::optional<AppLanguage> AppLanguage::match(std::string_view tag) {
    std::string normalized(UnicodeText::trimmedWhitespace(tag));
    std::replace(normalized.begin(), normalized.end(), '_', '-');
    if (normalized.empty()) return std::nullopt;

    const std::string lower = UnicodeText::lowercased(normalized);
    if (const auto exact = languageWithLowercasedCode(lower)) return exact;

    if (lower == "zh" || startsWith(lower, "zh-")) {
        if (contains(lower, "hant") || contains(lower, "-tw") || contains(lower, "-hk") ||
            contains(lower, "-mo")) {
            return AppLanguage(zhHant);
        }
        return AppLanguage(zhHans);
    }
    if (lower == "pt" || startsWith(lower, "pt-")) {
        return AppLanguage(startsWith(lower, "pt-pt") ? ptPT : ptBR);
    }
    for (const std::string_view norwegian : {"no", "nb", "nn"}) {
        if (lower == norwegian ||
            (startsWith(lower, norwegian) && lower.size() > 2 && lower[2] == '-')) {
            return AppLanguage(nb);
        }
    }

    std::string_view primary = lower;
    std::string_view rest = lower;
    while (!rest.empty()) {
        const std::size_t dash = rest.find('-');
        const std::string_view part = rest.substr(0, dash);
        if (!part.empty()) {
            primary = part;
            break;
        }
        if (dash == std::string_view::npos) break;
        rest.remove_prefix(dash + 1);
    }
    // Legacy codes still sent by some systems.
    if (primary == "iw") return AppLanguage(he);
    if (primary == "in") return AppLanguage(AppLanguageCode::id);
    return languageWithLowercasedCode(primary);
}

std::vector<AppLanguage> AppLanguage::sortedCases() {
    const auto cases = allCases();
    std::vector<AppLanguage> sorted(cases.begin(), cases.end());
    const NameCollator collator(current().locale());
    std::stable_sort(sorted.begin(), sorted.end(), [&collator](AppLanguage a, AppLanguage b) {
        return collator.compare(a.englishName(), b.englishName()) < 0;
    });
    return sorted;
}

}  // namespace kelvane
