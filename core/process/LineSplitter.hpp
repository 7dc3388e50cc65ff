// Cuts a byte stream into lines as the tools print them: a line ends at a line feed, a
// carriage return just before it is dropped, and lines are handed on as UTF-8 text.
#pragma once

#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>

namespace kelvane {

class LineSplitter final {
public:
    static constexpr std::size_t kInitialCapacity = 65536;

    LineSplitter() { pending_.reserve(kInitialCapacity); }

    // Hands every line that `bytes` completes to `onLine(std::string_view)`, in order. A
    // line is valid UTF-8: ill-formed sequences are replaced by U+FFFD. The view is valid
    // during the call only. A template, so the per-line call inlines: listings run to
    // millions of lines.
    template <class OnLine>
    void feed(std::string_view bytes, OnLine&& onLine);

    // Hands on the unterminated last line, if any bytes are waiting (a final carriage
    // return is dropped), and empties the splitter.
    template <class OnLine>
    void finish(OnLine&& onLine);

private:
    [[nodiscard]] static bool isValidUtf8(const char* data, std::size_t size);
    // The line with every ill-formed sequence replaced, kept in `repaired_`.
    [[nodiscard]] std::string_view repaired(std::string_view line);

    template <class OnLine>
    void deliver(std::string_view line, bool knownValid, OnLine& onLine);

    std::string pending_;
    std::string repaired_;
};

template <class OnLine>
void LineSplitter::feed(std::string_view bytes, OnLine&& onLine) {
    const char* cursor = bytes.data();
    const char* const end = bytes.data() + bytes.size();
    const auto distance = [](const char* from, const char* to) {
        return static_cast<std::size_t>(to - from);
    };

    if (!pending_.empty()) {
        const auto* newline =
            static_cast<const char*>(std::memchr(cursor, '\n', distance(cursor, end)));
        if (newline == nullptr) {
            pending_.append(cursor, end);
            return;
        }
        pending_.append(cursor, newline);
        deliver(pending_, false, onLine);
        pending_.clear();
        cursor = newline + 1;
    }

    const auto* lastNewline =
        static_cast<const char*>(::memrchr(cursor, '\n', distance(cursor, end)));
    if (lastNewline != nullptr) {
        // Cutting at line feeds never splits a UTF-8 sequence, so one check of every
        // complete line in this chunk spares a check per line.
        const bool allValid = isValidUtf8(cursor, distance(cursor, lastNewline));
        while (cursor <= lastNewline) {
            const auto* newline = static_cast<const char*>(
                std::memchr(cursor, '\n', distance(cursor, lastNewline) + 1));
            deliver(std::string_view(cursor, distance(cursor, newline)), allValid, onLine);
            cursor = newline + 1;
        }
    }
    pending_.append(cursor, end);
}

template <class OnLine>
void LineSplitter::finish(OnLine&& onLine) {
    if (pending_.empty()) return;
    const std::string last = std::move(pending_);
    pending_.clear();
    deliver(last, false, onLine);
}

template <class OnLine>
void LineSplitter::deliver(std::string_view line, bool knownValid, OnLine& onLine) {
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (knownValid || isValidUtf8(line.data(), line.size())) {
        onLine(line);
    } else {
        onLine(repaired(line));
    }
}

}  // namespace kelvane
