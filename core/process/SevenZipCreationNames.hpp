// How a 7-Zip creation run must read the names it is given, besides the user's options:
// literally or as patterns, and which items below the sources it must leave out.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace kelvane {

struct SevenZipCreationNames {
    // Adds "-spd". The "._*" junk pattern then means nothing to 7-Zip, so the junk names
    // found below the sources come from `junkNamesListFile` instead, when there are any.
    bool exact = false;
    std::optional<std::filesystem::path> junkNamesListFile;
    // Items below the sources that must not be packed, as stored paths ("docs/old.zip").
    std::vector<std::string> excludedStoredPaths;
    // Adds "-snl": symbolic links are stored as links, never followed.
    bool storeLinks = false;
};

}  // namespace kelvane
