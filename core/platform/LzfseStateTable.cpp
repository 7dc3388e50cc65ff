#include "platform/LzfseStateTable.hpp"

#include <bit>

#include "platform/LzfseError.hpp"

namespace kelvane {

LzfseStateTable::LzfseStateTable(std::span<const std::uint16_t> frequencies,
                                 std::size_t stateCount) {
    std::size_t total = 0;
    for (const std::uint16_t frequency : frequencies) {
        total += frequency;
    }
    if (total != stateCount) {
        throw LzfseError("LZFSE frequency table does not cover its states exactly");
    }
    entries_.reserve(stateCount);
    const int stateBits = static_cast<int>(std::bit_width(stateCount)) - 1;
    for (std::size_t symbol = 0; symbol < frequencies.size(); ++symbol) {
        const unsigned frequency = frequencies[symbol];
        if (frequency == 0) {
            continue;
        }
        // The k that puts frequency << k in [stateCount, 2 * stateCount): the first j0 states
        // of the symbol read k bits, the rest k - 1, and together they cover every state once.
        const int shift = stateBits - (static_cast<int>(std::bit_width(frequency)) - 1);
        const unsigned fullWidthStates =
            static_cast<unsigned>((2 * stateCount) >> shift) - frequency;
        for (unsigned j = 0; j < frequency; ++j) {
            Entry entry;
            entry.symbol = static_cast<std::uint16_t>(symbol);
            if (j < fullWidthStates) {
                entry.bitCount = static_cast<std::uint8_t>(shift);
                entry.nextStateBase =
                    static_cast<std::uint16_t>(((frequency + j) << shift) - stateCount);
            } else {
                entry.bitCount = static_cast<std::uint8_t>(shift - 1);
                entry.nextStateBase =
                    static_cast<std::uint16_t>((j - fullWidthStates) << (shift - 1));
            }
            entries_.push_back(entry);
        }
    }
}

}  // namespace kelvane
