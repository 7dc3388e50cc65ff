#include "TerminalProgressLine.hpp"

#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>

#include "ListingOutput.hpp"

namespace kelvane::cli {
namespace {

constexpr double kMebibyte = 1048576.0;
constexpr auto kRedrawInterval = std::chrono::milliseconds(100);
constexpr std::size_t kDefaultColumns = 80;

std::size_t terminalColumns(std::FILE* out) {
    winsize size{};
    if (::ioctl(::fileno(out), TIOCGWINSZ, &size) == 0 && size.ws_col > 0) return size.ws_col;
    return kDefaultColumns;
}

// Cuts UTF-8 text to at most `columns` code points (one column each, near enough for a
// status line), never inside a character.
std::string cutToColumns(const std::string& text, std::size_t columns) {
    std::size_t count = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if ((byte & 0xC0) == 0x80) continue;  // continuation byte
        if (count == columns) return text.substr(0, i);
        ++count;
    }
    return text;
}

}  // namespace

TerminalProgressLine::TerminalProgressLine(std::int64_t expectedBytes)
    : TerminalProgressLine(expectedBytes, stderr, ::isatty(STDERR_FILENO) == 1) {}

TerminalProgressLine::TerminalProgressLine(std::int64_t expectedBytes, std::FILE* out, bool enabled)
    : out_(out),
      enabled_(enabled),
      expectedBytes_(expectedBytes),
      start_(std::chrono::steady_clock::now()) {}

TerminalProgressLine::~TerminalProgressLine() {
    clear();
}

std::string TerminalProgressLine::speedText(double fraction, std::int64_t expectedBytes,
                                            double elapsedSeconds) {
    const auto total = static_cast<double>(expectedBytes);
    if (!(total > kMebibyte && elapsedSeconds > 0.25 && fraction > 0.01)) return {};
    char text[64];
    std::snprintf(text, sizeof text, "%.1f MB/s", fraction * total / kMebibyte / elapsedSeconds);
    return text;
}

std::string TerminalProgressLine::lineText(double fraction, std::string_view detail,
                                           std::string_view speed, std::size_t columns) {
    const long percent = std::lround(std::clamp(fraction, 0.0, 1.0) * 100.0);
    char head[16];
    std::snprintf(head, sizeof head, "%3ld%%", percent);
    std::string line = head;
    if (!detail.empty()) {
        line += "  ";
        ListingOutput::appendPrintable(line, detail);
    }
    std::string tail;
    if (!speed.empty()) tail = "  \xC2\xB7  " + std::string(speed);
    // The speed stays visible; the detail gives way when the line is too long.
    const std::size_t tailColumns = speed.empty() ? 0 : speed.size() + 5;
    line = cutToColumns(line, columns > tailColumns ? columns - tailColumns : 0);
    return line + tail;
}

void TerminalProgressLine::report(double fraction, std::string_view detail) {
    if (!enabled_) return;
    std::lock_guard guard(lock_);
    fraction_ = fraction;
    if (!detail.empty()) detail_.assign(detail);
    const auto now = std::chrono::steady_clock::now();
    const std::chrono::duration<double> elapsed = now - start_;
    if (std::string speed = speedText(fraction, expectedBytes_, elapsed.count()); !speed.empty()) {
        speed_ = std::move(speed);
    }
    const int percent = static_cast<int>(std::lround(std::clamp(fraction, 0.0, 1.0) * 100.0));
    if (percent == lastPercent_ && now - lastDraw_ < kRedrawInterval) return;
    lastPercent_ = percent;
    lastDraw_ = now;
    draw();
}

void TerminalProgressLine::draw() {
    // One column is left free so the cursor never wraps onto a new line.
    const std::string line =
        lineText(fraction_, detail_, speed_, std::max<std::size_t>(terminalColumns(out_), 2) - 1);
    std::fprintf(out_, "\r\x1b[K%s", line.c_str());
    std::fflush(out_);
    shown_ = true;
}

void TerminalProgressLine::clear() {
    std::lock_guard guard(lock_);
    if (!shown_) return;
    std::fputs("\r\x1b[K", out_);
    std::fflush(out_);
    shown_ = false;
}

}  // namespace kelvane::cli
