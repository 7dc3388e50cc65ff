#include "platform/NameCollator.hpp"

#include <unicode/coll.h>
#include <unicode/locid.h>
#include <unicode/unistr.h>

#include <string>

namespace kelvane {

NameCollator::NameCollator(std::string_view localeID) {
    UErrorCode status = U_ZERO_ERROR;
    const icu::Locale locale = icu::Locale::forLanguageTag(std::string(localeID), status);
    status = U_ZERO_ERROR;
    collator_.reset(icu::Collator::createInstance(locale, status));
    if (U_FAILURE(status) || !collator_) {
        status = U_ZERO_ERROR;
        collator_.reset(icu::Collator::createInstance(icu::Locale::getRoot(), status));
    }
    if (collator_) {
        status = U_ZERO_ERROR;
        collator_->setAttribute(UCOL_NUMERIC_COLLATION, UCOL_ON, status);
        status = U_ZERO_ERROR;
        collator_->setAttribute(UCOL_STRENGTH, UCOL_SECONDARY, status);
    }
}

NameCollator::~NameCollator() = default;
NameCollator::NameCollator(NameCollator&&) noexcept = default;
NameCollator& NameCollator::operator=(NameCollator&&) noexcept = default;

int NameCollator::compare(std::string_view a, std::string_view b) const {
    if (!collator_) return a.compare(b);
    UErrorCode status = U_ZERO_ERROR;
    const UCollationResult result = collator_->compareUTF8(
        icu::StringPiece(a.data(), static_cast<int32_t>(a.size())),
        icu::StringPiece(b.data(), static_cast<int32_t>(b.size())), status);
    if (U_FAILURE(status)) return a.compare(b);
    return static_cast<int>(result);
}

std::string NameCollator::sortKey(std::string_view text) const {
    if (!collator_) return std::string(text);
    const icu::UnicodeString unicode = icu::UnicodeString::fromUTF8(
        icu::StringPiece(text.data(), static_cast<int32_t>(text.size())));
    std::string key(64, '\0');
    int32_t length = collator_->getSortKey(unicode, reinterpret_cast<uint8_t*>(key.data()),
                                           static_cast<int32_t>(key.size()));
    if (length > static_cast<int32_t>(key.size())) {
        key.resize(static_cast<size_t>(length));
        length = collator_->getSortKey(unicode, reinterpret_cast<uint8_t*>(key.data()), length);
    }
    // The key ends with a zero byte that takes no part in ordering.
    key.resize(length > 0 ? static_cast<size_t>(length - 1) : 0);
    return key;
}

}  // namespace kelvane
