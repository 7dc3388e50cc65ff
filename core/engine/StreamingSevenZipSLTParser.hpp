// Reads 7-Zip's technical listing ("l -slt") one line at a time while the tool is still
// printing it: header facts about the archive, then one block of "Key = value" lines per
// entry, turned into an ArchiveEntry as soon as the block ends.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/LocalMinuteCache.hpp"
#include "model/ArchiveEntry.hpp"

namespace kelvane {

// One parser per listing, used from one thread. Nothing of the output is kept beyond the
// block being read and a bounded copy of the header lines.
class StreamingSevenZipSLTParser final {
public:
    // The header's diagnostic copy stops growing once it holds this many bytes.
    static constexpr std::size_t kDiagnosticSnippetLimit = 2048;
    // The count callback hears every this many files.
    static constexpr std::int64_t kCountUpdateInterval = 2500;

    // `formatType` is the format to report when the header names none (the archive's
    // extension, upper-cased). `onCountUpdate` receives the running file count.
    // `unnamedEntryPath` names a block that has no "Path = " line at all: 7-Zip prints
    // the one stream of a bzip2, xz, zstd or .Z file that way, and extracts it under the
    // archive's name without its extension. Without it such a file would list as empty.
    StreamingSevenZipSLTParser(std::string formatType,
                               std::function<void(std::int64_t)> onCountUpdate,
                               std::string unnamedEntryPath = {});

    // The name 7-Zip gives the single stream of a compressed file: the archive's file name
    // without its last extension, with ".tar" for the one-word tar forms (".tgz", ".txz").
    [[nodiscard]] static std::string unnamedStreamPath(const std::filesystem::path& archive);

    // One output line, without its line end.
    void consumeLine(std::string_view line);
    // Ends the block being read; the tool's output need not end with an empty line.
    void flushCurrent();

    [[nodiscard]] const std::string& formatType() const { return formatType_; }
    [[nodiscard]] bool isSolid() const { return isSolid_; }
    [[nodiscard]] bool isMultiVolume() const { return isMultiVolume_; }
    [[nodiscard]] std::int64_t volumeCount() const { return volumeCount_; }
    [[nodiscard]] std::int64_t totalRaw() const { return totalRaw_; }
    [[nodiscard]] std::int64_t totalPacked() const { return totalPacked_; }
    [[nodiscard]] std::int64_t fileCount() const { return fileCount_; }
    [[nodiscard]] bool anyEncrypted() const { return anyEncrypted_; }
    [[nodiscard]] bool inEntries() const { return inEntries_; }
    // The header lines, each followed by a line feed, for telling password failures apart.
    [[nodiscard]] const std::string& diagnosticSnippet() const { return diagnosticSnippet_; }
    [[nodiscard]] const std::vector<ArchiveEntry>& entries() const { return entries_; }
    // Hands the entries over; the parser holds none afterwards.
    [[nodiscard]] std::vector<ArchiveEntry> takeEntries();

private:
    void consumeHeaderLine(std::string_view line);
    void consumeEntryLine(std::string_view line);
    void resetCurrent();

    std::string formatType_;
    bool isSolid_ = false;
    bool isMultiVolume_ = false;
    std::int64_t volumeCount_ = 1;
    std::int64_t totalRaw_ = 0;
    std::int64_t totalPacked_ = 0;
    std::int64_t fileCount_ = 0;
    bool anyEncrypted_ = false;
    std::vector<ArchiveEntry> entries_;
    std::string diagnosticSnippet_;
    bool inEntries_ = false;
    std::function<void(std::int64_t)> onCountUpdate_;
    LocalMinuteCache minuteCache_;

    // The block being read. The texts keep their capacity from block to block, so a
    // block costs no allocation beyond the entry it becomes.
    std::string unnamedEntryPath_;
    bool blockHasKeys_ = false;  // the block has a size line
    bool hasPath_ = false;
    std::string curPath_;
    bool curIsDir_ = false;
    std::int64_t curSize_ = 0;
    std::int64_t curPacked_ = 0;
    std::optional<ArchiveTimestamp> curMod_;
    bool curEncrypted_ = false;
    bool hasCRC_ = false;
    std::string curCRC_;
    bool hasMethod_ = false;
    std::string curMethod_;
};

}  // namespace kelvane
