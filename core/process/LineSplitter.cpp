#include "process/LineSplitter.hpp"

#include <simdjson.h>

#include <cstring>

#include "platform/UnicodeText.hpp"

namespace kelvane {
namespace {

const char* findByte(const char* begin, const char* end, char byte) {
    return static_cast<const char*>(
        std::memchr(begin, byte, static_cast<std::size_t>(end - begin)));
}

const char* findLastByte(const char* begin, const char* end, char byte) {
    return static_cast<const char*>(
        ::memrchr(begin, byte, static_cast<std::size_t>(end - begin)));
}

}  // namespace

LineSplitter::LineSplitter() { pending_.reserve(kInitialCapacity); }

void LineSplitter::feed(std::string_view bytes, const LineHandler& onLine) {
    const char* cursor = bytes.data();
    const char* const end = bytes.data() + bytes.size();

    if (!pending_.empty()) {
        const char* newline = findByte(cursor, end, '\n');
        if (newline == nullptr) {
            pending_.append(cursor, end);
            return;
        }
        pending_.append(cursor, newline);
        deliver(pending_, false, onLine);
        pending_.clear();
        cursor = newline + 1;
    }

    const char* lastNewline = findLastByte(cursor, end, '\n');
    if (lastNewline != nullptr) {
        // Cutting at line feeds never splits a UTF-8 sequence, so one check of every
        // complete line in this chunk spares a check per line, which matters at millions
        // of lines.
        const bool allValid = simdjson::validate_utf8(
            cursor, static_cast<std::size_t>(lastNewline - cursor));
        while (cursor <= lastNewline) {
            const char* newline = findByte(cursor, lastNewline + 1, '\n');
            deliver(std::string_view(cursor, static_cast<std::size_t>(newline - cursor)),
                    allValid, onLine);
            cursor = newline + 1;
        }
    }
    pending_.append(cursor, end);
}

void LineSplitter::finish(const LineHandler& onLine) {
    if (pending_.empty()) return;
    std::string last = std::move(pending_);
    pending_.clear();
    deliver(last, false, onLine);
}

void LineSplitter::deliver(std::string_view line, bool knownValid, const LineHandler& onLine) {
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (knownValid || simdjson::validate_utf8(line.data(), line.size())) {
        onLine(line);
        return;
    }
    repaired_ = UnicodeText::repairedUtf8(line);
    onLine(repaired_);
}

}  // namespace kelvane
