// `kelvane-cli hash`: the SHA-256, MD5 and byte count of one file entry of an archive, as
// the app's preview inspector shows them.
#pragma once

#include "CliCommand.hpp"

namespace kelvane::cli {

[[nodiscard]] const CliCommand& hashCommand();

}  // namespace kelvane::cli
