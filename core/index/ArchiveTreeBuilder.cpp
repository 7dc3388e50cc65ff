#include "index/ArchiveTreeBuilder.hpp"

#include <algorithm>
#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <tuple>

#include "index/PathPositionTable.hpp"
#include "localization/AppLanguage.hpp"
#include "localization/AppStringCatalog.hpp"
#include "platform/NameCollator.hpp"

namespace kelvane {
namespace {

constexpr std::uint32_t kNone = 0xFFFFFFFFU;
// Positions share their word with a flag in the finished index.
constexpr std::size_t kMaxEntries = 0x7FFFFFFFU;

// The text before the last "/", or empty.
std::string_view parentOf(std::string_view path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? std::string_view() : path.substr(0, slash);
}

// True when normalizing would leave the path unchanged, i.e. when an entry
// can carry it as its id. Prefixes of ids such as "a/" (from "a//b") cannot.
bool isNormalizedPath(std::string_view path) {
    return !path.starts_with("./") && !path.starts_with('/') && !path.ends_with('/') &&
           path.find('\\') == std::string_view::npos;
}

std::uint32_t narrow(std::size_t value) { return static_cast<std::uint32_t>(value); }

// First pass over the listing: distinct entries and every implied folder.
// Folders get build numbers in the order they are met (0 is the root); the
// texts are views into the caller's entries, which outlive the build.
struct Discovery {
    std::vector<ArchiveEntry> stored;
    std::vector<std::uint32_t> storedParent;  // folder number of each stored entry
    PathPositionTable ids;
    std::vector<std::string_view> folderPaths;
    std::vector<std::uint32_t> folderParent;
    std::vector<std::uint32_t> folderEntry;  // stored position with the folder's id, or kNone
    PathPositionTable folders;               // every folder but the root

    [[nodiscard]] auto idAt() const {
        return [this](std::uint32_t position) { return stored[position].id(); };
    }
    [[nodiscard]] auto folderPathAt() const {
        return [this](std::uint32_t folder) { return folderPaths[folder]; };
    }

    // The stored entry whose id is `path`, synthesizing a folder entry with
    // `origin`'s date when there is none. Returns the position, or kNone for
    // a path no entry can carry; `synthesized` tells whether one was made.
    std::uint32_t entryForFolder(std::string_view path, std::size_t hash,
                                 const ArchiveEntry& origin, bool& synthesized) {
        synthesized = false;
        if (!isNormalizedPath(path)) return kNone;
        const auto [position, inserted] = ids.insert(path, hash, narrow(stored.size()), idAt());
        if (inserted) {
            stored.emplace_back(path, true, 0, 0, origin.modifiedDate(), false, std::nullopt,
                                std::nullopt, std::nullopt);
            storedParent.push_back(kNone);  // set by the caller's next step up
            synthesized = true;
        }
        return position;
    }

    // The folder number of `path`, adding it and its missing ancestors; the
    // walk up stops at the first folder already known.
    std::uint32_t addFolderChain(std::string_view path, const ArchiveEntry& origin) {
        std::size_t currentHash = PathPositionTable::hashOf(path);
        auto [folder, inserted] =
            folders.insert(path, currentHash, narrow(folderPaths.size()), folderPathAt());
        if (!inserted) return folder;
        const std::uint32_t first = folder;
        std::string_view current = path;
        for (;;) {
            bool synthesized = false;
            const std::uint32_t position =
                entryForFolder(current, currentHash, origin, synthesized);
            folderPaths.push_back(current);
            folderParent.push_back(0);
            folderEntry.push_back(position);

            const std::string_view up = parentOf(current);
            std::uint32_t upFolder = 0;
            bool upIsNew = false;
            if (!up.empty()) {
                currentHash = PathPositionTable::hashOf(up);
                std::tie(upFolder, upIsNew) =
                    folders.insert(up, currentHash, narrow(folderPaths.size()), folderPathAt());
            }
            folderParent[folder] = upFolder;
            if (synthesized) storedParent[position] = upFolder;
            if (!upIsNew) return first;
            folder = upFolder;
            current = up;
        }
    }

