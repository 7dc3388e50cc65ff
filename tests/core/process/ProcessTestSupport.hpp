// Helpers of the process tests: stand-in tools written as shell scripts, and checks that
// a process is gone and that the test program has no child left.
#pragma once

#include <signal.h>
#include <sys/wait.h>

#include <cerrno>
#include <filesystem>
#include <string>
#include <string_view>

#include "support/TemporaryFolder.hpp"

namespace kelvane::testing {

// An executable /bin/sh script named `name` in `folder`.
inline std::filesystem::path writeTool(const TemporaryFolder& folder, const std::string& name,
                                       std::string_view body) {
    return folder.write(name, "#!/bin/sh\n" + std::string(body) + "\n", true);
}

// True when no process with this pid exists any more (not even as a zombie).
inline bool isProcessGone(pid_t pid) {
    return ::kill(pid, 0) != 0 && errno == ESRCH;
}

// True when the test program has no child process, running or unreaped.
inline bool hasNoChildProcess() {
    siginfo_t info{};
    return ::waitid(P_ALL, 0, &info, WEXITED | WNOHANG | WNOWAIT) != 0 && errno == ECHILD;
}

// Number of descriptors the test program has open.
inline std::size_t openDescriptorCount() {
    std::size_t count = 0;
    for ([[maybe_unused]] const auto& entry :
         std::filesystem::directory_iterator("/proc/self/fd")) {
        ++count;
    }
    return count;
}

}  // namespace kelvane::testing
