// Folders at predictable names under the temporary folder: made private, links refused.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>

#include "platform/AppFolders.hpp"
#include "support/TemporaryFolder.hpp"

namespace kelvane {
namespace {

namespace fs = std::filesystem;

fs::perms othersAndGroup(const fs::path& folder) {
    return fs::symlink_status(folder).permissions() & (fs::perms::group_all | fs::perms::others_all);
}

TEST(PrivateFolderTest, CreatesTightensAndRefusesWhatIsNotOurs) {
    testing::TemporaryFolder temp;
    const fs::path nested = temp.path() / "root" / "tab";
    AppFolders::ensurePrivateFolder(nested);
    EXPECT_TRUE(fs::is_directory(nested));
    EXPECT_EQ(othersAndGroup(nested), fs::perms::none);
    EXPECT_EQ(othersAndGroup(temp.path() / "root"), fs::perms::none);

    const fs::path loose = temp.path() / "loose";
    fs::create_directory(loose);
    fs::permissions(loose, fs::perms::all);
    AppFolders::ensurePrivateFolder(loose);
    EXPECT_EQ(othersAndGroup(loose), fs::perms::none);

    testing::TemporaryFolder target;
    fs::create_directory_symlink(target.path(), temp.path() / "link");
    EXPECT_THROW(AppFolders::ensurePrivateFolder(temp.path() / "link"), fs::filesystem_error);
    temp.write("file", "x");
    EXPECT_THROW(AppFolders::ensurePrivateFolder(temp.path() / "file"), fs::filesystem_error);

    if (::geteuid() == 0) {
        // Only root can hand a folder to another user to plant it.
        const fs::path foreign = temp.path() / "foreign";
        fs::create_directory(foreign);
        ASSERT_EQ(::chown(foreign.c_str(), 65534, 65534), 0);
        EXPECT_THROW(AppFolders::ensurePrivateFolder(foreign), fs::filesystem_error);
    }
}

}  // namespace
}  // namespace kelvane
