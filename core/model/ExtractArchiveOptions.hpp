// What the extract sheet hands to the engine.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <utility>

#include "model/ExtractOverwriteMode.hpp"

namespace kelvane {

struct ExtractArchiveOptions {
    explicit ExtractArchiveOptions(
        std::filesystem::path destination, bool useSmartSubfolder = true,
        ExtractOverwriteMode whenExisting = ExtractOverwriteMode::overwrite,
        std::optional<std::string> archivePassword = std::nullopt, bool revealWhenDone = true)
        : destinationFolder(std::move(destination)),
          smartSubfolder(useSmartSubfolder),
          overwriteMode(whenExisting),
          password(std::move(archivePassword)),
          openInFinderWhenDone(revealWhenDone) {}

    std::filesystem::path destinationFolder;
    // Wraps loose top-level items in a folder named after the archive.
    bool smartSubfolder;
    ExtractOverwriteMode overwriteMode;
    std::optional<std::string> password;
    // Reveals the result in the file manager when extraction ends.
    bool openInFinderWhenDone;
};

}  // namespace kelvane
