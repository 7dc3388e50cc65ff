// The user-defaults store: a few named settings kept in one JSON file in the
// user's configuration folder, read once and rewritten atomically on every change.
#pragma once

#include <filesystem>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace kelvane {

class UserDefaults final {
public:
    // The store in `<configHome>/Tessaloom/defaults.json`, created on first use.
    [[nodiscard]] static UserDefaults& standard();

    // A store kept in `file`. A missing file reads as empty. A file that exists but
    // cannot be understood also reads as empty, and is moved aside to
    // `<name>.corrupt-<time>` before the first write so that nothing is lost.
    explicit UserDefaults(std::filesystem::path file);
    UserDefaults(const UserDefaults&) = delete;
    UserDefaults& operator=(const UserDefaults&) = delete;

    [[nodiscard]] const std::filesystem::path& file() const { return file_; }

    // The text stored under `key`; nothing when absent or not a text.
    [[nodiscard]] std::optional<std::string> string(std::string_view key) const;
    // The texts stored under `key`; nothing when absent or not an array of texts.
    [[nodiscard]] std::optional<std::vector<std::string>> stringArray(std::string_view key) const;

    // Each change is written to disk before returning. Text that is not valid
    // UTF-8 is stored with U+FFFD in place of the ill-formed bytes, since JSON
    // cannot carry it. A failed write throws std::filesystem::filesystem_error and
    // leaves both the file and the values in memory as they were.
    void setString(std::string_view key, std::string_view value);
    void setStringArray(std::string_view key, const std::vector<std::string>& values);
    void remove(std::string_view key);

private:
    // A value this program does not read, kept as its exact JSON text.
    struct RawJson {
        std::string text;
    };
    using Value = std::variant<std::string, std::vector<std::string>, RawJson>;
    using Values = std::map<std::string, Value, std::less<>>;

    void load();
    // Replaces the values with `updated` once they are safely on disk.
    void commit(Values updated);
    void moveUnreadableFileAside();
    void writeAtomically(const std::string& contents) const;

    std::filesystem::path file_;
    mutable std::mutex mutex_;
    Values values_;
    // The file existed but could not be read or parsed; keep it before writing.
    bool mustPreserveExistingFile_ = false;
};

}  // namespace kelvane
