// Where a new archive is written until it is complete: a hidden name in the destination's
// own folder, moved over the destination only after the tool succeeded. A failed or
// cancelled run therefore leaves an older archive of the same name as it was.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>

namespace kelvane {

class StagedArchiveOutput final {
public:
    // Picks the staging name beside `destination` (an absolute path); touches nothing.
    explicit StagedArchiveOutput(std::filesystem::path destination);
    // Removes whatever was staged and not committed, ignoring errors.
    ~StagedArchiveOutput();
    StagedArchiveOutput(const StagedArchiveOutput&) = delete;
    StagedArchiveOutput& operator=(const StagedArchiveOutput&) = delete;

    // The name the tool writes: "<folder>/.kelvane-<UUID>.partial" (volumes add ".001", …).
    [[nodiscard]] const std::filesystem::path& stagingPath() const { return stagingPath_; }
    [[nodiscard]] const std::filesystem::path& destination() const { return destination_; }

    // Moves the staged file over the destination and returns the destination. Throws
    // std::filesystem::filesystem_error when it cannot be moved.
    std::filesystem::path commitSingleFile();

    // Moves every staged volume to the destination's name with the same number, then
    // removes the higher-numbered volumes of an older set and a single file left at the
    // destination itself. Returns the first volume; when the tool wrote no volume but a
    // single file, commits that instead and returns the destination.
    std::filesystem::path commitVolumes();

    // Removes the staged file and every staged volume, ignoring errors.
    void discard() noexcept;

    // The volumes named "<base>.NNN" (three or more digits) in `base`'s folder, by number.
    [[nodiscard]] static std::map<std::uint64_t, std::filesystem::path> volumesOf(
        const std::filesystem::path& base);

private:
    std::filesystem::path destination_;
    std::filesystem::path stagingPath_;
    bool committed_ = false;
};

}  // namespace kelvane
