// One folder of the directory index, with totals over everything below it.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace kelvane {

struct ArchiveFolderNode {
    // The folder path; empty for the root.
    std::string id;
    std::string name;
    std::string parentPath;
    std::int64_t depth = 0;
    // Full paths of the folders directly inside, in display order.
    std::vector<std::string> directSubfolderPaths;
    std::int64_t recursiveFileCount = 0;
    std::int64_t recursiveUncompressedSize = 0;
    std::int64_t recursiveCompressedSize = 0;

    friend bool operator==(const ArchiveFolderNode&, const ArchiveFolderNode&) = default;

    // Over all eight fields, like equality.
    [[nodiscard]] std::size_t hash() const noexcept;
};

}  // namespace kelvane

template <>
struct std::hash<kelvane::ArchiveFolderNode> {
    std::size_t operator()(const kelvane::ArchiveFolderNode& node) const noexcept {
        return node.hash();
    }
};
