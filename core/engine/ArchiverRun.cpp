#include "engine/ArchiverRun.hpp"

#include <algorithm>

#include "engine/ArchiveEngineService.hpp"
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
        if (const auto separator = line.find(" : "); separator != std::string_view::npos) {
            return line.substr(0, separator);
        }
        for (const std::string& name : archiveNames) {
            if (line.ends_with(name)) return std::nullopt;
        }
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
    const std::vector<std::string> archiveNames = archiveNamesOf(rules);
    std::vector<std::string> messages;
    const auto add = [&messages](std::optional<std::string_view> message) {
        if (message && !message->empty()) messages.push_back(UnicodeText::lowercased(*message));
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
    const std::string standardError = result.stderrString();
    const std::string_view trimmed = UnicodeText::trimmedWhitespace(standardError);
    if (!trimmed.empty()) return ArchiveEngineError::processFailed(std::string(trimmed));
    if (!rules.fixedFailureText.empty()) {
        return ArchiveEngineError::processFailed(rules.fixedFailureText);
    }
    return ArchiveEngineError::processFailed(rules.operation + " failed (exit " +
                                             std::to_string(result.exitCode) + ")");
}

void ArchiverRun::expectSuccess(const ProcessResult& result, const FailureRules& rules) {
    if (result.exitCode != 0) throw failureOf(result, rules);
}

}  // namespace kelvane
