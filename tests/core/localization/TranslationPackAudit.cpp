#include "TranslationPackAudit.hpp"

#include <simdjson.h>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <optional>
#include <regex>
#include <set>
#include <sstream>

#include "localization/PluralCategory.hpp"
#include "localization/PluralForms.hpp"

namespace kelvane::testing {
namespace fs = std::filesystem;

namespace {

using Members = std::vector<std::pair<std::string, std::string>>;

// One member of a pack's table: a translation, or the plural forms of a count text.
struct Entry {
    enum class Kind { text, forms, formsNotTexts };
    std::string english;
    Kind kind = Kind::text;
    std::string text;
    Members forms;
};

std::string inQuotes(std::string_view text) {
    return "\"" + std::string(text) + "\"";
}

// The members of an object whose values are all texts; nothing otherwise.
std::optional<Members> textMembers(simdjson::dom::element element) {
    simdjson::dom::object object;
    if (element.get_object().get(object) != simdjson::SUCCESS) return std::nullopt;
    Members members;
    for (const simdjson::dom::key_value_pair pair : object) {
        std::string_view text;
        if (pair.value.get_string().get(text) != simdjson::SUCCESS) return std::nullopt;
        members.emplace_back(std::string(pair.key), std::string(text));
    }
    return members;
}

// The entries of a table whose values are texts or objects (plural forms); nothing
// when a value is anything else.
std::optional<std::vector<Entry>> entries(simdjson::dom::element element) {
    simdjson::dom::object object;
    if (element.get_object().get(object) != simdjson::SUCCESS) return std::nullopt;
    std::vector<Entry> found;
    for (const simdjson::dom::key_value_pair pair : object) {
        Entry entry;
        entry.english = std::string(pair.key);
        std::string_view text;
        if (pair.value.get_string().get(text) == simdjson::SUCCESS) {
            entry.text = std::string(text);
        } else if (!pair.value.is_object()) {
            return std::nullopt;
        } else if (std::optional<Members> forms = textMembers(pair.value)) {
            entry.kind = Entry::Kind::forms;
            entry.forms = std::move(*forms);
        } else {
            entry.kind = Entry::Kind::formsNotTexts;
        }
        found.push_back(std::move(entry));
    }
    return found;
}

std::string_view leadingBlanks(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t\n");
    return text.substr(0, first == std::string_view::npos ? text.size() : first);
}

std::string_view trailingBlanks(std::string_view text) {
    const std::size_t last = text.find_last_not_of(" \t\n");
    return last == std::string_view::npos ? text : text.substr(last + 1);
}

// printf-style placeholders ("%d", "%lld", "%@", "%1$@", "%%"), sorted.
std::multiset<std::string> placeholders(std::string_view text) {
    static const std::regex kPlaceholder(
        R"(%(\d+\$)?[-+ #0]*\d*(\.\d+)?(ll|l|h)?[diouxXfFeEgGcs@%])");
    std::multiset<std::string> found;
    const std::string copy(text);
    for (auto it = std::sregex_iterator(copy.begin(), copy.end(), kPlaceholder);
         it != std::sregex_iterator(); ++it) {
        found.insert(it->str());
    }
    return found;
}

std::size_t occurrences(std::string_view text, std::string_view part) {
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string_view::npos;
         at = text.find(part, at + part.size())) {
        ++count;
    }
    return count;
}

}  // namespace

std::vector<std::string> TranslationPackAudit::patternProblems(std::string_view english,
                                                               std::string_view translation) {
    std::vector<std::string> problems;
    if (leadingBlanks(translation) != leadingBlanks(english)) {
        problems.push_back("the blanks at its start differ from the English text's");
    }
    if (trailingBlanks(translation) != trailingBlanks(english)) {
        problems.push_back("the blanks at its end differ from the English text's");
    }
    if (placeholders(translation) != placeholders(english)) {
        problems.push_back("its \"%\" placeholders differ from the English text's");
    }
    if (occurrences(translation, "%") != occurrences(english, "%")) {
        problems.push_back("it has a different number of \"%\" signs");
    }
    for (const std::string_view mark : {"…", "·", "—"}) {
        if (occurrences(english, mark) > 0 && occurrences(translation, mark) == 0) {
            problems.push_back("it lost the " + inQuotes(mark));
        }
    }
    return problems;
}

