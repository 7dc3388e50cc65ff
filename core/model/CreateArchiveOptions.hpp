// What the create and convert sheets hand to the engine.
#pragma once

#include <string>

#include "model/ArchiveCreateFormat.hpp"
#include "model/CompressionLevel.hpp"
#include "model/VolumeSplitPreset.hpp"

namespace kelvane {

struct CreateArchiveOptions {
    ArchiveCreateFormat format = ArchiveCreateFormat::zip;
    CompressionLevel compressionLevel = CompressionLevel::normal;
    // Empty means no encryption.
    std::string password;
    bool encryptFileNames = false;
    VolumeSplitPreset volumeSplit = VolumeSplitPreset::none;
    // Leaves out .DS_Store, __MACOSX and "._" resource-fork files.
    bool excludeMacJunk = true;
};

}  // namespace kelvane
