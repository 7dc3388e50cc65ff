// Sizes, percentages, dates and paths read left to right in every language. In a
// right-to-left window their characters would otherwise be ordered by the paragraph's
// direction: "206 KB" shows as "KB 206", "-41%" as "41%-", a path ends in its first slash.
#pragma once

#include <QString>

namespace kelvane::app::LeftToRightText {

// `text` as a left-to-right isolate (U+2066 … U+2069) when the application lays out right
// to left; unchanged otherwise, so left-to-right windows and copied texts carry no marks.
[[nodiscard]] QString isolated(const QString& text);

}  // namespace kelvane::app::LeftToRightText
