// The browsable folder hierarchy of one listing, built once by
// ArchiveTreeBuilder and then only read: folder contents, search, sort,
// lookups by id, recursive sizes, selection expansion and breadcrumbs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <stop_token>
#include <string>
#include <string_view>
#include <vector>

#include "index/ArchiveBreadcrumb.hpp"
#include "index/ArchiveItemList.hpp"
#include "index/PathPositionTable.hpp"
#include "model/ArchiveEntry.hpp"
#include "model/ArchiveFilterKind.hpp"
#include "model/ArchiveFolderNode.hpp"
#include "model/ArchiveSortField.hpp"

namespace kelvane {

// Layout, chosen so a million entries cost a few dozen bytes each on top of
// the entries themselves:
// - every distinct entry is held once, in `entries_`, grouped by parent
//   folder; each group is already in display order, so a folder's children
//   are a slice of it;
// - folders are numbered in depth-first pre-order and the groups follow that
//   numbering, so a folder's whole subtree is one contiguous slice as well;
// - ids and folder paths are found through tables of 4-byte positions; texts
//   are never copied (a folder's path is the id of its entry).
class ArchiveDirectoryIndex final {
public:
    // No folders, no entries, no single root.
    [[nodiscard]] static const ArchiveDirectoryIndex& empty();

    ArchiveDirectoryIndex(ArchiveDirectoryIndex&&) noexcept = default;
    ArchiveDirectoryIndex& operator=(ArchiveDirectoryIndex&&) noexcept = default;
    // Indexes are large and shared; copying one is never what is meant.
    ArchiveDirectoryIndex(const ArchiveDirectoryIndex&) = delete;
    ArchiveDirectoryIndex& operator=(const ArchiveDirectoryIndex&) = delete;
    ~ArchiveDirectoryIndex() = default;

    // --- Stored facts ---

    // One entry per distinct non-empty id, real or synthesized, in no
    // promised order.
    [[nodiscard]] std::span<const ArchiveEntry> allEntries() const { return entries_; }
    // The entries directly inside a folder ("" is the root), in display
    // order: folders first, then by name. Empty for unknown paths.
    [[nodiscard]] std::span<const ArchiveEntry> children(std::string_view folderPath) const;
    [[nodiscard]] bool hasFolder(std::string_view folderPath) const;
    // The node of a folder, assembled on request; none for unknown paths.
    [[nodiscard]] std::optional<ArchiveFolderNode> folderNode(std::string_view folderPath) const;
    // Folder nodes, the root included (0 only for `empty()`).
    [[nodiscard]] std::size_t folderNodeCount() const { return folderCount(); }
    // Every folder reachable from the root through folder entries, in
    // depth-first pre-order, subfolders in their sorted order; root first.
    [[nodiscard]] std::vector<std::string_view> allFolderPathsSorted() const;
    // The root holds exactly one child and it is a folder.
    [[nodiscard]] bool hasSingleRootFolder() const { return hasSingleRootFolder_; }
    [[nodiscard]] std::optional<std::string_view> singleRootFolderName() const;

    // --- Queries ---

    // What the entry table shows. With no query and the filter `all`: the
    // folder's children, as a view when the order is name ascending.
    // Otherwise every entry anywhere below the folder that passes the filter
    // and whose lower-cased name or path contains the trimmed, lower-cased
    // query. Results are sorted by `sortField`, folders first. A search whose
    // `stop` is requested ends early with an empty list: an outdated query over a
    // million entries would otherwise hold a core until it is through.
    [[nodiscard]] ArchiveItemList items(std::string_view folderPath, std::string_view searchQuery,
                                        ArchiveFilterKind filter, ArchiveSortField sortField,
                                        bool ascending, std::stop_token stop = {}) const;
    // The entry stored under an id, or null; valid while the index lives.
    [[nodiscard]] const ArchiveEntry* entry(std::string_view id) const;
    // Where the entry stored under an id sits in `allEntries()`, or none. Positions are
    // 4 bytes and stable for the life of the index, so a selection of a million entries
    // can be held as positions instead of texts.
    [[nodiscard]] std::optional<std::uint32_t> position(std::string_view id) const;
    // The same for a handle: found through the record's position hint when it is this
    // index's, otherwise by its id.
    [[nodiscard]] std::optional<std::uint32_t> position(const ArchiveEntry& entry) const;
    // A folder's recursive totals when it has a node, otherwise the entry's own size.
    [[nodiscard]] std::int64_t effectiveSize(const ArchiveEntry& entry) const;
    [[nodiscard]] std::int64_t effectivePackedSize(const ArchiveEntry& entry) const;
    // A selection expanded to everything below its folders: each folder
    // before its contents, contents in display order, every id once.
    [[nodiscard]] std::vector<ArchiveEntry> descendantEntries(
        std::span<const ArchiveEntry> selection) const;
    // The root crumb, then one crumb per non-empty component of `path`.
    [[nodiscard]] static std::vector<ArchiveBreadcrumb> breadcrumbs(std::string_view path);

    // Heap bytes held by the index itself (not by the shared entry records).
    [[nodiscard]] std::size_t memoryBytes() const;

private:
    friend class ArchiveTreeBuilder;

    static constexpr std::uint32_t kNone = 0xFFFFFFFFU;
    // Set in `FolderRecord::pathSource` when the path lives in `detachedPaths_`.
    static constexpr std::uint32_t kDetachedPath = 0x80000000U;

    struct FolderRecord {
        // Position in `entries_` of the entry whose id is this folder's path,
        // or kDetachedPath | index into `detachedPaths_` (the root, and paths
        // no entry can carry, such as "a/" of "a//b").
        std::uint32_t pathSource = 0;
        std::uint32_t parent = 0;
        // First child in `entries_`; the children end where the next
        // folder's begin.
        std::uint32_t childrenBegin = 0;
        // One past the last folder of this folder's subtree.
        std::uint32_t subtreeEnd = 0;
        std::uint32_t depth = 0;
        std::uint32_t recursiveFileCount = 0;
        std::int64_t recursiveUncompressedSize = 0;
        std::int64_t recursiveCompressedSize = 0;
    };

    ArchiveDirectoryIndex() = default;

    [[nodiscard]] std::size_t folderCount() const { return folders_.size(); }
    [[nodiscard]] std::string_view folderPath(std::uint32_t folder) const;
    // The folder's own name; the root's is the interface text captured at build time.
    [[nodiscard]] std::string_view folderName(std::uint32_t folder) const;
    // False for folders whose path is held by a file entry or by no entry:
    // they have nodes but appear in no subfolder list.
    [[nodiscard]] bool isListedFolder(std::uint32_t folder) const;
    [[nodiscard]] std::uint32_t findFolder(std::string_view path) const;
    [[nodiscard]] std::uint32_t findPosition(std::string_view id) const;
    [[nodiscard]] std::uint32_t childrenEnd(std::uint32_t folder) const;
    [[nodiscard]] std::span<const ArchiveEntry> childrenOf(std::uint32_t folder) const;
    // Everything below the folder, at any depth.
    [[nodiscard]] std::span<const ArchiveEntry> subtreeOf(std::uint32_t folder) const;

    std::vector<ArchiveEntry> entries_;
    std::vector<FolderRecord> folders_;
    std::vector<std::string> detachedPaths_;
    PathPositionTable entriesByID_;
    // Every folder but the root, which is found by its empty path.
    PathPositionTable foldersByPath_;
    std::string rootName_;
    bool hasSingleRootFolder_ = false;
};

}  // namespace kelvane
