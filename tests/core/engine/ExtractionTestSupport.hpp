// Helpers of the extraction tests: listings of archives made with the real tools, the
// files a folder holds, and tool folders whose archivers log every run before doing it.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <map>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "ListingTestSupport.hpp"
#include "engine/ArchiveEngineError.hpp"
#include "engine/ArchiveEngineService.hpp"
#include "engine/UnarchiverLister.hpp"
#include "model/ArchiveListing.hpp"
#include "model/ExtractArchiveOptions.hpp"
#include "process/BinaryLocator.hpp"
#include "support/TemporaryFolder.hpp"

namespace kelvane::testing {

inline ArchiveListing listed(const std::filesystem::path& archive,
                             const std::optional<std::string>& password = std::nullopt) {
    return ArchiveEngineService().listArchive(archive, password, nullptr, {});
}

// A .tar.gz listed by the unarchiver, as the tests of the unarchiver's extraction, test
// and conversion need it (the engine reads tarballs as their tar stream); anything else
// listed as the engine lists it.
inline ArchiveListing listedByUnarchiverWhenTarGz(const std::filesystem::path& archive) {
    if (!archive.string().ends_with(".tar.gz")) return listed(archive);
    return UnarchiverLister::listWithLsar(archive, std::nullopt, std::chrono::steady_clock::now(),
                                          nullptr, {});
}

// The same listing with another extract engine, to drive the other tool over it.
inline ArchiveListing withExtractEngine(const ArchiveListing& listing, ArchiveEngineKind engine) {
    ArchiveInfo info = listing.info();
    info.extractEngine = engine;
    return ArchiveListing(info, listing.entries(), listing.tree());
}

inline ArchiveEntry entryWithID(const ArchiveListing& listing, std::string_view id) {
    const ArchiveEntry* found = findEntry(listing.entries(), id);
    if (found == nullptr) throw std::runtime_error("no entry " + std::string(id));
    return *found;
}

// Every regular file below `folder` by its relative path, with its contents; links as
// "-> target"; folders as "/".
inline std::map<std::string, std::string> contentsBelow(const std::filesystem::path& folder) {
    namespace fs = std::filesystem;
    std::map<std::string, std::string> found;
    if (!fs::exists(folder)) return found;
    for (const auto& item : fs::recursive_directory_iterator(folder)) {
        const std::string relative = item.path().lexically_relative(folder).string();
        if (item.is_symlink()) {
            found[relative] = "-> " + fs::read_symlink(item.path()).string();
        } else if (item.is_directory()) {
            found[relative] = "/";
        } else {
            found[relative] = readFile(item.path());
        }
    }
    return found;
}

// `bytes` bytes that no compressor shrinks, the same for the same seed.
inline std::string incompressibleBytes(std::size_t bytes, std::uint64_t seed = 7) {
    std::mt19937_64 generator(seed);
    std::string data(bytes, '\0');
    for (std::size_t i = 0; i + 8 <= bytes; i += 8) {
        const std::uint64_t word = generator();
        for (std::size_t k = 0; k < 8; ++k) data[i + k] = static_cast<char>(word >> (8 * k));
    }
    return data;
}

// Runs `action`, expecting an ArchiveEngineError; returns it (a processFailed with a note
// when nothing or something else was thrown, so the comparison fails visibly).
template <class Action>
ArchiveEngineError engineErrorOf(Action&& action) {
    try {
        action();
    } catch (const ArchiveEngineError& error) {
        return error;
    } catch (const std::exception& other) {
        return ArchiveEngineError::processFailed(std::string("other error: ") + other.what());
    }
    return ArchiveEngineError::processFailed("nothing was thrown");
}

// A folder of shell scripts named after the real tools: each appends its arguments, one
// per line, then a line "--", to the log, and runs the real tool with them.
class LoggingToolFolder final {
public:
    explicit LoggingToolFolder(std::initializer_list<std::string_view> tools) {
        for (const std::string_view tool : tools) {
            const std::string script =
                "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; "
                "done >> '" +
                log().string() + "'\necho -- >> '" + log().string() + "'\nexec /usr/bin/" +
                std::string(tool) + " \"$@\"\n";
            folder_.write(std::string(tool), script, true);
        }
    }
    [[nodiscard]] BinaryLocator::SearchFolders searchFolders() const {
        return BinaryLocator::SearchFolders{{folder_.path()}};
    }
    // The argument lists of every run so far, in order.
    [[nodiscard]] std::vector<std::vector<std::string>> runs() const {
        std::vector<std::vector<std::string>> all;
        std::ifstream in(log());
        std::vector<std::string> current;
        for (std::string line; std::getline(in, line);) {
            if (line == "--") {
                all.push_back(current);
                current.clear();
            } else {
                current.push_back(line);
            }
        }
        return all;
    }

private:
    [[nodiscard]] std::filesystem::path log() const { return folder_.path() / "runs.log"; }
    TemporaryFolder folder_;
};

}  // namespace kelvane::testing
