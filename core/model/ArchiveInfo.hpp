// Facts about one opened archive as a whole.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

#include "model/ArchiveEngineKind.hpp"

namespace kelvane {

struct TarStreamFacts;

struct ArchiveInfo {
    std::filesystem::path url;
    // As the lister names it; the upper-cased extension when it names none.
    std::string formatName;
    ArchiveEngineKind listEngine = ArchiveEngineKind::sevenZip;
    ArchiveEngineKind extractEngine = ArchiveEngineKind::sevenZip;
    // Size of the archive file on disk; 0 when it cannot be read.
    std::int64_t physicalSize = 0;
    std::int64_t totalUncompressedSize = 0;
    // Packed sizes of the files; the physical size when the lister gave none.
    std::int64_t totalCompressedSize = 0;
    std::int64_t fileCount = 0;
    // Folders of the directory index, synthesized ones included, root excluded.
    std::int64_t folderCount = 0;
    bool isSolid = false;
    bool hasEncryptedEntries = false;
    bool isMultiVolume = false;
    std::int64_t volumeCount = 1;
    bool isModifiable = false;
    std::int64_t loadDurationMs = 1;
    // What extraction of a tar stream needs beyond the entries; null for other archives.
    std::shared_ptr<const TarStreamFacts> tarStreamFacts;

    // Percentage saved over the whole archive; 0 when it grew or is empty.
    [[nodiscard]] double overallCompressionSavedPercent() const {
        if (totalUncompressedSize <= 0) return 0.0;
        const std::int64_t packed = totalCompressedSize > 0 ? totalCompressedSize : physicalSize;
        if (totalUncompressedSize < packed) return 0.0;
        return (1.0 - static_cast<double>(packed) / static_cast<double>(totalUncompressedSize)) *
               100.0;
    }

    friend bool operator==(const ArchiveInfo& a, const ArchiveInfo& b) {
        return a.url == b.url && a.formatName == b.formatName && a.listEngine == b.listEngine &&
               a.extractEngine == b.extractEngine && a.physicalSize == b.physicalSize &&
               a.totalUncompressedSize == b.totalUncompressedSize &&
               a.totalCompressedSize == b.totalCompressedSize && a.fileCount == b.fileCount &&
               a.folderCount == b.folderCount && a.isSolid == b.isSolid &&
               a.hasEncryptedEntries == b.hasEncryptedEntries &&
               a.isMultiVolume == b.isMultiVolume && a.volumeCount == b.volumeCount &&
               a.isModifiable == b.isModifiable && a.loadDurationMs == b.loadDurationMs;
    }
};

}  // namespace kelvane