    void run(const std::vector<ArchiveEntry>& entries) {
        const std::size_t count = entries.size();
        stored.reserve(count + count / 16 + 64);
        storedParent.reserve(stored.capacity());
        ids = PathPositionTable(count + count / 16 + 64);
        const std::size_t expectedFolders = count > 383 ? count / 12 : 32;
        folderPaths.reserve(expectedFolders);
        folderParent.reserve(expectedFolders);
        folderEntry.reserve(expectedFolders);
        folders = PathPositionTable(expectedFolders);
        folderPaths.push_back({});
        folderParent.push_back(0);
        folderEntry.push_back(kNone);

        // Listings come grouped by folder, so the parent of the previous
        // entry usually is the parent of this one.
        std::string_view lastParent;
        std::uint32_t lastParentFolder = 0;
        for (const ArchiveEntry& entry : entries) {
            const std::string_view id = entry.id();
            if (id.empty()) continue;
            if (stored.size() >= kMaxEntries) {
                throw std::length_error("too many archive entries to index");
            }
            const std::string_view parent = entry.parentPath();
            std::uint32_t parentFolder = 0;
            if (parent.empty()) {
                parentFolder = 0;
            } else if (parent == lastParent) {
                parentFolder = lastParentFolder;
            } else {
                parentFolder = addFolderChain(parent, entry);
                lastParent = parent;
                lastParentFolder = parentFolder;
            }

            const std::size_t hash = entry.hash();
            const auto [position, inserted] = ids.insert(id, hash, narrow(stored.size()), idAt());
            if (inserted) {
                stored.push_back(entry);
                storedParent.push_back(parentFolder);
            } else if (!entry.isDirectory()) {
                stored[position] = entry;
            }
            if (entry.isDirectory()) {
                const auto [folder, isNew] =
                    folders.insert(id, hash, narrow(folderPaths.size()), folderPathAt());
                if (isNew) {
                    folderPaths.push_back(id);
                    folderParent.push_back(parentFolder);
                    folderEntry.push_back(position);
                }
            }
        }
    }
};

// One child while its folder's list is being ordered.
struct ChildKey {
    std::string_view name;
    std::string_view lowercasedName;
    std::uint32_t position;
    bool isFolder;
};

// Orders one folder's children for display: folders first, then by name.
class ChildrenOrderer {
public:
    explicit ChildrenOrderer(const NameCollator& collator) : collator_(collator) {}

    void order(std::span<std::uint32_t> group, const std::vector<ArchiveEntry>& stored) {
        keys_.clear();
        for (const std::uint32_t position : group) {
            const ArchiveEntry& entry = stored[position];
            keys_.push_back({entry.name(), entry.lowercasedName(), position, entry.isDirectory()});
        }
        if (group.size() > ArchiveTreeBuilder::kLargeFolderThreshold) {
            std::stable_sort(keys_.begin(), keys_.end(), [](const ChildKey& a, const ChildKey& b) {
                if (a.isFolder != b.isFolder) return a.isFolder;
                return a.lowercasedName < b.lowercasedName;
            });
        } else {
            orderByCollation();
        }
        for (std::size_t i = 0; i < group.size(); ++i) group[i] = keys_[i].position;
    }

private:
    bool inOrder(const ChildKey& a, const ChildKey& b) const {
        if (a.isFolder != b.isFolder) return a.isFolder;
        return collator_.compare(a.name, b.name) <= 0;
    }

