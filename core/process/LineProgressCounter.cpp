#include "process/LineProgressCounter.hpp"

#include <algorithm>
#include <string>

#include "process/ProgressText.hpp"

namespace kelvane {

LineProgressCounter::LineProgressCounter(std::int64_t total)
    : total_(std::max<std::int64_t>(total, 1)) {}

std::int64_t LineProgressCounter::completed() const {
    std::lock_guard guard(lock_);
    return completed_;
}

std::optional<ProgressReport> LineProgressCounter::consume(std::string_view chunk) {
    std::int64_t pieces = 0;
    std::string_view lastPiece;
    for (const std::string_view piece : ProgressText::splitAtNewlines(chunk)) {
        const std::string_view trimmed = ProgressText::trimmedSpacesAndTabs(piece);
        if (trimmed.empty()) continue;
        ++pieces;
        lastPiece = trimmed;
    }
    if (pieces == 0) return std::nullopt;

    std::int64_t completed = 0;
    {
        std::lock_guard guard(lock_);
        completed_ = std::min(completed_ + pieces, total_);
        completed = completed_;
    }
    const double fraction =
        std::min(static_cast<double>(completed) / static_cast<double>(total_), 0.99);
    return ProgressReport{fraction, std::string(lastPiece)};
}

}  // namespace kelvane
