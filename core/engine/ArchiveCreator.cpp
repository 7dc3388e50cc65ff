#include "engine/ArchiveCreator.hpp"

#include <algorithm>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <system_error>

#include "engine/ArchiveEngineError.hpp"
#include "engine/ArchiverRun.hpp"
#include "engine/ProgressHandler.hpp"
#include "engine/SevenZipListFile.hpp"
#include "engine/StagedArchiveOutput.hpp"
#include "localization/S.hpp"
#include "process/SevenZipToolContract.hpp"
#include "process/TarToolContract.hpp"

namespace kelvane {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kJunkNamePrefix = "._";

// Absolute, without "." and ".." components and without trailing separators.
fs::path cleanAbsolute(const fs::path& path) {
    std::string text = fs::absolute(path).lexically_normal().string();
    while (text.size() > 1 && text.ends_with('/')) text.pop_back();
    return text;
}

// How the tool will name `item` inside the new archive, once for every source folder that
// holds it. An archive being replaced must not be packed into its successor.
std::vector<std::string> storedPathsInside(const fs::path& item,
                                           const std::vector<fs::path>& sources) {
    std::vector<std::string> storedPaths;
    for (const fs::path& source : sources) {
        const fs::path relative = item.lexically_relative(source);
        if (relative.empty() || relative == "." || *relative.begin() == "..") continue;
        storedPaths.push_back(
            (fs::path(TarToolContract::storedName(source)) / relative).generic_string());
    }
    return storedPaths;
}

bool startsWithJunkPrefix(const fs::path& path) {
    return path.filename().string().starts_with(kJunkNamePrefix);
}

// The distinct "._*" names among the sources and everything below them.
std::vector<std::string> junkNamesBelow(const std::vector<fs::path>& sources) {
    std::set<std::string> names;
    for (const fs::path& source : sources) {
        if (startsWithJunkPrefix(source)) names.insert(source.filename().string());
        std::error_code error;
        if (!fs::is_directory(fs::symlink_status(source, error))) continue;
        for (fs::recursive_directory_iterator
                 it(source, fs::directory_options::skip_permission_denied, error),
             end;
             !error && it != end; it.increment(error)) {
            if (startsWithJunkPrefix(it->path())) names.insert(it->path().filename().string());
        }
    }
    return {names.begin(), names.end()};
}

fs::path createWithSevenZip(const fs::path& tool, const std::vector<fs::path>& sources,
                            StagedArchiveOutput& output, const CreateArchiveOptions& options,
                            std::vector<std::string> excludedStoredPaths,
                            const std::shared_ptr<ProcessCancellationToken>& cancellation,
                            const ProgressHandler& onProgress, bool storeLinks) {
    SevenZipCreationNames names;
    names.storeLinks = storeLinks;
    names.excludedStoredPaths = std::move(excludedStoredPaths);
    const auto holdsWildcard = [](std::string_view text) {
        return SevenZipToolContract::holdsWildcard(text);
    };
    names.exact =
        std::any_of(sources.begin(), sources.end(),
                    [&](const fs::path& source) { return holdsWildcard(source.string()); }) ||
        std::any_of(names.excludedStoredPaths.begin(), names.excludedStoredPaths.end(),
                    holdsWildcard);

    std::optional<SevenZipListFile> junkList;
    if (names.exact && options.excludeMacJunk) {
        if (const auto junkNames = junkNamesBelow(sources); !junkNames.empty()) {
            junkList.emplace("kelvane-exclude-", junkNames);
            names.junkNamesListFile = junkList->path();
        }
    }

    const ProcessResult result = ArchiverRun::run(
        {tool,
         SevenZipToolContract::createArguments(output.stagingPath(), sources, options, names)},
        cancellation, ArchiverRun::sevenZipPercentages(), onProgress);
    ArchiverRun::expectSuccess(result, {ArchiverRun::Tool::sevenZip, "7zz create", {}, false});
    const bool split = SevenZipToolContract::volumeSwitch(options.volumeSplit).has_value();
    return split ? output.commitVolumes() : output.commitSingleFile();
}

fs::path createCompoundTar(const fs::path& tool, const std::vector<fs::path>& sources,
                           StagedArchiveOutput& output, const CreateArchiveOptions& options,
                           const std::vector<std::string>& excludedStoredPaths,
                           const std::shared_ptr<ProcessCancellationToken>& cancellation,
                           const ProgressHandler& onProgress) {
    // libarchive's tar ignores GZIP and XZ_OPT; it is told the level its own way as well.
    const auto arguments = TarToolContract::createArguments(
        output.stagingPath(), sources, options.format, options.compressionLevel,
        options.excludeMacJunk, TarToolContract::isLibarchiveTar(tool), excludedStoredPaths);
    notifyProgress(onProgress, 0.2, output.destination().filename().string());
    const ProcessResult result = ArchiverRun::run(
        {tool, arguments, std::nullopt,
         TarToolContract::createEnvironment(options.format, options.compressionLevel)},
        cancellation);
    ArchiverRun::FailureRules rules{ArchiverRun::Tool::bsdtar, "tar", {}, false};
    rules.fixedFailureText = "tar archive creation failed";
    ArchiverRun::expectSuccess(result, rules);
    return output.commitSingleFile();
}

bool isCompoundTar(ArchiveCreateFormat format) {
    return format == ArchiveCreateFormat::tarGz || format == ArchiveCreateFormat::tarXz;
}

}  // namespace

fs::path ArchiveCreator::createArchive(
    const std::vector<fs::path>& sources, const fs::path& destination,
    const CreateArchiveOptions& options,
    const std::shared_ptr<ProcessCancellationToken>& cancellation,
    const ProgressHandler& onProgress, const BinaryLocator::SearchFolders& searchFolders,
    LinkHandling links) {
    if (sources.empty()) throw ArchiveEngineError::processFailed("No input files selected.");

    const fs::path target = cleanAbsolute(destination);
    std::vector<fs::path> sourcePaths;
    sourcePaths.reserve(sources.size());
    for (const fs::path& source : sources) sourcePaths.push_back(cleanAbsolute(source));

    std::error_code error;
    const fs::file_status existing = fs::symlink_status(target, error);
    if (fs::is_directory(existing)) {
        throw ArchiveEngineError::processFailed(
            S::t("A folder with this name already exists: ", "Bu adla bir klasör zaten var: ") +
            target.string());
    }
    std::vector<std::string> excludedStoredPaths;
    if (fs::exists(existing)) excludedStoredPaths = storedPathsInside(target, sourcePaths);

    const bool compound = isCompoundTar(options.format);
    const fs::path tool = ArchiverRun::locate(
        compound ? ArchiverRun::Tool::bsdtar : ArchiverRun::Tool::sevenZip, searchFolders);

    StagedArchiveOutput output(target);
    const fs::path written =
        compound ? createCompoundTar(tool, sourcePaths, output, options, excludedStoredPaths,
                                     cancellation, onProgress)
                 : createWithSevenZip(tool, sourcePaths, output, options,
                                      std::move(excludedStoredPaths), cancellation, onProgress,
                                      links == LinkHandling::storeLinks);
    notifyProgress(onProgress, 1.0);
    return written;
}

}  // namespace kelvane
