// Pins the time-zone variable once at program start. Without TZ, the C library
// re-reads the zone file on every local-time conversion; the archivers convert
// every entry's timestamp, and so does the listing parser.
#pragma once

namespace kelvane::TimeZoneSetup {

// When TZ is unset, sets it to ":/etc/localtime" (the zone the system uses
// anyway) and re-initialises the library's zone state; a TZ that is already set,
// even to an empty text, is left alone. Returns true when it set the variable.
// Call it first thing in main, before any thread starts: it changes the
// environment, which the tools started later inherit.
bool ensureTimeZoneVariable();

}  // namespace kelvane::TimeZoneSetup
