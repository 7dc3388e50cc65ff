// The exit statuses of kelvane-cli, the same for every command.
#pragma once

namespace kelvane::cli {

enum class ExitCode : int {
    success = 0,
    failed = 1,       // the operation failed (the archive is missing or damaged, a tool failed)
    usage = 2,        // the command line is wrong
    password = 3,     // a password is needed, or the one given is wrong
    toolMissing = 4,  // an archiver the operation needs is not installed
    cancelled = 130,  // interrupted (Ctrl-C), as shells report a SIGINT death
};

}  // namespace kelvane::cli
