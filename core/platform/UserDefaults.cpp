#include "platform/UserDefaults.hpp"

#include <fcntl.h>
#include <simdjson.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <ctime>
#include <system_error>

#include "platform/AppFolders.hpp"
#include "platform/JsonText.hpp"
#include "platform/UnicodeText.hpp"

namespace kelvane {
namespace fs = std::filesystem;

namespace {

[[noreturn]] void throwFileError(const char* what, const fs::path& path, int error) {
    throw fs::filesystem_error(what, path, std::error_code(error, std::generic_category()));
}

// JSON cannot carry ill-formed UTF-8, and a file holding it would not parse
// on the next start.
std::string wellFormed(std::string_view text) {
    if (UnicodeText::isValidUtf8(text)) return std::string(text);
    return UnicodeText::repairedUtf8(text);
}

std::string_view trimmedJsonWhitespace(std::string_view text) {
    const auto isSpace = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; };
    while (!text.empty() && isSpace(text.front())) text.remove_prefix(1);
    while (!text.empty() && isSpace(text.back())) text.remove_suffix(1);
    return text;
}

// Creates the missing folders of `folder` one by one, private to the user.
void createPrivateFolders(const fs::path& folder) {
    std::error_code error;
    if (folder.empty() || fs::is_directory(folder, error)) return;
    createPrivateFolders(folder.parent_path());
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
        throwFileError("cannot create folder", folder, errno);
    }
}

void writeAll(int descriptor, const std::string& contents, const fs::path& path) {
    std::size_t written = 0;
    while (written < contents.size()) {
        const ssize_t count =
            ::write(descriptor, contents.data() + written, contents.size() - written);
        if (count < 0) {
            if (errno == EINTR) continue;
            throwFileError("cannot write settings", path, errno);
        }
        written += static_cast<std::size_t>(count);
    }
}

std::string timestampForFileName() {
    const std::time_t now = std::time(nullptr);
    std::tm parts{};
    ::localtime_r(&now, &parts);
    char text[32];
    const std::size_t length = std::strftime(text, sizeof text, "%Y%m%d-%H%M%S", &parts);
    return std::string(text, length);
}

}  // namespace

UserDefaults& UserDefaults::standard() {
    static UserDefaults instance(AppFolders::configHome() / AppFolders::kMakerFolderName /
                                 "defaults.json");
    return instance;
}

UserDefaults::UserDefaults(fs::path file) : file_(std::move(file)) {
    load();
}

void UserDefaults::load() {
    std::error_code error;
    const bool present = fs::exists(file_, error);
    if (error) {
        // Whatever is there cannot even be looked at; never write over it blindly.
        mustPreserveExistingFile_ = true;
        return;
    }
    if (!present) return;

    simdjson::padded_string text;
    if (simdjson::padded_string::load(file_.string()).get(text) != simdjson::SUCCESS) {
        mustPreserveExistingFile_ = true;
        return;
    }
    if (text.size() == 0) return;  // nothing in it worth keeping

    // The document object model validates the whole file; the on-demand pass
    // over the same text then yields the exact source of values kept as they are.
    simdjson::dom::parser domParser;
    simdjson::dom::element root;
    simdjson::dom::object domObject;
    if (domParser.parse(text).get(root) != simdjson::SUCCESS ||
        root.get_object().get(domObject) != simdjson::SUCCESS) {
        mustPreserveExistingFile_ = true;
        return;
    }
    simdjson::ondemand::parser sourceParser;
    simdjson::ondemand::document document;
    simdjson::ondemand::object sourceObject;
    if (sourceParser.iterate(text).get(document) != simdjson::SUCCESS ||
        document.get_object().get(sourceObject) != simdjson::SUCCESS) {
        mustPreserveExistingFile_ = true;
        return;
    }

    Values loaded;
    auto domField = domObject.begin();
    for (auto sourceFieldResult : sourceObject) {
        simdjson::ondemand::field sourceField;
        if (domField == domObject.end() ||
            std::move(sourceFieldResult).get(sourceField) != simdjson::SUCCESS) {
            mustPreserveExistingFile_ = true;
            return;
        }
        const simdjson::dom::key_value_pair pair = *domField;
        ++domField;
        const std::string key(pair.key);

        if (pair.value.is_string()) {
            loaded.insert_or_assign(key, std::string(std::string_view(pair.value)));
            continue;
        }
        if (pair.value.is_array()) {
            std::vector<std::string> texts;
            bool allTexts = true;
            for (const simdjson::dom::element item : simdjson::dom::array(pair.value)) {
                if (!item.is_string()) {
                    allTexts = false;
                    break;
                }
                texts.emplace_back(std::string_view(item));
            }
            if (allTexts) {
                loaded.insert_or_assign(key, std::move(texts));
                continue;
            }
        }

        simdjson::ondemand::value sourceValue = sourceField.value();
        std::string_view source;
        simdjson::ondemand::json_type type;
        if (sourceValue.type().get(type) != simdjson::SUCCESS) {
            mustPreserveExistingFile_ = true;
            return;
        }
        simdjson::error_code sourceError = simdjson::SUCCESS;
        if (type == simdjson::ondemand::json_type::object) {
            simdjson::ondemand::object nested;
            sourceError = sourceValue.get_object().get(nested);
            if (!sourceError) sourceError = nested.raw_json().get(source);
        } else if (type == simdjson::ondemand::json_type::array) {
            simdjson::ondemand::array nested;
            sourceError = sourceValue.get_array().get(nested);
            if (!sourceError) sourceError = nested.raw_json().get(source);
        } else {
            source = sourceValue.raw_json_token();
        }
        if (sourceError) {
            mustPreserveExistingFile_ = true;
            return;
        }
        loaded.insert_or_assign(key, RawJson{std::string(trimmedJsonWhitespace(source))});
    }
    values_ = std::move(loaded);
}

