// Says in a person's terms why an archive could not be read, when that can be told: the
// file is missing, a folder, empty, one of its volumes is missing, or the tools' own words
// say it is damaged, cut short or no archive at all. Each text is a fixed sentence in the
// interface language with the name (and a short quote of the tool) after it.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace kelvane {

class ArchiveFailureDiagnosis final {
public:
    ArchiveFailureDiagnosis() = delete;

    // What the file system alone shows: no file, a folder, an empty file, or a gap in the
    // numbered volumes beside it ("x.7z.001", "x.part1.rar", "x.r00", "x.z01").
    [[nodiscard]] static std::optional<std::string> fileProblem(
        const std::filesystem::path& archive);

    // What the tools' message lines (as they printed them) say: damaged or truncated
    // (quoting the line that says so), or not an archive of a format they read.
    [[nodiscard]] static std::optional<std::string> toolVerdict(
        const std::filesystem::path& archive, const std::vector<std::string>& messageLines);

    // The file's own problem first, then the tools' verdict.
    [[nodiscard]] static std::optional<std::string> describe(
        const std::filesystem::path& archive, const std::vector<std::string>& messageLines);

    // The first volume missing from the set `archive` belongs to, by file name.
    [[nodiscard]] static std::optional<std::filesystem::path> missingVolume(
        const std::filesystem::path& archive);
};

}  // namespace kelvane
