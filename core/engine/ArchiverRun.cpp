#include "engine/ArchiverRun.hpp"

#include <algorithm>
#include <utility>

#include "engine/ArchiveEngineService.hpp"
#include "engine/ArchiveFailureDiagnosis.hpp"
#include "platform/UnicodeText.hpp"
#include "process/LineProgressCounter.hpp"
#include "process/ProcessRunner.hpp"
#include "process/SevenZipToolContract.hpp"
#include "process/TarToolContract.hpp"
#include "process/UnarchiverToolContract.hpp"

namespace kelvane {
namespace {

namespace fs = std::filesystem;

std::vector<std::string_view> linesOf(std::string_view text) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const std::size_t end = std::min(text.find_first_of("\r\n"), text.size());
        const std::string_view line = UnicodeText::trimmedWhitespace(text.substr(0, end));
        if (!line.empty()) lines.push_back(line);
        text.remove_prefix(std::min(end + 1, text.size()));
    }
    return lines;
}

// 7-Zip prints its errors on standard error as "ERROR: <message> : <entry>", or as
// "ERROR: <archive>" followed by the message on the next line.
std::optional<std::string_view> sevenZipMessage(std::string_view line,
                                                const std::vector<std::string>& archiveNames) {
    for (const std::string_view prefix : {"ERROR: ", "WARNING: "}) {
        if (!line.starts_with(prefix)) continue;
        line.remove_prefix(prefix.size());
        const auto isArchiveName = [&archiveNames](std::string_view text) {
            return std::any_of(archiveNames.begin(), archiveNames.end(),
                               [text](const std::string& name) { return text.ends_with(name); });
        };
        if (const auto separator = line.find(" : "); separator != std::string_view::npos) {
            // An archive that cannot be opened comes first: "ERROR: <archive> : <message>".
            const std::string_view head = line.substr(0, separator);
            if (!isArchiveName(head)) return head;
            const std::string_view tail = line.substr(separator + 3);
            return isArchiveName(tail) ? std::nullopt : std::optional<std::string_view>(tail);
        }
        if (isArchiveName(line)) return std::nullopt;
        return line;
    }
    return line;
}

// The unarchiver puts the archive's name in front of some messages ("x.zip: This archive
// requires a password…"), an entry's name in front of its outcome ("a.txt  (5 B)... OK.")
// and the destination in quotes into its last line.
std::optional<std::string_view> unarchiverMessage(std::string_view line,
                                                  const std::vector<std::string>& archiveNames) {
    for (const std::string& name : archiveNames) {
        if (!name.empty() && line.starts_with(name) && line.substr(name.size()).starts_with(": ")) {
            return line.substr(name.size() + 2);
        }
    }
    if (const auto outcome = line.rfind("... "); outcome != std::string_view::npos) {
        return line.substr(outcome + 4);
    }
    if (line.ends_with("...")) return std::nullopt;
    if (const auto quote = line.rfind('"'); quote != std::string_view::npos) {
        return line.substr(quote + 1);
    }
    return line;
}

std::vector<std::string> archiveNamesOf(const ArchiverRun::FailureRules& rules) {
    if (rules.archive.empty()) return {};
    std::vector<std::string> names{rules.archive.string(),
                                   UnarchiverToolContract::pathArgument(rules.archive),
                                   rules.archive.filename().string()};
    names.erase(std::remove(names.begin(), names.end(), std::string()), names.end());
    return names;
}

}  // namespace

std::string_view ArchiverRun::toolName(Tool tool) {
    switch (tool) {
        case Tool::sevenZip:
            return SevenZipToolContract::kToolName;
        case Tool::lsar:
            return UnarchiverToolContract::kListerName;
        case Tool::unar:
            return UnarchiverToolContract::kExtractorName;
        case Tool::bsdtar:
            return TarToolContract::kToolName;
    }
    return SevenZipToolContract::kToolName;
}

fs::path ArchiverRun::locate(Tool tool, const BinaryLocator::SearchFolders& folders) {
    std::optional<fs::path> found;
    switch (tool) {
        case Tool::sevenZip:
            found = BinaryLocator::sevenZipURL(folders);
            break;
        case Tool::lsar:
            found = BinaryLocator::lsarURL(folders);
            break;
        case Tool::unar:
            found = BinaryLocator::unarURL(folders);
            break;
        case Tool::bsdtar:
            found = BinaryLocator::bsdtarURL(folders);
            break;
    }
    if (!found) throw ArchiveEngineError::binaryNotFound(std::string(toolName(tool)));
    return *found;
}

