// `kelvane-cli create`: packs files and folders into a new ZIP, 7Z, TAR, TAR.GZ or TAR.XZ
// archive and prints the path of what it wrote.
#pragma once

#include "CliCommand.hpp"

namespace kelvane::cli {

[[nodiscard]] const CliCommand& createCommand();

}  // namespace kelvane::cli
