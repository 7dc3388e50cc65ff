// Walks UTF-8 text one code point at a time, telling well-formed sequences from
// ill-formed bytes, so output writers can escape or repair what they print.
#pragma once

#include <cstddef>
#include <string_view>

namespace kelvane::cli {

class Utf8Scanner final {
public:
    explicit Utf8Scanner(std::string_view text) : text_(text) {}

    struct Step {
        std::string_view bytes;  // the sequence, or the maximal ill-formed subpart
        char32_t codePoint = 0;  // meaningful only when `valid`
        bool valid = false;
    };

    [[nodiscard]] bool atEnd() const { return position_ >= text_.size(); }
    // The next code point or ill-formed subpart (which later becomes one U+FFFD).
    [[nodiscard]] Step next();

private:
    std::string_view text_;
    std::size_t position_ = 0;
};

}  // namespace kelvane::cli
