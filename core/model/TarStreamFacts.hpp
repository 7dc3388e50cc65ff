// What the listing of a tar stream learns that extraction needs and the entries do not
// carry: raw paths as the tar stores them.
#pragma once

#include <string>
#include <unordered_map>
#include <vector>

namespace kelvane {

struct TarStreamFacts {
    // Device, FIFO and socket entries, which extraction never recreates (a tool run as
    // root would make real device nodes).
    std::vector<std::string> unrestorableEntryPaths;
    // Each hard link's target. A selection holding a link takes its target along, so the
    // link never dangles.
    std::unordered_map<std::string, std::string> hardLinkTargets;
};

}  // namespace kelvane
