#include "process/ChildProcess.hpp"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <system_error>
#include <utility>

namespace kelvane {
namespace {

class SpawnFileActions final {
public:
    SpawnFileActions() { check(::posix_spawn_file_actions_init(&actions_)); }
    ~SpawnFileActions() { ::posix_spawn_file_actions_destroy(&actions_); }
    SpawnFileActions(const SpawnFileActions&) = delete;
    SpawnFileActions& operator=(const SpawnFileActions&) = delete;

    posix_spawn_file_actions_t* get() { return &actions_; }

    static void check(int error) {
        if (error != 0) {
            throw std::system_error(error, std::generic_category(), "cannot prepare a tool launch");
        }
    }

private:
    posix_spawn_file_actions_t actions_{};
};

class SpawnAttributes final {
public:
    SpawnAttributes() { SpawnFileActions::check(::posix_spawnattr_init(&attributes_)); }
    ~SpawnAttributes() { ::posix_spawnattr_destroy(&attributes_); }
    SpawnAttributes(const SpawnAttributes&) = delete;
    SpawnAttributes& operator=(const SpawnAttributes&) = delete;

    posix_spawnattr_t* get() { return &attributes_; }

private:
    posix_spawnattr_t attributes_{};
};

// The child's environment: the program's own, with the given entries replacing or
// joining the inherited ones.
std::vector<std::string> mergedEnvironment(const std::map<std::string, std::string>& additions) {
    std::vector<std::string> merged;
    for (char** entry = environ; entry != nullptr && *entry != nullptr; ++entry) {
        const std::string_view text(*entry);
        const auto equals = text.find('=');
        const std::string name(text.substr(0, equals));
        if (!additions.contains(name)) merged.emplace_back(text);
    }
    for (const auto& [name, value] : additions) {
        merged.push_back(name + "=" + value);
    }
    return merged;
}

std::vector<char*> nullTerminated(std::vector<std::string>& texts) {
    std::vector<char*> pointers;
    pointers.reserve(texts.size() + 1);
    for (std::string& text : texts) pointers.push_back(text.data());
    pointers.push_back(nullptr);
    return pointers;
}

int terminationStatus(const siginfo_t& info) {
    switch (info.si_code) {
        case CLD_EXITED:
            return info.si_status;
        case CLD_KILLED:
        case CLD_DUMPED:
            return 128 + info.si_status;
        default:
            return -1;
    }
}

}  // namespace

ChildProcess ChildProcess::launch(const LaunchRequest& request,
                                  std::shared_ptr<ProcessCancellationToken> token) {
    SpawnFileActions actions;
    SpawnFileActions::check(
        ::posix_spawn_file_actions_adddup2(actions.get(), request.stdoutFd, STDOUT_FILENO));
    SpawnFileActions::check(
        ::posix_spawn_file_actions_adddup2(actions.get(), request.stderrFd, STDERR_FILENO));
    if (request.stdinFd >= 0) {
        SpawnFileActions::check(
            ::posix_spawn_file_actions_adddup2(actions.get(), request.stdinFd, STDIN_FILENO));
    } else {
        SpawnFileActions::check(::posix_spawn_file_actions_addopen(actions.get(), STDIN_FILENO,
                                                                   "/dev/null", O_RDONLY, 0));
    }
    // Libraries may hold descriptors opened without close-on-exec; none may reach a tool.
    SpawnFileActions::check(::posix_spawn_file_actions_addclosefrom_np(actions.get(), 3));
    if (request.workingDirectory) {
        SpawnFileActions::check(::posix_spawn_file_actions_addchdir_np(
            actions.get(), request.workingDirectory->c_str()));
    }

    // A tool inherits ignored signals and the blocked mask across exec. A program that
    // ignores SIGPIPE, or a worker thread that blocks SIGTERM, must not leave a tool
    // unable to die on a closed pipe or on cancellation.
    SpawnAttributes attributes;
    sigset_t emptyMask;
    sigemptyset(&emptyMask);
    sigset_t defaults;
    sigemptyset(&defaults);
    for (const int signal : {SIGPIPE, SIGTERM, SIGINT, SIGHUP, SIGQUIT, SIGCHLD, SIGXFSZ}) {
        sigaddset(&defaults, signal);
    }
    SpawnFileActions::check(::posix_spawnattr_setsigmask(attributes.get(), &emptyMask));
    SpawnFileActions::check(::posix_spawnattr_setsigdefault(attributes.get(), &defaults));
    SpawnFileActions::check(::posix_spawnattr_setflags(
        attributes.get(), static_cast<short>(POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF)));

    std::vector<std::string> argumentTexts;
    argumentTexts.reserve(request.arguments.size() + 1);
    argumentTexts.push_back(request.executable.string());
    argumentTexts.insert(argumentTexts.end(), request.arguments.begin(), request.arguments.end());
    std::vector<char*> argv = nullTerminated(argumentTexts);

    std::vector<std::string> environmentTexts;
    std::vector<char*> envp;
    if (request.environment) {
        environmentTexts = mergedEnvironment(*request.environment);
        envp = nullTerminated(environmentTexts);
    }

    pid_t pid = -1;
    const int error =
        ::posix_spawn(&pid, request.executable.c_str(), actions.get(), attributes.get(),
                      argv.data(), request.environment ? envp.data() : environ);
    if (error != 0) {
        throw std::system_error(error, std::generic_category(),
                                "cannot start " + request.executable.string());
    }
    return ChildProcess(pid, std::move(token));
}

ChildProcess::ChildProcess(pid_t pid, std::shared_ptr<ProcessCancellationToken> token)
    : pid_(pid), token_(std::move(token)) {
    // Works on a child that already exited, as long as it is not reaped. Called through
    // syscall(): the C library's declaration lacks C linkage in this release.
    exitNotifier_ = FileDescriptor(static_cast<int>(::syscall(SYS_pidfd_open, pid_, 0)));
    if (token_) token_->attach(pid_);
}

ChildProcess::ChildProcess(ChildProcess&& other) noexcept
    : pid_(std::exchange(other.pid_, -1)),
      reaped_(std::exchange(other.reaped_, true)),
      token_(std::move(other.token_)),
      exitNotifier_(std::move(other.exitNotifier_)) {}

ChildProcess::~ChildProcess() {
    if (pid_ < 0 || reaped_) return;
    if (token_) token_->detach(pid_);
    ::kill(pid_, SIGKILL);
    while (::waitpid(pid_, nullptr, 0) < 0 && errno == EINTR) {
    }
}

bool ChildProcess::hasExited() const {
    siginfo_t info{};
    if (::waitid(P_PID, static_cast<id_t>(pid_), &info, WEXITED | WNOHANG | WNOWAIT) != 0) {
        return errno != EINTR;
    }
    return info.si_pid != 0;
}

int ChildProcess::waitForExit() {
    siginfo_t info{};
    bool statusKnown = true;
    // Wait without reaping first: until the detach below, the pid cannot be reused, so a
    // concurrent cancel() can only ever signal this child or its zombie.
    while (::waitid(P_PID, static_cast<id_t>(pid_), &info, WEXITED | WNOWAIT) != 0) {
        if (errno != EINTR) {
            statusKnown = false;
            break;
        }
    }
    if (token_) token_->detach(pid_);
    if (statusKnown) {
        siginfo_t reaped{};
        while (::waitid(P_PID, static_cast<id_t>(pid_), &reaped, WEXITED) != 0 && errno == EINTR) {
        }
    }
    reaped_ = true;
    exitNotifier_.reset();
    return statusKnown ? terminationStatus(info) : -1;
}

}  // namespace kelvane
