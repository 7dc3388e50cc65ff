// `kelvane-cli delete`: removes entries, with everything below the folders among them, from
// a ZIP, 7Z or TAR archive.
#pragma once

#include "CliCommand.hpp"

namespace kelvane::cli {

[[nodiscard]] const CliCommand& deleteCommand();

}  // namespace kelvane::cli
