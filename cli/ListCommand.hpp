// `kelvane-cli list`: every entry of an archive in listing order, as text or JSON, with
// optional load statistics.
#pragma once

#include "CliCommand.hpp"

namespace kelvane::cli {

[[nodiscard]] const CliCommand& listCommand();

}  // namespace kelvane::cli
