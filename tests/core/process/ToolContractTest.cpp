// Argument lists and switches built for 7-Zip and the unarchiver pair.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "process/SevenZipToolContract.hpp"
#include "process/UnarchiverToolContract.hpp"

namespace kelvane {
namespace {

using Arguments = std::vector<std::string>;

struct ArgumentsCase {
    const char* name;
    Arguments actual;
    Arguments expected;
};

class ToolArgumentsTest : public ::testing::TestWithParam<ArgumentsCase> {};

TEST_P(ToolArgumentsTest, BuildsTheExpectedList) {
    EXPECT_EQ(GetParam().actual, GetParam().expected);
}

namespace sz = SevenZipToolContract;
namespace ua = UnarchiverToolContract;

INSTANTIATE_TEST_SUITE_P(
    Cases, ToolArgumentsTest,
    ::testing::Values(
        ArgumentsCase{"SevenZipListWithPassword",
                      sz::listArguments("/a/b c.7z", "s3cret"),
                      {"l", "-slt", "-sccUTF-8", "-spd", "-ps3cret", "/a/b c.7z"}},
        ArgumentsCase{"SevenZipListWithoutPasswordStillPassesAnEmptyOne",
                      sz::listArguments("/a/x.zip", std::nullopt),
                      {"l", "-slt", "-sccUTF-8", "-spd", "-p", "/a/x.zip"}},
        ArgumentsCase{"SevenZipListWithEmptyPassword",
                      sz::listArguments("/a/x.zip", ""),
                      {"l", "-slt", "-sccUTF-8", "-spd", "-p", "/a/x.zip"}},
        ArgumentsCase{"SevenZipTest",
                      sz::testArguments("/a/x.zip", "pw"),
                      {"t", "-bsp1", "-sccUTF-8", "-spd", "-ppw", "/a/x.zip"}},
        ArgumentsCase{"SevenZipRelativePathThatLooksLikeASwitch",
                      sz::listArguments("-rf.zip", std::nullopt),
                      {"l", "-slt", "-sccUTF-8", "-spd", "-p", "./-rf.zip"}},
        ArgumentsCase{"SevenZipRelativePathThatLooksLikeAListFile",
                      sz::testArguments("@list.7z", std::nullopt),
                      {"t", "-bsp1", "-sccUTF-8", "-spd", "-p", "./@list.7z"}},
        ArgumentsCase{"SevenZipJunkExclusions",
                      sz::macJunkExclusions(),
                      {"-xr!.DS_Store", "-xr!__MACOSX", "-xr!._*"}},
        ArgumentsCase{"LsarListWithPassword",
                      ua::listArguments("/a/x.rar", "p w"),
                      {"-j", "-p", "p w", "/a/x.rar"}},
        ArgumentsCase{"LsarListWithoutPassword",
                      ua::listArguments("/a/x.rar", std::nullopt),
                      {"-j", "/a/x.rar"}},
        ArgumentsCase{
            "LsarListWithEmptyPassword", ua::listArguments("/a/x.rar", ""), {"-j", "/a/x.rar"}},
        ArgumentsCase{"LsarTestWithPassword",
                      ua::testArguments("/a/x.lzh", "pw"),
                      {"-t", "-p", "pw", "/a/x.lzh"}},
        ArgumentsCase{"LsarTestWithoutPassword",
                      ua::testArguments("/a/x.lzh", std::nullopt),
                      {"-t", "/a/x.lzh"}},
        ArgumentsCase{"LsarRelativePathThatLooksLikeASwitch",
                      ua::testArguments("-t.rar", std::nullopt),
                      {"-t", "./-t.rar"}},
        ArgumentsCase{
            "UnarBaseSkipExistingWithPassword",
            ua::extractionBaseArguments("/out dir", ExtractOverwriteMode::skipExisting, "pw"),
            {"-D", "-o", "/out dir", "-s", "-p", "pw"}},
        ArgumentsCase{
            "UnarBaseOverwrite",
            ua::extractionBaseArguments("/out", ExtractOverwriteMode::overwrite, std::nullopt),
            {"-D", "-o", "/out", "-f"}},
        ArgumentsCase{"UnarBaseAutoRenameEmptyPassword",
                      ua::extractionBaseArguments("/out", ExtractOverwriteMode::autoRename, ""),
                      {"-D", "-o", "/out", "-r"}}),
    [](const auto& testInfo) { return std::string(testInfo.param.name); });

TEST(SevenZipToolContractTest, Switches) {
    EXPECT_EQ(sz::passwordSwitch("pa ss"), "-ppa ss");
    EXPECT_EQ(sz::passwordSwitch(std::nullopt), "-p");
    EXPECT_EQ(sz::passwordSwitchIfNotEmpty("pw"), "-ppw");
    EXPECT_EQ(sz::passwordSwitchIfNotEmpty(""), std::nullopt);
    EXPECT_EQ(sz::outputFolderSwitch("/tmp/out dir"), "-o/tmp/out dir");
    EXPECT_EQ(sz::overwriteSwitch(ExtractOverwriteMode::overwrite), "-aoa");
    EXPECT_EQ(sz::overwriteSwitch(ExtractOverwriteMode::skipExisting), "-aos");
    EXPECT_EQ(sz::overwriteSwitch(ExtractOverwriteMode::autoRename), "-aou");
    EXPECT_EQ(sz::typeSwitch(ArchiveCreateFormat::zip), "-tzip");
    EXPECT_EQ(sz::typeSwitch(ArchiveCreateFormat::sevenZ), "-t7z");
    EXPECT_EQ(sz::typeSwitch(ArchiveCreateFormat::tar), "-ttar");
    EXPECT_EQ(sz::typeSwitch(ArchiveCreateFormat::tarGz), std::nullopt);
    EXPECT_EQ(sz::typeSwitch(ArchiveCreateFormat::tarXz), std::nullopt);
    EXPECT_EQ(sz::levelSwitch(CompressionLevel::store), "-mx=0");
    EXPECT_EQ(sz::levelSwitch(CompressionLevel::maximum), "-mx=7");
    EXPECT_EQ(sz::levelSwitch(CompressionLevel::ultra), "-mx=9");
    EXPECT_EQ(sz::volumeSwitch(VolumeSplitPreset::none), std::nullopt);
    EXPECT_EQ(sz::volumeSwitch(VolumeSplitPreset::mb700), "-v700m");
    EXPECT_EQ(sz::volumeSwitch(VolumeSplitPreset::gb4), "-v4g");
    EXPECT_EQ(sz::exclusionSwitch("__MACOSX"), "-xr!__MACOSX");
    EXPECT_EQ(sz::listFileArgument("/tmp/kelvane-del-1.txt"), "@/tmp/kelvane-del-1.txt");
}

TEST(UnarchiverToolContractTest, Switches) {
    EXPECT_EQ(ua::overwriteSwitch(ExtractOverwriteMode::overwrite), "-f");
    EXPECT_EQ(ua::overwriteSwitch(ExtractOverwriteMode::skipExisting), "-s");
    EXPECT_EQ(ua::overwriteSwitch(ExtractOverwriteMode::autoRename), "-r");
    EXPECT_EQ(ua::passwordArguments("pw"), (Arguments{"-p", "pw"}));
    EXPECT_EQ(ua::passwordArguments(std::nullopt), Arguments{});
    EXPECT_EQ(ua::kMaxSelectorsPerRun, 350u);
}

}  // namespace
}  // namespace kelvane
