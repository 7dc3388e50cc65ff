// Checks the compact index against a plain map-based model of the building
// rules on a shuffled listing with duplicates, late folder entries, files that
// share a folder's path and one folder too large for the locale order.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <map>
#include <random>
#include <set>
#include <span>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "IndexTestEntries.hpp"
#include "index/ArchiveDirectoryIndex.hpp"
#include "index/ArchiveTreeBuilder.hpp"
#include "localization/AppLanguage.hpp"
#include "platform/NameCollator.hpp"

namespace kelvane {
namespace {

using testing::fileEntry;
using testing::folderEntry;
using testing::idsOf;
using testing::secondsAfter1970;

std::string parentOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

// The building rules, written as directly as possible.
struct ModelIndex {
    std::unordered_map<std::string, ArchiveEntry> byID;
    std::set<std::string> folders{""};
    std::map<std::string, std::vector<ArchiveEntry>> children;
    std::map<std::string, std::vector<std::string>> subfolders;
    std::map<std::string, std::array<std::int64_t, 3>> totals;

    explicit ModelIndex(const std::vector<ArchiveEntry>& entries) {
        for (const ArchiveEntry& entry : entries) {
            const std::string id(entry.id());
            if (id.empty()) continue;
            if (entry.isDirectory()) {
                folders.insert(id);
                byID.emplace(id, entry);
            } else {
                byID.insert_or_assign(id, entry);
            }
            for (std::string path(entry.parentPath()); !path.empty(); path = parentOf(path)) {
                if (!folders.insert(path).second) break;
                if (!byID.contains(path))
                    byID.emplace(path, folderEntry(path, entry.modifiedDate()));
            }
        }
        for (const auto& [id, entry] : byID) {
            const std::string parent(entry.parentPath());
            children[parent].push_back(entry);
            if (entry.isDirectory()) {
                subfolders[parent].push_back(id);
            } else {
                for (std::string path = parent;; path = parentOf(path)) {
                    auto& sums = totals[path];
                    sums[0] += 1;
                    sums[1] += entry.uncompressedSize();
                    sums[2] += entry.compressedSize();
                    if (path.empty()) break;
                }
            }
        }
    }
};

class ArchiveTreeBuilderModelTest : public ::testing::Test {
protected:
    ArchiveTreeBuilderModelTest() : collator_(AppLanguage::current().locale()) {}

    // Names carry a running number, so no two of them compare equal.
    std::string freshName(std::mt19937& random, std::string_view stem) {
        std::string name(stem);
        name += std::to_string(++counter_);
        if (random() % 3 == 0) name[0] = static_cast<char>(name[0] - 'a' + 'A');
        return name;
    }

    std::vector<ArchiveEntry> makeListing(std::mt19937& random) {
        std::vector<std::string> folderPaths{"top", "big"};
        for (int i = 0; i < 400; ++i) {
            const std::string& base = folderPaths[random() % folderPaths.size()];
            if (base == "big") continue;
            folderPaths.push_back(base + "/" + freshName(random, "dir"));
        }
        std::vector<ArchiveEntry> entries;
        for (int i = 0; i < 4100; ++i) {
            entries.push_back(fileEntry("big/" + freshName(random, "item") + ".dat", i, 1));
        }
        for (int i = 0; i < 6000; ++i) {
            const std::string& folder = folderPaths[random() % folderPaths.size()];
            const auto date = secondsAfter1970(static_cast<std::int64_t>(random() % 100000));
            entries.push_back(fileEntry(folder + "/" + freshName(random, "file") + ".txt",
                                        static_cast<std::int64_t>(random() % 5000),
                                        static_cast<std::int64_t>(random() % 900), date));
        }
        for (int i = 0; i < 300; ++i) {
            const std::string& folder = folderPaths[random() % folderPaths.size()];
            entries.push_back(folderEntry(folder, secondsAfter1970(i)));
            entries.push_back(folderEntry(folder + "/" + freshName(random, "empty")));
        }
        const std::size_t count = entries.size();
        for (int i = 0; i < 200; ++i) {
            const ArchiveEntry& copied = entries[random() % count];
            if (!copied.isDirectory()) {
                entries.push_back(fileEntry(copied.id(), copied.uncompressedSize() + 1, 2));
            }
        }
        for (int i = 0; i < 5; ++i) {
            entries.push_back(
                fileEntry(folderPaths[2 + random() % (folderPaths.size() - 2)], 11, 11));
        }
        entries.push_back(folderEntry("./"));
        std::shuffle(entries.begin(), entries.end(), random);
        return entries;
    }

    bool inDisplayOrder(const ArchiveEntry& a, const ArchiveEntry& b, bool large) const {
        if (a.isDirectory() != b.isDirectory()) return a.isDirectory();
        if (large) return a.lowercasedName() <= b.lowercasedName();
        return collator_.compare(a.name(), b.name()) <= 0;
    }

