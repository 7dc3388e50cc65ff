// The extraction argument lists of 7-Zip and the unarchiver.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "process/SevenZipToolContract.hpp"
#include "process/UnarchiverToolContract.hpp"

namespace kelvane {
namespace {

using Arguments = std::vector<std::string>;

TEST(ExtractionArgumentsTest, SevenZip) {
    namespace sz = SevenZipToolContract;
    EXPECT_EQ(
        sz::extractArguments("/a/x.zip", "/out dir", ExtractOverwriteMode::overwrite, std::nullopt,
                             std::nullopt),
        (Arguments{"x", "-bsp1", "-sccUTF-8", "-o/out dir", "-aoa", "-p", "-spd", "/a/x.zip"}));
    EXPECT_EQ(sz::extractArguments("/a/x.7z", "/o", ExtractOverwriteMode::skipExisting, "",
                                   std::filesystem::path("/tmp/list.txt")),
              (Arguments{"x", "-bsp1", "-sccUTF-8", "-o/o", "-aos", "-p", "-spd", "/a/x.7z",
                         "@/tmp/list.txt"}));
    EXPECT_EQ(
        sz::extractArguments("-x.7z", "/o", ExtractOverwriteMode::autoRename, "pw", std::nullopt),
        (Arguments{"x", "-bsp1", "-sccUTF-8", "-o/o", "-aou", "-ppw", "-spd", "./-x.7z"}));
}

TEST(ExtractionArgumentsTest, Unarchiver) {
    namespace ua = UnarchiverToolContract;
    EXPECT_EQ(ua::extractArguments("/a/x.rar", "/o", ExtractOverwriteMode::overwrite, std::nullopt,
                                   false, {}),
              (Arguments{"-D", "-o", "/o", "-f", "/a/x.rar"}));
    EXPECT_EQ(ua::extractArguments("/a/x.rar", "/o", ExtractOverwriteMode::skipExisting, "p w",
                                   true, {"3", "17"}),
              (Arguments{"-D", "-o", "/o", "-s", "-p", "p w", "-i", "/a/x.rar", "3", "17"}));
    EXPECT_EQ(ua::extractArguments("/a/x.rar", "/o", ExtractOverwriteMode::autoRename, "", false,
                                   {"a\\*.txt"}),
              (Arguments{"-D", "-o", "/o", "-r", "/a/x.rar", "a\\*.txt"}));
}

}  // namespace
}  // namespace kelvane
