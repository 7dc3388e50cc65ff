// Base for the model's small enumerations: a case list in declaration order,
// a raw value per case (text or integer), and lookup from a raw value.
#pragma once

#include <array>
#include <cstddef>
#include <functional>
#include <optional>
#include <utility>

namespace kelvane {

// Derived must define:
//   enum Value : <integral> { ... };
//   static constexpr std::array<std::pair<Value, RawType>, N> kRawValues;  // in case order
template <class Derived, class ValueType, class RawType, std::size_t N>
class RawValueEnum {
public:
    using Value = ValueType;
    using Raw = RawType;

    constexpr RawValueEnum(Value value) : value_(value) {}  // NOLINT: implicit by design

    [[nodiscard]] constexpr Value value() const { return value_; }
    // Comparison and switch go through the case value.
    constexpr operator Value() const { return value_; }  // NOLINT: implicit by design

    [[nodiscard]] constexpr Raw rawValue() const {
        for (const auto& [value, raw] : Derived::kRawValues) {
            if (value == value_) return raw;
        }
        return Derived::kRawValues[0].second;
    }
    [[nodiscard]] constexpr Raw id() const { return rawValue(); }

    // Position in the declaration order.
    [[nodiscard]] constexpr std::size_t ordinal() const {
        for (std::size_t i = 0; i < N; ++i) {
            if (Derived::kRawValues[i].first == value_) return i;
        }
        return 0;
    }

    [[nodiscard]] static constexpr std::optional<Derived> fromRawValue(const Raw& raw) {
        for (const auto& [value, candidate] : Derived::kRawValues) {
            if (candidate == raw) return Derived(value);
        }
        return std::nullopt;
    }

    [[nodiscard]] static constexpr std::array<Derived, N> allCases() {
        return allCasesImpl(std::make_index_sequence<N>{});
    }

private:
    template <std::size_t... I>
    static constexpr std::array<Derived, N> allCasesImpl(std::index_sequence<I...>) {
        return {Derived(Derived::kRawValues[I].first)...};
    }

    Value value_;
};

// Hash by case, for maps and sets keyed by one of these enumerations.
struct RawValueEnumHash {
    template <class E>
    std::size_t operator()(const E& e) const noexcept {
        return std::hash<std::size_t>{}(static_cast<std::size_t>(e.value()));
    }
};

}  // namespace kelvane
