#include "index/AsciiSortKeyEncoder.hpp"

#include <unicode/coleitr.h>
#include <unicode/coll.h>
#include <unicode/locid.h>
#include <unicode/tblcoll.h>
#include <unicode/ucol.h>
#include <unicode/uniset.h>
#include <unicode/usetiter.h>

#include <algorithm>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

namespace kelvane {
namespace {

constexpr char kFirstPrintable = 0x20;
constexpr char kLastPrintable = 0x7E;
// Longer digit runs fall back to the collator, which splits them its own way.
constexpr std::size_t kLongestDigitRun = 200;
// Marks the low bits of the second half of a long collation element.
constexpr std::int32_t kContinuationBits = 0xC0;

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// The same collator NameCollator makes for this locale, as a rule-based one
// whose weights and rules can be inspected.
std::unique_ptr<icu::RuleBasedCollator> inspectableCollator(std::string_view localeID) {
    UErrorCode status = U_ZERO_ERROR;
    const icu::Locale locale = icu::Locale::forLanguageTag(std::string(localeID), status);
    status = U_ZERO_ERROR;
    std::unique_ptr<icu::Collator> collator(icu::Collator::createInstance(locale, status));
    if (U_FAILURE(status) || !collator) {
        status = U_ZERO_ERROR;
        collator.reset(icu::Collator::createInstance(icu::Locale::getRoot(), status));
    }
    if (U_FAILURE(status) || !collator) return nullptr;
    status = U_ZERO_ERROR;
    collator->setAttribute(UCOL_NUMERIC_COLLATION, UCOL_ON, status);
    collator->setAttribute(UCOL_STRENGTH, UCOL_SECONDARY, status);
    if (U_FAILURE(status)) return nullptr;
    auto* ruleBased = dynamic_cast<icu::RuleBasedCollator*>(collator.get());
    if (ruleBased == nullptr) return nullptr;
    collator.release();
    return std::unique_ptr<icu::RuleBasedCollator>(ruleBased);
}

// One collation element per character, primary weight set, secondary weight
// the common one, and nothing that turns ASCII into more or fewer elements.
bool hasSimpleAsciiWeights(const icu::RuleBasedCollator& collator) {
    UErrorCode status = U_ZERO_ERROR;
    if (collator.getAttribute(UCOL_ALTERNATE_HANDLING, status) != UCOL_NON_IGNORABLE ||
        collator.getAttribute(UCOL_CASE_LEVEL, status) != UCOL_OFF || U_FAILURE(status)) {
        return false;
    }

    icu::UnicodeSet contractions;
    icu::UnicodeSet expansions;
    ucol_getContractionsAndExpansions(collator.toUCollator(), contractions.toUSet(),
                                      expansions.toUSet(), true, &status);
    if (U_FAILURE(status)) return false;
    if (expansions.containsSome(0x00, 0x7F)) return false;
    icu::UnicodeSetIterator contraction(contractions);
    while (contraction.next()) {
        if (!contraction.isString()) continue;
        const icu::UnicodeString& text = contraction.getString();
        bool allAscii = true;
        for (int32_t i = 0; i < text.length() && allAscii; ++i) allAscii = text.charAt(i) < 0x80;
        if (allAscii) return false;
    }

    std::int32_t commonSecondary = -1;
    for (char c = kFirstPrintable; c <= kLastPrintable; ++c) {
        if (isDigit(c)) continue;
        const icu::UnicodeString text(static_cast<char16_t>(c));
        const std::unique_ptr<icu::CollationElementIterator> elements(
            collator.createCollationElementIterator(text));
        if (!elements) return false;
        int count = 0;
        for (std::int32_t order = elements->next(status);
             order != icu::CollationElementIterator::NULLORDER && U_SUCCESS(status);
             order = elements->next(status)) {
            if ((order & kContinuationBits) == kContinuationBits) continue;
            if (icu::CollationElementIterator::isIgnorable(order)) return false;
            const std::int32_t secondary = icu::CollationElementIterator::secondaryOrder(order);
            if (commonSecondary < 0) commonSecondary = secondary;
            if (secondary != commonSecondary) return false;
            ++count;
        }
        if (U_FAILURE(status) || count != 1) return false;
    }
    return true;
}

}  // namespace

AsciiSortKeyEncoder::AsciiSortKeyEncoder(std::string_view localeID, const NameCollator& collator) {
    const std::unique_ptr<icu::RuleBasedCollator> inspectable = inspectableCollator(localeID);
    if (!inspectable || !hasSimpleAsciiWeights(*inspectable)) return;
    if (!readRanks(collator)) return;
    available_ = agreesWith(collator);
}

std::shared_ptr<const AsciiSortKeyEncoder> AsciiSortKeyEncoder::forLocale(
    std::string_view localeID) {
    static std::mutex lock;
    static auto* const made =
        new std::map<std::string, std::shared_ptr<const AsciiSortKeyEncoder>, std::less<>>();
    const std::lock_guard<std::mutex> guard(lock);
    const auto found = made->find(localeID);
    if (found != made->end()) return found->second;
    const NameCollator collator(localeID);
    auto encoder = std::make_shared<const AsciiSortKeyEncoder>(localeID, collator);
    made->emplace(std::string(localeID), encoder);
    return encoder;
}

bool AsciiSortKeyEncoder::readRanks(const NameCollator& collator) {
    // Single characters ordered by the collator; characters that compare
    // equal (letter case) share a rank. "0" stands for every digit run.
    std::vector<std::string> symbols;
    for (char c = kFirstPrintable; c <= kLastPrintable; ++c) {
        if (!isDigit(c)) symbols.emplace_back(1, c);
    }
    symbols.emplace_back("0");
    std::stable_sort(symbols.begin(), symbols.end(),
                     [&](const auto& a, const auto& b) { return collator.compare(a, b) < 0; });
    int rank = 0;
    for (std::size_t i = 0; i < symbols.size(); ++i) {
        if (i == 0 || collator.compare(symbols[i - 1], symbols[i]) != 0) ++rank;
        if (symbols[i] == "0") {
            digitRank_ = static_cast<std::uint8_t>(rank);
        } else {
            rank_[static_cast<unsigned char>(symbols[i][0])] = static_cast<std::uint8_t>(rank);
        }
    }
    // Every digit must stand where "0" stands against every other character.
    for (char digit = '1'; digit <= '9'; ++digit) {
        for (char c = kFirstPrintable; c <= kLastPrintable; ++c) {
            if (isDigit(c)) continue;
            const std::string single(1, c);
            if ((collator.compare(std::string(1, digit), single) < 0) !=
                (collator.compare("0", single) < 0)) {
                return false;
            }
        }
    }
    for (char c = kFirstPrintable; c <= kLastPrintable; ++c) {
        if (!isDigit(c) && rank_[static_cast<unsigned char>(c)] == digitRank_) return false;
    }
    return true;
}

bool AsciiSortKeyEncoder::agreesWith(const NameCollator& collator) const {
    // Names that tailorings, numeric collation and punctuation tend to treat
    // specially; every pair must order as the collator orders it.
    static constexpr std::string_view kProbes[] = {
        "a",     "A",      "b",          "z",         "Z",      "aa",     "ab",   "ae",   "ch",
        "cz",    "cs",     "dz",         "dzs",       "gy",     "i",      "I",    "y",    "ij",
        "ll",    "ly",     "ny",         "rr",        "sz",     "th",     "v",    "w",    "x",
        "1",     "01",     "001",        "2",         "9",      "10",     "100",  "0",    "00",
        "a1",    "a01",    "a2",         "a10",       "a1b",    "a01b",   "a1.5", "a1-2", "a b",
        "a-b",   "a_b",    "a.b",        "a,b",       "a'b",    "-a",     "_a",   ".a",   " a",
        "~",     "!",      "#",          "$",         "(",      "[",      "{",    "@",    "^",
        "`",     "|",      "+",          "=",         "<",      ">",      "file", "File", "file1",
        "file2", "File10", "file10.txt", "file2.txt", "file 2", "file-2",
    };
    std::string keyA;
    std::string keyB;
    for (const std::string_view a : kProbes) {
        keyA.clear();
        if (!appendKey(a, keyA)) return false;
        for (const std::string_view b : kProbes) {
            keyB.clear();
            if (!appendKey(b, keyB)) return false;
            const int byKeys = keyA.compare(keyB);
            const int byCollator = collator.compare(a, b);
            if ((byKeys < 0) != (byCollator < 0) || (byKeys > 0) != (byCollator > 0)) {
                return false;
            }
        }
    }
    return true;
}

bool AsciiSortKeyEncoder::appendKey(std::string_view name, std::string& key) const {
    const std::size_t start = key.size();
    for (std::size_t i = 0; i < name.size();) {
        const char c = name[i];
        if (isDigit(c)) {
            std::size_t end = i;
            while (end < name.size() && isDigit(name[end])) ++end;
            if (end - i > kLongestDigitRun) {
                key.resize(start);
                return false;
            }
            // Leading zeros do not count; a run of zeros is the number 0.
            std::size_t first = i;
            while (first + 1 < end && name[first] == '0') ++first;
            key.push_back(static_cast<char>(digitRank_));
            key.push_back(static_cast<char>(end - first));
            key.append(name.substr(first, end - first));
            i = end;
            continue;
        }
        const auto code = static_cast<unsigned char>(c);
        const std::uint8_t rank = code < rank_.size() ? rank_[code] : 0;
        if (rank == 0) {
            key.resize(start);
            return false;
        }
        key.push_back(static_cast<char>(rank));
        ++i;
    }
    return true;
}

}  // namespace kelvane
