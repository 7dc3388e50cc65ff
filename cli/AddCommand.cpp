#include "AddCommand.hpp"

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

constexpr std::array<CommandLineOption, 2> kOptions{{
    {"password", "P", "Password of the archive; new entries are encrypted with it."},
    {"help", "", "Show this help."},
}};

constexpr std::string_view kDescription =
    "Adds each SOURCE (a file or a folder, stored under its own name) to ARCHIVE, which\n"
    "keeps its format. Only ZIP, 7Z and TAR archives can be changed; .DS_Store and\n"
    "__MACOSX are left out.";

ExitCode run(const ParsedCommandLine& arguments) {
    const auto& operands = arguments.operands();
    if (operands.size() < 2) throw UsageError("add needs ARCHIVE and at least one SOURCE");
    const fs::path archive = CreateOptionsParsing::absolutePath(operands.front());
    std::vector<fs::path> items;
    for (std::size_t i = 0; i < operands.size(); ++i) {
        const fs::path path = CreateOptionsParsing::absolutePath(operands[i]);
        std::error_code error;
        if (!fs::exists(fs::symlink_status(path, error))) {
            ArchiveOpening::reportError(
                (i == 0 ? S::t("Archive file not found.", "Arşiv dosyası bulunamadı.") + " "
                        : S::t("File not found: ", "Dosya bulunamadı: ")) +
                operands[i]);
            return ExitCode::failed;
        }
        if (i > 0) items.push_back(path);
    }
    const auto password = arguments.value("password");
    return EngineOperation::run(0, [&](const std::shared_ptr<ProcessCancellationToken>& token,
                                       const ProgressHandler& onProgress) {
        ArchiveEngineService().addFiles(items, archive, password, token, onProgress);
    });
}

}  // namespace

const CliCommand& addCommand() {
    static const CliCommand command{"add",
                                    "Add files and folders to a ZIP, 7Z or TAR archive.",
                                    "[--password P] ARCHIVE SOURCE...",
                                    kDescription,
                                    kOptions,
                                    run};
    return command;
}

}  // namespace kelvane::cli
