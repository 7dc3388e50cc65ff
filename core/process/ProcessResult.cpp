#include "process/ProcessResult.hpp"

#include "platform/UnicodeText.hpp"

namespace kelvane {

std::string ProcessResult::stdoutString() const {
    return UnicodeText::repairedUtf8(stdoutBytes);
}

std::string ProcessResult::stderrString() const {
    return UnicodeText::repairedUtf8(stderrBytes);
}

}  // namespace kelvane
