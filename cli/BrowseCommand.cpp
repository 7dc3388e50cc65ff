#include "BrowseCommand.hpp"

#include <array>
#include <cstdio>
#include <string>
#include <variant>

#include "ArchiveOpening.hpp"
#include "CreateOptionsParsing.hpp"
#include "JsonWriter.hpp"
#include "ListingOutput.hpp"
#include "UsageError.hpp"
#include "index/ArchiveDirectoryIndex.hpp"
#include "localization/S.hpp"
#include "model/ArchiveFilterKind.hpp"
#include "model/ArchiveSortField.hpp"

namespace kelvane::cli {
namespace {

constexpr std::array<CommandLineOption, 8> kOptions{{
    kArchivePasswordOption,
    {"folder", "PATH", "The folder to show (default: the archive's root)."},
    {"search", "TEXT", "Find entries below the folder whose name or path holds TEXT."},
    {"filter", "KIND", "all, folders, images, codeText, documents, media or encrypted."},
    {"sort", "FIELD", "name, size, packedSize, modified or kind (default: name)."},
    {"descending", "", "Sort in descending order."},
    {"json", "", "Print the ids as one JSON array."},
    {"help", "", "Show this help."},
}};

constexpr std::string_view kDescription =
    "Prints the ids of the entries the folder view shows for ARCHIVE, one per line, in\n"
    "display order: folders first. Without --search and --filter these are the folder's\n"
    "own entries; with either, matching entries anywhere below the folder.";

template <class Enumeration>
Enumeration parseRawValue(const std::optional<std::string>& text, Enumeration fallback,
                          std::string_view option) {
    if (!text) return fallback;
    if (const auto value = Enumeration::fromRawValue(*text)) return *value;
    std::string known;
    for (const Enumeration candidate : Enumeration::allCases()) {
        if (!known.empty()) known += ", ";
        known += candidate.rawValue();
    }
    throw UsageError("unknown " + std::string(option) + " '" + *text + "' (one of: " + known + ")");
}

ExitCode run(const ParsedCommandLine& arguments) {
    if (arguments.operands().size() != 1) throw UsageError("browse needs exactly one ARCHIVE");
    const ArchiveFilterKind filter = parseRawValue(
        arguments.value("filter"), ArchiveFilterKind(ArchiveFilterKind::all), "--filter");
    const ArchiveSortField sortField =
        parseRawValue(arguments.value("sort"), ArchiveSortField(ArchiveSortField::name), "--sort");
    std::string folder = arguments.value("folder").value_or("");
    // "docs/" as a shell completes it names the folder "docs".
    while (folder.size() > 1 && folder.ends_with('/')) folder.pop_back();
    const std::string search = arguments.value("search").value_or("");

    auto opened =
        ArchiveOpening::open(CreateOptionsParsing::absolutePath(arguments.operands().front()),
                             arguments.value("password"));
    if (const auto* failure = std::get_if<ExitCode>(&opened)) return *failure;
    const ArchiveListing& listing = std::get<OpenedArchive>(opened).listing;
    // A folder that is not there would answer with nothing, which reads as an empty folder.
    if (!folder.empty() && !listing.tree()->hasFolder(folder)) {
        ArchiveOpening::reportError(
            S::t("No such folder in the archive: ", "Arşivde böyle bir klasör yok: ") + folder);
        return ExitCode::failed;
    }

    const ArchiveItemList items =
        listing.tree()->items(folder, search, filter, sortField, !arguments.flag("descending"));
    if (arguments.flag("json")) {
        JsonWriter writer(stdout);
        writer.beginArray();
        for (const ArchiveEntry& entry : items) writer.string(entry.id());
        writer.endArray();
        writer.endLine();
    } else {
        std::string buffer;
        for (const ArchiveEntry& entry : items) {
            ListingOutput::appendPrintable(buffer, entry.id());
            buffer.push_back('\n');
        }
        std::fwrite(buffer.data(), 1, buffer.size(), stdout);
    }
    return std::fflush(stdout) == 0 ? ExitCode::success : ExitCode::failed;
}

}  // namespace

const CliCommand& browseCommand() {
    static const CliCommand command{
        "browse",
        "Print the entry ids a folder view shows (search, filter, sort).",
        "[--password P] [--folder PATH] [--search TEXT] [--filter KIND] [--sort FIELD] "
        "[--descending] [--json] ARCHIVE",
        kDescription,
        kOptions,
        run};
    return command;
}

}  // namespace kelvane::cli
