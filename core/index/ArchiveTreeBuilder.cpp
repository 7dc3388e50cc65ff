#include "index/ArchiveTreeBuilder.hpp"

#include <algorithm>
#include <array>
#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <tuple>

#include "engine/SaturatingArithmetic.hpp"
#include "index/AsciiSortKeyEncoder.hpp"
#include "index/PathPositionTable.hpp"
#include "localization/AppLanguage.hpp"
#include "localization/AppStringCatalog.hpp"
#include "platform/NameCollator.hpp"

namespace kelvane {
namespace {

constexpr std::uint32_t kNone = 0xFFFFFFFFU;
// Positions share their word with a flag in the finished index.
constexpr std::size_t kMaxEntries = 0x7FFFFFFFU;
constexpr std::size_t kLookahead = 8;

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

std::uint32_t narrow(std::size_t value) {
    return static_cast<std::uint32_t>(value);
}

// First pass over the listing: distinct entries and every implied folder.
// Folders get build numbers in the order they are met (0 is the root). Their
// paths are copied into one buffer: compared on every lookup, they are read
// far more often than the scattered entry records they come from.
struct Discovery {
    std::vector<ArchiveEntry> stored;
    std::vector<std::uint32_t> storedParent;  // folder number of each stored entry
    PathPositionTable ids;
    std::string folderText;
    std::vector<std::uint32_t> folderTextStart;  // one more than there are folders
    std::vector<std::uint32_t> folderParent;
    std::vector<std::uint32_t> folderEntry;  // stored position with the folder's id, or kNone
    PathPositionTable folders;               // every folder but the root

    [[nodiscard]] auto idAt() const {
        return [this](std::uint32_t position) { return stored[position].id(); };
    }
    [[nodiscard]] std::string_view folderPath(std::uint32_t folder) const {
        return std::string_view(folderText)
            .substr(folderTextStart[folder], folderTextStart[folder + 1] - folderTextStart[folder]);
    }
    [[nodiscard]] auto folderPathAt() const {
        return [this](std::uint32_t folder) { return folderPath(folder); };
    }
    [[nodiscard]] std::size_t folderCount() const { return folderTextStart.size() - 1; }

