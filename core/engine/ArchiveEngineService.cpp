#include "engine/ArchiveEngineService.hpp"

#include <simdjson.h>
#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>

#include "engine/ArchiveConverter.hpp"
#include "engine/ArchiveCreator.hpp"
#include "engine/ArchiveExtractor.hpp"
#include "engine/ArchiveModifier.hpp"
#include "engine/ArchiveTester.hpp"
#include "engine/CacheExtractor.hpp"
#include "engine/ListingDispatch.hpp"
#include "engine/StrictDecimal.hpp"
#include "platform/UnicodeText.hpp"
#include "process/ProgressText.hpp"

namespace kelvane {
namespace {

// The lower-cased last path component and its extension.
struct NameFacts {
    std::string name;
    std::string_view extension;
};

NameFacts nameFacts(const std::filesystem::path& url) {
    std::string_view text = url.native();
    while (text.size() > 1 && text.ends_with('/')) text.remove_suffix(1);
    if (const auto slash = text.rfind('/'); slash != std::string_view::npos && text.size() > 1) {
        text.remove_prefix(slash + 1);
    }
    NameFacts facts{UnicodeText::lowercased(text), {}};
    const std::string_view name = facts.name;
    if (const auto dot = name.rfind('.'); dot != std::string_view::npos) {
        facts.extension = name.substr(dot + 1);
    }
    return facts;
}

template <std::size_t N>
bool isAmong(std::string_view text, const std::array<std::string_view, N>& candidates) {
    return std::find(candidates.begin(), candidates.end(), text) != candidates.end();
}

template <std::size_t N>
bool endsWithAny(std::string_view text, const std::array<std::string_view, N>& suffixes) {
    return std::any_of(suffixes.begin(), suffixes.end(),
                       [text](std::string_view suffix) { return text.ends_with(suffix); });
}

std::optional<int> percentageOf(std::string_view text) {
    std::string_view lastWord;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = std::min(text.find_first_of(" \t", start), text.size());
        if (end > start) lastWord = text.substr(start, end - start);
        start = end + 1;
    }
    const auto value = StrictDecimal::parseInt64(lastWord);
    if (!value || *value < 0 || *value > 100) return std::nullopt;
    return static_cast<int>(*value);
}

}  // namespace

bool ArchiveEngineService::isSupportedArchive(const std::filesystem::path& url) const {
    const NameFacts facts = nameFacts(url);
    return endsWithAny(facts.name, supportedTarSuffixes) ||
           isAmong(facts.extension, supportedExtensions);
}

bool ArchiveEngineService::isWritableArchive(const std::filesystem::path& url) const {
    const NameFacts facts = nameFacts(url);
    if (endsWithAny(facts.name, readOnlyTarSuffixes)) return false;
    return isAmong(facts.extension, writableExtensions);
}

bool ArchiveEngineService::prefersLsarForListing(const std::filesystem::path& url) const {
    const NameFacts facts = nameFacts(url);
    return endsWithAny(facts.name, unarchiverListingSuffixes) ||
           isAmong(facts.extension, unarchiverListingExtensions);
}

bool ArchiveEngineService::requiresUnarchiverExtraction(const std::filesystem::path& url,
                                                        std::string_view formatName) const {
    const std::string format = UnicodeText::uppercased(formatName);
    for (const std::string_view family : {"RAR", "STUFFIT", "LZH", "ACE"}) {
        if (format.find(family) != std::string::npos) return true;
    }
    if (isAmong(nameFacts(url).extension, unarchiverExtractionExtensions)) return true;
    return prefersLsarForListing(url);
}

std::int64_t ArchiveEngineService::int64Value(const simdjson::dom::element* value) {
    if (value == nullptr) return 0;
    using simdjson::dom::element_type;
    switch (value->type()) {
        case element_type::INT64:
            return value->get_int64().value_unsafe();
        case element_type::UINT64: {
            const std::uint64_t number = value->get_uint64().value_unsafe();
            constexpr auto kMax =
                static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());
            return number <= kMax ? static_cast<std::int64_t>(number) : 0;
        }
        case element_type::DOUBLE: {
            const double number = std::trunc(value->get_double().value_unsafe());
            // 2^63 is exactly representable; every double below it and at least -2^63 fits.
            constexpr double kLimit = 9223372036854775808.0;
            if (!(number >= -kLimit && number < kLimit)) return 0;
            return static_cast<std::int64_t>(number);
        }
        case element_type::STRING:
            return StrictDecimal::parseInt64(value->get_string().value_unsafe()).value_or(0);
        default:
            return 0;
    }
}

std::int64_t ArchiveEngineService::fileSize(const std::filesystem::path& url) {
    struct stat status {};
    if (::stat(url.c_str(), &status) != 0 || !S_ISREG(status.st_mode)) return 0;
    return static_cast<std::int64_t>(status.st_size);
}

