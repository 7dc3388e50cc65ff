#include "ConvertCommand.hpp"

#include <array>
#include <filesystem>
#include <string>
#include <variant>

#include "ArchiveOpening.hpp"
#include "CreateOptionsParsing.hpp"
#include "EngineOperation.hpp"
#include "UsageError.hpp"
#include "engine/ArchiveEngineService.hpp"

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
    {"source-password", "P", "Password of the archive being converted."},
    {"help", "", "Show this help."},
}};

constexpr std::string_view kDescription =
    "Unpacks ARCHIVE whole into a private work folder and packs its top-level items into the\n"
    "new archive DEST, then prints the path written: DEST, or DEST.001 when split. The work\n"
    "folder is removed however the run ends. DEST may be ARCHIVE itself: it is replaced only\n"
    "once the new archive is complete.";

ExitCode run(const ParsedCommandLine& arguments) {
    const auto& operands = arguments.operands();
    if (operands.size() != 2) throw UsageError("convert needs ARCHIVE and DEST");
    const CreateArchiveOptions options = opt::parse(arguments);
    const auto sourcePassword = arguments.value("source-password");
    auto opened =
        ArchiveOpening::open(opt::absolutePath(operands[0]), sourcePassword, "--source-password");
    if (const auto* failure = std::get_if<ExitCode>(&opened)) return *failure;
    const ArchiveListing& listing = std::get<OpenedArchive>(opened).listing;
    const fs::path destination = opt::absolutePath(operands[1]);

    fs::path written;
    const ExitCode status = EngineOperation::run(
        listing.info().totalUncompressedSize,
        [&](const std::shared_ptr<ProcessCancellationToken>& token,
            const ProgressHandler& onProgress) {
            written = ArchiveEngineService().convertArchive(listing, destination, options,
                                                            sourcePassword, token, onProgress);
        },
        "--source-password");
    if (status != ExitCode::success) return status;
    return EngineOperation::printPath(written);
}

}  // namespace

const CliCommand& convertCommand() {
    static const CliCommand command{
        "convert",
        "Re-pack an archive into another format.",
        "--format zip|7z|tar|tar.gz|tar.xz [--level L] [--password P] [--encrypt-names] "
        "[--split SIZE] [--source-password P] ARCHIVE DEST",
        kDescription,
        kOptions,
        run};
    return command;
}

}  // namespace kelvane::cli
