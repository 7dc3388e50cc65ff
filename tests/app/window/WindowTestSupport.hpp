// Shared pieces of the window tests: the offscreen application, archives made with the
// real archiver, synthetic listings, and waiting on a condition with a bound.
#pragma once

#include <QApplication>
#include <QString>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "model/ArchiveListing.hpp"
#include "state/ArchiveViewModel.hpp"

namespace kelvane::testing {

// The one offscreen application of the test process, created on first use.
QApplication& windowTestApplication();

// Processes events until `condition` holds or `bound` passes; true when it held.
bool waitUntil(const std::function<bool()>& condition,
               std::chrono::milliseconds bound = std::chrono::seconds(20));

// A ZIP made by 7zz from `files` (relative path → contents) inside `folder`.
std::filesystem::path makeZip(const std::filesystem::path& folder, const std::string& name,
                              const std::map<std::string, std::string>& files);

// A listing of `entries` as if an archive at `path` had been read; solid so that nothing is
// selected or previewed on its own.
ArchiveListing syntheticListing(const std::string& path, std::vector<ArchiveEntry> entries,
                                bool modifiable = false);
ArchiveEntry fileEntry(const std::string& path, std::int64_t size, std::int64_t packed);
ArchiveEntry folderEntry(const std::string& path);

// Opens `path` and waits until it is shown and nothing runs.
bool openAndWait(app::ArchiveViewModel& viewModel, const std::filesystem::path& path);

// A small PNG and a one-page PDF, as bytes.
std::string pngBytes(int width, int height);
std::string pdfBytes();

}  // namespace kelvane::testing
