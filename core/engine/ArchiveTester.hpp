// The integrity test: runs the tool that extracts an archive in its test mode over the whole
// archive and condenses the outcome into an ArchiveTestResult.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "engine/ProgressHandler.hpp"
#include "model/ArchiveListing.hpp"
#include "model/ArchiveTestResult.hpp"
#include "process/BinaryLocator.hpp"
#include "process/ProcessCancellationToken.hpp"

namespace kelvane {

class ArchiveTester final {
public:
    ArchiveTester() = delete;

    // 7-Zip tests what 7-Zip extracts, `lsar -t` what the unarchiver extracts. A missing or
    // wrong password throws passwordRequired / wrongPassword so the caller can ask for one;
    // every other failure is a result with `passed` false and the tool's own text.
    [[nodiscard]] static ArchiveTestResult testArchive(
        const ArchiveListing& listing, const std::optional<std::string>& password,
        const std::shared_ptr<ProcessCancellationToken>& cancellation,
        const ProgressHandler& onProgress,
        const BinaryLocator::SearchFolders& searchFolders =
            BinaryLocator::SearchFolders::standard());

    // The success summaries in the current interface language; `count` is the file count.
    [[nodiscard]] static std::string sevenZipSummary(std::int64_t count);
    [[nodiscard]] static std::string unarchiverSummary(std::int64_t count);
};

}  // namespace kelvane
