// Helpers of the listing tests: captured tool output, archives made with the real tools,
// and lookups in a listing's entries.
#pragma once

#include <gtest/gtest.h>
#include <sys/types.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/ArchiveEntry.hpp"
#include "process/BinaryLocator.hpp"
#include "process/ProcessRunner.hpp"
#include "support/TemporaryFolder.hpp"

namespace kelvane::testing {

inline std::filesystem::path testData(const std::string& relative) {
    return std::filesystem::path(KELVANE_TEST_DATA_DIR) / relative;
}

// Hands `text` to `consume` line by line, as the process runner would: lines end at a
// line feed, a carriage return before it is dropped, a last unterminated line counts.
template <class Consume>
void feedLines(std::string_view text, Consume&& consume) {
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        if (line.ends_with('\r')) line.remove_suffix(1);
        consume(line);
        if (end == std::string_view::npos) break;
        text.remove_prefix(end + 1);
    }
}

// Runs a real tool in `folder`; fails the test when it does not succeed.
inline void runTool(const std::filesystem::path& folder, const std::string& tool,
                    const std::vector<std::string>& arguments) {
    const std::filesystem::path executable = std::filesystem::path("/usr/bin") / tool;
    const ProcessResult result = ProcessRunner::run(executable, arguments, folder);
    ASSERT_EQ(result.exitCode, 0) << tool << ": " << result.stderrString() << result.stdoutString();
}

inline const ArchiveEntry* findEntry(const std::vector<ArchiveEntry>& entries,
                                     std::string_view id) {
    const auto found = std::find_if(entries.begin(), entries.end(),
                                    [id](const ArchiveEntry& entry) { return entry.id() == id; });
    return found == entries.end() ? nullptr : &*found;
}

inline std::vector<std::string> idsOf(const std::vector<ArchiveEntry>& entries) {
    std::vector<std::string> ids;
    for (const ArchiveEntry& entry : entries) ids.emplace_back(entry.id());
    return ids;
}

// The pids of the live children of process `parent` whose command name is `name`
// (children of every thread of the parent).
inline std::vector<pid_t> childProcessesNamed(pid_t parent, std::string_view name) {
    std::vector<pid_t> found;
    std::error_code error;
    const std::filesystem::path tasks =
        std::filesystem::path("/proc") / std::to_string(parent) / "task";
    for (const auto& task : std::filesystem::directory_iterator(tasks, error)) {
        std::ifstream children(task.path() / "children");
        pid_t pid = 0;
        while (children >> pid) {
            std::ifstream comm(std::filesystem::path("/proc") / std::to_string(pid) / "comm");
            std::string command;
            std::getline(comm, command);
            if (command == name) found.push_back(pid);
        }
    }
    return found;
}

// A folder holding links to the named real tools only, to list with some tools missing.
class ToolFolder final {
public:
    explicit ToolFolder(std::initializer_list<std::string_view> tools) {
        for (const std::string_view tool : tools) {
            std::filesystem::create_symlink(std::filesystem::path("/usr/bin") / tool,
                                            folder_.path() / tool);
        }
    }
    [[nodiscard]] BinaryLocator::SearchFolders searchFolders() const {
        return BinaryLocator::SearchFolders{{folder_.path()}};
    }

private:
    TemporaryFolder folder_;
};

}  // namespace kelvane::testing
