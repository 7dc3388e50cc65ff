// Cuts a byte stream into lines as the tools print them: a line ends at a line feed, a
// carriage return just before it is dropped, and lines are handed on as UTF-8 text.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace kelvane {

class LineSplitter final {
public:
    using LineHandler = std::function<void(std::string_view line)>;

    static constexpr std::size_t kInitialCapacity = 65536;

    LineSplitter();

    // Hands every line that `bytes` completes to `onLine`, in order. A line is valid UTF-8:
    // ill-formed sequences are replaced by U+FFFD. The view is valid during the call only.
    void feed(std::string_view bytes, const LineHandler& onLine);

    // Hands on the unterminated last line, if any bytes are waiting (a final carriage
    // return is dropped), and empties the splitter.
    void finish(const LineHandler& onLine);

private:
    void deliver(std::string_view line, bool knownValid, const LineHandler& onLine);

    std::string pending_;
    std::string repaired_;
};

}  // namespace kelvane