    void orderByCollation() {
        // Tools mostly list a folder already sorted; checking costs one
        // comparison per child.
        bool sorted = true;
        for (std::size_t i = 1; i < keys_.size() && sorted; ++i) {
            sorted = inOrder(keys_[i - 1], keys_[i]);
        }
        if (sorted) return;
        collationKeys_.resize(keys_.size());
        order_.resize(keys_.size());
        for (std::size_t i = 0; i < keys_.size(); ++i) {
            collationKeys_[i] = collator_.sortKey(keys_[i].name);
            order_[i] = narrow(i);
        }
        std::stable_sort(order_.begin(), order_.end(), [this](std::uint32_t a, std::uint32_t b) {
            if (keys_[a].isFolder != keys_[b].isFolder) return keys_[a].isFolder;
            return collationKeys_[a] < collationKeys_[b];
        });
        sortedKeys_.clear();
        for (const std::uint32_t i : order_) sortedKeys_.push_back(keys_[i]);
        keys_.swap(sortedKeys_);
    }

    const NameCollator& collator_;
    std::vector<ChildKey> keys_;
    std::vector<ChildKey> sortedKeys_;
    std::vector<std::string> collationKeys_;
    std::vector<std::uint32_t> order_;
};

}  // namespace

std::shared_ptr<const ArchiveDirectoryIndex> ArchiveTreeBuilder::build(
    const std::vector<ArchiveEntry>& entries) {
    const AppLanguage language = AppLanguage::current();
    const NameCollator collator(language.locale());

    Discovery found;
    found.run(entries);
    const std::size_t folderCount = found.folderPaths.size();
    const std::size_t entryCount = found.stored.size();

    // Every folder's direct subfolders (whether or not their entry is a
    // folder), sorted by the Finder-like order of their full paths.
    std::vector<std::uint32_t> subfolderStart(folderCount + 1, 0);
    for (std::size_t f = 1; f < folderCount; ++f) ++subfolderStart[found.folderParent[f] + 1];
    for (std::size_t f = 0; f < folderCount; ++f) subfolderStart[f + 1] += subfolderStart[f];
    std::vector<std::uint32_t> subfolders(folderCount > 0 ? folderCount - 1 : 0);
    {
        std::vector<std::uint32_t> cursor(subfolderStart.begin(), subfolderStart.end() - 1);
        for (std::size_t f = 1; f < folderCount; ++f) {
            subfolders[cursor[found.folderParent[f]]++] = narrow(f);
        }
    }
    for (std::size_t f = 0; f < folderCount; ++f) {
        const auto first = subfolders.begin() + subfolderStart[f];
        const auto last = subfolders.begin() + subfolderStart[f + 1];
        if (last - first < 2) continue;
        std::stable_sort(first, last, [&](std::uint32_t a, std::uint32_t b) {
            return collator.compare(found.folderPaths[a], found.folderPaths[b]) < 0;
        });
    }

    // Final folder numbers: depth-first pre-order, so a subtree is a range.
    std::vector<std::uint32_t> preorder;
    preorder.reserve(folderCount);
    std::vector<std::uint32_t> finalFolder(folderCount, 0);
    {
        std::vector<std::uint32_t> pending{0};
        while (!pending.empty()) {
            const std::uint32_t folder = pending.back();
            pending.pop_back();
            finalFolder[folder] = narrow(preorder.size());
            preorder.push_back(folder);
            for (std::uint32_t i = subfolderStart[folder + 1]; i > subfolderStart[folder]; --i) {
                pending.push_back(subfolders[i - 1]);
            }
        }
    }
    subfolders = {};
    subfolderStart = {};

    ArchiveDirectoryIndex index;
    index.folders_.resize(folderCount);
    auto& records = index.folders_;
    for (std::size_t f = 1; f < folderCount; ++f) {
        records[f].parent = finalFolder[found.folderParent[preorder[f]]];
        records[f].depth = records[records[f].parent].depth + 1;
    }

    // Group the entries by parent folder, groups in folder order; count the
    // direct file totals on the way.
    std::vector<std::uint32_t> groupStart(folderCount + 1, 0);
    for (std::size_t position = 0; position < entryCount; ++position) {
        const std::uint32_t folder = finalFolder[found.storedParent[position]];
        found.storedParent[position] = folder;
        ++groupStart[folder + 1];
        const ArchiveEntry& entry = found.stored[position];
        if (!entry.isDirectory()) {
            ArchiveDirectoryIndex::FolderRecord& record = records[folder];
            ++record.recursiveFileCount;
            record.recursiveUncompressedSize += entry.uncompressedSize();
            record.recursiveCompressedSize += entry.compressedSize();
        }
    }
    for (std::size_t f = 0; f < folderCount; ++f) groupStart[f + 1] += groupStart[f];
    std::vector<std::uint32_t> grouped(entryCount);
    {
        std::vector<std::uint32_t> cursor(groupStart.begin(), groupStart.end() - 1);
        for (std::size_t position = 0; position < entryCount; ++position) {
            grouped[cursor[found.storedParent[position]]++] = narrow(position);
        }
    }
    {
        ChildrenOrderer orderer(collator);
        for (std::size_t f = 0; f < folderCount; ++f) {
            const std::size_t size = groupStart[f + 1] - groupStart[f];
            if (size < 2) continue;
            orderer.order(std::span(grouped).subspan(groupStart[f], size), found.stored);
        }
    }

    // Lay the entries out in that order; storedParent becomes the new position.
    std::vector<std::uint32_t>& finalPosition = found.storedParent;
    index.entries_.reserve(entryCount);
    for (std::size_t i = 0; i < entryCount; ++i) {
        finalPosition[grouped[i]] = narrow(i);
        index.entries_.push_back(std::move(found.stored[grouped[i]]));
    }
    grouped = {};
    found.stored = {};

    index.detachedPaths_.emplace_back();
    for (std::size_t f = 0; f < folderCount; ++f) {
        ArchiveDirectoryIndex::FolderRecord& record = records[f];
        const std::uint32_t source = found.folderEntry[preorder[f]];
        if (source != kNone) {
            record.pathSource = finalPosition[source];
        } else if (f == 0) {
            record.pathSource = ArchiveDirectoryIndex::kDetachedPath;
        } else {
            record.pathSource =
                ArchiveDirectoryIndex::kDetachedPath | narrow(index.detachedPaths_.size());
            index.detachedPaths_.emplace_back(found.folderPaths[preorder[f]]);
        }
        record.childrenBegin = groupStart[f];
        record.subtreeEnd = narrow(f + 1);
    }
    // Children follow their parent in pre-order, so walking backwards
    // completes every subtree before its parent reads it.
    for (std::size_t f = folderCount; f-- > 1;) {
        ArchiveDirectoryIndex::FolderRecord& record = records[f];
        ArchiveDirectoryIndex::FolderRecord& parent = records[record.parent];
        parent.recursiveFileCount += record.recursiveFileCount;
        parent.recursiveUncompressedSize += record.recursiveUncompressedSize;
        parent.recursiveCompressedSize += record.recursiveCompressedSize;
        parent.subtreeEnd = std::max(parent.subtreeEnd, record.subtreeEnd);
    }

    found.ids.remapPositions([&](std::uint32_t position) { return finalPosition[position]; });
    found.folders.remapPositions([&](std::uint32_t folder) { return finalFolder[folder]; });
    index.entriesByID_ = std::move(found.ids);
    index.foldersByPath_ = std::move(found.folders);

    const std::span<const ArchiveEntry> rootChildren = index.childrenOf(0);
    index.hasSingleRootFolder_ = rootChildren.size() == 1 && rootChildren.front().isDirectory();
    index.rootName_ = AppStringCatalog::shared().resolve("Archive Root", "Arşiv Kökü", language);
    return std::make_shared<const ArchiveDirectoryIndex>(std::move(index));
}

}  // namespace kelvane
