// Finder-like name ordering: case-insensitive, digit runs compared by value,
// following the rules of one locale. Built once per sort and reused.
#pragma once

#include <unicode/coll.h>

#include <memory>
#include <string>
#include <string_view>

namespace kelvane {

class NameCollator final {
public:
    // `localeID` is a BCP 47 or ICU locale identifier ("en", "pt-BR", "tr").
    explicit NameCollator(std::string_view localeID);
    ~NameCollator();
    NameCollator(NameCollator&&) noexcept;
    NameCollator& operator=(NameCollator&&) noexcept;
    NameCollator(const NameCollator&) = delete;
    NameCollator& operator=(const NameCollator&) = delete;

    // Negative, zero or positive, like strcmp. Both arguments are UTF-8.
    [[nodiscard]] int compare(std::string_view a, std::string_view b) const;

    // A byte string whose plain byte order equals `compare` order; worth it
    // when the same names are compared many times in one sort.
    [[nodiscard]] std::string sortKey(std::string_view text) const;

private:
    std::unique_ptr<icu::Collator> collator_;
};

}  // namespace kelvane
