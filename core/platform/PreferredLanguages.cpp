#include "platform/PreferredLanguages.hpp"

#include <algorithm>
#include <cstdlib>
#include <string_view>

namespace kelvane::PreferredLanguages {
namespace {

// "de_DE.UTF-8@euro" → "de-DE"; nothing for the C and POSIX locales.
std::string tagFromLocaleName(std::string_view name) {
    name = name.substr(0, name.find_first_of(".@"));
    if (name.empty() || name == "C" || name == "POSIX") return {};
    std::string tag(name);
    std::replace(tag.begin(), tag.end(), '_', '-');
    return tag;
}

void appendTag(std::vector<std::string>& tags, std::string_view localeName) {
    std::string tag = tagFromLocaleName(localeName);
    if (tag.empty() || std::find(tags.begin(), tags.end(), tag) != tags.end()) return;
    tags.push_back(std::move(tag));
}

}  // namespace

std::vector<std::string> fromEnvironment() {
    std::vector<std::string> tags;
    if (const char* list = std::getenv("LANGUAGE"); list != nullptr) {
        std::string_view rest(list);
        while (!rest.empty()) {
            const std::size_t colon = rest.find(':');
            appendTag(tags, rest.substr(0, colon));
            if (colon == std::string_view::npos) break;
            rest.remove_prefix(colon + 1);
        }
    }
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        if (const char* value = std::getenv(variable); value != nullptr) appendTag(tags, value);
    }
    return tags;
}

}  // namespace kelvane::PreferredLanguages
