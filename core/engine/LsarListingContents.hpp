// What the unarchiver's JSON listing says about an archive, before the directory index
// and the file-system facts are added.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/ArchiveEntry.hpp"

namespace kelvane {

struct LsarListingContents {
    std::string formatName;
    // One name per volume file; empty when the document lists none.
    std::vector<std::string> volumes;
    std::vector<ArchiveEntry> entries;
    std::int64_t fileCount = 0;
    // Sums over file entries of the sizes as the document states them.
    std::int64_t totalUncompressedSize = 0;
    std::int64_t totalCompressedSize = 0;
    bool isSolid = false;
    bool hasEncryptedEntries = false;
};

}  // namespace kelvane
