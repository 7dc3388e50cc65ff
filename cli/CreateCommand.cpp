#include "CreateCommand.hpp"

#include <array>
#include <filesystem>
#include <string>
#include <vector>

#include "ArchiveOpening.hpp"
#include "CreateOptionsParsing.hpp"
#include "EngineOperation.hpp"
#include "UsageError.hpp"
#include "engine/ArchiveEngineService.hpp"
#include "localization/S.hpp"

namespace kelvane::cli {
namespace {

namespace fs = std::filesystem;
namespace opt = CreateOptionsParsing;

constexpr std::array<CommandLineOption, 7> kOptions{{
    opt::kFormatOption,
    opt::kLevelOption,
    opt::kPasswordOption,
    opt::kEncryptNamesOption,
    opt::kSplitOption,
    {"keep-junk", "", "Also pack .DS_Store, __MACOSX and \"._\" files."},
    {"help", "", "Show this help."},
}};

constexpr std::string_view kDescription =
    "Packs each SOURCE (a file or a folder, stored under its own name) into the new archive\n"
    "DEST and prints the path written: DEST, or its first volume DEST.001 when split. An\n"
    "archive already at DEST is replaced only once the new one is complete; a failed or\n"
    "interrupted run leaves it as it was.";

// Bytes below the sources, for the speed shown while packing.
std::int64_t totalBytes(const std::vector<fs::path>& sources) {
    std::int64_t total = 0;
    for (const fs::path& source : sources) {
        std::error_code error;
        if (fs::is_regular_file(source, error)) {
            total += static_cast<std::int64_t>(fs::file_size(source, error));
            continue;
        }
        for (fs::recursive_directory_iterator
                 it(source, fs::directory_options::skip_permission_denied, error),
             end;
             !error && it != end; it.increment(error)) {
            std::error_code sizeError;
            if (it->is_regular_file(sizeError)) {
                const auto size = it->file_size(sizeError);
                if (!sizeError) total += static_cast<std::int64_t>(size);
            }
        }
    }
    return total;
}

ExitCode run(const ParsedCommandLine& arguments) {
    const auto& operands = arguments.operands();
    if (operands.size() < 2) throw UsageError("create needs DEST and at least one SOURCE");
    CreateArchiveOptions options = opt::parse(arguments);
    options.excludeMacJunk = !arguments.flag("keep-junk");

    const fs::path destination = opt::absolutePath(operands.front());
    std::vector<fs::path> sources;
    for (std::size_t i = 1; i < operands.size(); ++i) {
        sources.push_back(opt::absolutePath(operands[i]));
        std::error_code error;
        if (!fs::exists(fs::symlink_status(sources.back(), error))) {
            ArchiveOpening::reportError(S::t("File not found: ", "Dosya bulunamadı: ") +
                                        operands[i]);
            return ExitCode::failed;
        }
    }

    fs::path written;
    const ExitCode status = EngineOperation::run(
        totalBytes(sources), [&](const std::shared_ptr<ProcessCancellationToken>& token,
                                 const ProgressHandler& onProgress) {
            written = ArchiveEngineService().createArchive(sources, destination, options, token,
                                                           onProgress);
        });
    if (status != ExitCode::success) return status;
    return EngineOperation::printPath(written);
}

}  // namespace

const CliCommand& createCommand() {
    static const CliCommand command{
        "create",
        "Pack files and folders into a new archive.",
        "--format zip|7z|tar|tar.gz|tar.xz [--level L] [--password P] [--encrypt-names] "
        "[--split 100m|700m|1g|4g] [--keep-junk] DEST SOURCE...",
        kDescription,
        kOptions,
        run};
    return command;
}

}  // namespace kelvane::cli
