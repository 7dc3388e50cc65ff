// An archive whose file name holds "*" or "?" is one archive, not a pattern: listing and
// testing it must not pull in its neighbours.
#include <gtest/gtest.h>

#include "ListingTestSupport.hpp"
#include "engine/ArchiveEngineService.hpp"
#include "model/ArchiveListing.hpp"
#include "support/TemporaryFolder.hpp"

namespace kelvane {
namespace {

TEST(WildcardArchiveNameTest, ListingAndTestingSeeOnlyTheNamedArchive) {
    const testing::TemporaryFolder folder;
    folder.write("mine.txt", "mine");
    folder.write("theirs.txt", "theirs");
    testing::runTool(folder.path(), "7zz", {"a", "-tzip", "-spd", "a*.zip", "mine.txt"});
    testing::runTool(folder.path(), "7zz", {"a", "-tzip", "ab.zip", "theirs.txt"});

    const ArchiveEngineService service;
    const ArchiveListing listing =
        service.listArchive(folder.path() / "a*.zip", std::nullopt, nullptr, {});
    EXPECT_EQ(testing::idsOf(listing.entries()), (std::vector<std::string>{"mine.txt"}));

    const ArchiveTestResult result = service.testArchive(listing, std::nullopt, nullptr, {});
    EXPECT_TRUE(result.passed) << result.summary;
    EXPECT_EQ(result.testedEntries, 1);
}

}  // namespace
}  // namespace kelvane
