#include "index/PathPositionTable.hpp"

#include <stdexcept>

namespace kelvane {

void PathPositionTable::resize(std::size_t capacity) {
    // Positions are dense and the table stays under two-thirds full, so a
    // position field as wide as the capacity always suffices.
    const auto bits = static_cast<unsigned>(std::bit_width(capacity));
    if (bits > 32) throw std::length_error("too many archive entries to index");
    slots_.assign(capacity, 0);
    positionBits_ = bits;
    positionMask_ = bits == 32 ? 0xFFFFFFFFU : static_cast<Slot>((Slot{1} << bits) - 1);
}

}  // namespace kelvane
