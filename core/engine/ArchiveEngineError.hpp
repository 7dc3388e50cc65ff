// The error every engine operation fails with: six cases, the first two carrying a text,
// with an interface description in the current language.
#pragma once

#include <cstdint>
#include <exception>
#include <string>
#include <string_view>

namespace kelvane {

class ArchiveEngineError final : public std::exception {
public:
    // In declaration order.
    enum class Case : std::uint8_t {
        binaryNotFound,  // payload: the tool name
        processFailed,   // payload: the message
        passwordRequired,
        wrongPassword,
        unsupportedModification,
        cancelled,
    };

    [[nodiscard]] static ArchiveEngineError binaryNotFound(std::string toolName);
    [[nodiscard]] static ArchiveEngineError processFailed(std::string message);
    [[nodiscard]] static ArchiveEngineError passwordRequired();
    [[nodiscard]] static ArchiveEngineError wrongPassword();
    [[nodiscard]] static ArchiveEngineError unsupportedModification();
    [[nodiscard]] static ArchiveEngineError cancelled();

    [[nodiscard]] Case kind() const { return kind_; }
    // The tool name or the message; empty for the cases without one.
    [[nodiscard]] const std::string& payload() const { return payload_; }

    // The text to show, resolved in the current interface language on every call.
    [[nodiscard]] std::string errorDescription() const;

    // The English description; stays valid as long as the error.
    [[nodiscard]] const char* what() const noexcept override { return englishText_.c_str(); }

    friend bool operator==(const ArchiveEngineError& a, const ArchiveEngineError& b) {
        return a.kind_ == b.kind_ && a.payload_ == b.payload_;
    }

private:
    ArchiveEngineError(Case kind, std::string payload);

    struct Texts {
        std::string english;
        std::string turkish;
    };
    [[nodiscard]] Texts texts() const;

    Case kind_;
    std::string payload_;
    std::string englishText_;
};

}  // namespace kelvane
