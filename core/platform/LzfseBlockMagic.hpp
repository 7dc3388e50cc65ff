// The four-byte tags that open each block of an LZFSE stream, read as little-endian words.
#pragma once

#include <cstdint>

namespace kelvane {

enum class LzfseBlockMagic : std::uint32_t {
    endOfStream = 0x24787662,        // "bvx$"
    uncompressed = 0x2d787662,       // "bvx-"
    lzvn = 0x6e787662,               // "bvxn"
    lzfsePlainTables = 0x31787662,   // "bvx1"
    lzfsePackedTables = 0x32787662,  // "bvx2"
};

}  // namespace kelvane
