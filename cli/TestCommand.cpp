#include "TestCommand.hpp"

#include <array>
#include <cstdio>
#include <string>
#include <variant>

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
    "Runs the archiver that extracts ARCHIVE in its test mode over every entry and prints\n"
    "the outcome: the number of files that passed, or the archiver's own report of what\n"
    "failed. Exit status 0 when the test passed, 1 when it did not, 3 when a password is\n"
    "needed or wrong.";

ExitCode run(const ParsedCommandLine& arguments) {
    if (arguments.operands().size() != 1) throw UsageError("test needs exactly one ARCHIVE");
    const auto password = arguments.value("password");
    auto opened = ArchiveOpening::open(
        CreateOptionsParsing::absolutePath(arguments.operands().front()), password);
    if (const auto* failure = std::get_if<ExitCode>(&opened)) return *failure;
    const ArchiveListing& listing = std::get<OpenedArchive>(opened).listing;

    ArchiveTestResult result;
    const ExitCode status = EngineOperation::run(
        listing.info().totalUncompressedSize,
        [&](const std::shared_ptr<ProcessCancellationToken>& token,
            const ProgressHandler& onProgress) {
            result = ArchiveEngineService().testArchive(listing, password, token, onProgress);
        });
    if (status != ExitCode::success) return status;
    std::string summary = result.summary;
    if (!summary.ends_with('\n')) summary += '\n';
    std::fputs(summary.c_str(), stdout);
    std::fflush(stdout);
    return result.passed ? ExitCode::success : ExitCode::failed;
}

}  // namespace

const CliCommand& testCommand() {
    static const CliCommand command{"test",
                                    "Test the integrity of an archive.",
                                    "[--password P] ARCHIVE",
                                    kDescription,
                                    kOptions,
                                    run};
    return command;
}

}  // namespace kelvane::cli
