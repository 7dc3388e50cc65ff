// `kelvane-cli browse`: the entry ids a folder view shows, with the app's search, filter
// and sort, so the directory index can be checked from outside.
#pragma once

#include "CliCommand.hpp"

namespace kelvane::cli {

[[nodiscard]] const CliCommand& browseCommand();

}  // namespace kelvane::cli
