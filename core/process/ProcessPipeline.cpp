#include "process/ProcessPipeline.hpp"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <system_error>

#include "engine/ArchiveEngineError.hpp"
#include "platform/UnicodeText.hpp"
#include "process/BoundedPipeCollector.hpp"
#include "process/ChildProcess.hpp"
#include "process/FileDescriptor.hpp"
#include "process/LineSplitter.hpp"

namespace kelvane {
namespace {

constexpr std::size_t kReadBufferSize = 256 * 1024;
// Room for the producer to run ahead of the consumer, and for the consumer's listing to run
// ahead of the parser, without a context switch per 64 KiB.
constexpr int kPipeSize = 1024 * 1024;

void throwIfCancelled(const std::shared_ptr<ProcessCancellationToken>& cancellation) {
    if (cancellation && cancellation->isCancelled()) throw ArchiveEngineError::cancelled();
}

void makeNonBlocking(const FileDescriptor& fd) {
    const int flags = ::fcntl(fd.get(), F_GETFL);
    if (flags < 0 || ::fcntl(fd.get(), F_SETFL, flags | O_NONBLOCK) < 0) {
        throw std::system_error(errno, std::generic_category(), "cannot configure a pipe");
    }
}

// Reads what is there; closes the descriptor at end of file. True when bytes came.
template <class OnChunk>
bool readOnce(FileDescriptor& fd, std::vector<char>& buffer, OnChunk&& onChunk) {
    for (;;) {
        const ssize_t count = ::read(fd.get(), buffer.data(), buffer.size());
        if (count > 0) {
            onChunk(std::string_view(buffer.data(), static_cast<std::size_t>(count)));
            return true;
        }
        if (count < 0 && errno == EINTR) continue;
        if (count < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return false;
        fd.reset();
        return false;
    }
}

}  // namespace

PipelineResult ProcessPipeline::streamStdoutLines(
    const Tool& producer, const Tool& consumer,
    const std::shared_ptr<ProcessCancellationToken>& cancellation,
    const std::function<void(std::string_view)>& onLine,
    const std::function<void(std::string_view)>& onProducerStderr) {
    throwIfCancelled(cancellation);

    auto [linkRead, linkWrite] = FileDescriptor::createPipe();
    auto [producerErrRead, producerErrWrite] = FileDescriptor::createPipe();
    auto [outRead, outWrite] = FileDescriptor::createPipe();
    auto [errRead, errWrite] = FileDescriptor::createPipe();
    // Best effort: a refused size only costs speed.
    ::fcntl(linkWrite.get(), F_SETPIPE_SZ, kPipeSize);
    ::fcntl(outWrite.get(), F_SETPIPE_SZ, kPipeSize);

    // The consumer starts first, so a producer never writes into a pipe nobody reads.
    // Should the producer fail to start, the consumer's destructor kills and reaps it.
    ChildProcess consumerChild = ChildProcess::launch(
        {consumer.executable, consumer.arguments, std::nullopt, std::nullopt, outWrite.get(),
         errWrite.get(), linkRead.get()},
        cancellation);
    ChildProcess producerChild = ChildProcess::launch(
        {producer.executable, producer.arguments, std::nullopt, std::nullopt, linkWrite.get(),
         producerErrWrite.get(), -1},
        cancellation);
    // Each child holds its own copies now. Ours must go: the consumer sees end of file only
    // when no writing end is left open, and the producer dies of SIGPIPE when the consumer
    // stops reading early.
    linkRead.reset();
    linkWrite.reset();
    producerErrWrite.reset();
    outWrite.reset();
    errWrite.reset();
    makeNonBlocking(outRead);
    makeNonBlocking(errRead);
    makeNonBlocking(producerErrRead);

    BoundedPipeCollector consumerErr(false);
    BoundedPipeCollector producerErr(false);
    LineSplitter splitter;
    bool cancelled = false;
    const auto stillWanted = [&] {
        if (!cancelled && cancellation && cancellation->isCancelled()) cancelled = true;
        return !cancelled;
    };
    const auto handler = [&](std::string_view line) {
        if (stillWanted() && onLine) onLine(line);
    };
    const auto onStdout = [&](std::string_view chunk) {
        if (stillWanted()) splitter.feed(chunk, handler);
    };
    const auto onConsumerErr = [&](std::string_view chunk) { consumerErr.appendStderr(chunk); };
    const auto onProducerErr = [&](std::string_view chunk) {
        producerErr.appendStderr(chunk);
        if (onProducerStderr && !cancelled && UnicodeText::isValidUtf8(chunk)) {
            onProducerStderr(chunk);
        }
    };

    std::vector<char> buffer(kReadBufferSize);
    bool consumerExited = false;
    bool producerExited = false;
    const auto allExited = [&] { return consumerExited && producerExited; };
    while (!allExited() && (outRead.isOpen() || errRead.isOpen() || producerErrRead.isOpen())) {
        std::array<pollfd, 5> fds{};
        nfds_t count = 0;
        const auto watch = [&](int fd) -> pollfd* {
            if (fd < 0) return nullptr;
            fds[count] = pollfd{fd, POLLIN, 0};
            return &fds[count++];
        };
        const pollfd* outPoll = watch(outRead.get());
        const pollfd* errPoll = watch(errRead.get());
        const pollfd* producerErrPoll = watch(producerErrRead.get());
        const pollfd* consumerExit = consumerExited ? nullptr : watch(consumerChild.exitNotifier());
        const pollfd* producerExit = producerExited ? nullptr : watch(producerChild.exitNotifier());
        const bool notifiers = consumerChild.exitNotifier() >= 0 && producerChild.exitNotifier() >= 0;

        const int ready = ::poll(fds.data(), count, notifiers ? -1 : 100);
        if (ready < 0) {
            if (errno == EINTR) continue;
            throw std::system_error(errno, std::generic_category(), "cannot wait for a tool");
        }
        if (outPoll != nullptr && outPoll->revents != 0) readOnce(outRead, buffer, onStdout);
        if (errPoll != nullptr && errPoll->revents != 0) readOnce(errRead, buffer, onConsumerErr);
        if (producerErrPoll != nullptr && producerErrPoll->revents != 0) {
            readOnce(producerErrRead, buffer, onProducerErr);
        }
        if (notifiers) {
            consumerExited = consumerExited || (consumerExit != nullptr && consumerExit->revents != 0);
            producerExited = producerExited || (producerExit != nullptr && producerExit->revents != 0);
        } else if (ready == 0) {
            consumerExited = consumerChild.hasExited();
            producerExited = producerChild.hasExited();
        }
    }
    // What the tools wrote before exiting is read to the end; pipes held open by something
    // they left behind are not waited for.
    if (allExited()) {
        while (outRead.isOpen() && readOnce(outRead, buffer, onStdout)) {
        }
        while (errRead.isOpen() && readOnce(errRead, buffer, onConsumerErr)) {
        }
        while (producerErrRead.isOpen() && readOnce(producerErrRead, buffer, onProducerErr)) {
        }
    }
    if (stillWanted()) splitter.finish(handler);
    const int consumerExit = consumerChild.waitForExit();
    const int producerExit = producerChild.waitForExit();

    throwIfCancelled(cancellation);
    return PipelineResult{
        StreamResult{producerExit, UnicodeText::repairedUtf8(producerErr.takeStderr())},
        StreamResult{consumerExit, UnicodeText::repairedUtf8(consumerErr.takeStderr())}};
}

}  // namespace kelvane
