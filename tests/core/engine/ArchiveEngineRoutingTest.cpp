// Which names are archives, which may be modified, and which tool family lists and extracts them.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "engine/ArchiveEngineService.hpp"

namespace kelvane {
namespace {

struct RoutingCase {
    const char* path;
    bool supported;
    bool writable;
    bool listedByLsar;
    bool extractedByUnar;  // with an empty format name
};

class ArchiveEngineRoutingTest : public ::testing::TestWithParam<RoutingCase> {
protected:
    ArchiveEngineService engine_;
};

TEST_P(ArchiveEngineRoutingTest, AnswersTheFourQuestions) {
    const RoutingCase& c = GetParam();
    EXPECT_EQ(engine_.isSupportedArchive(c.path), c.supported) << c.path;
    EXPECT_EQ(engine_.isWritableArchive(c.path), c.writable) << c.path;
    EXPECT_EQ(engine_.prefersLsarForListing(c.path), c.listedByLsar) << c.path;
    EXPECT_EQ(engine_.requiresUnarchiverExtraction(c.path, ""), c.extractedByUnar) << c.path;
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Names, ArchiveEngineRoutingTest,
    ::testing::Values(
        // path                              supported writable lsar  unar
        RoutingCase{"/p/photos.TAR.GZ",          true,  false, true,  true},
        RoutingCase{"/p/backup.tar.zst",         true,  false, false, false},
        RoutingCase{"/p/set.7z.001",             true,  false, false, false},
        RoutingCase{"/p/notes.txt",              false, false, false, false},
        RoutingCase{"/p/README",                 false, false, false, false},
        RoutingCase{"/p/archive.",               false, false, false, false},
        RoutingCase{"/p/movie.rar",              true,  false, false, true},
        RoutingCase{"/p/movie.part1.r00",        true,  false, false, true},
        RoutingCase{"/p/comic.CBR",              true,  false, false, true},
        RoutingCase{"/p/a.zip",                  true,  true,  false, false},
        RoutingCase{"/p/A.ZIP",                  true,  true,  false, false},
        RoutingCase{"/p/a.7z",                   true,  true,  false, false},
        RoutingCase{"/p/a.tar",                  true,  true,  false, false},
        RoutingCase{"/p/a.tgz",                  true,  false, true,  true},
        RoutingCase{"/p/a.tar.bz2",              true,  false, true,  true},
        RoutingCase{"/p/a.tbz2",                 true,  false, true,  true},
        RoutingCase{"/p/a.tbz",                  true,  false, true,  true},
        RoutingCase{"/p/a.tar.xz",               true,  false, true,  true},
        RoutingCase{"/p/a.txz",                  true,  false, true,  true},
        RoutingCase{"/p/a.tzst",                 true,  false, false, false},
        RoutingCase{"/p/a.gz",                   true,  false, false, false},
        RoutingCase{"/p/a.xz",                   true,  false, false, false},
        RoutingCase{"/p/a.lzh",                  true,  false, true,  true},
        RoutingCase{"/p/a.LHA",                  true,  false, true,  true},
        RoutingCase{"/p/a.sit",                  true,  false, true,  true},
        RoutingCase{"/p/a.sitx",                 true,  false, true,  true},
        RoutingCase{"/p/a.arj",                  true,  false, true,  true},
        RoutingCase{"/p/a.ace",                  true,  false, true,  true},
        RoutingCase{"/p/disk.iso",               true,  false, false, false},
        RoutingCase{"/p/app.apk",                true,  false, false, false},
        RoutingCase{"/p/a.tar.gz.txt",           false, false, false, false},
        RoutingCase{"/p/dotted.dir.zip/inner.txt", false, false, false, false},
        RoutingCase{"/p/with.dots/archive.zip",  true,  true,  false, false},
        RoutingCase{"/p/folder.zip/",            true,  true,  false, false},
        RoutingCase{"relative.7z",               true,  true,  false, false},
        RoutingCase{"/p/AR\xC5\x9E\xC4\xB0V.ZIP", true,  true,  false, false}),
    [](const auto& testInfo) {
        std::string name;
        for (const char c : std::string(testInfo.param.path)) {
            name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
        }
        return name + "_" + std::to_string(testInfo.index);
    });
// clang-format on

TEST(ArchiveEngineRoutingFormatTest, FormatNameCanRouteExtractionToTheUnarchiver) {
    const ArchiveEngineService engine;
    EXPECT_TRUE(engine.requiresUnarchiverExtraction("/p/a.rar", "RAR5"));
    EXPECT_TRUE(engine.requiresUnarchiverExtraction("/p/a.zip", "Ace"));
    EXPECT_TRUE(engine.requiresUnarchiverExtraction("/p/a.zip", "zip ACE"));
    EXPECT_TRUE(engine.requiresUnarchiverExtraction("/p/a.7z", "StuffIt"));
    EXPECT_TRUE(engine.requiresUnarchiverExtraction("/p/a.bin", "lzh"));
    EXPECT_TRUE(engine.requiresUnarchiverExtraction("/p/a.exe", "Rar"));
    EXPECT_FALSE(engine.requiresUnarchiverExtraction("/p/a.zip", "zip"));
    EXPECT_FALSE(engine.requiresUnarchiverExtraction("/p/a.7z", "7z"));
}

TEST(ArchiveEngineExtensionSetsTest, HoldTheExpectedExtensionsInOrder) {
    EXPECT_EQ(ArchiveEngineService::supportedExtensions.size(), 41u);
    EXPECT_EQ(ArchiveEngineService::supportedExtensions.front(), "rar");
    EXPECT_EQ(ArchiveEngineService::supportedExtensions[13], "7z");
    EXPECT_EQ(ArchiveEngineService::supportedExtensions.back(), "ace");
    const std::set<std::string_view> distinct(ArchiveEngineService::supportedExtensions.begin(),
                                              ArchiveEngineService::supportedExtensions.end());
    EXPECT_EQ(distinct.size(), 41u);
    EXPECT_EQ(ArchiveEngineService::writableExtensions,
              (std::array<std::string_view, 3>{"zip", "7z", "tar"}));
}

}  // namespace
}  // namespace kelvane
