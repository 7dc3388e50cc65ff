// `kelvane-cli extract`: the whole archive or the named entries into a folder, with the
// overwrite policy and smart subfolder of the app's extract sheet.
#pragma once

#include "CliCommand.hpp"

namespace kelvane::cli {

[[nodiscard]] const CliCommand& extractCommand();

}  // namespace kelvane::cli
