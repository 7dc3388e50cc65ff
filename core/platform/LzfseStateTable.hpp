// Finite-state-entropy decoding table of an LZFSE block: for every state, the symbol it
// stands for and how the next state follows from a few bits of the stream.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace kelvane {

class LzfseStateTable final {
public:
    struct Entry {
        std::uint16_t symbol = 0;
        std::uint8_t bitCount = 0;        // bits to read for the next state
        std::uint16_t nextStateBase = 0;  // added to those bits
    };

    // Builds the table of `stateCount` (a power of two) states from normalised symbol
    // frequencies. Throws LzfseError unless the frequencies add up to exactly `stateCount`,
    // so every state has a symbol and every transition lands on a state of the table.
    LzfseStateTable(std::span<const std::uint16_t> frequencies, std::size_t stateCount);

    [[nodiscard]] std::size_t stateCount() const { return entries_.size(); }

    // `state` must be below stateCount(); transitions built here always are.
    [[nodiscard]] const Entry& entry(std::size_t state) const { return entries_[state]; }

private:
    std::vector<Entry> entries_;
};

}  // namespace kelvane
