#include "engine/StagedArchiveOutput.hpp"

#include <cerrno>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

#include "platform/Uuid.hpp"

namespace kelvane {
namespace {

namespace fs = std::filesystem;

constexpr std::size_t kMinimumVolumeDigits = 3;

void moveInto(const fs::path& from, const fs::path& to) {
    if (std::rename(from.c_str(), to.c_str()) != 0) {
        throw fs::filesystem_error("cannot move the new archive into place", from, to,
                                   std::error_code(errno, std::generic_category()));
    }
}

std::optional<std::uint64_t> volumeNumber(std::string_view suffix) {
    if (suffix.size() < kMinimumVolumeDigits || suffix.size() > 19) return std::nullopt;
    std::uint64_t number = 0;
    for (const char c : suffix) {
        if (c < '0' || c > '9') return std::nullopt;
        number = number * 10 + static_cast<std::uint64_t>(c - '0');
    }
    return number;
}

}  // namespace

StagedArchiveOutput::StagedArchiveOutput(fs::path destination)
    : destination_(std::move(destination)),
      stagingPath_(destination_.parent_path() / (".kelvane-" + Uuid::randomText() + ".partial")) {}

StagedArchiveOutput::~StagedArchiveOutput() {
    if (!committed_) discard();
}

std::map<std::uint64_t, fs::path> StagedArchiveOutput::volumesOf(const fs::path& base) {
    std::map<std::uint64_t, fs::path> volumes;
    const std::string prefix = base.filename().string() + ".";
    std::error_code error;
    for (fs::directory_iterator it(base.parent_path(), error), end; !error && it != end;
         it.increment(error)) {
        const std::string name = it->path().filename().string();
        if (!name.starts_with(prefix)) continue;
        if (const auto number = volumeNumber(std::string_view(name).substr(prefix.size()))) {
            volumes.emplace(*number, it->path());
        }
    }
    return volumes;
}

fs::path StagedArchiveOutput::commitSingleFile() {
    moveInto(stagingPath_, destination_);
    committed_ = true;
    return destination_;
}

fs::path StagedArchiveOutput::commitVolumes() {
    const auto staged = volumesOf(stagingPath_);
    if (staged.empty()) return commitSingleFile();

    const std::string stagingPrefix = stagingPath_.filename().string();
    fs::path firstVolume;
    for (const auto& [number, path] : staged) {
        fs::path target = destination_;
        target += path.filename().string().substr(stagingPrefix.size());
        moveInto(path, target);
        if (firstVolume.empty()) firstVolume = target;
    }
    committed_ = true;

    // What is left of an older set would be read as part of the new one.
    const std::uint64_t lastNumber = staged.rbegin()->first;
    std::error_code ignored;
    for (const auto& [number, path] : volumesOf(destination_)) {
        if (number > lastNumber) fs::remove(path, ignored);
    }
    if (!fs::is_directory(fs::symlink_status(destination_, ignored))) {
        fs::remove(destination_, ignored);
    }
    return firstVolume;
}

void StagedArchiveOutput::discard() noexcept {
    std::error_code ignored;
    fs::remove(stagingPath_, ignored);
    for (const auto& [number, path] : volumesOf(stagingPath_)) fs::remove(path, ignored);
}

}  // namespace kelvane
