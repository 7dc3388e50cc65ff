// Digests of known data, of the chunk boundaries, and of files large enough for the
// two-thread path, checked against the openssl command-line tool.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "ExtractionTestSupport.hpp"
#include "engine/ChecksumService.hpp"
#include "process/ProcessRunner.hpp"
#include "support/TemporaryFolder.hpp"

namespace kelvane {
namespace {

namespace fs = std::filesystem;

std::string opensslDigest(const std::string& algorithm, const fs::path& file) {
    const ProcessResult result =
        ProcessRunner::run("/usr/bin/openssl", {"dgst", "-" + algorithm, "-r", file.string()});
    EXPECT_EQ(result.exitCode, 0) << result.stderrString();
    const std::string text = result.stdoutString();
    return text.substr(0, text.find(' '));
}

TEST(ChecksumServiceTest, PublishedDigestsOfSmallInputs) {
    const testing::TemporaryFolder folder;
    const FileChecksumReport empty = ChecksumService::compute(folder.write("empty", ""));
    EXPECT_EQ(empty, (FileChecksumReport{
                         "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855",
                         "d41d8cd98f00b204e9800998ecf8427e", 0}));
    const FileChecksumReport abc = ChecksumService::compute(folder.write("abc", "abc"));
    EXPECT_EQ(
        abc, (FileChecksumReport{"ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad",
                                 "900150983cd24fb0d6963f7d28e17f72", 3}));
}

TEST(ChecksumServiceTest, AgreesWithOpensslAroundChunkBoundariesAndOnBothPaths) {
    const testing::TemporaryFolder folder;
    constexpr std::size_t kMiB = 1U << 20U;
    // One chunk exactly, one byte either side, just below and above the size from which
    // a second thread digests, and several rotations of the three chunk buffers.
    for (const std::size_t size :
         {kMiB - 1, kMiB, kMiB + 1, 4 * kMiB - 1, 4 * kMiB, 4 * kMiB + 1, 11 * kMiB + 12345}) {
        const fs::path file =
            folder.write("data-" + std::to_string(size), testing::incompressibleBytes(size, size));
        std::vector<double> fractions;
        const FileChecksumReport report = ChecksumService::compute(
            file, [&](const ProgressReport& step) { fractions.push_back(step.fraction); });
        EXPECT_EQ(report.byteCount, static_cast<std::int64_t>(size));
        // One report per chunk read, rising to exactly 1.
        EXPECT_EQ(fractions.size(), (size + kMiB - 1) / kMiB) << size;
        EXPECT_TRUE(std::is_sorted(fractions.begin(), fractions.end())) << size;
        EXPECT_EQ(fractions.back(), 1.0) << size;
        EXPECT_EQ(report.sha256, opensslDigest("sha256", file)) << size;
        EXPECT_EQ(report.md5, opensslDigest("md5", file)) << size;
    }
}

TEST(ChecksumServiceTest, AThrowingProgressCallbackEndsTheRunNotTheProgram) {
    const testing::TemporaryFolder folder;
    // Large enough for the two-thread path; the callback throws at every chunk in turn.
    const fs::path file = folder.write("big", testing::incompressibleBytes(9U << 20U));
    for (int throwAt = 1; throwAt <= 9; ++throwAt) {
        int calls = 0;
        EXPECT_THROW((void)ChecksumService::compute(file,
                                                    [&](const ProgressReport&) {
                                                        if (++calls == throwAt) {
                                                            throw std::runtime_error("stop");
                                                        }
                                                    }),
                     std::runtime_error)
            << throwAt;
    }
}

TEST(ChecksumServiceTest, OpenAndReadFailuresAreFileSystemErrors) {
    const testing::TemporaryFolder folder;
    EXPECT_THROW((void)ChecksumService::compute(folder.path() / "gone"), fs::filesystem_error);
    // A folder opens but cannot be read.
    EXPECT_THROW((void)ChecksumService::compute(folder.path()), fs::filesystem_error);
}

}  // namespace
}  // namespace kelvane
