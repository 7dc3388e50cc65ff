// kelvane-cli run to the end with standard error on a pseudo-terminal, for tests of what it
// draws there (the progress line) that a file would not show.
#pragma once

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "CliProcess.hpp"
#include "support/TemporaryFolder.hpp"

namespace kelvane::testing {

struct TerminalRun {
    int exitStatus = -1;  // the exit code, or 128 + the signal that ended it
    std::string out;
    std::string terminal;  // everything the terminal received

    // Runs kelvane-cli with `arguments` in `folder`, the test's environment plus
    // `environment`, standard input on /dev/null and standard output in a file.
    static TerminalRun run(const std::vector<std::string>& arguments,
                           const std::filesystem::path& folder,
                           const std::map<std::string, std::string>& environment) {
        TerminalRun result;
        const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
        EXPECT_GE(master, 0);
        EXPECT_EQ(::grantpt(master), 0);
        EXPECT_EQ(::unlockpt(master), 0);
        const std::string terminal = ::ptsname(master);
        const TemporaryFolder files;
        const std::filesystem::path outPath = files.path() / "stdout";

        std::vector<std::string> argumentTexts = CliProcess::commandLine(arguments);
        std::vector<std::string> environmentTexts = CliProcess::environmentWith(environment);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                         0600);
        posix_spawn_file_actions_addopen(&actions, 2, terminal.c_str(), O_RDWR | O_NOCTTY, 0);
        pid_t pid = -1;
        EXPECT_EQ(::posix_spawn(&pid, KELVANE_CLI_PATH, &actions, nullptr,
                                CliProcess::pointers(argumentTexts).data(),
                                CliProcess::pointers(environmentTexts).data()),
                  0);
        posix_spawn_file_actions_destroy(&actions);

        // Read until the program has exited and the terminal has nothing more to give.
        char buffer[4096];
        bool exited = false;
        for (;;) {
            pollfd watch{master, POLLIN, 0};
            if (::poll(&watch, 1, exited ? 0 : 50) > 0 && (watch.revents & POLLIN) != 0) {
                const ssize_t count = ::read(master, buffer, sizeof buffer);
                if (count > 0) {
                    result.terminal.append(buffer, static_cast<std::size_t>(count));
                    continue;
                }
            }
            if (exited) break;
            int status = 0;
            if (::waitpid(pid, &status, WNOHANG) == pid) {
                exited = true;
                result.exitStatus =
                    WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            }
        }
        ::close(master);
        result.out = readFile(outPath);
        return result;
    }
};

}  // namespace kelvane::testing