ProcessResult ArchiverRun::run(const Invocation& invocation,
                               const std::shared_ptr<ProcessCancellationToken>& cancellation,
                               const ProgressReader& reader, const ProgressHandler& onProgress) {
    std::function<void(std::string_view)> onChunk;
    if (reader && onProgress) {
        onChunk = [&reader, &onProgress](std::string_view chunk) {
            if (const auto report = reader(chunk)) onProgress(*report);
        };
    }
    return ProcessRunner::run(invocation.executable, invocation.arguments,
                              invocation.workingDirectory, invocation.environment,
                              invocation.captureFullStdout, cancellation, onChunk);
}

ArchiverRun::ProgressReader ArchiverRun::sevenZipPercentages() {
    return
        [](std::string_view chunk) { return ArchiveEngineService::parseSevenZipProgress(chunk); };
}

ArchiverRun::ProgressReader ArchiverRun::countedLines(LineProgressCounter& counter) {
    return [&counter](std::string_view chunk) { return counter.consume(chunk); };
}

std::vector<std::string> ArchiverRun::messageLines(const ProcessResult& result,
                                                   const FailureRules& rules) {
    std::vector<std::string> messages = toolMessages(result, rules);
    for (std::string& message : messages) message = UnicodeText::lowercased(message);
    return messages;
}

std::vector<std::string> ArchiverRun::toolMessages(const ProcessResult& result,
                                                   const FailureRules& rules) {
    const std::vector<std::string> archiveNames = archiveNamesOf(rules);
    std::vector<std::string> messages;
    const auto add = [&messages](std::optional<std::string_view> message) {
        if (message && !message->empty()) messages.emplace_back(*message);
    };
    const std::string standardError = result.stderrString();
    if (rules.tool == Tool::sevenZip) {
        // Standard output holds the progress lines, which echo entry and archive names.
        for (const std::string_view line : linesOf(standardError)) {
            add(sevenZipMessage(line, archiveNames));
        }
        return messages;
    }
    const std::string standardOutput = result.stdoutString();
    // A JSON listing on standard output is data, not a message.
    const bool outputIsDocument = UnicodeText::trimmedWhitespace(standardOutput).starts_with('{');
    if (!outputIsDocument) {
        for (const std::string_view line : linesOf(standardOutput)) {
            add(unarchiverMessage(line, archiveNames));
        }
    }
    for (const std::string_view line : linesOf(standardError)) {
        add(unarchiverMessage(line, archiveNames));
    }
    return messages;
}

bool ArchiverRun::isPasswordProblem(const ProcessResult& result, const FailureRules& rules) {
    if (!rules.passwordPossible || rules.passwordPhrases.empty()) return false;
    for (const std::string& message : messageLines(result, rules)) {
        for (const std::string_view phrase : rules.passwordPhrases) {
            if (message.find(phrase) != std::string::npos) return true;
        }
    }
    return false;
}

ArchiveEngineError ArchiverRun::passwordError(bool hadPassword) {
    return hadPassword ? ArchiveEngineError::wrongPassword()
                       : ArchiveEngineError::passwordRequired();
}

ArchiveEngineError ArchiverRun::failureOf(const ProcessResult& result, const FailureRules& rules) {
    if (isPasswordProblem(result, rules)) return passwordError(rules.hadPassword);
    // Said in the user's terms when the file or the tools' words tell what is wrong; the
    // archive is known to every run but the bare checks of a result.
    if (!rules.archive.empty()) {
        if (auto diagnosis = ArchiveFailureDiagnosis::describe(rules.archive,
                                                               toolMessages(result, rules))) {
            return ArchiveEngineError::processFailed(std::move(*diagnosis));
        }
    }
    const std::string standardError = result.stderrString();
    const std::string_view trimmed = UnicodeText::trimmedWhitespace(standardError);
    if (!trimmed.empty()) return ArchiveEngineError::processFailed(std::string(trimmed));
    if (!rules.fixedFailureText.empty()) {
        return ArchiveEngineError::processFailed(rules.fixedFailureText);
    }
    return ArchiveEngineError::processFailed(rules.operation + " failed (exit " +
                                             std::to_string(result.exitCode) + ")");
}

bool ArchiverRun::namesOnlyTheExitCode(const ArchiveEngineError& error) {
    if (error.kind() != ArchiveEngineError::Case::processFailed) return false;
    constexpr std::string_view kMarker = " failed (exit ";
    const std::string_view text = error.payload();
    const std::size_t at = text.rfind(kMarker);
    if (at == std::string_view::npos || !text.ends_with(')') ||
        text.find('\n') != std::string_view::npos) {
        return false;
    }
    std::string_view code = text.substr(at + kMarker.size());
    code.remove_suffix(1);
    if (code.starts_with('-')) code.remove_prefix(1);
    return !code.empty() && code.find_first_not_of("0123456789") == std::string_view::npos;
}

void ArchiverRun::expectSuccess(const ProcessResult& result, const FailureRules& rules) {
    if (result.exitCode != 0) throw failureOf(result, rules);
}

}  // namespace kelvane
