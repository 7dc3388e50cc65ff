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

#include "platform/AppFolders.hpp"
#include "platform/LzfseDecoder.hpp"

namespace kelvane {
namespace fs = std::filesystem;

namespace {

using Table = AppStringCatalog::Table;

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

// Reads an object whose members are all texts; nothing when `element` is
// anything else, so that one wrong value rejects the whole object.
std::optional<std::vector<std::pair<std::string_view, std::string_view>>> textMembers(
    simdjson::dom::element element) {
    simdjson::dom::object object;
    if (element.get_object().get(object) != simdjson::SUCCESS) return std::nullopt;
    std::vector<std::pair<std::string_view, std::string_view>> members;
    members.reserve(object.size());
    for (const simdjson::dom::key_value_pair pair : object) {
        std::string_view text;
        if (pair.value.get_string().get(text) != simdjson::SUCCESS) return std::nullopt;
        members.emplace_back(pair.key, text);
    }
    return members;
}

void mergeNonEmpty(Table& table,
                   const std::vector<std::pair<std::string_view, std::string_view>>& members) {
    for (const auto& [english, translation] : members) {
        if (translation.empty()) continue;
        table.insert_or_assign(std::string(english), std::string(translation));
    }
}

// Merges one pack file's translations; false when the text is in neither pack
// shape. The pack shape is an object whose optional "strings" and "templates"
// members are text-to-text objects; only "strings" is read. The flat shape is
// one text-to-text object.
bool mergePack(Table& table, const simdjson::padded_string& json) {
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
    const auto stringMembers = strings ? textMembers(*strings) : std::nullopt;
    const bool packShape = (!strings || stringMembers) && (!templates || textMembers(*templates));
    if (packShape && stringMembers) {
        mergeNonEmpty(table, *stringMembers);
        return true;
    }
    if (const auto flat = textMembers(root)) {
        mergeNonEmpty(table, *flat);
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
        const std::shared_ptr<const Table> table = strings(packLanguage);
        const auto found = table->find(en);
        if (found == table->end() || found->second.empty()) return std::nullopt;
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

std::shared_ptr<const AppStringCatalog::Table> AppStringCatalog::strings(AppLanguage language) {
    const std::string_view code = language.rawValue();
    {
        const std::lock_guard lock(lock_);
        if (const auto found = cache_.find(code); found != cache_.end()) return found->second;
    }
    // Reading packs can take a while; lookups of other languages must not wait for it.
    auto table = std::make_shared<const Table>(loadFromDisk(code));
    const std::lock_guard lock(lock_);
    cache_.insert_or_assign(std::string(code), table);
    return table;
}

AppStringCatalog::Table AppStringCatalog::loadFromDisk(std::string_view code) const {
    Table table;
    static constexpr std::array<std::pair<std::string_view, bool>, 2> kExtensions{{
        {".json.lzfse", true},
        {".json", false},
    }};
    for (const fs::path& folder : packFolders_) {
        for (const auto& [extension, compressed] : kExtensions) {
            const fs::path file = folder / (std::string(code) + std::string(extension));
            const std::optional<simdjson::padded_string> json = packText(file, compressed);
            if (json && mergePack(table, *json)) break;
        }
    }
    return table;
}

}  // namespace kelvane
