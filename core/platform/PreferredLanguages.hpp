// The user's preferred interface languages as the environment states them,
// most preferred first, as BCP 47 style tags ("de-DE", "pt-BR").
#pragma once

#include <string>
#include <vector>

namespace kelvane::PreferredLanguages {

// `LANGUAGE` (a colon-separated list), then `LC_ALL`, `LC_MESSAGES` and `LANG`.
// Encoding and modifier suffixes are dropped and "_" becomes "-", so
// "de_DE.UTF-8" and "ca_ES@valencia" give "de-DE" and "ca-ES"; the "C" and
// "POSIX" locales, empty values and repeats are left out. Read on every call.
[[nodiscard]] std::vector<std::string> fromEnvironment();

}  // namespace kelvane::PreferredLanguages
