// Archive creation: ZIP, 7Z and TAR through 7-Zip, TAR.GZ and TAR.XZ in one pass through the
// tar tool. The new archive is staged beside the destination and replaces it only on success.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <vector>

#include "engine/ProgressHandler.hpp"
#include "model/CreateArchiveOptions.hpp"
#include "process/BinaryLocator.hpp"
#include "process/ProcessCancellationToken.hpp"

namespace kelvane {

class ArchiveCreator final {
public:
    ArchiveCreator() = delete;

    // Packs `sources` (files and folders, each stored under its own name) into `destination`
    // and returns the written archive, or its first volume (".001") for a split set.
    //
    // An archive already at the destination stays as it is until the new one is complete;
    // after a failure or cancellation it is untouched and nothing of the new one is left.
    // Volumes of an older split set numbered beyond the new set's last are removed. An old
    // archive that lies inside one of the source folders is not packed into the new one.
    // A folder at the destination is never replaced (processFailed).
    //
    // Names holding "*" or "?" are taken literally: 7-Zip then runs with exact names, and
    // the "._*" junk files found below the sources are left out by name.
    // Whether a symbolic link among the sources is packed as the item it points to (what a
    // user choosing files expects) or as a link (a re-packed archive must hold only what the
    // old one held, and a link it held may point anywhere). bsdtar always stores links.
    enum class LinkHandling : std::uint8_t { followLinks, storeLinks };

    [[nodiscard]] static std::filesystem::path createArchive(
        const std::vector<std::filesystem::path>& sources, const std::filesystem::path& destination,
        const CreateArchiveOptions& options,
        const std::shared_ptr<ProcessCancellationToken>& cancellation,
        const ProgressHandler& onProgress,
        const BinaryLocator::SearchFolders& searchFolders =
            BinaryLocator::SearchFolders::standard(),
        LinkHandling links = LinkHandling::followLinks);
};

}  // namespace kelvane