std::vector<std::string> TranslationPackAudit::wholeNumberCategories(std::string_view localeID) {
    // Plural rules look at a whole number's last digits (modulo 10, 100 and 1000) and,
    // in some languages, at whether it is a round million; these counts reach every
    // case such rules can tell apart.
    std::vector<std::int64_t> counts;
    for (std::int64_t count = 0; count < 1100; ++count) counts.push_back(count);
    for (const std::int64_t millions :
         {std::int64_t{1'000'000}, std::int64_t{2'000'000}, std::int64_t{1'000'000'000}}) {
        counts.push_back(millions);
    }
    std::set<std::size_t> chosen;
    for (const std::int64_t count : counts) {
        chosen.insert(PluralCategory::of(count, localeID).ordinal());
    }
    std::vector<std::string> names;
    for (const PluralCategory category : PluralCategory::allCases()) {
        if (chosen.contains(category.ordinal())) names.emplace_back(category.rawValue());
    }
    return names;
}

namespace {

// What is wrong with the plural forms given for `pattern`, held against the rules of
// `localeID` when there is one.
std::vector<std::string> formProblems(const std::string& pattern, const Members& forms,
                                      std::string_view localeID) {
    std::vector<std::string> problems;
    const std::string name = inQuotes(pattern);
    if (!PluralForms::isCountPattern(pattern)) {
        problems.push_back(name + " has plural forms, but only a text with one \"" +
                           std::string(PluralForms::kPlaceholder) + "\" can have them");
    }
    std::set<std::string> given;
    for (const auto& [category, form] : forms) {
        if (!PluralCategory::fromRawValue(category)) {
            problems.push_back(name + ": " + inQuotes(category) + " is not a plural category");
        }
        if (!given.insert(category).second) {
            problems.push_back(name + ": " + inQuotes(category) + " appears twice");
        }
        if (form.empty()) {
            problems.push_back(name + " has an empty " + inQuotes(category) + " form");
            continue;
        }
        for (const std::string& problem : TranslationPackAudit::patternProblems(pattern, form)) {
            problems.push_back(name + " " + inQuotes(category) + " → " + inQuotes(form) + ": " +
                               problem);
        }
    }
    if (!given.contains("other")) problems.push_back(name + " has no \"other\" form");
    if (!localeID.empty()) {
        const std::vector<std::string> used = TranslationPackAudit::wholeNumberCategories(localeID);
        for (const std::string& category : used) {
            if (!given.contains(category)) {
                problems.push_back(name + " has no " + inQuotes(category) + " form, which " +
                                   std::string(localeID) + " uses for some counts");
            }
        }
        for (const std::string& category : given) {
            if (category != "other" &&
                std::find(used.begin(), used.end(), category) == used.end()) {
                problems.push_back(name + " has a " + inQuotes(category) + " form, which " +
                                   std::string(localeID) + " never uses for a count");
            }
        }
    }
    // The catalogue holds a pack with unusable forms against the whole pack.
    std::vector<std::pair<std::string_view, std::string_view>> views(forms.begin(), forms.end());
    if (!PluralForms::isCountPattern(pattern) || !PluralForms::fromMembers(views)) {
        problems.push_back(name + ": the program ignores the whole pack for these forms");
    }
    return problems;
}

}  // namespace

std::vector<std::string> TranslationPackAudit::problemsOfText(
    std::string_view json, const std::vector<std::string>& englishTexts,
    const std::vector<std::string>& countPatterns, std::string_view localeID) {
    simdjson::dom::parser parser;
    simdjson::dom::element root;
    const simdjson::padded_string padded(json);
    if (const auto error = parser.parse(padded).get(root); error != simdjson::SUCCESS) {
        return {std::string("not valid JSON: ") + simdjson::error_message(error)};
    }
    if (!root.is_object()) return {"not a JSON object"};

    simdjson::dom::object object = root.get_object().value_unsafe();
    simdjson::dom::element strings;
    const bool hasStrings =
        object.at_key("strings").get(strings) == simdjson::SUCCESS && !strings.is_null();
    simdjson::dom::element templates;
    const bool hasTemplates =
        object.at_key("templates").get(templates) == simdjson::SUCCESS && !templates.is_null();

    std::optional<std::vector<Entry>> translations;
    std::optional<Members> templateMembers;
    if (hasStrings || hasTemplates) {
        if (hasStrings) {
            translations = entries(strings);
            if (!translations) return {"\"strings\" is not an object of texts"};
        }
        if (hasTemplates) {
            templateMembers = textMembers(templates);
            if (!templateMembers) return {"\"templates\" is not an object of texts"};
        }
        if (!translations) return {"it holds only \"templates\", so nothing is translated"};
    } else {
        translations = entries(root);
        if (!translations) return {"a member's value is not a text"};
    }

    std::vector<std::string> problems;
    const auto checkText = [&problems](const std::string& english, const std::string& translation) {
        if (translation.empty()) {
            problems.push_back(inQuotes(english) + " has an empty translation");
            return;
        }
        for (const std::string& problem : patternProblems(english, translation)) {
            problems.push_back(inQuotes(english) + " → " + inQuotes(translation) + ": " + problem);
        }
    };
    std::set<std::string> seen;
    std::set<std::string> withForms;
    for (const Entry& entry : *translations) {
        if (!seen.insert(entry.english).second) {
            problems.push_back(inQuotes(entry.english) + " appears twice");
        }
        switch (entry.kind) {
            case Entry::Kind::text:
                checkText(entry.english, entry.text);
                break;
            case Entry::Kind::forms:
                withForms.insert(entry.english);
                for (std::string& problem : formProblems(entry.english, entry.forms, localeID)) {
                    problems.push_back(std::move(problem));
                }
                break;
            case Entry::Kind::formsNotTexts:
                problems.push_back(inQuotes(entry.english) +
                                   ": a plural form is not a text, so the program ignores the "
                                   "whole pack");
                break;
        }
    }
    if (templateMembers) {
        std::set<std::string> seenTemplates;
        for (const auto& [english, translation] : *templateMembers) {
            if (!seenTemplates.insert(english).second) {
                problems.push_back(inQuotes(english) + " appears twice");
            }
            checkText(english, translation);
        }
    }

    for (const std::string& english : englishTexts) {
        if (!seen.contains(english)) problems.push_back(inQuotes(english) + " is missing");
    }
    for (const std::string& pattern : countPatterns) {
        if (withForms.contains(pattern)) continue;
        problems.push_back(inQuotes(pattern) + (seen.contains(pattern)
                                                    ? " needs plural forms, not a single text"
                                                    : " is missing"));
    }
    return problems;
}

std::vector<std::string> TranslationPackAudit::problems(
    const fs::path& pack, const std::vector<std::string>& englishTexts,
    const std::vector<std::string>& countPatterns) {
    std::ifstream stream(pack, std::ios::binary);
    if (!stream) return {"cannot be read"};
    std::ostringstream contents;
    contents << stream.rdbuf();
    return problemsOfText(contents.str(), englishTexts, countPatterns, pack.stem().string());
}

}  // namespace kelvane::testing
