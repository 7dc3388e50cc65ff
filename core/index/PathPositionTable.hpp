// Open-addressing hash table from texts to dense 32-bit positions. The texts
// stay with the caller (entry ids, folder paths), so a slot is 4 bytes.
#pragma once

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string_view>
#include <utility>
#include <vector>

namespace kelvane {

// A slot packs the position plus one in its low bits and, in the bits the
// positions leave free, a few bits of the key's hash; a probe therefore
// rarely has to look at the key text itself. Zero marks an empty slot.
//
// Every call takes `keyAt`, a function from a stored position to its key, so
// the table holds no reference to the caller's storage. Positions must be
// dense: every stored position is below the number of stored positions plus
// one, which is what lets the table size its position field from its capacity.
class PathPositionTable final {
public:
    static constexpr std::uint32_t kAbsent = 0xFFFFFFFFU;

    PathPositionTable() = default;
    // Room for `expectedCount` keys without growing.
    explicit PathPositionTable(std::size_t expectedCount) { resize(capacityFor(expectedCount)); }

    // The hash every caller must use, equal to `ArchiveEntry::hash()` of an id.
    [[nodiscard]] static std::size_t hashOf(std::string_view key) noexcept {
        return std::hash<std::string_view>{}(key);
    }

    [[nodiscard]] std::size_t size() const { return count_; }
    [[nodiscard]] std::size_t memoryBytes() const { return slots_.capacity() * sizeof(Slot); }

    // Starts loading the slot a later call with this hash will probe first;
    // the tables are far larger than the caches.
    void prefetch(std::size_t hash) const {
        if (!slots_.empty()) __builtin_prefetch(&slots_[bucketOf(hash)]);
    }

    // The position stored under `key`, or kAbsent.
    template <class KeyAt>
    [[nodiscard]] std::uint32_t find(std::string_view key, std::size_t hash,
                                     const KeyAt& keyAt) const {
        if (slots_.empty()) return kAbsent;
        const Slot tag = tagOf(hash);
        for (std::size_t index = bucketOf(hash);; index = next(index)) {
            const Slot slot = slots_[index];
            if (slot == 0) return kAbsent;
            if ((slot & ~positionMask_) == tag) {
                const std::uint32_t position = (slot & positionMask_) - 1;
                if (keyAt(position) == key) return position;
            }
        }
    }

    // The position already stored under `key` with false, or `position`
    // (now stored) with true.
    template <class KeyAt>
    std::pair<std::uint32_t, bool> insert(std::string_view key, std::size_t hash,
                                          std::uint32_t position, const KeyAt& keyAt) {
        if (needsToGrow(position)) grow(position, keyAt);
        const Slot tag = tagOf(hash);
        std::size_t index = bucketOf(hash);
        for (;; index = next(index)) {
            const Slot slot = slots_[index];
            if (slot == 0) break;
            if ((slot & ~positionMask_) == tag) {
                const std::uint32_t stored = (slot & positionMask_) - 1;
                if (keyAt(stored) == key) return {stored, false};
            }
        }
        slots_[index] = tag | (position + 1);
        ++count_;
        return {position, true};
    }

    // Replaces every stored position p by remap(p); the new positions must
    // be dense too (a permutation, typically).
    template <class Remap>
    void remapPositions(const Remap& remap) {
        for (Slot& slot : slots_) {
            if (slot == 0) continue;
            const std::uint32_t position = (slot & positionMask_) - 1;
            slot = (slot & ~positionMask_) | (static_cast<Slot>(remap(position)) + 1);
        }
    }

private:
    using Slot = std::uint32_t;

    // Linear probing stays short below this fill.
    static constexpr std::size_t kMaxLoadPercent = 60;

    [[nodiscard]] static std::size_t capacityFor(std::size_t count) {
        return std::max<std::size_t>(16, count * 2);
    }

    [[nodiscard]] bool needsToGrow(std::uint32_t position) const {
        return slots_.empty() || (count_ + 1) * 100 > slots_.size() * kMaxLoadPercent ||
               static_cast<std::size_t>(position) + 1 > positionMask_;
    }

    // Maps the hash onto [0, capacity) by its high bits, without a division.
    [[nodiscard]] std::size_t bucketOf(std::size_t hash) const {
        __extension__ using Wide = unsigned __int128;
        return static_cast<std::size_t>((static_cast<Wide>(hash) * slots_.size()) >> 64);
    }
    // The tag comes from the low bits, which the bucket choice does not use.
    [[nodiscard]] Slot tagOf(std::size_t hash) const {
        return static_cast<Slot>(hash << positionBits_) & ~positionMask_;
    }
    [[nodiscard]] std::size_t next(std::size_t index) const {
        return index + 1 == slots_.size() ? 0 : index + 1;
    }

    void resize(std::size_t capacity);

    template <class KeyAt>
    void grow(std::uint32_t position, const KeyAt& keyAt) {
        const std::size_t wanted =
            std::max(capacityFor(count_ + 1), static_cast<std::size_t>(position) + 2);
        std::vector<Slot> old = std::move(slots_);
        const Slot oldMask = positionMask_;
        resize(std::max(wanted, old.size() * 2));
        for (const Slot slot : old) {
            if (slot == 0) continue;
            const std::uint32_t stored = (slot & oldMask) - 1;
            const std::size_t hash = hashOf(keyAt(stored));
            std::size_t index = bucketOf(hash);
            while (slots_[index] != 0) index = next(index);
            slots_[index] = tagOf(hash) | (stored + 1);
        }
    }

    std::vector<Slot> slots_;
    std::size_t count_ = 0;
    unsigned positionBits_ = 0;
    Slot positionMask_ = 0;
};

}  // namespace kelvane
