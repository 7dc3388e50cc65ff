#include "HashCommand.hpp"

#include <array>
#include <cstdio>
#include <string>
#include <system_error>
#include <variant>

#include "ArchiveOpening.hpp"
#include "CreateOptionsParsing.hpp"
#include "EngineOperation.hpp"
#include "UsageError.hpp"
#include "engine/CacheExtractor.hpp"
#include "engine/ChecksumService.hpp"
#include "platform/AppFolders.hpp"

namespace kelvane::cli {
namespace {

constexpr std::array<CommandLineOption, 2> kOptions{{
    kArchivePasswordOption,
    {"help", "", "Show this help."},
}};

constexpr std::string_view kDescription =
    "Extracts the file entry ENTRY-ID (its id as 'kelvane-cli list' shows it) into a private\n"
    "temporary folder, reads it once through both digests and prints three lines:\n"
    "\"SHA-256 <hex>\", \"MD5 <hex>\" and \"Bytes <count>\". The temporary copy is removed\n"
    "afterwards. While standard error is a terminal, a progress line covers both steps.";

// The private folder the entry is extracted into, removed with its contents at the end.
class ScratchFolder final {
public:
    ScratchFolder()
        : path_(AppFolders::createPrivateFolder(std::filesystem::temp_directory_path(),
                                                "kelvane-hash-")) {}
    ~ScratchFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    [[nodiscard]] const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

ExitCode run(const ParsedCommandLine& arguments) {
    const auto& operands = arguments.operands();
    if (operands.size() != 2) throw UsageError("hash needs ARCHIVE and one ENTRY-ID");
    const auto password = arguments.value("password");
    auto opened =
        ArchiveOpening::open(CreateOptionsParsing::absolutePath(operands.front()), password);
    if (const auto* failure = std::get_if<ExitCode>(&opened)) return *failure;
    const ArchiveListing& listing = std::get<OpenedArchive>(opened).listing;

    const ArchiveEntry* entry = ArchiveOpening::entryNamed(listing, operands[1]);
    if (entry == nullptr) return ExitCode::failed;
    if (entry->isDirectory()) throw UsageError("'" + operands[1] + "' is a folder, not a file");

    FileChecksumReport report;
    const ExitCode status = EngineOperation::run(
        // Both steps go over the entry's bytes once.
        2 * entry->uncompressedSize(), [&](const std::shared_ptr<ProcessCancellationToken>& token,
                                           const ProgressHandler& onProgress) {
            const ScratchFolder scratch;
            const std::filesystem::path file = CacheExtractor::extractSingleFileToCache(
                listing, *entry, password, scratch.path(), token,
                [&onProgress](const ProgressReport& step) {
                    notifyProgress(onProgress, 0.5 * step.fraction, step.detail);
                });
            report = ChecksumService::compute(file, [&onProgress,
                                                     entry](const ProgressReport& step) {
                notifyProgress(onProgress, 0.5 + 0.5 * step.fraction, std::string(entry->name()));
            });
        });
    if (status != ExitCode::success) return status;
    const std::string text = "SHA-256 " + report.sha256 + "\nMD5     " + report.md5 + "\nBytes   " +
                             std::to_string(report.byteCount) + "\n";
    std::fwrite(text.data(), 1, text.size(), stdout);
    return std::fflush(stdout) == 0 ? ExitCode::success : ExitCode::failed;
}

}  // namespace

const CliCommand& hashCommand() {
    static const CliCommand command{"hash",
                                    "Print the SHA-256, MD5 and size of one file in an archive.",
                                    "[--password P] ARCHIVE ENTRY-ID",
                                    kDescription,
                                    kOptions,
                                    run};
    return command;
}

}  // namespace kelvane::cli
