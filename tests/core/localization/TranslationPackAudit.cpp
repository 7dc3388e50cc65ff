#include "TranslationPackAudit.hpp"

#include <simdjson.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <optional>
#include <regex>
#include <set>
#include <sstream>

namespace kelvane::testing {
namespace fs = std::filesystem;

namespace {

using Members = std::vector<std::pair<std::string, std::string>>;

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

std::vector<std::string> TranslationPackAudit::problemsOfText(
    std::string_view json, const std::vector<std::string>& englishTexts) {
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

    std::optional<Members> translations;
    std::optional<Members> templateMembers;
    if (hasStrings || hasTemplates) {
        if (hasStrings) {
            translations = textMembers(strings);
            if (!translations) return {"\"strings\" is not an object of texts"};
        }
        if (hasTemplates) {
            templateMembers = textMembers(templates);
            if (!templateMembers) return {"\"templates\" is not an object of texts"};
        }
        if (!translations) return {"it holds only \"templates\", so nothing is translated"};
    } else {
        translations = textMembers(root);
        if (!translations) return {"a member's value is not a text"};
    }

    std::vector<std::string> problems;
    std::map<std::string, std::string> table;
    const auto check = [&problems](const Members& members,
                                   std::map<std::string, std::string>* into) {
        std::set<std::string> seen;
        for (const auto& [english, translation] : members) {
            if (!seen.insert(english).second) {
                problems.push_back(inQuotes(english) + " appears twice");
            }
            if (translation.empty()) {
                problems.push_back(inQuotes(english) + " has an empty translation");
                continue;
            }
            for (const std::string& problem : patternProblems(english, translation)) {
                problems.push_back(inQuotes(english) + " → " + inQuotes(translation) + ": " +
                                   problem);
            }
            if (into != nullptr) into->insert_or_assign(english, translation);
        }
    };
    check(*translations, &table);
    if (templateMembers) check(*templateMembers, nullptr);

    for (const std::string& english : englishTexts) {
        if (!table.contains(english) &&
            std::none_of(translations->begin(), translations->end(),
                         [&english](const auto& member) { return member.first == english; })) {
            problems.push_back(inQuotes(english) + " is missing");
        }
    }
    return problems;
}

std::vector<std::string> TranslationPackAudit::problems(
    const fs::path& pack, const std::vector<std::string>& englishTexts) {
    std::ifstream stream(pack, std::ios::binary);
    if (!stream) return {"cannot be read"};
    std::ostringstream contents;
    contents << stream.rdbuf();
    return problemsOfText(contents.str(), englishTexts);
}

}  // namespace kelvane::testing
