#include "index/ArchiveDirectoryIndex.hpp"

#include <algorithm>
#include <cstring>
#include <unordered_set>

#include "index/ArchiveEntrySorter.hpp"
#include "localization/AppLanguage.hpp"
#include "localization/AppStringCatalog.hpp"
#include "platform/UnicodeText.hpp"

namespace kelvane {
namespace {

std::string rootTitle() {
    return AppStringCatalog::shared().resolve("Archive Root", "Arşiv Kökü", AppLanguage::current());
}

bool passes(const ArchiveEntry& entry, ArchiveFilterKind filter) {
    switch (filter.value()) {
        case ArchiveFilterKind::all:
            return true;
        case ArchiveFilterKind::folders:
            return entry.isDirectory();
        case ArchiveFilterKind::images:
            return entry.category() == ArchiveFileCategory::image;
        case ArchiveFilterKind::codeText:
            return entry.category() == ArchiveFileCategory::codeText;
        case ArchiveFilterKind::documents:
            return entry.category() == ArchiveFileCategory::document;
        case ArchiveFilterKind::media:
            return entry.category() == ArchiveFileCategory::media;
        case ArchiveFilterKind::encrypted:
            return entry.isEncrypted();
    }
    return false;
}

// How common a byte is in archive paths, roughly; the search scans for the
// query's least common byte and compares the whole query only around it.
int commonness(char c) {
    if (c == '/' || (c >= '0' && c <= '9')) return 9;
    if (std::string_view("eaiostrn").find(c) != std::string_view::npos) return 8;
    if (c == '.') return 7;
    if (c >= 'a' && c <= 'z') return 5;
    if (c == '_' || c == '-' || c == ' ') return 4;
    return 2;
}

// A substring test of the lower-cased query against the pre-lower-cased
// texts of an entry.
class QueryMatcher {
public:
    explicit QueryMatcher(std::string_view query) : query_(query) {
        for (std::size_t i = 0; i < query.size(); ++i) {
            if (commonness(query[i]) < commonness(query[anchor_])) anchor_ = i;
        }
    }

    [[nodiscard]] bool matches(const ArchiveEntry& entry) const {
        const std::string_view path = entry.lowercasedPath();
        if (contains(path)) return true;
        // The lower-cased name is nearly always the tail of the lower-cased
        // path, and then it cannot match where the path did not.
        const std::string_view name = entry.lowercasedName();
        if (name.data() + name.size() == path.data() + path.size()) return false;
        return contains(name);
    }

private:
    [[nodiscard]] bool contains(std::string_view text) const {
        if (text.size() < query_.size()) return false;
        const char anchor = query_[anchor_];
        const char* const first = text.data() + anchor_;
        const char* const last = text.data() + (text.size() - query_.size()) + anchor_ + 1;
        for (const char* at = first; at < last; ++at) {
            at = static_cast<const char*>(
                std::memchr(at, anchor, static_cast<std::size_t>(last - at)));
            if (at == nullptr) return false;
            if (std::memcmp(at - anchor_, query_.data(), query_.size()) == 0) return true;
        }
        return false;
    }

