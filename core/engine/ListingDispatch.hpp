// Chooses the lister for an archive and falls back to the other one when the first
// fails for a reason the other may not share: its tool is missing, it failed, or it
// called the archive unsupported. Password problems and cancellation end the listing.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "engine/ListingOptions.hpp"
#include "model/ArchiveListing.hpp"
#include "process/ProcessCancellationToken.hpp"

namespace kelvane {

class ListingDispatch final {
public:
    ListingDispatch() = delete;

    // The unarchiver first for compressed tar files and the formats it reads better, 7-Zip
    // first for everything else. Both run on the calling thread under the same token; the
    // error of the last lister tried is the one thrown, unless it names only the tool and
    // its exit code and the first lister's failure said more. `onCountUpdate` is heard only
    // while 7-Zip lists. The load time covers both attempts.
    [[nodiscard]] static ArchiveListing listArchive(
        const std::filesystem::path& at, const std::optional<std::string>& password,
        const std::shared_ptr<ProcessCancellationToken>& cancellation,
        const std::function<void(std::int64_t)>& onCountUpdate, const ListingOptions& options = {});
};

}  // namespace kelvane
