// Lists tarballs, packages and cpio archives as the tar stream inside them (see
// TarStreamRoute): 7-Zip's technical listing of that stream, parsed line by line while it
// is printed, with the running count every 2500 files.
#pragma once

#include <chrono>
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

class TarStreamLister final {
public:
    TarStreamLister() = delete;

    // None when the archive is not read as a tar stream, or is a single compressed file
    // whose content is no archive: the usual listers list it then.
    //
    // For a compressed tar, 7-Zip unpacks the stream first and bsdtar re-writes it when
    // that fails (trailing garbage, for instance); a package goes through bsdtar alone.
    // When no route reads it, the unarchiver gets its turn, and a listing that shows the
    // archive as one compressed stream is refused: damage fails with the tools' messages
    // as processFailed, never as a listing of one file. Cancellation throws cancelled.
    [[nodiscard]] static std::optional<ArchiveListing> list(
        const std::filesystem::path& at, const std::optional<std::string>& password,
        std::chrono::steady_clock::time_point startTime,
        const std::shared_ptr<ProcessCancellationToken>& cancellation,
        const std::function<void(std::int64_t)>& onCountUpdate, const ListingOptions& options);
};

}  // namespace kelvane
