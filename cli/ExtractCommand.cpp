#include "ExtractCommand.hpp"

#include <array>
#include <string>
#include <variant>
#include <vector>

#include "ArchiveOpening.hpp"
#include "CreateOptionsParsing.hpp"
#include "EngineOperation.hpp"
#include "UsageError.hpp"
#include "engine/ArchiveEngineService.hpp"
#include "index/ArchiveDirectoryIndex.hpp"
#include "model/ExtractArchiveOptions.hpp"

namespace kelvane::cli {
namespace {

constexpr std::array<CommandLineOption, 7> kOptions{{
    kArchivePasswordOption,
    {"to", "DIR", "Extract into DIR (default: the folder holding the archive)."},
    {"no-smart-subfolder", "",
     "Extract straight into the destination, never into a folder named after the archive."},
    {"overwrite", "", "Replace files that exist already (the default)."},
    {"skip-existing", "", "Keep files that exist already."},
    {"auto-rename", "", "Write under a new name next to files that exist already."},
    {"help", "", "Show this help."},
}};

constexpr std::string_view kDescription =
    "Extracts ARCHIVE, or only the entries named by ENTRY-ID (an entry's id as\n"
    "'kelvane-cli list' shows it; a folder comes with everything below it), and prints the\n"
    "folder that received them. When the whole archive is extracted and its top level is\n"
    "not one single folder (several items, or a single loose file), the items go into a\n"
    "new folder named after the archive; an archive whose top is one folder is extracted\n"
    "as it is, and so are selected entries. --no-smart-subfolder turns the new folder off.\n"
    "Names are taken literally. Entries are never written outside the destination folder.\n"
    "While standard error is a terminal, a progress line shows the share done, the\n"
    "current item and the speed.";

ExtractOverwriteMode overwriteModeOf(const ParsedCommandLine& arguments) {
    std::vector<ExtractOverwriteMode> chosen;
    if (arguments.flag("overwrite")) chosen.push_back(ExtractOverwriteMode::overwrite);
    if (arguments.flag("skip-existing")) chosen.push_back(ExtractOverwriteMode::skipExisting);
    if (arguments.flag("auto-rename")) chosen.push_back(ExtractOverwriteMode::autoRename);
    if (chosen.size() > 1) {
        throw UsageError("choose one of --overwrite, --skip-existing and --auto-rename");
    }
    return chosen.empty() ? ExtractOverwriteMode(ExtractOverwriteMode::overwrite) : chosen.front();
}

ExitCode run(const ParsedCommandLine& arguments) {
    const auto& operands = arguments.operands();
    if (operands.empty()) throw UsageError("extract needs an ARCHIVE");
    const ExtractOverwriteMode mode = overwriteModeOf(arguments);
    const auto password = arguments.value("password");
    const std::filesystem::path archive = CreateOptionsParsing::absolutePath(operands.front());
    const std::filesystem::path destination =
        arguments.value("to") ? CreateOptionsParsing::absolutePath(*arguments.value("to"))
                              : archive.parent_path();

    auto opened = ArchiveOpening::open(archive, password);
    if (const auto* failure = std::get_if<ExitCode>(&opened)) return *failure;
    const ArchiveListing& listing = std::get<OpenedArchive>(opened).listing;

    std::vector<ArchiveEntry> selection;
    std::int64_t expectedBytes = 0;
    for (std::size_t i = 1; i < operands.size(); ++i) {
        const ArchiveEntry* entry = ArchiveOpening::entryNamed(listing, operands[i]);
        if (entry == nullptr) return ExitCode::failed;
        selection.push_back(*entry);
        expectedBytes += listing.tree()->effectiveSize(*entry);
    }
    if (selection.empty()) expectedBytes = listing.info().totalUncompressedSize;

    const ExtractArchiveOptions options(destination, !arguments.flag("no-smart-subfolder"), mode,
                                        password, false);
    std::filesystem::path extractedTo;
    const ExitCode status = EngineOperation::run(
        expectedBytes, [&](const std::shared_ptr<ProcessCancellationToken>& token,
                           const ProgressHandler& onProgress) {
            extractedTo =
                ArchiveEngineService().extract(listing, selection, options, token, onProgress);
        });
    if (status != ExitCode::success) return status;
    return EngineOperation::printPath(extractedTo);
}

}  // namespace

const CliCommand& extractCommand() {
    static const CliCommand command{
        "extract",
        "Extract an archive, or some of its entries, into a folder.",
        "[--password P] [--to DIR] [--no-smart-subfolder] "
        "[--overwrite|--skip-existing|--auto-rename] ARCHIVE [ENTRY-ID...]",
        kDescription,
        kOptions,
        run};
    return command;
}

}  // namespace kelvane::cli
