// `kelvane-cli convert`: re-packs an archive into a new ZIP, 7Z, TAR, TAR.GZ or TAR.XZ
// archive and prints the path of what it wrote.
#pragma once

#include "CliCommand.hpp"

namespace kelvane::cli {

[[nodiscard]] const CliCommand& convertCommand();

}  // namespace kelvane::cli
