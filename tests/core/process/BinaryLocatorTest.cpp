// Tool lookup order over temporary folders standing in for the real search folders.
#include <gtest/gtest.h>

#include <filesystem>

#include "process/BinaryLocator.hpp"
#include "support/TemporaryFolder.hpp"

namespace kelvane {
namespace {

namespace fs = std::filesystem;

class BinaryLocatorTest : public ::testing::Test {
protected:
    BinaryLocatorTest() {
        for (const char* name : {"resources/bin", "program", "homebrew", "usr-local", "usr"}) {
            fs::create_directories(root_.path() / name);
            folders_.folders.push_back(root_.path() / name);
        }
    }

    fs::path install(const std::string& folder, const std::string& name) const {
        return root_.write(fs::path(folder) / name, "#!/bin/sh\n", true);
    }

    testing::TemporaryFolder root_;
    BinaryLocator::SearchFolders folders_;
};

TEST_F(BinaryLocatorTest, FindsTheAlternativeNameWhenTheFirstIsMissing) {
    const fs::path sevenZ = install("usr-local", "7z");
    const fs::path tar = install("usr", "tar");
    EXPECT_EQ(BinaryLocator::sevenZipURL(folders_), sevenZ);
    EXPECT_EQ(BinaryLocator::bsdtarURL(folders_), tar);
}

TEST_F(BinaryLocatorTest, FirstNameWinsOverTheAlternativeInAnEarlierFolder) {
    install("resources/bin", "7z");
    const fs::path sevenZz = install("usr", "7zz");
    install("program", "tar");
    const fs::path bsdtar = install("usr-local", "bsdtar");
    EXPECT_EQ(BinaryLocator::sevenZipURL(folders_), sevenZz);
    EXPECT_EQ(BinaryLocator::bsdtarURL(folders_), bsdtar);
}

TEST_F(BinaryLocatorTest, EarlierFolderWins) {
    for (const char* folder : {"usr", "usr-local", "homebrew", "program", "resources/bin"}) {
        const fs::path lsar = install(folder, "lsar");
        EXPECT_EQ(BinaryLocator::lsarURL(folders_), lsar) << folder;
    }
}

TEST_F(BinaryLocatorTest, SkipsWhatIsNotAnExecutableFile) {
    root_.write("resources/bin/unar", "#!/bin/sh\n", false);
    fs::create_directories(root_.path() / "program" / "unar");
    fs::permissions(root_.path() / "program" / "unar", fs::perms::all);
    fs::create_symlink(root_.path() / "nowhere", root_.path() / "homebrew" / "unar");
    EXPECT_EQ(BinaryLocator::unarURL(folders_), std::nullopt);

    const fs::path unar = install("usr", "unar");
    EXPECT_EQ(BinaryLocator::unarURL(folders_), unar);
}

TEST_F(BinaryLocatorTest, FollowsLinksToExecutables) {
    const fs::path target = install("usr", "7zz-real");
    fs::create_symlink(target, root_.path() / "usr-local" / "7zz");
    EXPECT_EQ(BinaryLocator::sevenZipURL(folders_), root_.path() / "usr-local" / "7zz");
}

TEST_F(BinaryLocatorTest, NothingIsCached) {
    EXPECT_EQ(BinaryLocator::locate("lsar", folders_), std::nullopt);
    const fs::path lsar = install("homebrew", "lsar");
    EXPECT_EQ(BinaryLocator::locate("lsar", folders_), lsar);
    fs::remove(lsar);
    EXPECT_EQ(BinaryLocator::locate("lsar", folders_), std::nullopt);
}

TEST_F(BinaryLocatorTest, RefusesNamesThatAreNotASingleComponent) {
    install("usr", "tool");
    for (const char* name : {"", ".", "..", "usr/tool", "../usr/tool"}) {
        EXPECT_EQ(BinaryLocator::locate(name, folders_), std::nullopt) << name;
    }
}

TEST(BinaryLocatorStandardFoldersTest, EndsWithTheSystemFoldersInOrder) {
    const auto folders = BinaryLocator::SearchFolders::standard().folders;
    ASSERT_GE(folders.size(), 4u);
    EXPECT_EQ(folders[folders.size() - 3], "/opt/homebrew/bin");
    EXPECT_EQ(folders[folders.size() - 2], "/usr/local/bin");
    EXPECT_EQ(folders[folders.size() - 1], "/usr/bin");
    // The running test's own folder comes right before them (no resources folder here).
    EXPECT_EQ(folders[folders.size() - 4], fs::read_symlink("/proc/self/exe").parent_path());
}

TEST(BinaryLocatorStandardFoldersTest, FindsTheInstalledArchivers) {
    for (const auto& found : {BinaryLocator::sevenZipURL(), BinaryLocator::lsarURL(),
                              BinaryLocator::unarURL(), BinaryLocator::bsdtarURL()}) {
        ASSERT_TRUE(found.has_value());
        EXPECT_TRUE(BinaryLocator::isExecutableFile(*found)) << *found;
    }
    EXPECT_EQ(BinaryLocator::sevenZipURL()->filename(), "7zz");
}

}  // namespace
}  // namespace kelvane
