#include "process/ProcessRunner.hpp"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <memory>
#include <system_error>

#include "engine/ArchiveEngineError.hpp"
#include "platform/UnicodeText.hpp"
#include "process/BoundedPipeCollector.hpp"
#include "process/ChildProcess.hpp"
#include "process/FileDescriptor.hpp"
#include "process/LineSplitter.hpp"

namespace kelvane {
namespace {

// Large reads keep the per-read cost far below the cost of producing the bytes.
constexpr std::size_t kReadBufferSize = 256 * 1024;
// A bigger pipe lets a fast tool run ahead of the reader without a context switch per 64 KiB.
constexpr int kStreamingPipeSize = 1024 * 1024;
// Used only when the kernel gives no exit descriptor: how often to ask whether the tool
// is gone while something it left behind still holds its pipes open.
constexpr int kExitCheckIntervalMs = 100;

void throwIfCancelled(const std::shared_ptr<ProcessCancellationToken>& cancellation) {
    if (cancellation && cancellation->isCancelled()) throw ArchiveEngineError::cancelled();
}

void makeNonBlocking(const FileDescriptor& fd) {
    const int flags = ::fcntl(fd.get(), F_GETFL);
    if (flags < 0 || ::fcntl(fd.get(), F_SETFL, flags | O_NONBLOCK) < 0) {
        throw std::system_error(errno, std::generic_category(), "cannot configure a pipe");
    }
}

enum class ReadOutcome { data, drained, endOfFile };

template <class OnChunk>
ReadOutcome readOnce(FileDescriptor& fd, std::vector<char>& buffer, OnChunk& onChunk) {
    for (;;) {
        const ssize_t count = ::read(fd.get(), buffer.data(), buffer.size());
        if (count > 0) {
            onChunk(std::string_view(buffer.data(), static_cast<std::size_t>(count)));
            return ReadOutcome::data;
        }
        if (count < 0 && errno == EINTR) continue;
        if (count < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return ReadOutcome::drained;
        // End of file, or a read error that no retry would mend.
        fd.reset();
        return ReadOutcome::endOfFile;
    }
}

// Reads both pipes as data arrives until both reach end of file or the child exits. After
// the child exits, what it wrote is read to the end; a pipe still held open by processes
// the tool left behind is not waited for.
template <class OnStdout, class OnStderr>
void drainUntilExit(const ChildProcess& child, FileDescriptor& out, FileDescriptor& err,
                    OnStdout& onStdout, OnStderr& onStderr) {
    std::vector<char> buffer(kReadBufferSize);
    bool exited = false;
    while (!exited && (out.isOpen() || err.isOpen())) {
        std::array<pollfd, 3> fds{};
        nfds_t count = 0;
        const auto watch = [&](int fd) -> pollfd* {
            if (fd < 0) return nullptr;
            fds[count] = pollfd{fd, POLLIN, 0};
            return &fds[count++];
        };
        const pollfd* outPoll = watch(out.get());
        const pollfd* errPoll = watch(err.get());
        const pollfd* exitPoll = watch(child.exitNotifier());
        const int timeout = child.exitNotifier() >= 0 ? -1 : kExitCheckIntervalMs;

        const int ready = ::poll(fds.data(), count, timeout);
        if (ready < 0) {
            if (errno == EINTR) continue;
            throw std::system_error(errno, std::generic_category(), "cannot wait for a tool");
        }
        if (outPoll != nullptr && outPoll->revents != 0) readOnce(out, buffer, onStdout);
        if (errPoll != nullptr && errPoll->revents != 0) readOnce(err, buffer, onStderr);
        exited = exitPoll != nullptr ? exitPoll->revents != 0 : (ready == 0 && child.hasExited());
    }
    if (!exited) return;
    while (out.isOpen() && readOnce(out, buffer, onStdout) == ReadOutcome::data) {
    }
    while (err.isOpen() && readOnce(err, buffer, onStderr) == ReadOutcome::data) {
    }
}

struct ToolPipes {
    FileDescriptor outRead;
    FileDescriptor outWrite;
    FileDescriptor errRead;
    FileDescriptor errWrite;

    static ToolPipes create() {
        auto [outRead, outWrite] = FileDescriptor::createPipe();
        auto [errRead, errWrite] = FileDescriptor::createPipe();
        return {std::move(outRead), std::move(outWrite), std::move(errRead), std::move(errWrite)};
    }

    // After the launch the child holds its own copies; ours must go so end of file can come.
    void closeWriteEnds() {
        outWrite.reset();
        errWrite.reset();
        makeNonBlocking(outRead);
        makeNonBlocking(errRead);
    }
};

}  // namespace

ProcessResult ProcessRunner::run(
    const std::filesystem::path& executable, const std::vector<std::string>& arguments,
    const std::optional<std::filesystem::path>& workingDirectory,
    const std::optional<std::map<std::string, std::string>>& environment, bool captureFullStdout,
    const std::shared_ptr<ProcessCancellationToken>& cancellation,
    const std::function<void(std::string_view)>& onOutputChunk) {
    throwIfCancelled(cancellation);

    ToolPipes pipes = ToolPipes::create();
    BoundedPipeCollector collector(captureFullStdout);
    ChildProcess child = ChildProcess::launch({executable, arguments, workingDirectory, environment,
                                               pipes.outWrite.get(), pipes.errWrite.get()},
                                              cancellation);
    pipes.closeWriteEnds();

    const auto report = [&onOutputChunk](std::string_view chunk) {
        if (onOutputChunk && UnicodeText::isValidUtf8(chunk)) onOutputChunk(chunk);
    };
    auto onStdout = [&](std::string_view chunk) {
        collector.appendStdout(chunk);
        report(chunk);
    };
    auto onStderr = [&](std::string_view chunk) {
        collector.appendStderr(chunk);
        report(chunk);
    };
    drainUntilExit(child, pipes.outRead, pipes.errRead, onStdout, onStderr);
    const int exitCode = child.waitForExit();

    throwIfCancelled(cancellation);
    return ProcessResult{exitCode, collector.takeStdout(), collector.takeStderr()};
}

StreamResult ProcessRunner::streamStdoutLines(
    const std::filesystem::path& executable, const std::vector<std::string>& arguments,
    const std::shared_ptr<ProcessCancellationToken>& cancellation,
    const std::function<void(std::string_view)>& onLine) {
    throwIfCancelled(cancellation);

    ToolPipes pipes = ToolPipes::create();
    // Best effort: a refused size only costs speed.
    ::fcntl(pipes.outWrite.get(), F_SETPIPE_SZ, kStreamingPipeSize);
    BoundedPipeCollector collector(false);
    ChildProcess child = ChildProcess::launch({executable, arguments, std::nullopt, std::nullopt,
                                               pipes.outWrite.get(), pipes.errWrite.get()},
                                              cancellation);
    pipes.closeWriteEnds();

    LineSplitter splitter;
    bool cancelled = false;
    // Asked before every line, so no line reaches the caller once it has cancelled, even
    // from within the line callback. Once cancelled, output is still read, and thrown
    // away, so a tool slow to die never blocks on a full pipe.
    const auto stillWanted = [&] {
        if (!cancelled && cancellation && cancellation->isCancelled()) cancelled = true;
        return !cancelled;
    };
    const auto handler = [&](std::string_view line) {
        if (stillWanted() && onLine) onLine(line);
    };
    auto onStdout = [&](std::string_view chunk) {
        if (stillWanted()) splitter.feed(chunk, handler);
    };
    auto onStderr = [&](std::string_view chunk) { collector.appendStderr(chunk); };
    drainUntilExit(child, pipes.outRead, pipes.errRead, onStdout, onStderr);
    if (stillWanted()) splitter.finish(handler);
    const int exitCode = child.waitForExit();

    throwIfCancelled(cancellation);
    return StreamResult{exitCode, UnicodeText::repairedUtf8(collector.takeStderr())};
}

}  // namespace kelvane
