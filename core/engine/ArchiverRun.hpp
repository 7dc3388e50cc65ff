// The one way the engine runs an archiver: find its executable, turn its output into
// progress reports, run it, and turn a failed exit into an ArchiveEngineError. Password
// problems are recognised from the tool's own message lines only, never from lines that
// merely echo entry or archive names.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/ArchiveEngineError.hpp"
#include "engine/ProgressHandler.hpp"
#include "process/BinaryLocator.hpp"
#include "process/ProcessCancellationToken.hpp"
#include "process/ProcessResult.hpp"

namespace kelvane {

class LineProgressCounter;

class ArchiverRun final {
public:
    ArchiverRun() = delete;

    enum class Tool : std::uint8_t { sevenZip, lsar, unar, bsdtar };

    // Reads a progress report out of one output chunk, when it holds one.
    using ProgressReader = std::function<std::optional<ProgressReport>(std::string_view chunk)>;

    // What to run. Everything but the executable and arguments is optional.
    struct Invocation {
        std::filesystem::path executable;
        std::vector<std::string> arguments;
        std::optional<std::filesystem::path> workingDirectory{};
        std::optional<std::map<std::string, std::string>> environment{};
        bool captureFullStdout = false;
    };

    // How a failed run is told apart. `operation` names it in the fixed failure text
    // ("7zz extract" gives "7zz extract failed (exit 2)"). `passwordPhrases` are looked for,
    // lower-cased, in the tool's message lines; none when `passwordPossible` is false (an
    // archive without encrypted entries never has a password problem).
    struct FailureRules {
        Tool tool = Tool::sevenZip;
        std::string operation;
        std::vector<std::string_view> passwordPhrases{};
        bool passwordPossible = true;
        bool hadPassword = false;
        // The archive, whose name the tools print in front of some messages.
        std::filesystem::path archive{};
        // Replaces "<operation> failed (exit N)" when the tool printed no error text.
        std::string fixedFailureText{};
    };

    // The executable of the tool (7-Zip: "7zz", else "7z"; bsdtar: "bsdtar", else "tar").
    // Throws binaryNotFound with the tool's main name when there is none.
    [[nodiscard]] static std::filesystem::path locate(Tool tool,
                                                      const BinaryLocator::SearchFolders& folders);
    [[nodiscard]] static std::string_view toolName(Tool tool);

    // Runs the tool; every chunk the reader turns into a report goes to `onProgress`.
    // Cancellation and start failures are thrown as the runner throws them; the exit code
    // is not judged.
    [[nodiscard]] static ProcessResult run(
        const Invocation& invocation, const std::shared_ptr<ProcessCancellationToken>& cancellation,
        const ProgressReader& reader = {}, const ProgressHandler& onProgress = {});

    // 7-Zip's "-bsp1" percentages.
    [[nodiscard]] static ProgressReader sevenZipPercentages();
    // One line per processed entry, counted against the expected total.
    [[nodiscard]] static ProgressReader countedLines(LineProgressCounter& counter);

    // The lines of a run's output that are the tool's own messages, with the entry and
    // archive names the tool put around them cut away, lower-cased.
    [[nodiscard]] static std::vector<std::string> messageLines(const ProcessResult& result,
                                                               const FailureRules& rules);

    // The same lines as the tool printed them, letter case kept, for quoting.
    [[nodiscard]] static std::vector<std::string> toolMessages(const ProcessResult& result,
                                                               const FailureRules& rules);

    // True when a message line holds one of the rules' password phrases.
    [[nodiscard]] static bool isPasswordProblem(const ProcessResult& result,
                                                const FailureRules& rules);

    // The error of a failed run: wrongPassword / passwordRequired for a password problem,
    // else processFailed saying what is wrong when the archive's file or the tool's words
    // tell (missing, a folder, empty, a missing volume, damaged, not an archive), else
    // processFailed with the trimmed standard error or "<operation> failed (exit N)".
    [[nodiscard]] static ArchiveEngineError failureOf(const ProcessResult& result,
                                                      const FailureRules& rules);

    // True for a processFailed whose text is only "<operation> failed (exit N)": the tool
    // said nothing the user could act on.
    [[nodiscard]] static bool namesOnlyTheExitCode(const ArchiveEngineError& error);

    // Returns for exit code 0, else throws failureOf.
    static void expectSuccess(const ProcessResult& result, const FailureRules& rules);

    [[nodiscard]] static ArchiveEngineError passwordError(bool hadPassword);
};

}  // namespace kelvane