    void addFolder(std::string_view path, std::uint32_t parent, std::uint32_t entry) {
        if (folderText.size() + path.size() > 0xFFFFFFFFU) {
            throw std::length_error("archive folder paths too long to index");
        }
        folderText.append(path);
        folderTextStart.push_back(narrow(folderText.size()));
        folderParent.push_back(parent);
        folderEntry.push_back(entry);
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
            folders.insert(path, currentHash, narrow(folderCount()), folderPathAt());
        if (!inserted) return folder;
        const std::uint32_t first = folder;
        std::string_view current = path;
        for (;;) {
            bool synthesized = false;
            const std::uint32_t position =
                entryForFolder(current, currentHash, origin, synthesized);
            addFolder(current, 0, position);

            const std::string_view up = parentOf(current);
            std::uint32_t upFolder = 0;
            bool upIsNew = false;
            if (!up.empty()) {
                currentHash = PathPositionTable::hashOf(up);
                std::tie(upFolder, upIsNew) =
                    folders.insert(up, currentHash, narrow(folderCount()), folderPathAt());
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
        folderTextStart.reserve(expectedFolders + 1);
        folderParent.reserve(expectedFolders);
        folderEntry.reserve(expectedFolders);
        folders = PathPositionTable(expectedFolders);
        folderTextStart.push_back(0);
        addFolder({}, 0, kNone);

        // Listings come grouped by folder, so the parent of the previous
        // entry usually is the parent of this one.
        std::string_view lastParent;
        std::uint32_t lastParentFolder = 0;
        // Hashes run a few entries ahead so their slots are being fetched
        // while earlier entries are inserted.
        std::array<std::size_t, kLookahead> hashes{};
        for (std::size_t i = 0; i < std::min(kLookahead, count); ++i) {
            hashes[i] = entries[i].hash();
            ids.prefetch(hashes[i]);
        }
        for (std::size_t i = 0; i < count; ++i) {
            const ArchiveEntry& entry = entries[i];
            const std::size_t hash = hashes[i % kLookahead];
            if (i + kLookahead < count) {
                const ArchiveEntry& later = entries[i + kLookahead];
                const std::size_t ahead = later.hash();
                hashes[(i + kLookahead) % kLookahead] = ahead;
                ids.prefetch(ahead);
                // Its parent is looked up too unless it repeats the one before.
                const std::string_view laterParent = later.parentPath();
                if (!laterParent.empty() &&
                    laterParent != entries[i + kLookahead - 1].parentPath()) {
                    folders.prefetch(PathPositionTable::hashOf(laterParent));
                }
            }
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

            const auto [position, inserted] = ids.insert(id, hash, narrow(stored.size()), idAt());
            if (inserted) {
                stored.push_back(entry);
                storedParent.push_back(parentFolder);
            } else if (!entry.isDirectory()) {
                stored[position] = entry;
            }
            if (entry.isDirectory()) {
                const auto [folder, isNew] =
                    folders.insert(id, hash, narrow(folderCount()), folderPathAt());
                if (isNew) addFolder(id, parentFolder, position);
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

// A child and the bytes it sorts by.
struct SortSlot {
    std::string_view key;
    std::uint32_t index;
    bool isFolder;
};

bool slotBefore(const SortSlot& a, const SortSlot& b) {
    if (a.isFolder != b.isFolder) return a.isFolder;
    return a.key < b.key;
}

// Stable; short lists, the common case, are sorted without allocating.
void sortSlots(std::vector<SortSlot>& slots) {
    if (slots.size() > 32) {
        std::stable_sort(slots.begin(), slots.end(), slotBefore);
        return;
    }
    for (std::size_t i = 1; i < slots.size(); ++i) {
        const SortSlot moving = slots[i];
        std::size_t j = i;
        for (; j > 0 && slotBefore(moving, slots[j - 1]); --j) slots[j] = slots[j - 1];
        slots[j] = moving;
    }
}

// Puts lists of children (or of subfolder paths) in display order: folders
// first, then the Finder-like order of `name`, or for lists longer than the
// large-folder threshold the code-point order of `lowercasedName`.
class DisplayOrderSorter {
public:
    DisplayOrderSorter(const NameCollator& collator, const AsciiSortKeyEncoder& asciiKeys)
        : collator_(collator), asciiKeys_(asciiKeys) {}

    void sort(std::vector<ChildKey>& keys) {
        if (keys.size() < 2) return;
        if (keys.size() > ArchiveTreeBuilder::kLargeFolderThreshold) {
            std::stable_sort(keys.begin(), keys.end(), [](const ChildKey& a, const ChildKey& b) {
                if (a.isFolder != b.isFolder) return a.isFolder;
                return a.lowercasedName < b.lowercasedName;
            });
            return;
        }
        sortByFinderOrder(keys);
    }

    // Folders first, then the Finder-like order of `name`, at any length.
    void sortByFinderOrder(std::vector<ChildKey>& keys) {
        if (keys.size() < 2) return;
        if (!sortByAsciiKeys(keys)) sortByCollator(keys);
    }

private:
    // Most names are plain ASCII; their keys cost a few nanoseconds a byte.
    bool sortByAsciiKeys(std::vector<ChildKey>& keys) {
        if (!asciiKeys_.isAvailable()) return false;
        arena_.clear();
        keyStart_.clear();
        for (const ChildKey& key : keys) {
            keyStart_.push_back(narrow(arena_.size()));
            if (!asciiKeys_.appendKey(key.name, arena_)) return false;
        }
        keyStart_.push_back(narrow(arena_.size()));
        slots_.clear();
        const std::string_view arena(arena_);
        for (std::size_t i = 0; i < keys.size(); ++i) {
            slots_.push_back({arena.substr(keyStart_[i], keyStart_[i + 1] - keyStart_[i]),
                              narrow(i), keys[i].isFolder});
        }
        sortAndApply(keys);
        return true;
    }

    void sortByCollator(std::vector<ChildKey>& keys) {
        // Tools mostly list a folder already sorted; checking that costs one
        // comparison per child, far less than a key per child.
        bool sorted = true;
        for (std::size_t i = 1; i < keys.size() && sorted; ++i) {
            const ChildKey& a = keys[i - 1];
            const ChildKey& b = keys[i];
            sorted = a.isFolder != b.isFolder ? a.isFolder : collator_.compare(a.name, b.name) <= 0;
        }
        if (sorted) return;
        collationKeys_.resize(keys.size());
        slots_.clear();
        for (std::size_t i = 0; i < keys.size(); ++i) {
            collationKeys_[i] = collator_.sortKey(keys[i].name);
            slots_.push_back({collationKeys_[i], narrow(i), keys[i].isFolder});
        }
        sortAndApply(keys);
    }

    void sortAndApply(std::vector<ChildKey>& keys) {
        sortSlots(slots_);
        sorted_.clear();
        for (const SortSlot& slot : slots_) sorted_.push_back(keys[slot.index]);
        keys.swap(sorted_);
    }

    const NameCollator& collator_;
    const AsciiSortKeyEncoder& asciiKeys_;
    std::string arena_;
    std::vector<std::uint32_t> keyStart_;
    std::vector<std::string> collationKeys_;
    std::vector<SortSlot> slots_;
    std::vector<ChildKey> sorted_;
};

// The final numbering of the folders: depth-first pre-order over subfolder
// lists sorted by the Finder-like order of their full paths, so a folder's
// subtree is a range of numbers. Folders whose own entry is a file take part,
// so their contents get a place too.
struct FolderOrder {
    std::vector<std::uint32_t> preorder;     // final number -> discovery number
    std::vector<std::uint32_t> finalFolder;  // discovery number -> final number
};

FolderOrder orderFolders(const Discovery& found, DisplayOrderSorter& sorter) {
    const std::size_t folderCount = found.folderCount();
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
    std::vector<ChildKey> keys;
    for (std::size_t f = 0; f < folderCount; ++f) {
        const std::size_t size = subfolderStart[f + 1] - subfolderStart[f];
        if (size < 2) continue;
        keys.clear();
        for (std::size_t i = subfolderStart[f]; i < subfolderStart[f + 1]; ++i) {
            // All count as folders, so the paths alone decide.
            keys.push_back({found.folderPath(subfolders[i]), {}, subfolders[i], true});
        }
        sorter.sortByFinderOrder(keys);
        for (std::size_t i = 0; i < size; ++i) subfolders[subfolderStart[f] + i] = keys[i].position;
    }

    FolderOrder order;
    order.preorder.reserve(folderCount);
    order.finalFolder.assign(folderCount, 0);
    std::vector<std::uint32_t> pending{0};
    while (!pending.empty()) {
        const std::uint32_t folder = pending.back();
        pending.pop_back();
        order.finalFolder[folder] = narrow(order.preorder.size());
        order.preorder.push_back(folder);
        for (std::uint32_t i = subfolderStart[folder + 1]; i > subfolderStart[folder]; --i) {
            pending.push_back(subfolders[i - 1]);
        }
    }
    return order;
}

}  // namespace

std::shared_ptr<const ArchiveDirectoryIndex> ArchiveTreeBuilder::build(
    const std::vector<ArchiveEntry>& entries) {
    const AppLanguage language = AppLanguage::current();
    const NameCollator collator(language.locale());
    const std::shared_ptr<const AsciiSortKeyEncoder> asciiKeys =
        AsciiSortKeyEncoder::forLocale(language.locale());

    Discovery found;
    found.run(entries);
    const std::size_t folderCount = found.folderCount();
    const std::size_t entryCount = found.stored.size();
    DisplayOrderSorter sorter(collator, *asciiKeys);
    std::vector<ChildKey> keys;

    const FolderOrder order = orderFolders(found, sorter);
    const std::vector<std::uint32_t>& preorder = order.preorder;
    const std::vector<std::uint32_t>& finalFolder = order.finalFolder;

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
            // Sizes are what the archive claims; a crafted one must not wrap the totals.
            record.recursiveUncompressedSize = SaturatingArithmetic::add(
                record.recursiveUncompressedSize, entry.uncompressedSize());
            record.recursiveCompressedSize =
                SaturatingArithmetic::add(record.recursiveCompressedSize, entry.compressedSize());
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
    for (std::size_t f = 0; f < folderCount; ++f) {
        const std::size_t size = groupStart[f + 1] - groupStart[f];
        if (size < 2) continue;
        keys.clear();
        for (std::size_t i = groupStart[f]; i < groupStart[f + 1]; ++i) {
            const ArchiveEntry& entry = found.stored[grouped[i]];
            keys.push_back({entry.name(), entry.lowercasedName(), grouped[i], entry.isDirectory()});
        }
        sorter.sort(keys);
        for (std::size_t i = 0; i < size; ++i) grouped[groupStart[f] + i] = keys[i].position;
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
            index.detachedPaths_.emplace_back(found.folderPath(preorder[f]));
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
        parent.recursiveUncompressedSize = SaturatingArithmetic::add(
            parent.recursiveUncompressedSize, record.recursiveUncompressedSize);
        parent.recursiveCompressedSize = SaturatingArithmetic::add(parent.recursiveCompressedSize,
                                                                   record.recursiveCompressedSize);
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
