#include "engine/ExtractionLinkGuard.hpp"

#include <sys/stat.h>

#include <string>
#include <string_view>
#include <system_error>
#include <unordered_map>
#include <vector>

#include "engine/ArchiveEngineError.hpp"
#include "engine/ContainedPath.hpp"

namespace kelvane {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kParentStandIn = "__Parent__";

enum class PlaceState : std::uint8_t { absent, safe, outward };

std::vector<std::string_view> components(std::string_view path) {
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    while (start <= path.size()) {
        const std::size_t end = std::min(path.find('/', start), path.size());
        parts.push_back(path.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

// The relative places a tool may write an entry with this raw path to, as component lists.
std::vector<std::vector<std::string_view>> writtenPlaces(std::string_view rawPath) {
    std::vector<std::string_view> dropped;
    std::vector<std::string_view> resolved;
    bool climbs = false;
    for (const std::string_view part : components(rawPath)) {
        if (part.empty() || part == ".") continue;
        if (part == "..") {
            climbs = true;
            if (!resolved.empty() && resolved.back() != kParentStandIn) {
                resolved.pop_back();
            } else {
                resolved.push_back(kParentStandIn);
            }
            continue;
        }
        dropped.push_back(part);
        resolved.push_back(part);
    }
    std::vector<std::vector<std::string_view>> places;
    if (!dropped.empty()) places.push_back(std::move(dropped));
    if (climbs && !resolved.empty()) places.push_back(std::move(resolved));
    return places;
}

class PlaceInspector final {
public:
    explicit PlaceInspector(const fs::path& destination) : destination_(destination) {}

    PlaceState stateOf(const std::string& relative, bool remember) {
        if (const auto known = known_.find(relative); known != known_.end()) return known->second;
        const PlaceState state = inspect(relative);
        if (remember) known_.emplace(relative, state);
        return state;
    }

    [[nodiscard]] fs::path placeOf(const std::string& relative) const {
        // The components were stripped of "..", so the join cannot refuse them.
        return ContainedPath::join(destination_, relative).value_or(destination_);
    }

private:
    PlaceState inspect(const std::string& relative) const {
        const fs::path place = placeOf(relative);
        struct stat status {};
        if (::lstat(place.c_str(), &status) != 0) return PlaceState::absent;
        if (!S_ISLNK(status.st_mode)) return PlaceState::safe;
        return ContainedPath::isInside(destination_, place) ? PlaceState::safe
                                                            : PlaceState::outward;
    }

    fs::path destination_;
    // Folders on the way are shared by many targets; each is looked at once.
    std::unordered_map<std::string, PlaceState> known_;
};

}  // namespace

void ExtractionLinkGuard::secure(const fs::path& destination, std::span<const ArchiveEntry> targets,
                                 ExtractOverwriteMode mode) {
    // An empty folder holds no link; this spares the walk over a whole large archive in
    // the usual case of a fresh destination.
    std::error_code error;
    if (fs::is_empty(destination, error) && !error) return;
    PlaceInspector inspector(destination);
    std::vector<fs::path> linksToReplace;
    std::string relative;
    for (const ArchiveEntry& target : targets) {
        for (const auto& place : writtenPlaces(target.rawPath())) {
            relative.clear();
            for (std::size_t i = 0; i < place.size(); ++i) {
                if (i > 0) relative += '/';
                relative += place[i];
                const bool isOwnPlace = i + 1 == place.size();
                const PlaceState state = inspector.stateOf(relative, !isOwnPlace);
                if (state == PlaceState::absent) break;
                if (state != PlaceState::outward) continue;
                if (isOwnPlace) {
                    if (mode == ExtractOverwriteMode::overwrite) {
                        linksToReplace.push_back(inspector.placeOf(relative));
                    }
                    continue;
                }
                throw ArchiveEngineError::processFailed(
                    "Refused to extract \"" + std::string(target.id()) +
                    "\": the destination folder holds a symbolic link on its way that leads "
                    "outside the destination folder.");
            }
        }
    }
    for (const fs::path& link : linksToReplace) {
        std::error_code ignored;  // a link that is already gone needs no removal
        fs::remove(link, ignored);
    }
}

}  // namespace kelvane
