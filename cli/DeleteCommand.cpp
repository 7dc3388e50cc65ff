#include "DeleteCommand.hpp"

#include <array>
#include <string>
#include <variant>
#include <vector>

#include "ArchiveOpening.hpp"
#include "CreateOptionsParsing.hpp"
#include "EngineOperation.hpp"
#include "UsageError.hpp"
#include "engine/ArchiveEngineService.hpp"

namespace kelvane::cli {
namespace {

constexpr std::array<CommandLineOption, 2> kOptions{{
    kArchivePasswordOption,
    {"help", "", "Show this help."},
}};

constexpr std::string_view kDescription =
    "Deletes each ENTRY-ID (an entry's id as 'kelvane-cli list' shows it) from ARCHIVE; a\n"
    "folder goes with everything below it. Names are taken literally: deleting 'a*.txt'\n"
    "leaves 'ab.txt' alone. Only ZIP, 7Z and TAR archives can be changed.";

ExitCode run(const ParsedCommandLine& arguments) {
    const auto& operands = arguments.operands();
    if (operands.size() < 2) throw UsageError("delete needs ARCHIVE and at least one ENTRY-ID");
    const auto password = arguments.value("password");
    auto opened =
        ArchiveOpening::open(CreateOptionsParsing::absolutePath(operands.front()), password);
    if (const auto* failure = std::get_if<ExitCode>(&opened)) return *failure;
    const ArchiveListing& listing = std::get<OpenedArchive>(opened).listing;

    std::vector<ArchiveEntry> entries;
    for (std::size_t i = 1; i < operands.size(); ++i) {
        const ArchiveEntry* entry = ArchiveOpening::entryNamed(listing, operands[i]);
        if (entry == nullptr) return ExitCode::failed;
        entries.push_back(*entry);
    }
    return EngineOperation::run(0, [&](const std::shared_ptr<ProcessCancellationToken>& token,
                                       const ProgressHandler& onProgress) {
        ArchiveEngineService().deleteEntries(entries, listing, password, token, onProgress);
    });
}

}  // namespace

const CliCommand& deleteCommand() {
    static const CliCommand command{"delete",
                                    "Delete entries from a ZIP, 7Z or TAR archive.",
                                    "[--password P] ARCHIVE ENTRY-ID...",
                                    kDescription,
                                    kOptions,
                                    run};
    return command;
}

}  // namespace kelvane::cli
