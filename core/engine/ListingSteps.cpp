#include "engine/ListingSteps.hpp"

#include <algorithm>
#include <cmath>

#include "index/ArchiveTreeBuilder.hpp"
#include "platform/UnicodeText.hpp"

namespace kelvane::ListingSteps {

std::shared_ptr<const ArchiveDirectoryIndex> buildIndex(const std::vector<ArchiveEntry>& entries,
                                                        const ListingOptions& options) {
    const auto start = std::chrono::steady_clock::now();
    auto index = ArchiveTreeBuilder::build(entries);
    if (options.onIndexBuilt) options.onIndexBuilt(std::chrono::steady_clock::now() - start);
    return index;
}

std::int64_t loadDurationMs(std::chrono::steady_clock::time_point startTime) {
    const std::chrono::duration<double, std::milli> elapsed =
        std::chrono::steady_clock::now() - startTime;
    return std::max<std::int64_t>(1, std::llround(elapsed.count()));
}

std::int64_t folderCount(const ArchiveDirectoryIndex& index) {
    const auto folders = static_cast<std::int64_t>(index.folderNodeCount());
    return std::max<std::int64_t>(0, folders - 1);
}

std::string upperCasedExtension(const std::filesystem::path& archive) {
    const std::string name = archive.filename().string();
    const std::size_t dot = name.rfind('.');
    if (dot == std::string::npos) return {};
    return UnicodeText::uppercased(std::string_view(name).substr(dot + 1));
}

}  // namespace kelvane::ListingSteps
