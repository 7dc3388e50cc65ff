#include "engine/ContainedPath.hpp"

#include <algorithm>
#include <system_error>

namespace kelvane {

std::optional<std::filesystem::path> ContainedPath::join(const std::filesystem::path& base,
                                                         std::string_view entryName) {
    if (entryName.starts_with('/') || entryName.find('\0') != std::string_view::npos) {
        return std::nullopt;
    }
    std::filesystem::path joined = base;
    bool namesSomething = false;
    std::size_t start = 0;
    while (start <= entryName.size()) {
        const std::size_t end = std::min(entryName.find('/', start), entryName.size());
        const std::string_view component = entryName.substr(start, end - start);
        start = end + 1;
        if (component.empty() || component == ".") continue;
        if (component == "..") return std::nullopt;
        joined /= std::filesystem::path(component);
        namesSomething = true;
    }
    if (!namesSomething) return std::nullopt;
    return joined;
}

std::optional<std::filesystem::path> ContainedPath::existingInside(
    const std::filesystem::path& base, std::string_view entryName) {
    auto joined = join(base, entryName);
    if (!joined || !isInside(base, *joined)) return std::nullopt;
    return joined;
}

bool ContainedPath::isInside(const std::filesystem::path& base,
                             const std::filesystem::path& candidate) {
    std::error_code error;
    const std::filesystem::path resolvedBase = std::filesystem::canonical(base, error);
    if (error) return false;
    const std::filesystem::path resolved = std::filesystem::canonical(candidate, error);
    if (error) return false;
    // Both are absolute and free of ".", ".." and links, so comparing components suffices.
    auto baseIt = resolvedBase.begin();
    auto it = resolved.begin();
    for (; baseIt != resolvedBase.end(); ++baseIt, ++it) {
        if (it == resolved.end() || *it != *baseIt) return false;
    }
    return it != resolved.end();
}

}  // namespace kelvane