std::filesystem::path ArchiveEngineService::extract(
    const ArchiveListing& listing, const std::vector<ArchiveEntry>& selectedEntries,
    const ExtractArchiveOptions& options,
    const std::shared_ptr<ProcessCancellationToken>& cancellation,
    const ProgressHandler& onProgress) const {
    return ArchiveExtractor::extract(listing, selectedEntries, options, cancellation, onProgress);
}

std::filesystem::path ArchiveEngineService::resolveDestinationDirectory(
    const ArchiveListing& listing, const std::vector<ArchiveEntry>& selectedEntries,
    const ExtractArchiveOptions& options) const {
    return ArchiveExtractor::resolveDestinationDirectory(listing, selectedEntries, options);
}

std::filesystem::path ArchiveEngineService::extractSingleFileToCache(
    const ArchiveListing& listing, const ArchiveEntry& entry,
    const std::optional<std::string>& password, const std::filesystem::path& cacheRoot,
    const std::shared_ptr<ProcessCancellationToken>& cancellation) const {
    return CacheExtractor::extractSingleFileToCache(listing, entry, password, cacheRoot,
                                                    cancellation);
}

std::string ArchiveEngineService::cleanArchiveBaseName(const std::filesystem::path& from) {
    return ArchiveExtractor::cleanArchiveBaseName(from);
}

std::string ArchiveEngineService::escapeUnarGlob(std::string_view text) {
    return ArchiveExtractor::escapeUnarGlob(text);
}

ArchiveListing ArchiveEngineService::listArchive(
    const std::filesystem::path& at, const std::optional<std::string>& password,
    const std::shared_ptr<ProcessCancellationToken>& cancellation,
    const std::function<void(std::int64_t)>& onCountUpdate) const {
    return ListingDispatch::listArchive(at, password, cancellation, onCountUpdate);
}

std::optional<ProgressReport> ArchiveEngineService::parseSevenZipProgress(std::string_view chunk) {
    std::optional<int> percentage;
    std::string_view detail;
    // 7-Zip redraws its progress line with backspaces rather than carriage returns when
    // writing to a pipe. A chunk that holds several redraws is therefore cut at
    // backspaces too, so the last percentage wins and no erased text leaks into the detail.
    for (const std::string_view piece : ProgressText::splitAtAnyOf(chunk, "\r\n\b")) {
        const std::string_view trimmed = ProgressText::trimmedSpacesAndTabs(piece);
        const std::size_t percent = trimmed.find('%');
        if (percent == std::string_view::npos) continue;
        const auto value =
            percentageOf(ProgressText::trimmedSpacesAndTabs(trimmed.substr(0, percent)));
        if (!value) continue;
        percentage = value;
        const std::string_view rest =
            ProgressText::trimmedSpacesAndTabs(trimmed.substr(percent + 1));
        if (!rest.empty()) detail = rest;
    }
    if (!percentage) return std::nullopt;
    return ProgressReport{static_cast<double>(*percentage) / 100.0, std::string(detail)};
}

ArchiveTestResult ArchiveEngineService::testArchive(
    const ArchiveListing& listing, const std::optional<std::string>& password,
    const std::shared_ptr<ProcessCancellationToken>& cancellation,
    const ProgressHandler& onProgress) const {
    return ArchiveTester::testArchive(listing, password, cancellation, onProgress);
}

std::filesystem::path ArchiveEngineService::createArchive(
    const std::vector<std::filesystem::path>& sources, const std::filesystem::path& destination,
    const CreateArchiveOptions& options,
    const std::shared_ptr<ProcessCancellationToken>& cancellation,
    const ProgressHandler& onProgress) const {
    return ArchiveCreator::createArchive(sources, destination, options, cancellation, onProgress);
}

std::filesystem::path ArchiveEngineService::convertArchive(
    const ArchiveListing& listing, const std::filesystem::path& destination,
    const CreateArchiveOptions& options, const std::optional<std::string>& sourcePassword,
    const std::shared_ptr<ProcessCancellationToken>& cancellation,
    const ProgressHandler& onProgress) const {
    return ArchiveConverter::convertArchive(listing, destination, options, sourcePassword,
                                            cancellation, onProgress);
}

void ArchiveEngineService::addFiles(const std::vector<std::filesystem::path>& items,
                                    const std::filesystem::path& to,
                                    const std::optional<std::string>& password,
                                    const std::shared_ptr<ProcessCancellationToken>& cancellation,
                                    const ProgressHandler& onProgress) const {
    ArchiveModifier::addFiles(items, to, password, cancellation, onProgress);
}

void ArchiveEngineService::deleteEntries(
    const std::vector<ArchiveEntry>& entries, const ArchiveListing& from,
    const std::optional<std::string>& password,
    const std::shared_ptr<ProcessCancellationToken>& cancellation,
    const ProgressHandler& onProgress) const {
    ArchiveModifier::deleteEntries(entries, from, password, cancellation, onProgress);
}

}  // namespace kelvane
