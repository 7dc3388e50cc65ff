// Lists the archive a command names, the way every archive command starts: the file must
// exist, Ctrl-C cancels, a running count shows on a terminal, and failures become one
// line on standard error and the matching exit status.
#pragma once

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <variant>

#include "CommandLineOption.hpp"
#include "ExitCode.hpp"
#include "model/ArchiveListing.hpp"

namespace kelvane::cli {

// "--password" of the commands that open an existing archive.
inline constexpr CommandLineOption kArchivePasswordOption{"password", "P",
                                                          "Password of an encrypted archive."};

struct OpenedArchive {
    ArchiveListing listing;
    // How long building the directory index took.
    std::chrono::steady_clock::duration indexDuration{};
};

class ArchiveOpening final {
public:
    ArchiveOpening() = delete;

    // The listing, or the exit status after the failure has been reported. A password
    // problem names `passwordOption`, the option that gives the password.
    [[nodiscard]] static std::variant<OpenedArchive, ExitCode> open(
        const std::filesystem::path& archive, const std::optional<std::string>& password,
        std::string_view passwordOption = "--password");

    // The entry whose id is `id`, or null after "No such entry" has been reported.
    [[nodiscard]] static const ArchiveEntry* entryNamed(const ArchiveListing& listing,
                                                        const std::string& id);

    // Reports `message` as one line ("kelvane-cli: message"), line breaks folded.
    static void reportError(std::string_view message);
};

}  // namespace kelvane::cli
