// `kelvane-cli add`: puts files and folders into an existing ZIP, 7Z or TAR archive.
#pragma once

#include "CliCommand.hpp"

namespace kelvane::cli {

[[nodiscard]] const CliCommand& addCommand();

}  // namespace kelvane::cli
