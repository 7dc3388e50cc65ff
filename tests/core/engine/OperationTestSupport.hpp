// Helpers of the tests of the engine's writing operations: archives made and read back with
// the real tools, folder contents compared file by file, progress reports recorded.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/ArchiveEngineError.hpp"
#include "engine/ArchiveEngineService.hpp"
#include "engine/UnarchiverLister.hpp"
#include "engine/ProgressHandler.hpp"
#include "model/ArchiveListing.hpp"
#include "process/ProcessRunner.hpp"
#include "process/ProgressReport.hpp"
#include "support/TemporaryFolder.hpp"

namespace kelvane::testing {

// Every regular file below `root` by relative path ("docs/a.txt"), with its bytes; every
// folder as its path with a trailing "/" and no bytes.
inline std::map<std::string, std::string> folderContents(const std::filesystem::path& root) {
    std::map<std::string, std::string> contents;
    for (const auto& item : std::filesystem::recursive_directory_iterator(root)) {
        const std::string relative = item.path().lexically_relative(root).generic_string();
        if (item.is_directory()) {
            contents[relative + "/"] = "";
        } else {
            contents[relative] = readFile(item.path());
        }
    }
    return contents;
}

// The files only, without the folders.
inline std::map<std::string, std::string> filesOf(const std::map<std::string, std::string>& all) {
    std::map<std::string, std::string> files;
    for (const auto& [path, bytes] : all) {
        if (!path.ends_with('/')) files.emplace(path, bytes);
    }
    return files;
}

// Runs `/usr/bin/<tool>`; returns its result without judging it.
inline ProcessResult runSystemTool(
    const std::string& tool, const std::vector<std::string>& arguments,
    const std::optional<std::filesystem::path>& folder = std::nullopt) {
    return ProcessRunner::run(std::filesystem::path("/usr/bin") / tool, arguments, folder);
}

// Unpacks an archive with 7-Zip itself into `destination` and fails the test when it cannot.
inline void unpackWithSevenZip(const std::filesystem::path& archive,
                               const std::filesystem::path& destination,
                               const std::string& password = {}) {
    const ProcessResult result = runSystemTool(
        "7zz", {"x", "-y", "-p" + password, "-o" + destination.string(), archive.string()});
    ASSERT_EQ(result.exitCode, 0) << result.stderrString() << result.stdoutString();
}

// Unpacks a compressed tar archive with bsdtar.
inline void unpackWithTar(const std::filesystem::path& archive,
                          const std::filesystem::path& destination) {
    std::filesystem::create_directories(destination);
    const ProcessResult result =
        runSystemTool("bsdtar", {"-xf", archive.string(), "-C", destination.string()});
    ASSERT_EQ(result.exitCode, 0) << result.stderrString();
}

inline ArchiveListing listWithEngine(const std::filesystem::path& archive,
                                     const std::optional<std::string>& password = std::nullopt) {
    // The engine reads tarballs as their tar stream; these tests drive the unarchiver's
    // extraction and test with a .tar.gz, so they list it with the unarchiver.
    if (archive.string().ends_with(".tar.gz")) {
        return UnarchiverLister::listWithLsar(archive, password, std::chrono::steady_clock::now(),
                                              nullptr, {});
    }
    return ArchiveEngineService().listArchive(archive, password, nullptr, {});
}

// The ids of a listing's files (folders left out), sorted.
inline std::vector<std::string> fileIds(const ArchiveListing& listing) {
    std::vector<std::string> ids;
    for (const ArchiveEntry& entry : listing.entries()) {
        if (!entry.isDirectory()) ids.emplace_back(entry.id());
    }
    std::sort(ids.begin(), ids.end());
    return ids;
}

// The case of the engine error `action` throws; fails the test when it throws none.
inline std::optional<ArchiveEngineError> engineErrorOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const ArchiveEngineError& error) {
        return error;
    }
    ADD_FAILURE() << "no engine error was thrown";
    return std::nullopt;
}

// The listing of an archive as if another tool were to extract it.
inline ArchiveListing withExtractEngine(const ArchiveListing& listing, ArchiveEngineKind engine) {
    ArchiveInfo info = listing.info();
    info.extractEngine = engine;
    return ArchiveListing(info, listing.entries(), listing.tree());
}

// The same listing for another archive file (a damaged copy of the listed one).
inline ArchiveListing pointedAt(const ArchiveListing& listing, const std::filesystem::path& url) {
    ArchiveInfo info = listing.info();
    info.url = url;
    return ArchiveListing(info, listing.entries(), listing.tree());
}

// A copy of `archive` with the byte at `offset` inverted.
inline std::filesystem::path corruptedCopy(const std::filesystem::path& archive,
                                           const std::filesystem::path& copy, std::size_t offset) {
    std::string bytes = readFile(archive);
    EXPECT_LT(offset, bytes.size());
    bytes[offset] = static_cast<char>(~static_cast<unsigned char>(bytes[offset]));
    std::ofstream(copy, std::ios::binary) << bytes;
    return copy;
}

// Text that compresses, different at every level: words drawn from a fixed generator.
inline std::string compressibleText(std::size_t bytes, unsigned seed = 7) {
    static constexpr std::string_view kWords[] = {"archive", "folder",  "entry", "volume",
                                                  "level",   "kelvane", "tar",   "zip",
                                                  "seven",   "bytes",   "delta", "omega"};
    std::string text;
    unsigned state = seed;
    while (text.size() < bytes) {
        state = state * 1103515245U + 12345U;
        text += kWords[(state >> 16) % std::size(kWords)];
        text += (state >> 8) % 7 == 0 ? '\n' : ' ';
        text += std::to_string((state >> 4) % 1000);
    }
    text.resize(bytes);
    return text;
}

// Records progress reports from any thread.
class ProgressRecorder final {
public:
    [[nodiscard]] ProgressHandler handler() {
        return [this](const ProgressReport& report) {
            std::lock_guard guard(lock_);
            reports_.push_back(report);
        };
    }
    [[nodiscard]] std::vector<ProgressReport> reports() const {
        std::lock_guard guard(lock_);
        return reports_;
    }
    // Every fraction within 0 and 1, never falling, the last one exactly 1 with no text.
    void expectClimbsToOne() const {
        const auto all = reports();
        ASSERT_FALSE(all.empty());
        double previous = 0.0;
        for (const ProgressReport& report : all) {
            EXPECT_GE(report.fraction, 0.0);
            EXPECT_LE(report.fraction, 1.0);
            EXPECT_GE(report.fraction, previous) << report.detail;
            previous = report.fraction;
        }
        EXPECT_EQ(all.back().fraction, 1.0);
        EXPECT_EQ(all.back().detail, "");
    }

private:
    mutable std::mutex lock_;
    std::vector<ProgressReport> reports_;
};

}  // namespace kelvane::testing
