// Collects one run's standard output and standard error without ever holding more than a
// bounded tail of a stream the caller did not ask to keep whole.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace kelvane {

// Used by the single thread that drains a run's pipes, so it needs no lock.
class BoundedPipeCollector final {
public:
    static constexpr std::size_t kMaxTailBytes = 32768;

    explicit BoundedPipeCollector(bool keepFullStdout) : keepFullStdout_(keepFullStdout) {}

    void appendStdout(std::string_view chunk);
    void appendStderr(std::string_view chunk);

    // Standard output whole (when kept whole) or its last at most kMaxTailBytes bytes.
    [[nodiscard]] std::string takeStdout();
    // The last at most kMaxTailBytes bytes of standard error.
    [[nodiscard]] std::string takeStderr();

private:
    // The buffer may hold up to twice the bound between trims, so a stream of small
    // chunks costs one move per kMaxTailBytes appended instead of one per chunk.
    static void appendTail(std::string& buffer, std::string_view chunk);
    static std::string takeTail(std::string& buffer);

    bool keepFullStdout_;
    std::string outBuf_;
    std::string errBuf_;
};

}  // namespace kelvane
