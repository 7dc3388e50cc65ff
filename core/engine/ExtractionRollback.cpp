#include "engine/ExtractionRollback.hpp"

#include <system_error>
#include <unordered_map>
#include <vector>

namespace kelvane {
namespace {

namespace fs = std::filesystem;

std::string topNameOf(std::string_view id) {
    return std::string(id.substr(0, id.find('/')));
}

// Every item below `folder` (links not followed), relative to `root`.
void collectBelow(const fs::path& root, const fs::path& folder,
                  std::unordered_set<std::string>& into) {
    std::error_code error;
    fs::recursive_directory_iterator it(folder, fs::directory_options::skip_permission_denied,
                                        error);
    for (const fs::recursive_directory_iterator end; !error && it != end; it.increment(error)) {
        into.insert(it->path().lexically_relative(root).generic_string());
    }
}

}  // namespace

ExtractionRollback::ExtractionRollback(fs::path destination, std::span<const ArchiveEntry> targets)
    : destination_(std::move(destination)), targets_(targets) {
    for (const ArchiveEntry& target : targets_) topNames_.insert(topNameOf(target.id()));
    std::error_code error;
    for (fs::directory_iterator it(destination_, error), end; !error && it != end;
         it.increment(error)) {
        const std::string name = it->path().filename().string();
        before_.insert(name);
        std::error_code statusError;
        if (topNames_.contains(name) && it->is_directory(statusError) &&
            !it->is_symlink(statusError)) {
            collectBelow(destination_, it->path(), before_);
        }
    }
}

template <class Decide>
void ExtractionRollback::walkCreated(Decide&& decide) const noexcept {
    // Depth-first over the places noted before the run; a created item is handed to
    // `decide` and not entered (everything below it is new too).
    std::vector<fs::path> folders{destination_};
    while (!folders.empty()) {
        const fs::path folder = folders.back();
        folders.pop_back();
        std::error_code error;
        std::vector<fs::path> children;
        for (fs::directory_iterator it(folder, error), end; !error && it != end;
             it.increment(error)) {
            children.push_back(it->path());
        }
        for (const fs::path& child : children) {
            const std::string relative = child.lexically_relative(destination_).generic_string();
            std::error_code statusError;
            const fs::file_status status = fs::symlink_status(child, statusError);
            if (statusError) continue;
            if (!before_.contains(relative)) {
                decide(child, relative, status);
            } else if (fs::is_directory(status) &&
                       (folder != destination_ || topNames_.contains(child.filename().string()))) {
                folders.push_back(child);
            }
        }
    }
}

void ExtractionRollback::removeCreated() const noexcept {
    walkCreated([](const fs::path& item, const std::string&, const fs::file_status&) {
        std::error_code ignored;
        fs::remove_all(item, ignored);
    });
}

std::int64_t ExtractionRollback::removeIncomplete() const noexcept {
    std::unordered_map<std::string, std::int64_t> sizes;
    try {
        for (const ArchiveEntry& target : targets_) {
            if (!target.isDirectory()) sizes[std::string(target.id())] = target.uncompressedSize();
        }
    } catch (...) {
        return 0;
    }
    std::int64_t kept = 0;
    // A created folder holds only created items; its files are judged one by one.
    const auto judgeFile = [&](const fs::path& file, const std::string& relative) {
        std::error_code error;
        const auto size = fs::file_size(file, error);
        const auto expected = sizes.find(relative);
        if (!error && expected != sizes.end() &&
            static_cast<std::int64_t>(size) != expected->second) {
            fs::remove(file, error);
        } else {
            ++kept;
        }
    };
    walkCreated(
        [&](const fs::path& item, const std::string& relative, const fs::file_status& status) {
            if (fs::is_regular_file(status)) {
                judgeFile(item, relative);
            } else if (fs::is_directory(status)) {
                std::error_code error;
                fs::recursive_directory_iterator it(item, error);
                for (const fs::recursive_directory_iterator end; !error && it != end;
                     it.increment(error)) {
                    std::error_code statusError;
                    if (it->is_regular_file(statusError) && !it->is_symlink(statusError)) {
                        judgeFile(it->path(),
                                  it->path().lexically_relative(destination_).generic_string());
                    }
                }
            }
        });
    return kept;
}

}  // namespace kelvane
