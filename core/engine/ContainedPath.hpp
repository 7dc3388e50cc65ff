// The one place where a file-system path is built from a name found inside an archive:
// whatever the name holds ("../", a leading "/", links planted by an earlier entry), the
// result never points outside its base folder.
#pragma once

#include <filesystem>
#include <optional>
#include <string_view>

namespace kelvane {

class ContainedPath final {
public:
    ContainedPath() = delete;

    // `base` joined with the components of `entryName` ("/"-separated; empty and "."
    // components skipped). None when the name is absolute, holds a ".." component (even one
    // that would come back inside: the tools disagree on what they write for those), holds
    // a NUL byte, or names nothing but `base` itself. Purely lexical: the disk is not read.
    [[nodiscard]] static std::optional<std::filesystem::path> join(
        const std::filesystem::path& base, std::string_view entryName);

    // The joined path when something exists there and, with every symbolic link on the way
    // and at the end resolved, it still lies strictly inside `base` (itself resolved).
    // None otherwise, also when the disk cannot be read.
    [[nodiscard]] static std::optional<std::filesystem::path> existingInside(
        const std::filesystem::path& base, std::string_view entryName);

    // True when `candidate` exists and, every link resolved, lies strictly inside `base`.
    [[nodiscard]] static bool isInside(const std::filesystem::path& base,
                                       const std::filesystem::path& candidate);
};

}  // namespace kelvane
