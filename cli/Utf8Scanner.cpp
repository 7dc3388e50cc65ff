#include "Utf8Scanner.hpp"

namespace kelvane::cli {

Utf8Scanner::Step Utf8Scanner::next() {
    const auto byteAt = [this](std::size_t at) { return static_cast<unsigned char>(text_[at]); };
    const std::size_t start = position_;
    const unsigned char lead = byteAt(position_++);
    if (lead < 0x80) return {text_.substr(start, 1), lead, true};

    std::size_t length = 0;
    char32_t codePoint = 0;
    // Allowed range of the second byte, which rules out overlong forms and surrogates.
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        codePoint = lead & 0x1FU;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        codePoint = lead & 0x0FU;
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        codePoint = lead & 0x07U;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
    } else {
        return {text_.substr(start, 1), 0, false};
    }
    for (std::size_t i = 1; i < length; ++i) {
        if (position_ >= text_.size()) return {text_.substr(start, position_ - start), 0, false};
        const unsigned char byte = byteAt(position_);
        const unsigned char min = i == 1 ? low : 0x80;
        const unsigned char max = i == 1 ? high : 0xBF;
        if (byte < min || byte > max) return {text_.substr(start, position_ - start), 0, false};
        codePoint = (codePoint << 6) | (byte & 0x3FU);
        ++position_;
    }
    return {text_.substr(start, length), codePoint, true};
}

}  // namespace kelvane::cli
