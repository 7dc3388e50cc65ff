// Argument lists and environments of the runs that write archives: 7-Zip creation, adding
// and deleting, and the tar tool's one-pass compressed archives.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "model/CreateArchiveOptions.hpp"
#include "process/SevenZipToolContract.hpp"
#include "process/TarToolContract.hpp"
#include "support/TemporaryFolder.hpp"

namespace kelvane {
namespace {

using Arguments = std::vector<std::string>;
namespace sz = SevenZipToolContract;
namespace tt = TarToolContract;

CreateArchiveOptions options(ArchiveCreateFormat format, CompressionLevel level,
                             std::string password = {}, bool encryptNames = false,
                             VolumeSplitPreset split = VolumeSplitPreset::none,
                             bool excludeJunk = false) {
    CreateArchiveOptions result;
    result.format = format;
    result.compressionLevel = level;
    result.password = std::move(password);
    result.encryptFileNames = encryptNames;
    result.volumeSplit = split;
    result.excludeMacJunk = excludeJunk;
    return result;
}

struct ArgumentsCase {
    const char* name;
    Arguments actual;
    Arguments expected;
};

class WritingArgumentsTest : public ::testing::TestWithParam<ArgumentsCase> {};

TEST_P(WritingArgumentsTest, BuildsTheExpectedList) {
    EXPECT_EQ(GetParam().actual, GetParam().expected);
}

SevenZipCreationNames exactNames(std::optional<std::filesystem::path> junkList,
                                 std::vector<std::string> excluded = {}) {
    return SevenZipCreationNames{true, std::move(junkList), std::move(excluded)};
}

INSTANTIATE_TEST_SUITE_P(
    Cases, WritingArgumentsTest,
    ::testing::Values(
        ArgumentsCase{
            "ZipWithPasswordAtMaximum",
            sz::createArguments("/o/x.zip", {"/s/a", "/s/b"},
                                options(ArchiveCreateFormat::zip, CompressionLevel::maximum, "pw")),
            {"a", "-tzip", "-mx=7", "-bsp1", "-sccUTF-8", "-ppw", "-mem=AES256", "/o/x.zip", "/s/a",
             "/s/b"}},
        ArgumentsCase{"SevenZipWithPasswordKeepsNamesVisible",
                      sz::createArguments("/o/x.7z", {"/s/a"},
                                          options(ArchiveCreateFormat::sevenZ,
                                                  CompressionLevel::ultra, "pw")),
                      {"a", "-t7z", "-mx=9", "-bsp1", "-sccUTF-8", "-ppw", "/o/x.7z", "/s/a"}},
        ArgumentsCase{"SevenZipHidesNamesOnlyWithAPassword",
                      sz::createArguments("/o/x.7z", {"/s/a"},
                                          options(ArchiveCreateFormat::sevenZ,
                                                  CompressionLevel::store, "", true)),
                      {"a", "-t7z", "-mx=0", "-bsp1", "-sccUTF-8", "/o/x.7z", "/s/a"}},
        ArgumentsCase{
            "SevenZipWithHiddenNames",
            sz::createArguments("/o/x.7z", {"/s/a"},
                                options(ArchiveCreateFormat::sevenZ, CompressionLevel::fast, "pw",
                                        true)),
            {"a", "-t7z", "-mx=1", "-bsp1", "-sccUTF-8", "-ppw", "-mhe=on", "/o/x.7z", "/s/a"}},
        ArgumentsCase{
            "TarTakesNoPasswordButSplits",
            sz::createArguments("/o/x.tar", {"/s/a"},
                                options(ArchiveCreateFormat::tar, CompressionLevel::normal, "pw",
                                        true, VolumeSplitPreset::mb700, true)),
            {"a", "-ttar", "-mx=5", "-bsp1", "-sccUTF-8", "-xr!.DS_Store", "-xr!__MACOSX",
             "-xr!._*", "-v700m", "/o/x.tar", "/s/a"}},
        ArgumentsCase{
            "ExactNamesSwapTheJunkPatternForAList",
            sz::createArguments("/o/x.zip", {"/s/a*.txt"},
                                options(ArchiveCreateFormat::zip, CompressionLevel::normal, "",
                                        false, VolumeSplitPreset::mb100, true),
                                exactNames("/t/junk.txt", {"s/old.zip"})),
            {"a", "-tzip", "-mx=5", "-bsp1", "-sccUTF-8", "-spd", "-xr!.DS_Store", "-xr!__MACOSX",
             "-xr@/t/junk.txt", "-x!s/old.zip", "-v100m", "/o/x.zip", "/s/a*.txt"}},
        ArgumentsCase{
            "ExactNamesWithoutJunkFound",
            sz::createArguments("/o/x.zip", {"/s/a?"},
                                options(ArchiveCreateFormat::zip, CompressionLevel::normal, "",
                                        false, VolumeSplitPreset::none, true),
                                exactNames(std::nullopt)),
            {"a", "-tzip", "-mx=5", "-bsp1", "-sccUTF-8", "-spd", "-xr!.DS_Store", "-xr!__MACOSX",
             "/o/x.zip", "/s/a?"}},
        ArgumentsCase{"AddWithPassword",
                      sz::addArguments("/o/x.7z", {"/s/a", "/s/b"}, "pw"),
                      {"a", "-bsp1", "-sccUTF-8", "-spd", "-xr!.DS_Store", "-xr!__MACOSX", "-ppw",
                       "/o/x.7z", "/s/a", "/s/b"}},
        ArgumentsCase{"DeleteWithPasswordBeforeTheArchive",
                      sz::deleteArguments("/o/x.zip", "/t/del.txt", "pw"),
                      {"d", "-bsp1", "-sccUTF-8", "-spd", "-ppw", "/o/x.zip", "@/t/del.txt"}},
        ArgumentsCase{"DeleteWithoutPassword",
                      sz::deleteArguments("/o/x.zip", "/t/del.txt", ""),
                      {"d", "-bsp1", "-sccUTF-8", "-spd", "/o/x.zip", "@/t/del.txt"}},
        ArgumentsCase{"TarXzOfOneFile",
                      tt::createArguments("/o/x.tar.xz", {"/a/b/c.txt"}, ArchiveCreateFormat::tarXz,
                                          CompressionLevel::normal, false, false),
                      {"-cJf", "/o/x.tar.xz", "-C", "/a/b", "c.txt"}},
        ArgumentsCase{
            "TarGzWithLevelOptionJunkAndExclusion",
            tt::createArguments("/o/x.tar.gz", {"/a/b/", "/c/-d", "/c/@e"},
                                ArchiveCreateFormat::tarGz, CompressionLevel::store, true, true,
                                {"b/x*.tar.gz"}),
            {"-czf", "/o/x.tar.gz", "--options", "gzip:compression-level=1", "--exclude=.DS_Store",
             "--exclude=__MACOSX", "--exclude=._*", "--exclude=b/x\\*.tar.gz", "-C", "/a", "b",
             "-C", "/c", "./-d", "-C", "/c", "./@e"}},
        ArgumentsCase{
            "TarXzLevelOption",
            tt::createArguments("/o/x.tar.xz", {"/a"}, ArchiveCreateFormat::tarXz,
                                CompressionLevel::ultra, false, true),
            {"-cJf", "/o/x.tar.xz", "--options", "xz:compression-level=9", "-C", "/", "a"}}),
    [](const ::testing::TestParamInfo<ArgumentsCase>& row) { return row.param.name; });

TEST(TarToolContractTest, EnvironmentNamesTheLevelForTheCompressor) {
    using Environment = std::map<std::string, std::string>;
    EXPECT_EQ(tt::createEnvironment(ArchiveCreateFormat::tarGz, CompressionLevel::store),
              (Environment{{"COPYFILE_DISABLE", "1"}, {"GZIP", "-1"}}));
    EXPECT_EQ(tt::createEnvironment(ArchiveCreateFormat::tarXz, CompressionLevel::maximum),
              (Environment{{"COPYFILE_DISABLE", "1"}, {"XZ_OPT", "-7"}}));
    EXPECT_EQ(tt::levelNumber(CompressionLevel::fast), 1);
    EXPECT_EQ(tt::levelNumber(CompressionLevel::normal), 5);
}

TEST(TarToolContractTest, RecognisesTheLibarchiveTarByNameOrThroughALink) {
    testing::TemporaryFolder tools;
    const std::filesystem::path other = tools.write("tar", "#!/bin/sh\n", true);
    std::filesystem::create_directories(tools.path() / "linked");
    std::filesystem::create_symlink(tools.path() / "bsdtar", tools.path() / "linked" / "tar");
    tools.write("bsdtar", "#!/bin/sh\n", true);
    EXPECT_TRUE(tt::isLibarchiveTar(tools.path() / "bsdtar"));
    EXPECT_TRUE(tt::isLibarchiveTar(tools.path() / "linked" / "tar"));
    EXPECT_FALSE(tt::isLibarchiveTar(other));
}

}  // namespace
}  // namespace kelvane