    NameCollator collator_;
    int counter_ = 0;
};

TEST_F(ArchiveTreeBuilderModelTest, MatchesTheModelOnAShuffledListing) {
    std::mt19937 random(20240611);
    const std::vector<ArchiveEntry> listing = makeListing(random);
    const ModelIndex model(listing);
    const auto index = ArchiveTreeBuilder::build(listing);

    ASSERT_EQ(index->allEntries().size(), model.byID.size());
    for (const ArchiveEntry& entry : index->allEntries()) {
        const auto expected = model.byID.find(std::string(entry.id()));
        ASSERT_NE(expected, model.byID.end()) << entry.id();
        EXPECT_EQ(entry, expected->second);
        EXPECT_EQ(entry.modifiedDate(), expected->second.modifiedDate()) << entry.id();
        ASSERT_NE(index->entry(entry.id()), nullptr);
        EXPECT_EQ(index->entry(entry.id())->id(), entry.id());
    }

    ASSERT_EQ(index->folderNodeCount(), model.folders.size());
    std::size_t sawLargeFolder = 0;
    for (const std::string& path : model.folders) {
        SCOPED_TRACE(path);
        const std::optional<ArchiveFolderNode> node = index->folderNode(path);
        ASSERT_TRUE(node.has_value());
        EXPECT_EQ(node->parentPath, parentOf(path));
        EXPECT_EQ(node->depth, path.empty() ? 0 : std::count(path.begin(), path.end(), '/') + 1);
        const auto sums = model.totals.find(path);
        const std::array<std::int64_t, 3> expected =
            sums == model.totals.end() ? std::array<std::int64_t, 3>{} : sums->second;
        EXPECT_EQ(node->recursiveFileCount, expected[0]);
        EXPECT_EQ(node->recursiveUncompressedSize, expected[1]);
        EXPECT_EQ(node->recursiveCompressedSize, expected[2]);

        std::vector<std::string> subfolders;
        if (const auto found = model.subfolders.find(path); found != model.subfolders.end()) {
            subfolders = found->second;
        }
        std::sort(subfolders.begin(), subfolders.end(),
                  [&](const auto& a, const auto& b) { return collator_.compare(a, b) < 0; });
        EXPECT_EQ(node->directSubfolderPaths, subfolders);

        const std::span<const ArchiveEntry> stored = index->children(path);
        std::vector<std::string> expectedChildren;
        if (const auto found = model.children.find(path); found != model.children.end()) {
            expectedChildren = idsOf(found->second);
        }
        std::vector<std::string> actualChildren = idsOf(stored);
        const bool large = stored.size() > ArchiveTreeBuilder::kLargeFolderThreshold;
        sawLargeFolder += large ? 1 : 0;
        for (std::size_t i = 1; i < stored.size(); ++i) {
            EXPECT_TRUE(inDisplayOrder(stored[i - 1], stored[i], large))
                << stored[i - 1].id() << " before " << stored[i].id();
        }
        std::sort(actualChildren.begin(), actualChildren.end());
        std::sort(expectedChildren.begin(), expectedChildren.end());
        EXPECT_EQ(actualChildren, expectedChildren);
    }
    EXPECT_EQ(sawLargeFolder, 1U);

    // Pre-order over the model's sorted subfolder lists.
    std::vector<std::string> preorder;
    std::vector<std::string> pending{""};
    while (!pending.empty()) {
        const std::string path = pending.back();
        pending.pop_back();
        preorder.push_back(path);
        const std::vector<std::string> subs = index->folderNode(path)->directSubfolderPaths;
        pending.insert(pending.end(), subs.rbegin(), subs.rend());
    }
    EXPECT_EQ(testing::stringsOf(index->allFolderPathsSorted()), preorder);
}

TEST_F(ArchiveTreeBuilderModelTest, SearchFindsWhatAScanOfAllEntriesFinds) {
    std::mt19937 random(7);
    const std::vector<ArchiveEntry> listing = makeListing(random);
    const ModelIndex model(listing);
    const auto index = ArchiveTreeBuilder::build(listing);

    std::vector<std::string> scopes{"", "top", "big"};
    for (const ArchiveEntry& entry : index->children("top")) {
        if (entry.isDirectory()) scopes.emplace_back(entry.id());
    }
    for (const std::string& scope : scopes) {
        for (const std::string_view text : {"1", "ile2", "dir3/", "zzz"}) {
            SCOPED_TRACE(scope + " / " + std::string(text));
            std::vector<std::string> expected;
            for (const auto& [id, entry] : model.byID) {
                if (!scope.empty() && !id.starts_with(scope + "/")) continue;
                if (entry.lowercasedPath().find(text) == std::string_view::npos) continue;
                expected.push_back(id);
            }
            const ArchiveItemList found =
                index->items(scope, text, ArchiveFilterKind::all, ArchiveSortField::size, false);
            for (std::size_t i = 1; i < found.size(); ++i) {
                const ArchiveEntry& a = found[i - 1];
                const ArchiveEntry& b = found[i];
                if (a.isDirectory() != b.isDirectory()) {
                    EXPECT_TRUE(a.isDirectory());
                } else {
                    EXPECT_GE(index->effectiveSize(a), index->effectiveSize(b));
                }
            }
            std::vector<std::string> actual = idsOf(found);
            std::sort(actual.begin(), actual.end());
            std::sort(expected.begin(), expected.end());
            EXPECT_EQ(actual, expected);
        }
    }
}

}  // namespace
}  // namespace kelvane
