#include "engine/StreamingSevenZipSLTParser.hpp"

#include <utility>

#include "engine/FastTimestampParser.hpp"
#include "engine/SaturatingArithmetic.hpp"
#include "engine/StrictDecimal.hpp"
#include "platform/UnicodeText.hpp"

namespace kelvane {
namespace {

constexpr std::string_view kSeparator = "----------";

std::string_view trimmedSpacesAndTabs(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    const std::size_t last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

// Sizes that do not read as a plain decimal count as 0, never as a failure.
std::int64_t sizeValue(std::string_view text) {
    if (text.empty()) return 0;
    return StrictDecimal::parseInt64(text).value_or(0);
}

// `line` with `prefix` removed, when it starts with it.
bool strip(std::string_view line, std::string_view prefix, std::string_view& rest) {
    if (!line.starts_with(prefix)) return false;
    rest = line.substr(prefix.size());
    return true;
}

}  // namespace

StreamingSevenZipSLTParser::StreamingSevenZipSLTParser(
    std::string formatType, std::function<void(std::int64_t)> onCountUpdate,
    std::string unnamedEntryPath)
    : formatType_(std::move(formatType)),
      onCountUpdate_(std::move(onCountUpdate)),
      unnamedEntryPath_(std::move(unnamedEntryPath)) {
    entries_.reserve(512);
}

std::string StreamingSevenZipSLTParser::unnamedStreamPath(const std::filesystem::path& archive) {
    const std::string stem = archive.stem().string();
    const std::string extension = UnicodeText::lowercased(archive.extension().string());
    for (const std::string_view tarForm : {".tgz", ".tbz", ".tbz2", ".txz", ".tzst", ".taz"}) {
        if (extension == tarForm) return stem + ".tar";
    }
    return stem;
}

void StreamingSevenZipSLTParser::consumeLine(std::string_view line) {
    if (inEntries_) {
        consumeEntryLine(line);
        return;
    }
    if (diagnosticSnippet_.size() < kDiagnosticSnippetLimit) {
        diagnosticSnippet_.append(line);
        diagnosticSnippet_.push_back('\n');
    }
    consumeHeaderLine(line);
}

void StreamingSevenZipSLTParser::consumeHeaderLine(std::string_view line) {
    std::string_view rest;
    if (strip(line, "Type = ", rest)) {
        // Nested formats print one "Type" per layer; the innermost one comes last.
        const std::string_view type = trimmedSpacesAndTabs(rest);
        if (!type.empty()) formatType_ = UnicodeText::uppercased(type);
    } else if (line == "Solid = +") {
        isSolid_ = true;
    } else if (line == "Multivolume = +") {
        isMultiVolume_ = true;
    } else if (strip(line, "Volumes = ", rest)) {
        const auto volumes = StrictDecimal::parseInt64(trimmedSpacesAndTabs(rest));
        if (volumes && *volumes > 1) {
            volumeCount_ = *volumes;
            isMultiVolume_ = true;
        }
    } else if (line == kSeparator) {
        inEntries_ = true;
    }
}

void StreamingSevenZipSLTParser::consumeEntryLine(std::string_view line) {
    if (line.empty()) {
        flushCurrent();
        return;
    }
    // The keys differ in their first letter or two, so one branch on the first byte
    // leaves at most two prefix comparisons per line.
    std::string_view rest;
    switch (line.front()) {
        case 'P':
            if (strip(line, "Path = ", rest)) {
                curPath_.assign(rest);
                hasPath_ = true;
            } else if (strip(line, "Packed Size = ", rest)) {
                curPacked_ = sizeValue(rest);
                blockHasKeys_ = true;
            }
            break;
        case 'F':
            if (line.starts_with("Folder = ") && line.back() == '+') curIsDir_ = true;
            break;
        case 'A':
            if (line.starts_with("Attributes = D")) curIsDir_ = true;
            break;
        case 'S':
            if (strip(line, "Size = ", rest)) {
                curSize_ = sizeValue(rest);
                blockHasKeys_ = true;
            }
            break;
        case 'M':
            if (strip(line, "Modified = ", rest)) {
                if (!rest.empty()) curMod_ = FastTimestampParser::parse(rest, minuteCache_);
            } else if (strip(line, "Method = ", rest)) {
                if (!rest.empty()) {
                    curMethod_.assign(rest);
                    hasMethod_ = true;
                }
            }
            break;
        case 'E':
            if (line == "Encrypted = +") curEncrypted_ = true;
            break;
        case 'C':
            if (strip(line, "CRC = ", rest) && !rest.empty()) {
                curCRC_.assign(rest);
                hasCRC_ = true;
            }
            break;
        default:
            break;
    }
}

void StreamingSevenZipSLTParser::flushCurrent() {
    // Only the first and only block of a single-stream file goes without a path; trailing
    // summary lines ("Warnings: 1") never carry sizes.
    if (!hasPath_ && blockHasKeys_ && entries_.empty() && !unnamedEntryPath_.empty()) {
        curPath_.assign(unnamedEntryPath_);
        hasPath_ = true;
    }
    if (!hasPath_ || curPath_.empty()) {
        resetCurrent();
        return;
    }
    const bool isDirectory = curIsDir_ || curPath_.ends_with('/');
    entries_.emplace_back(curPath_, isDirectory, curSize_, curPacked_, curMod_, curEncrypted_,
                          hasCRC_ ? std::optional<std::string_view>(curCRC_) : std::nullopt,
                          hasMethod_ ? std::optional<std::string_view>(curMethod_) : std::nullopt,
                          std::nullopt);
    if (curEncrypted_) anyEncrypted_ = true;
    if (!isDirectory) {
        ++fileCount_;
        totalRaw_ = SaturatingArithmetic::add(totalRaw_, curSize_);
        totalPacked_ = SaturatingArithmetic::add(totalPacked_, curPacked_);
        if (onCountUpdate_ && fileCount_ % kCountUpdateInterval == 0) onCountUpdate_(fileCount_);
    }
    resetCurrent();
}

void StreamingSevenZipSLTParser::resetCurrent() {
    blockHasKeys_ = false;
    hasPath_ = false;
    curPath_.clear();
    curIsDir_ = false;
    curSize_ = 0;
    curPacked_ = 0;
    curMod_.reset();
    curEncrypted_ = false;
    hasCRC_ = false;
    curCRC_.clear();
    hasMethod_ = false;
    curMethod_.clear();
}

std::vector<ArchiveEntry> StreamingSevenZipSLTParser::takeEntries() {
    std::vector<ArchiveEntry> taken = std::move(entries_);
    entries_.clear();
    return taken;
}

}  // namespace kelvane
