#include "process/BoundedPipeCollector.hpp"

#include <utility>

namespace kelvane {

void BoundedPipeCollector::appendStdout(std::string_view chunk) {
    if (keepFullStdout_) {
        outBuf_.append(chunk);
    } else {
        appendTail(outBuf_, chunk);
    }
}

void BoundedPipeCollector::appendStderr(std::string_view chunk) {
    appendTail(errBuf_, chunk);
}

std::string BoundedPipeCollector::takeStdout() {
    return keepFullStdout_ ? std::exchange(outBuf_, {}) : takeTail(outBuf_);
}

std::string BoundedPipeCollector::takeStderr() {
    return takeTail(errBuf_);
}

void BoundedPipeCollector::appendTail(std::string& buffer, std::string_view chunk) {
    if (chunk.size() >= kMaxTailBytes) {
        buffer.assign(chunk.substr(chunk.size() - kMaxTailBytes));
        return;
    }
    buffer.append(chunk);
    if (buffer.size() > 2 * kMaxTailBytes) {
        buffer.erase(0, buffer.size() - kMaxTailBytes);
    }
}

std::string BoundedPipeCollector::takeTail(std::string& buffer) {
    if (buffer.size() > kMaxTailBytes) {
        buffer.erase(0, buffer.size() - kMaxTailBytes);
    }
    return std::exchange(buffer, {});
}

}  // namespace kelvane
