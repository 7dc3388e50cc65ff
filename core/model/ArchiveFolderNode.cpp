#include "model/ArchiveFolderNode.hpp"

namespace kelvane {
namespace {

void combine(std::size_t& seed, std::size_t value) {
    seed ^= value + 0x9e3779b97f4a7c15ULL + (seed << 6) + (seed >> 2);
}

}  // namespace

std::size_t ArchiveFolderNode::hash() const noexcept {
    const std::hash<std::string> text;
    const std::hash<std::int64_t> number;
    std::size_t seed = text(id);
    combine(seed, text(name));
    combine(seed, text(parentPath));
    combine(seed, number(depth));
    combine(seed, directSubfolderPaths.size());
    for (const std::string& path : directSubfolderPaths) combine(seed, text(path));
    combine(seed, number(recursiveFileCount));
    combine(seed, number(recursiveUncompressedSize));
    combine(seed, number(recursiveCompressedSize));
    return seed;
}

}  // namespace kelvane
