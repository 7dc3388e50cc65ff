// Runs the built kelvane-cli as a real child process with its output in files, so tests
// see exactly what a user would: standard output, standard error and the exit status.
#pragma once

#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <map>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "core/engine/ListingTestSupport.hpp"
#include "support/TemporaryFolder.hpp"

extern char** environ;

namespace kelvane::testing {

class CliProcess final {
public:
    struct Outcome {
        int exitStatus = -1;  // the exit code, or 128 + the signal that ended it
        std::string out;
        std::string err;
    };

    // Starts kelvane-cli with `arguments`, the test's environment plus `environment`
    // (a value of "" removes the variable), standard input on /dev/null.
    explicit CliProcess(const std::vector<std::string>& arguments,
                        const std::map<std::string, std::string>& environment = {}) {
        std::vector<std::string> argumentTexts = commandLine(arguments);
        std::vector<std::string> environmentTexts = environmentWith(environment);

        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 1, outPath().c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0600);
        posix_spawn_file_actions_addopen(&actions, 2, errPath().c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int result =
            ::posix_spawn(&pid_, KELVANE_CLI_PATH, &actions, nullptr,
                          pointers(argumentTexts).data(), pointers(environmentTexts).data());
        posix_spawn_file_actions_destroy(&actions);
        if (result != 0) {
            ADD_FAILURE() << "kelvane-cli did not start: " << result;
            pid_ = -1;
        }
    }
    ~CliProcess() {
        if (pid_ > 0 && !waited_) {
            ::kill(pid_, SIGKILL);
            (void)wait();
        }
    }
    CliProcess(const CliProcess&) = delete;
    CliProcess& operator=(const CliProcess&) = delete;

    [[nodiscard]] pid_t pid() const { return pid_; }

    // True once the program has exited (it is not reaped by asking).
    [[nodiscard]] bool hasExited() const {
        siginfo_t info{};
        return ::waitid(P_PID, static_cast<id_t>(pid_), &info, WEXITED | WNOHANG | WNOWAIT) == 0 &&
               info.si_pid == pid_;
    }

    Outcome wait() {
        Outcome outcome;
        int status = 0;
        while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
        }
        waited_ = true;
        if (WIFEXITED(status)) outcome.exitStatus = WEXITSTATUS(status);
        if (WIFSIGNALED(status)) outcome.exitStatus = 128 + WTERMSIG(status);
        outcome.out = readFile(outPath());
        outcome.err = readFile(errPath());
        return outcome;
    }

    // Runs to the end.
    static Outcome run(const std::vector<std::string>& arguments,
                       const std::map<std::string, std::string>& environment = {}) {
        CliProcess process(arguments, environment);
        return process.wait();
    }

    // Waits until the program has started a child named `name` (a tool it drives) or has
    // exited; returns the pids of such children, none if it exited first.
    [[nodiscard]] std::vector<pid_t> childrenNamedOnceStarted(std::string_view name) const {
        std::vector<pid_t> children;
        while (children.empty() && !hasExited()) {
            children = childProcessesNamed(pid_, name);
            if (children.empty()) std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return children;
    }

    // kelvane-cli's path followed by `arguments`.
    [[nodiscard]] static std::vector<std::string> commandLine(
        const std::vector<std::string>& arguments) {
        std::vector<std::string> texts{KELVANE_CLI_PATH};
        texts.insert(texts.end(), arguments.begin(), arguments.end());
        return texts;
    }

    // The test's environment as NAME=value texts, with `environment` set over it (a value
    // of "" removes the variable).
    [[nodiscard]] static std::vector<std::string> environmentWith(
        const std::map<std::string, std::string>& environment) {
        std::vector<std::string> texts;
        for (char** variable = environ; *variable != nullptr; ++variable) {
            const std::string text(*variable);
            if (!environment.contains(text.substr(0, text.find('=')))) texts.push_back(text);
        }
        for (const auto& [name, value] : environment) {
            if (!value.empty()) texts.push_back(name + "=" + value);
        }
        return texts;
    }

    // The null-terminated pointer array exec wants; valid while `texts` lives unchanged.
    [[nodiscard]] static std::vector<char*> pointers(std::vector<std::string>& texts) {
        std::vector<char*> result;
        for (std::string& text : texts) result.push_back(text.data());
        result.push_back(nullptr);
        return result;
    }

private:
    [[nodiscard]] std::filesystem::path outPath() const { return folder_.path() / "stdout"; }
    [[nodiscard]] std::filesystem::path errPath() const { return folder_.path() / "stderr"; }

    TemporaryFolder folder_;
    pid_t pid_ = -1;
    bool waited_ = false;
};

}  // namespace kelvane::testing
