#include "localization/AppStringCatalog.hpp"

#include <fcntl.h>
#include <simdjson.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdint>
#include <exception>
#include <optional>
#include <span>

#include "localization/PluralForms.hpp"
#include "platform/AppFolders.hpp"
#include "platform/LzfseDecoder.hpp"

namespace kelvane {
namespace fs = std::filesystem;

namespace {

using LanguageTables = AppStringCatalog::LanguageTables;

// Only regular files: a folder or a named pipe under a pack's name must not
// throw or block the lookup (hence the non-blocking open).
std::optional<std::string> readWholeFile(const fs::path& path) {
    const int descriptor = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (descriptor < 0) return std::nullopt;
    std::optional<std::string> bytes;
    struct stat info {};
    if (::fstat(descriptor, &info) == 0 && S_ISREG(info.st_mode)) {
        std::string data;
        data.reserve(static_cast<std::size_t>(info.st_size));
        char buffer[1 << 16];
        for (;;) {
            const ssize_t count = ::read(descriptor, buffer, sizeof buffer);
            if (count == 0) {
                bytes = std::move(data);
                break;
            }
            if (count < 0) {
                if (errno == EINTR) continue;
                break;
            }
            data.append(buffer, static_cast<std::size_t>(count));
        }
    }
    ::close(descriptor);
    return bytes;
}

using TextMember = std::pair<std::string_view, std::string_view>;
using CountMember = std::pair<std::string_view, PluralForms>;

// The plural forms of a count text's entry: an object of category names to forms.
// Nothing when it is not such an object or the forms are unusable.
std::optional<PluralForms> pluralForms(simdjson::dom::element element) {
    simdjson::dom::object object;
    if (element.get_object().get(object) != simdjson::SUCCESS) return std::nullopt;
    std::vector<TextMember> members;
    members.reserve(object.size());
    for (const simdjson::dom::key_value_pair pair : object) {
        std::string_view form;
        if (pair.value.get_string().get(form) != simdjson::SUCCESS) return std::nullopt;
        members.emplace_back(pair.key, form);
    }
    return PluralForms::fromMembers(members);
}

// Reads an object whose members are all texts or, when `counts` is given and the
// key is a count pattern ("%d files"), sound plural forms. Nothing when `element`
// is anything else, so that one wrong value rejects the whole object.
std::optional<std::vector<TextMember>> textMembers(simdjson::dom::element element,
                                                   std::vector<CountMember>* counts = nullptr) {
    simdjson::dom::object object;
    if (element.get_object().get(object) != simdjson::SUCCESS) return std::nullopt;
    std::vector<TextMember> members;
    members.reserve(object.size());
    for (const simdjson::dom::key_value_pair pair : object) {
        std::string_view text;
        if (pair.value.get_string().get(text) == simdjson::SUCCESS) {
            members.emplace_back(pair.key, text);
            continue;
        }
        if (counts == nullptr || !PluralForms::isCountPattern(pair.key)) return std::nullopt;
        std::optional<PluralForms> forms = pluralForms(pair.value);
        if (!forms) return std::nullopt;
        counts->emplace_back(pair.key, std::move(*forms));
    }
    return members;
}

void mergeNonEmpty(LanguageTables& tables, const std::vector<TextMember>& members,
                   std::vector<CountMember>& counts) {
    for (const auto& [english, translation] : members) {
        if (translation.empty()) continue;
        tables.texts.insert_or_assign(std::string(english), std::string(translation));
    }
    for (auto& [pattern, forms] : counts) {
        tables.counts.insert_or_assign(std::string(pattern), std::move(forms));
    }
}

// Merges one pack file's translations; false when the text is in neither pack
// shape. The pack shape is an object whose optional "strings" and "templates"
// members are text-to-text objects; only "strings" is read. The flat shape is
// one text-to-text object. In both, a count text's entry may hold its plural
// forms in place of a text.
bool mergePack(LanguageTables& tables, const simdjson::padded_string& json) {
    simdjson::dom::parser parser;
    simdjson::dom::element root;
    simdjson::dom::object object;
    if (parser.parse(json).get(root) != simdjson::SUCCESS) return false;
    if (root.get_object().get(object) != simdjson::SUCCESS) return false;

    // A member that is present but null counts as absent.
    const auto member = [&object](std::string_view name) -> std::optional<simdjson::dom::element> {
        simdjson::dom::element found;
        if (object.at_key(name).get(found) != simdjson::SUCCESS || found.is_null()) {
            return std::nullopt;
        }
        return found;
    };
    const std::optional<simdjson::dom::element> strings = member("strings");
    const std::optional<simdjson::dom::element> templates = member("templates");
    std::vector<CountMember> counts;
    const auto stringMembers = strings ? textMembers(*strings, &counts) : std::nullopt;
    const bool packShape = (!strings || stringMembers) && (!templates || textMembers(*templates));
    if (packShape && stringMembers) {
        mergeNonEmpty(tables, *stringMembers, counts);
        return true;
    }
    counts.clear();
    if (const auto flat = textMembers(root, &counts)) {
        mergeNonEmpty(tables, *flat, counts);
        return true;
    }
    return false;
}

// The bytes of the file at `path` as JSON text to parse, or nothing when the
// file is missing, unreadable or (for a compressed pack) undecodable.
std::optional<simdjson::padded_string> packText(const fs::path& path, bool compressed) {
    std::error_code error;
    if (!fs::exists(path, error)) return std::nullopt;
    std::optional<std::string> bytes = readWholeFile(path);
    if (!bytes) return std::nullopt;
    if (!compressed) return simdjson::padded_string(*bytes);
    try {
        const std::vector<std::uint8_t> plain = LzfseDecoder::decode(std::span<const std::uint8_t>(
            reinterpret_cast<const std::uint8_t*>(bytes->data()), bytes->size()));
        return simdjson::padded_string(reinterpret_cast<const char*>(plain.data()), plain.size());
    } catch (const std::exception&) {
        // A damaged or truncated compressed pack: the plain file may still serve.
        return std::nullopt;
    }
}

}  // namespace

AppStringCatalog& AppStringCatalog::shared() {
    static AppStringCatalog instance(defaultPackFolders());
    return instance;
}

AppStringCatalog::AppStringCatalog(std::vector<fs::path> packFolders)
    : packFolders_(std::move(packFolders)) {}

std::vector<fs::path> AppStringCatalog::defaultPackFolders() {
    const fs::path packs = AppFolders::dataHome() / AppFolders::kMakerFolderName / "Localizations";
    std::vector<fs::path> folders{packs};
    if (const std::optional<fs::path> resources = AppFolders::resourcesFolder()) {
        folders.push_back(*resources / "Localizations");
    }
    folders.push_back(packs / "Custom");
    return folders;
}

std::string AppStringCatalog::resolve(std::string_view en, std::string_view tr,
                                      AppLanguage language) {
    if (language == AppLanguage::en) return std::string(en);
    if (language == AppLanguage::tr) return std::string(tr.empty() ? en : tr);

    const auto lookUp = [this, en](AppLanguage packLanguage) -> std::optional<std::string> {
        const std::shared_ptr<const LanguageTables> tables = strings(packLanguage);
        const auto found = tables->texts.find(en);
        if (found == tables->texts.end() || found->second.empty()) return std::nullopt;
        return found->second;
    };
    if (std::optional<std::string> translated = lookUp(language)) return std::move(*translated);
    if (const std::optional<AppLanguage> parent = language.fallbackParent()) {
        if (std::optional<std::string> translated = lookUp(*parent)) {
            return std::move(*translated);
        }
    }
    return std::string(en);
}

std::optional<PluralForms> AppStringCatalog::pluralForms(std::string_view englishPattern,
                                                         AppLanguage language) {
    if (language == AppLanguage::en || language == AppLanguage::tr) return std::nullopt;

    const auto lookUp = [this, englishPattern](AppLanguage packLanguage) {
        const std::shared_ptr<const LanguageTables> tables = strings(packLanguage);
        const auto found = tables->counts.find(englishPattern);
        return found == tables->counts.end() ? std::nullopt
                                             : std::optional<PluralForms>(found->second);
    };
    if (std::optional<PluralForms> forms = lookUp(language)) return forms;
    if (const std::optional<AppLanguage> parent = language.fallbackParent()) return lookUp(*parent);
    return std::nullopt;
}

std::shared_ptr<const AppStringCatalog::LanguageTables> AppStringCatalog::strings(
    AppLanguage language) {
    const std::string_view code = language.rawValue();
    {
        const std::lock_guard lock(lock_);
        if (const auto found = cache_.find(code); found != cache_.end()) return found->second;
    }
    // Reading packs can take a while; lookups of other languages must not wait for it.
    auto tables = std::make_shared<const LanguageTables>(loadFromDisk(code));
    const std::lock_guard lock(lock_);
    cache_.insert_or_assign(std::string(code), tables);
    return tables;
}

AppStringCatalog::LanguageTables AppStringCatalog::loadFromDisk(std::string_view code) const {
    LanguageTables tables;
    static constexpr std::array<std::pair<std::string_view, bool>, 2> kExtensions{{
        {".json.lzfse", true},
        {".json", false},
    }};
    for (const fs::path& folder : packFolders_) {
        for (const auto& [extension, compressed] : kExtensions) {
            const fs::path file = folder / (std::string(code) + std::string(extension));
            const std::optional<simdjson::padded_string> json = packText(file, compressed);
            if (json && mergePack(tables, *json)) break;
        }
    }
    return tables;
}

}  // namespace kelvane
