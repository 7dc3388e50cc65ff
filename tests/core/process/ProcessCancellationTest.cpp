// Cancelling a run through its token: before the launch, while the tool runs (from another
// thread and from the run's own callbacks), after the tool has finished, and on a token
// that was cancelled before a child was attached to it.
#include <gtest/gtest.h>

#include <filesystem>
#include <future>
#include <string>
#include <thread>
#include <vector>

#include "core/process/ProcessTestSupport.hpp"
#include "engine/ArchiveEngineError.hpp"
#include "process/ChildProcess.hpp"
#include "process/FileDescriptor.hpp"
#include "process/ProcessRunner.hpp"
#include "support/TemporaryFolder.hpp"

namespace kelvane {
namespace {

namespace fs = std::filesystem;

template <class Call>
void expectCancelled(Call&& call) {
    try {
        call();
        ADD_FAILURE() << "the run was not reported cancelled";
    } catch (const ArchiveEngineError& error) {
        EXPECT_EQ(error, ArchiveEngineError::cancelled());
    }
}

class ProcessCancellationTest : public ::testing::Test {
protected:
    void TearDown() override { EXPECT_TRUE(testing::hasNoChildProcess()); }

    testing::TemporaryFolder folder_;
    std::shared_ptr<ProcessCancellationToken> token_ = std::make_shared<ProcessCancellationToken>();
};

TEST_F(ProcessCancellationTest, CancelledTokenStartsNothing) {
    const fs::path marker = folder_.path() / "started";
    const auto tool = writeTool(folder_, "tool.sh", "touch \"$1\"");
    token_->cancel();
    token_->cancel();  // harmless twice
    EXPECT_TRUE(token_->isCancelled());

    expectCancelled([&] {
        (void)ProcessRunner::run(tool, {marker.string()}, std::nullopt, std::nullopt, false,
                                 token_);
    });
    expectCancelled([&] {
        (void)ProcessRunner::streamStdoutLines(tool, {marker.string()}, token_,
                                               [](std::string_view) {});
    });
    EXPECT_FALSE(fs::exists(marker));
}

// The tool prints its pid and then blocks; another thread cancels once the pid is seen.
TEST_F(ProcessCancellationTest, CancelFromAnotherThreadStopsARunningTool) {
    const auto tool = writeTool(folder_, "tool.sh", "echo $$\nexec sleep 600");
    std::promise<pid_t> started;
    std::thread canceller([&, future = started.get_future()]() mutable {
        future.wait();
        token_->cancel();
    });

    pid_t pid = 0;
    expectCancelled([&] {
        (void)ProcessRunner::run(tool, {}, std::nullopt, std::nullopt, false, token_,
                                 [&](std::string_view chunk) {
                                     if (pid == 0) {
                                         pid = std::stoi(std::string(chunk));
                                         started.set_value(pid);
                                     }
                                 });
    });
    canceller.join();
    ASSERT_NE(pid, 0);
    EXPECT_TRUE(testing::isProcessGone(pid));
}

TEST_F(ProcessCancellationTest, CancelFromAnotherThreadStopsAStreamingTool) {
    const auto tool = writeTool(folder_, "tool.sh", "echo $$\nexec sleep 600");
    std::promise<void> started;
    std::thread canceller([&, future = started.get_future()] {
        future.wait();
        token_->cancel();
    });

    pid_t pid = 0;
    expectCancelled([&] {
        (void)ProcessRunner::streamStdoutLines(tool, {}, token_, [&](std::string_view line) {
            pid = std::stoi(std::string(line));
            started.set_value();
        });
    });
    canceller.join();
    ASSERT_NE(pid, 0);
    EXPECT_TRUE(testing::isProcessGone(pid));
}

// A tool printing without end: once the line callback cancels, not one more line arrives,
// not even the rest of the chunk that line came in.
TEST_F(ProcessCancellationTest, NoLineArrivesAfterTheCallbackCancels) {
    int lines = 0;
    expectCancelled([&] {
        (void)ProcessRunner::streamStdoutLines("/usr/bin/yes", {"line"}, token_,
                                               [&](std::string_view) {
                                                   ++lines;
                                                   token_->cancel();
                                               });
    });
    EXPECT_EQ(lines, 1);
}

// The unterminated last line is delivered after end of file only when not cancelled.
TEST_F(ProcessCancellationTest, UnterminatedLastLineIsDroppedWhenCancelled) {
    const auto tool = writeTool(folder_, "tool.sh", "printf 'first\\nlast'");
    std::vector<std::string> lines;
    expectCancelled([&] {
        (void)ProcessRunner::streamStdoutLines(tool, {}, token_, [&](std::string_view line) {
            lines.emplace_back(line);
            token_->cancel();
        });
    });
    EXPECT_EQ(lines, std::vector<std::string>{"first"});
}

// Cancelled after the tool has printed everything and possibly exited: still cancelled.
TEST_F(ProcessCancellationTest, CancelAfterTheToolFinishedStillReportsCancelled) {
    const auto tool = writeTool(folder_, "tool.sh", "printf done");
    expectCancelled([&] {
        (void)ProcessRunner::run(tool, {}, std::nullopt, std::nullopt, false, token_,
                                 [&](std::string_view) { token_->cancel(); });
    });
    // Every later run under the same token refuses to start.
    expectCancelled([&] { (void)ProcessRunner::run(tool, {}, {}, {}, false, token_); });
}

// A cancel that lands between the token check and the attach: the child is stopped as
// soon as it is attached.
TEST_F(ProcessCancellationTest, AttachingToACancelledTokenTerminatesTheChildAtOnce) {
    auto [outRead, outWrite] = FileDescriptor::createPipe();
    auto [errRead, errWrite] = FileDescriptor::createPipe();
    token_->cancel();
    ChildProcess child = ChildProcess::launch(
        {"/bin/sleep", {"600"}, std::nullopt, std::nullopt, outWrite.get(), errWrite.get()},
        token_);
    EXPECT_EQ(child.waitForExit(), 128 + SIGTERM);
}

// The tool dies on cancellation but a process it started keeps the pipes open.
TEST_F(ProcessCancellationTest, CancelledToolWhoseChildHoldsThePipesStillEnds) {
    const auto tool = writeTool(folder_, "tool.sh", "sleep 600 &\necho $!\nwait");
    pid_t straggler = 0;
    expectCancelled([&] {
        (void)ProcessRunner::run(tool, {}, std::nullopt, std::nullopt, false, token_,
                                 [&](std::string_view chunk) {
                                     straggler = std::stoi(std::string(chunk));
                                     token_->cancel();
                                 });
    });
    ASSERT_NE(straggler, 0);
    EXPECT_EQ(::kill(straggler, SIGKILL), 0);
}

// A line callback that throws abandons the run: the error comes through and the tool is
// stopped and reaped.
TEST_F(ProcessCancellationTest, ThrowingLineCallbackStopsTheTool) {
    const auto tool = writeTool(folder_, "tool.sh", "echo $$\nexec sleep 600");
    pid_t pid = 0;
    EXPECT_THROW(
        (void)ProcessRunner::streamStdoutLines(tool, {}, nullptr,
                                               [&](std::string_view line) {
                                                   pid = std::stoi(std::string(line));
                                                   throw std::runtime_error("parser gave up");
                                               }),
        std::runtime_error);
    ASSERT_NE(pid, 0);
    EXPECT_TRUE(testing::isProcessGone(pid));
}

// Cancels racing with short runs at every moment: each run either completes or reports
// cancelled, and nothing is left behind.
TEST_F(ProcessCancellationTest, CancelRacingShortRunsNeverHangsOrLeaks) {
    for (int i = 0; i < 40; ++i) {
        auto token = std::make_shared<ProcessCancellationToken>();
        std::thread canceller([token] { token->cancel(); });
        try {
            const ProcessResult result =
                ProcessRunner::run("/bin/echo", {"hi"}, std::nullopt, std::nullopt, false, token);
            EXPECT_EQ(result.stdoutBytes, "hi\n");
        } catch (const ArchiveEngineError& error) {
            EXPECT_EQ(error, ArchiveEngineError::cancelled());
        }
        canceller.join();
    }
}

}  // namespace
}  // namespace kelvane
