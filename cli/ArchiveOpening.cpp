#include "ArchiveOpening.hpp"

#include <unistd.h>

#include <cstdio>
#include <exception>
#include <memory>
#include <system_error>

#include "EngineOperation.hpp"
#include "InterruptWatcher.hpp"
#include "engine/ArchiveEngineError.hpp"
#include "engine/ListingDispatch.hpp"
#include "index/ArchiveDirectoryIndex.hpp"
#include "localization/AppLanguage.hpp"
#include "localization/S.hpp"
#include "platform/LocaleNumberFormat.hpp"
#include "process/ProcessCancellationToken.hpp"

namespace kelvane::cli {
namespace {

// The running count, rewritten in place on a terminal: "name · 12,500 files indexed…".
class CountLine final {
public:
    explicit CountLine(const std::filesystem::path& archive)
        : enabled_(::isatty(STDERR_FILENO) == 1),
          name_(archive.filename().string()),
          locale_(AppLanguage::current().locale()) {}
    CountLine(const CountLine&) = delete;
    CountLine& operator=(const CountLine&) = delete;
    ~CountLine() { clear(); }

    void show(std::int64_t count) {
        if (!enabled_) return;
        const std::string text = name_ + " \xC2\xB7 " +
                                 LocaleNumberFormat::groupedDecimal(count, locale_) +
                                 S::t(" files indexed…", " dosya okundu…");
        std::fprintf(stderr, "\r\x1b[K%s", text.c_str());
        std::fflush(stderr);
        shown_ = true;
    }

    void clear() {
        if (!shown_) return;
        std::fputs("\r\x1b[K", stderr);
        std::fflush(stderr);
        shown_ = false;
    }

private:
    bool enabled_;
    bool shown_ = false;
    std::string name_;
    std::string locale_;
};

}  // namespace

void ArchiveOpening::reportError(std::string_view message) {
    std::string line;
    bool pendingSpace = false;
    for (const char c : message) {
        if (c == '\n' || c == '\r' || c == '\t') {
            pendingSpace = !line.empty();
            continue;
        }
        if (pendingSpace && c != ' ') line.push_back(' ');
        pendingSpace = false;
        line.push_back(c);
    }
    std::fprintf(stderr, "kelvane-cli: %s\n", line.c_str());
}

std::variant<OpenedArchive, ExitCode> ArchiveOpening::open(
    const std::filesystem::path& archive, const std::optional<std::string>& password,
    std::string_view passwordOption) {
    std::error_code error;
    if (!std::filesystem::exists(archive, error)) {
        reportError(S::t("Archive file not found.", "Arşiv dosyası bulunamadı.") + " (" +
                    archive.string() + ")");
        return ExitCode::failed;
    }

    auto token = std::make_shared<ProcessCancellationToken>();
    InterruptWatcher::watch(token);
    CountLine countLine(archive);
    std::chrono::steady_clock::duration indexDuration{};
    ListingOptions options;
    options.onIndexBuilt = [&indexDuration](std::chrono::steady_clock::duration took) {
        indexDuration = took;
    };
    try {
        ArchiveListing listing = ListingDispatch::listArchive(
            archive, password, token, [&countLine](std::int64_t count) { countLine.show(count); },
            options);
        countLine.clear();
        InterruptWatcher::watch(nullptr);
        if (InterruptWatcher::wasInterrupted()) {
            return EngineOperation::reportFailure(ArchiveEngineError::cancelled());
        }
        return OpenedArchive{std::move(listing), indexDuration};
    } catch (const ArchiveEngineError& failure) {
        countLine.clear();
        InterruptWatcher::watch(nullptr);
        return EngineOperation::reportFailure(failure, passwordOption);
    }
}

const ArchiveEntry* ArchiveOpening::entryNamed(const ArchiveListing& listing,
                                               const std::string& id) {
    const ArchiveEntry* entry = listing.tree()->entry(id);
    if (entry == nullptr) {
        reportError(S::t("No such entry in the archive: ", "Arşivde böyle bir öğe yok: ") + id);
    }
    return entry;
}

}  // namespace kelvane::cli
