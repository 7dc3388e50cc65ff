// How listings are printed: one aligned line per entry for people, JSON objects keyed by
// the model's field names for programs.
#pragma once

#include <string>
#include <string_view>

#include "JsonWriter.hpp"
#include "model/ArchiveEntry.hpp"
#include "model/ArchiveInfo.hpp"

namespace kelvane::cli::ListingOutput {

// Appends "KIND SIZE PACKED DATE PATH" and a line feed. KIND is "D" for a folder or "F"
// for a file, with "*" after it when the entry is encrypted; the date is local time
// ("-" when unknown); the path is the entry's id (its raw path when the id is empty),
// made printable.
void appendEntryLine(std::string& out, const ArchiveEntry& entry);

// The entry or the archive facts as one JSON object; dates in ISO 8601 UTC or null.
void writeEntry(JsonWriter& writer, const ArchiveEntry& entry);
void writeInfo(JsonWriter& writer, const ArchiveInfo& info);

// "2024-01-31T12:34:56Z", with microseconds when there are any.
[[nodiscard]] std::string isoDate(ArchiveTimestamp date);

// Text safe to print one per line: control characters become escapes ("\n", "\t",
// "\x1b"), so a name cannot break the line or drive the terminal, and ill-formed UTF-8
// becomes U+FFFD.
void appendPrintable(std::string& out, std::string_view text);

}  // namespace kelvane::cli::ListingOutput
