// `kelvane-cli test`: the archive's integrity test; prints the summary, exits 0 when it
// passed and 1 when it did not.
#pragma once

#include "CliCommand.hpp"

namespace kelvane::cli {

[[nodiscard]] const CliCommand& testCommand();

}  // namespace kelvane::cli