    std::string_view query_;
    std::size_t anchor_ = 0;
};

}  // namespace

const ArchiveDirectoryIndex& ArchiveDirectoryIndex::empty() {
    static const ArchiveDirectoryIndex* const instance = new ArchiveDirectoryIndex();
    return *instance;
}

std::string_view ArchiveDirectoryIndex::folderPath(std::uint32_t folder) const {
    const std::uint32_t source = folders_[folder].pathSource;
    if ((source & kDetachedPath) != 0) return detachedPaths_[source & ~kDetachedPath];
    return entries_[source].id();
}

std::string_view ArchiveDirectoryIndex::folderName(std::uint32_t folder) const {
    if (folder == 0) return rootName_;
    const std::string_view path = folderPath(folder);
    const std::size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

bool ArchiveDirectoryIndex::isListedFolder(std::uint32_t folder) const {
    const std::uint32_t source = folders_[folder].pathSource;
    if (folder == 0) return true;
    return (source & kDetachedPath) == 0 && entries_[source].isDirectory();
}

std::uint32_t ArchiveDirectoryIndex::findFolder(std::string_view path) const {
    if (folders_.empty()) return kNone;
    if (path.empty()) return 0;
    return foldersByPath_.find(path, PathPositionTable::hashOf(path),
                               [this](std::uint32_t folder) { return folderPath(folder); });
}

std::uint32_t ArchiveDirectoryIndex::findPosition(std::string_view id) const {
    return entriesByID_.find(id, PathPositionTable::hashOf(id),
                             [this](std::uint32_t position) { return entries_[position].id(); });
}

std::uint32_t ArchiveDirectoryIndex::childrenEnd(std::uint32_t folder) const {
    return folder + 1 < folders_.size() ? folders_[folder + 1].childrenBegin
                                        : static_cast<std::uint32_t>(entries_.size());
}

std::span<const ArchiveEntry> ArchiveDirectoryIndex::childrenOf(std::uint32_t folder) const {
    const std::uint32_t begin = folders_[folder].childrenBegin;
    return std::span<const ArchiveEntry>(entries_).subspan(begin, childrenEnd(folder) - begin);
}

std::span<const ArchiveEntry> ArchiveDirectoryIndex::subtreeOf(std::uint32_t folder) const {
    const std::uint32_t begin = folders_[folder].childrenBegin;
    const std::uint32_t last = folders_[folder].subtreeEnd - 1;
    return std::span<const ArchiveEntry>(entries_).subspan(begin, childrenEnd(last) - begin);
}

std::span<const ArchiveEntry> ArchiveDirectoryIndex::children(std::string_view folderPath) const {
    const std::uint32_t folder = findFolder(folderPath);
    if (folder == kNone) return {};
    return childrenOf(folder);
}

bool ArchiveDirectoryIndex::hasFolder(std::string_view folderPath) const {
    return findFolder(folderPath) != kNone;
}

std::optional<ArchiveFolderNode> ArchiveDirectoryIndex::folderNode(
    std::string_view folderPath) const {
    const std::uint32_t folder = findFolder(folderPath);
    if (folder == kNone) return std::nullopt;
    const FolderRecord& record = folders_[folder];
    ArchiveFolderNode node;
    node.id = std::string(this->folderPath(folder));
    node.name = std::string(folderName(folder));
    node.parentPath = folder == 0 ? std::string() : std::string(this->folderPath(record.parent));
    node.depth = record.depth;
    // Pre-order numbering: the first subfolder follows its parent, the next
    // one follows the end of the previous one's subtree.
    for (std::uint32_t sub = folder + 1; sub < record.subtreeEnd; sub = folders_[sub].subtreeEnd) {
        if (isListedFolder(sub)) node.directSubfolderPaths.emplace_back(this->folderPath(sub));
    }
    node.recursiveFileCount = record.recursiveFileCount;
    node.recursiveUncompressedSize = record.recursiveUncompressedSize;
    node.recursiveCompressedSize = record.recursiveCompressedSize;
    return node;
}

std::vector<std::string_view> ArchiveDirectoryIndex::allFolderPathsSorted() const {
    std::vector<std::string_view> paths;
    paths.reserve(folders_.size());
    for (std::uint32_t folder = 0; folder < folders_.size();) {
        if (!isListedFolder(folder)) {
            folder = folders_[folder].subtreeEnd;
            continue;
        }
        paths.push_back(folderPath(folder));
        ++folder;
    }
    return paths;
}

std::optional<std::string_view> ArchiveDirectoryIndex::singleRootFolderName() const {
    if (!hasSingleRootFolder_) return std::nullopt;
    return childrenOf(0).front().name();
}

ArchiveItemList ArchiveDirectoryIndex::items(std::string_view folderPath,
                                             std::string_view searchQuery, ArchiveFilterKind filter,
                                             ArchiveSortField sortField, bool ascending,
                                             std::stop_token stop) const {
    const std::string query = UnicodeText::lowercased(UnicodeText::trimmedWhitespace(searchQuery));
    const std::uint32_t folder = findFolder(folderPath);
    if (folder == kNone) return {};

    if (query.empty() && filter == ArchiveFilterKind::all) {
        const std::span<const ArchiveEntry> children = childrenOf(folder);
        if ((sortField == ArchiveSortField::name && ascending) || children.size() < 2) {
            return ArchiveItemList::viewing(children);
        }
        return ArchiveItemList(ArchiveEntrySorter::sorted({children.begin(), children.end()},
                                                          sortField, ascending, *this));
    }

    // The folder's subtree is one slice of the entries, so the scope needs no
    // per-entry path test.
    const std::span<const ArchiveEntry> scope = subtreeOf(folder);
    const QueryMatcher matcher(query);
    std::vector<ArchiveEntry> found;
    found.reserve(std::min<std::size_t>(scope.size(), 1024));
    // Asked every few thousand entries: often enough to end within a millisecond or two.
    constexpr std::size_t kStopCheckInterval = 4096;
    std::size_t untilCheck = kStopCheckInterval;
    for (const ArchiveEntry& entry : scope) {
        if (--untilCheck == 0) {
            if (stop.stop_requested()) return {};
            untilCheck = kStopCheckInterval;
        }
        if (!passes(entry, filter)) continue;
        if (!query.empty() && !matcher.matches(entry)) continue;
        found.push_back(entry);
    }
    if (stop.stop_requested()) return {};
    if (found.size() < 2) return ArchiveItemList(std::move(found));
    return ArchiveItemList(
        ArchiveEntrySorter::sorted(std::move(found), sortField, ascending, *this));
}

const ArchiveEntry* ArchiveDirectoryIndex::entry(std::string_view id) const {
    const std::uint32_t position = findPosition(id);
    return position == kNone ? nullptr : &entries_[position];
}

std::optional<std::uint32_t> ArchiveDirectoryIndex::position(const ArchiveEntry& entry) const {
    const std::uint32_t hint = entry.indexPositionHint();
    if (hint < entries_.size() && entries_[hint].sharesRecordWith(entry)) return hint;
    return position(entry.id());
}

std::optional<std::uint32_t> ArchiveDirectoryIndex::position(std::string_view id) const {
    const std::uint32_t found = findPosition(id);
    if (found == kNone) return std::nullopt;
    return found;
}

std::int64_t ArchiveDirectoryIndex::effectiveSize(const ArchiveEntry& entry) const {
    if (entry.isDirectory()) {
        const std::uint32_t folder = findFolder(entry.id());
        if (folder != kNone) return folders_[folder].recursiveUncompressedSize;
    }
    return entry.uncompressedSize();
}

std::int64_t ArchiveDirectoryIndex::effectivePackedSize(const ArchiveEntry& entry) const {
    if (entry.isDirectory()) {
        const std::uint32_t folder = findFolder(entry.id());
        if (folder != kNone) return folders_[folder].recursiveCompressedSize;
    }
    return entry.compressedSize();
}

std::vector<ArchiveEntry> ArchiveDirectoryIndex::descendantEntries(
    std::span<const ArchiveEntry> selection) const {
    std::vector<ArchiveEntry> result;
    // Ids of this index are marked by position; ids it does not hold (a
    // selection from elsewhere) by text.
    std::vector<bool> seen(entries_.size(), false);
    std::unordered_set<std::string_view> seenElsewhere;
    const auto markSeen = [&](std::string_view id) {
        const std::uint32_t position = findPosition(id);
        if (position == kNone) return seenElsewhere.insert(id).second;
        if (seen[position]) return false;
        seen[position] = true;
        return true;
    };
    const auto markSeenAt = [&](std::size_t position) {
        if (seen[position]) return false;
        seen[position] = true;
        return true;
    };
    // A folder whose contents were walked once has all of them marked, so a
    // second walk would add nothing; skipping it keeps nested selections linear.
    std::vector<bool> walked(folders_.size(), false);
    struct Frame {
        std::uint32_t next;
        std::uint32_t end;
    };
    std::vector<Frame> pending;
    const auto walk = [&](std::uint32_t folder) {
        if (folder == kNone || walked[folder]) return;
        walked[folder] = true;
        pending.push_back({folders_[folder].childrenBegin, childrenEnd(folder)});
        while (!pending.empty()) {
            Frame& frame = pending.back();
            if (frame.next == frame.end) {
                pending.pop_back();
                continue;
            }
            const std::uint32_t position = frame.next++;
            const ArchiveEntry& child = entries_[position];
            if (markSeenAt(position)) result.push_back(child);
            if (!child.isDirectory()) continue;
            const std::uint32_t sub = findFolder(child.id());
            if (sub == kNone || walked[sub]) continue;
            walked[sub] = true;
            pending.push_back({folders_[sub].childrenBegin, childrenEnd(sub)});
        }
    };

    for (const ArchiveEntry& selected : selection) {
        if (!selected.isDirectory()) {
            if (markSeen(selected.id())) result.push_back(selected);
            continue;
        }
        const std::string_view path = selected.id();
        const std::uint32_t position = findPosition(path);
        if (position != kNone && markSeenAt(position)) result.push_back(entries_[position]);
        walk(findFolder(path));
    }
    return result;
}

std::vector<ArchiveBreadcrumb> ArchiveDirectoryIndex::breadcrumbs(std::string_view path) {
    std::vector<ArchiveBreadcrumb> crumbs;
    crumbs.push_back({rootTitle(), std::string()});
    std::string accumulated;
    std::size_t start = 0;
    while (start <= path.size()) {
        const std::size_t slash = std::min(path.find('/', start), path.size());
        const std::string_view part = path.substr(start, slash - start);
        if (!part.empty()) {
            if (!accumulated.empty()) accumulated += '/';
            accumulated += part;
            crumbs.push_back({std::string(part), accumulated});
        }
        start = slash + 1;
    }
    return crumbs;
}

std::size_t ArchiveDirectoryIndex::memoryBytes() const {
    std::size_t bytes = entries_.capacity() * sizeof(ArchiveEntry) +
                        folders_.capacity() * sizeof(FolderRecord) + entriesByID_.memoryBytes() +
                        foldersByPath_.memoryBytes() +
                        detachedPaths_.capacity() * sizeof(std::string);
    for (const std::string& path : detachedPaths_) bytes += path.capacity() + 1;
    return bytes + rootName_.capacity();
}

}  // namespace kelvane