std::optional<std::string> UserDefaults::string(std::string_view key) const {
    const std::lock_guard lock(mutex_);
    const auto found = values_.find(key);
    if (found == values_.end()) return std::nullopt;
    if (const auto* text = std::get_if<std::string>(&found->second)) return *text;
    return std::nullopt;
}

std::optional<std::vector<std::string>> UserDefaults::stringArray(std::string_view key) const {
    const std::lock_guard lock(mutex_);
    const auto found = values_.find(key);
    if (found == values_.end()) return std::nullopt;
    if (const auto* texts = std::get_if<std::vector<std::string>>(&found->second)) return *texts;
    return std::nullopt;
}

void UserDefaults::setString(std::string_view key, std::string_view value) {
    const std::lock_guard lock(mutex_);
    Values updated = values_;
    updated.insert_or_assign(wellFormed(key), wellFormed(value));
    commit(std::move(updated));
}

void UserDefaults::setStringArray(std::string_view key, const std::vector<std::string>& values) {
    const std::lock_guard lock(mutex_);
    std::vector<std::string> texts;
    texts.reserve(values.size());
    for (const auto& value : values) texts.push_back(wellFormed(value));
    Values updated = values_;
    updated.insert_or_assign(wellFormed(key), std::move(texts));
    commit(std::move(updated));
}

void UserDefaults::remove(std::string_view key) {
    const std::lock_guard lock(mutex_);
    const auto found = values_.find(key);
    if (found == values_.end()) return;
    Values updated = values_;
    updated.erase(found->first);
    commit(std::move(updated));
}

void UserDefaults::commit(Values updated) {
    std::string json = "{";
    bool first = true;
    for (const auto& [key, value] : updated) {
        json += first ? "\n  " : ",\n  ";
        first = false;
        JsonText::appendQuoted(json, key);
        json += ": ";
        if (const auto* text = std::get_if<std::string>(&value)) {
            JsonText::appendQuoted(json, *text);
        } else if (const auto* texts = std::get_if<std::vector<std::string>>(&value)) {
            if (texts->empty()) {
                json += "[]";
            } else {
                json += "[";
                for (std::size_t i = 0; i < texts->size(); ++i) {
                    json += i == 0 ? "\n    " : ",\n    ";
                    JsonText::appendQuoted(json, (*texts)[i]);
                }
                json += "\n  ]";
            }
        } else {
            json += std::get<RawJson>(value).text;
        }
    }
    json += first ? "}\n" : "\n}\n";

    if (mustPreserveExistingFile_) moveUnreadableFileAside();
    writeAtomically(json);
    values_ = std::move(updated);
}

void UserDefaults::moveUnreadableFileAside() {
    std::error_code error;
    const bool present = fs::exists(fs::symlink_status(file_, error));
    if (error && error != std::errc::no_such_file_or_directory) {
        throwFileError("cannot inspect unreadable settings file", file_, error.value());
    }
    if (present) {
        const std::string stem = file_.filename().string() + ".corrupt-" + timestampForFileName();
        fs::path aside = file_.parent_path() / stem;
        for (int suffix = 1; fs::exists(fs::symlink_status(aside, error)); ++suffix) {
            aside = file_.parent_path() / (stem + "-" + std::to_string(suffix));
        }
        if (::rename(file_.c_str(), aside.c_str()) != 0) {
            throwFileError("cannot move unreadable settings file aside", file_, errno);
        }
    }
    mustPreserveExistingFile_ = false;
}

void UserDefaults::writeAtomically(const std::string& contents) const {
    const fs::path folder = file_.parent_path();
    createPrivateFolders(folder);

    std::string temporaryName = (folder / (file_.filename().string() + ".tmp-XXXXXX")).string();
    const int descriptor = ::mkostemp(temporaryName.data(), O_CLOEXEC);
    if (descriptor < 0) throwFileError("cannot create settings file", folder, errno);
    const fs::path temporary(temporaryName);
    try {
        writeAll(descriptor, contents, temporary);
        if (::fsync(descriptor) != 0) throwFileError("cannot flush settings", temporary, errno);
    } catch (...) {
        ::close(descriptor);
        ::unlink(temporary.c_str());
        throw;
    }
    if (::close(descriptor) != 0) {
        const int closeError = errno;
        ::unlink(temporary.c_str());
        throwFileError("cannot write settings", temporary, closeError);
    }
    if (::rename(temporary.c_str(), file_.c_str()) != 0) {
        const int renameError = errno;
        ::unlink(temporary.c_str());
        throwFileError("cannot replace settings file", file_, renameError);
    }
    // Makes the rename itself durable; the data is already safe if this fails.
    const int folderDescriptor = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folderDescriptor >= 0) {
        ::fsync(folderDescriptor);
        ::close(folderDescriptor);
    }
}

}  // namespace kelvane
