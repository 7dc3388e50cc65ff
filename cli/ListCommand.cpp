#include "ListCommand.hpp"

#include <sys/resource.h>

#include <array>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <string>
#include <variant>

#include "ArchiveOpening.hpp"
#include "CreateOptionsParsing.hpp"
#include "JsonWriter.hpp"
#include "ListingOutput.hpp"
#include "UsageError.hpp"

namespace kelvane::cli {
namespace {

constexpr std::array<CommandLineOption, 5> kOptions{{
    kArchivePasswordOption,
    {"json", "", "Print one JSON document {\"info\": {...}, \"entries\": [...]}."},
    {"stats", "", "Then print one JSON line of counts, timings and peak memory."},
    {"quiet", "", "Print no listing (with --stats: the statistics alone)."},
    {"help", "", "Show this help."},
}};

constexpr std::string_view kDescription =
    "Lists every entry of ARCHIVE in the order the archiver reports them, one line each:\n"
    "kind (D folder, F file, * encrypted), size, packed size, local modification time and\n"
    "path. While a large archive is read, a running count shows on a terminal.\n"
    "\n"
    "With --json the keys are the field names of the archive facts and the entries; dates\n"
    "are ISO 8601 in UTC or null. --stats adds {\"entries\", \"files\", \"folders\",\n"
    "\"loadDurationMs\", \"indexMs\", \"peakRssKiB\"} on a line of its own.";

std::int64_t peakResidentKiB() {
    rusage usage{};
    if (::getrusage(RUSAGE_SELF, &usage) != 0) return 0;
    return usage.ru_maxrss;  // KiB on Linux
}

void printText(const ArchiveListing& listing) {
    std::string buffer;
    buffer.reserve(1 << 17);
    for (const ArchiveEntry& entry : listing.entries()) {
        ListingOutput::appendEntryLine(buffer, entry);
        if (buffer.size() >= (1 << 16)) {
            std::fwrite(buffer.data(), 1, buffer.size(), stdout);
            buffer.clear();
        }
    }
    std::fwrite(buffer.data(), 1, buffer.size(), stdout);
}

void printJson(const ArchiveListing& listing) {
    JsonWriter writer(stdout);
    writer.beginObject();
    writer.key("info");
    ListingOutput::writeInfo(writer, listing.info());
    writer.key("entries");
    writer.beginArray();
    for (const ArchiveEntry& entry : listing.entries()) ListingOutput::writeEntry(writer, entry);
    writer.endArray();
    writer.endObject();
    writer.endLine();
}

void printStats(const OpenedArchive& opened) {
    const ArchiveListing& listing = opened.listing;
    const std::chrono::duration<double, std::milli> indexTime = opened.indexDuration;
    JsonWriter writer(stdout);
    writer.beginObject();
    writer.key("entries");
    writer.number(static_cast<std::int64_t>(listing.entries().size()));
    writer.key("files");
    writer.number(listing.info().fileCount);
    writer.key("folders");
    writer.number(listing.info().folderCount);
    writer.key("loadDurationMs");
    writer.number(listing.info().loadDurationMs);
    writer.key("indexMs");
    writer.number(std::llround(indexTime.count()));
    writer.key("peakRssKiB");
    writer.number(peakResidentKiB());
    writer.endObject();
    writer.endLine();
}

ExitCode run(const ParsedCommandLine& arguments) {
    if (arguments.operands().size() != 1) throw UsageError("list needs exactly one ARCHIVE");
    auto opened =
        ArchiveOpening::open(CreateOptionsParsing::absolutePath(arguments.operands().front()),
                             arguments.value("password"));
    if (const auto* failure = std::get_if<ExitCode>(&opened)) return *failure;
    const OpenedArchive& archive = std::get<OpenedArchive>(opened);

    if (!arguments.flag("quiet")) {
        if (arguments.flag("json")) {
            printJson(archive.listing);
        } else {
            printText(archive.listing);
        }
    }
    if (arguments.flag("stats")) printStats(archive);
    return std::fflush(stdout) == 0 ? ExitCode::success : ExitCode::failed;
}

}  // namespace

const CliCommand& listCommand() {
    static const CliCommand command{"list",
                                    "List every entry of an archive.",
                                    "[--password P] [--json] [--stats [--quiet]] ARCHIVE",
                                    kDescription,
                                    kOptions,
                                    run};
    return command;
}

}  // namespace kelvane::cli
