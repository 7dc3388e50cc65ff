#include "engine/ArchiveConverter.hpp"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <system_error>
#include <vector>

#include "engine/ArchiveCreator.hpp"
#include "engine/ArchiveEngineError.hpp"
#include "engine/ArchiveExtractor.hpp"
#include "model/ExtractArchiveOptions.hpp"
#include "platform/Uuid.hpp"

namespace kelvane {
namespace {

namespace fs = std::filesystem;

// The unpacked archive, private to this user, removed with everything in it at the end.
class WorkFolder final {
public:
    WorkFolder() : path_(fs::temp_directory_path() / ("KelvaneConvert-" + Uuid::randomText())) {
        if (::mkdir(path_.c_str(), 0700) != 0) {
            throw fs::filesystem_error("cannot create the conversion folder", path_,
                                       std::error_code(errno, std::generic_category()));
        }
    }
    ~WorkFolder() {
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    WorkFolder(const WorkFolder&) = delete;
    WorkFolder& operator=(const WorkFolder&) = delete;

    [[nodiscard]] const fs::path& path() const { return path_; }

private:
    fs::path path_;
};

std::vector<fs::path> childrenOf(const fs::path& folder) {
    std::vector<fs::path> children;
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        children.push_back(it->path());
    }
    return children;
}

}  // namespace

fs::path ArchiveConverter::convertArchive(
    const ArchiveListing& listing, const fs::path& destination, const CreateArchiveOptions& options,
    const std::optional<std::string>& sourcePassword,
    const std::shared_ptr<ProcessCancellationToken>& cancellation,
    const ProgressHandler& onProgress, const BinaryLocator::SearchFolders& searchFolders) {
    const WorkFolder work;

    ExtractArchiveOptions extraction{work.path()};
    extraction.smartSubfolder = false;
    extraction.overwriteMode = ExtractOverwriteMode::overwrite;
    extraction.password = sourcePassword;
    extraction.openInFinderWhenDone = false;
    ProgressHandler extractionProgress;
    if (onProgress) {
        extractionProgress = [&onProgress](const ProgressReport& report) {
            onProgress({std::clamp(report.fraction, 0.0, 1.0) * kExtractionShare, report.detail});
        };
    }
    (void)ArchiveExtractor::extract(listing, {}, extraction, cancellation, extractionProgress,
                                    searchFolders);

    const std::vector<fs::path> children = childrenOf(work.path());
    if (children.empty()) {
        throw ArchiveEngineError::processFailed("Archive had no entries to convert.");
    }

    ProgressHandler creationProgress;
    if (onProgress) {
        creationProgress = [&onProgress](const ProgressReport& report) {
            onProgress(
                {kCreationStart + std::clamp(report.fraction, 0.0, 1.0) * (1.0 - kCreationStart),
                 report.detail});
        };
    }
    const fs::path written = ArchiveCreator::createArchive(
        children, destination, options, cancellation, creationProgress, searchFolders,
        ArchiveCreator::LinkHandling::storeLinks);
    notifyProgress(onProgress, 1.0);
    return written;
}

}  // namespace kelvane
