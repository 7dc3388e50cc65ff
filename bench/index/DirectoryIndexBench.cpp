// Measures the directory index at archive scale: a million entries in nested
// folders and a flat folder of 100,000 files, all generated in memory.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <algorithm>
#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "index/ArchiveDirectoryIndex.hpp"
#include "index/ArchiveTreeBuilder.hpp"
#include "model/ArchiveEntry.hpp"

namespace {

using kelvane::ArchiveDirectoryIndex;
using kelvane::ArchiveEntry;
using kelvane::ArchiveFilterKind;
using kelvane::ArchiveSortField;
using kelvane::ArchiveTreeBuilder;

constexpr int kTopFolders = 1000;
constexpr int kSubfolders = 100;
constexpr int kFilesPerFolder = 10;  // 1000 × 100 × 10 = 1,000,000 files
constexpr int kFlatFiles = 100'000;

// One file entry as a 7-Zip listing would give it: size, packed size, date,
// CRC and method. Every hundredth name carries "_final", so searching for it
// matches 1 % of the files.
ArchiveEntry makeFile(const std::string& path, std::uint64_t seed) {
    const auto date = kelvane::ArchiveTimestamp(
        std::chrono::seconds(1'600'000'000 + static_cast<std::int64_t>(seed % 50'000'000)));
    char crc[9];
    std::snprintf(crc, sizeof crc, "%08" PRIX64, (seed * 2654435761U) & 0xFFFFFFFFU);
    const auto size = static_cast<std::int64_t>((seed * 7919) % 5'000'000);
    return ArchiveEntry(path, false, size, size / 3, date, false, std::string_view(crc, 8),
                        "Deflate", std::nullopt);
}

const char* const kExtensions[] = {"txt", "png", "pdf", "cpp", "json", "mp3", "bin", "md"};

// "project/library/dir0042/sub0007/file0001234_draft.txt": about 55 bytes.
std::vector<ArchiveEntry> makeNestedListing() {
    std::vector<ArchiveEntry> entries;
    entries.reserve(static_cast<std::size_t>(kTopFolders) * kSubfolders * kFilesPerFolder);
    char path[128];
    std::uint64_t n = 0;
    for (int top = 0; top < kTopFolders; ++top) {
        for (int sub = 0; sub < kSubfolders; ++sub) {
            for (int file = 0; file < kFilesPerFolder; ++file, ++n) {
                std::snprintf(path, sizeof path,
                              "project/library/dir%04d/sub%04d/file%07" PRIu64 "_%s.%s", top, sub,
                              n, n % 100 == 37 ? "final" : "draft", kExtensions[n % 8]);
                entries.push_back(makeFile(path, n));
            }
        }
    }
    return entries;
}

std::vector<ArchiveEntry> makeFlatListing() {
    std::vector<ArchiveEntry> entries;
    entries.reserve(kFlatFiles);
    char path[128];
    for (std::uint64_t n = 0; n < kFlatFiles; ++n) {
        std::snprintf(path, sizeof path, "flat/photo%06" PRIu64 ".%s", n, kExtensions[n % 8]);
        entries.push_back(makeFile(path, n * 31));
    }
    return entries;
}

struct Dataset {
    std::vector<ArchiveEntry> nested;
    std::shared_ptr<const ArchiveDirectoryIndex> nestedIndex;
    std::vector<ArchiveEntry> flat;
    std::shared_ptr<const ArchiveDirectoryIndex> flatIndex;
};

// Bytes handed out by malloc: small blocks plus the large ones it maps
// separately (the big vectors).
std::size_t heapInUse() {
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

std::size_t residentBytes() {
    std::ifstream statm("/proc/self/statm");
    std::size_t pages = 0, resident = 0;
    statm >> pages >> resident;
    return resident * static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
}

// The process's peak resident size so far.
std::size_t peakResidentBytes() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.starts_with("VmHWM:")) return std::stoul(line.substr(6)) * 1024;
    }
    return 0;
}

// Built once; the memory figures are taken while it is built.
Dataset& dataset() {
    static Dataset* const data = [] {
        auto* made = new Dataset;
        malloc_trim(0);
        const std::size_t heapBefore = heapInUse();
        const std::size_t rssBefore = residentBytes();
        made->nested = makeNestedListing();
        const std::size_t heapListing = heapInUse();
        const std::size_t rssListing = residentBytes();
        const std::size_t peakBeforeBuild = peakResidentBytes();
        const auto started = std::chrono::steady_clock::now();
        made->nestedIndex = ArchiveTreeBuilder::build(made->nested);
        const auto took = std::chrono::steady_clock::now() - started;
        malloc_trim(0);
        const std::size_t heapIndexed = heapInUse();
        const std::size_t rssIndexed = residentBytes();
        const std::size_t peakAfterBuild = peakResidentBytes();

        std::size_t recordBytes = 0;
        for (const ArchiveEntry& entry : made->nestedIndex->allEntries()) {
            recordBytes += entry.storedBytes();
        }
        const double count = static_cast<double>(made->nested.size());
        std::printf("nested listing: %zu files, %zu index entries, %zu folder nodes\n",
                    made->nested.size(), made->nestedIndex->allEntries().size(),
                    made->nestedIndex->folderNodeCount());
        std::printf("first build: %.0f ms\n",
                    std::chrono::duration<double, std::milli>(took).count());
        std::printf(
            "heap (mallinfo2 uordblks + hblkhd, allocator overhead included), per listed file:\n");
        std::printf("  listing (entries vector + entry records):   %6.1f bytes\n",
                    static_cast<double>(heapListing - heapBefore) / count);
        std::printf("  index (incl. synthesized folder entries):    %6.1f bytes\n",
                    static_cast<double>(heapIndexed - heapListing) / count);
        std::printf("  listing + index:                             %6.1f bytes\n",
                    static_cast<double>(heapIndexed - heapBefore) / count);
        std::printf("  index's own arrays (memoryBytes()):          %6.1f bytes\n",
                    static_cast<double>(made->nestedIndex->memoryBytes()) / count);
        std::printf("  entry record payload (storedBytes(), avg):   %6.1f bytes\n",
                    static_cast<double>(recordBytes) /
                        static_cast<double>(made->nestedIndex->allEntries().size()));
        std::printf("resident set growth, per listed file:          %6.1f bytes\n",
                    static_cast<double>(rssIndexed - rssBefore) / count);
        std::printf(
            "peak resident growth while building, per file: %6.1f bytes "
            "(peak before build %zu MB, after %zu MB)\n",
            static_cast<double>(peakAfterBuild - std::max(peakBeforeBuild, rssListing)) / count,
            peakBeforeBuild >> 20, peakAfterBuild >> 20);

        made->flat = makeFlatListing();
        made->flatIndex = ArchiveTreeBuilder::build(made->flat);
        std::fflush(stdout);
        return made;
    }();
    return *data;
}

void BM_BuildMillionInListingOrder(benchmark::State& state) {
    const std::vector<ArchiveEntry>& entries = dataset().nested;
    for (auto _ : state) {
        auto index = ArchiveTreeBuilder::build(entries);
        benchmark::DoNotOptimize(index.get());
        state.PauseTiming();
        index.reset();
        state.ResumeTiming();
    }
    state.counters["entries"] = static_cast<double>(entries.size());
}
BENCHMARK(BM_BuildMillionInListingOrder)->Unit(benchmark::kMillisecond)->Iterations(5);

// Worst case: no grouping by folder and every folder's children out of order.
void BM_BuildMillionShuffled(benchmark::State& state) {
    std::vector<ArchiveEntry> entries = dataset().nested;
    std::shuffle(entries.begin(), entries.end(), std::mt19937(42));
    for (auto _ : state) {
        auto index = ArchiveTreeBuilder::build(entries);
        benchmark::DoNotOptimize(index.get());
        state.PauseTiming();
        index.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_BuildMillionShuffled)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_BuildFlat100k(benchmark::State& state) {
    const std::vector<ArchiveEntry>& entries = dataset().flat;
    for (auto _ : state) {
        auto index = ArchiveTreeBuilder::build(entries);
        benchmark::DoNotOptimize(index.get());
        state.PauseTiming();
        index.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_BuildFlat100k)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_BrowseFolder(benchmark::State& state) {
    const ArchiveDirectoryIndex& index = *dataset().nestedIndex;
    for (auto _ : state) {
        auto items = index.items("project/library/dir0421/sub0057", "", ArchiveFilterKind::all,
                                 ArchiveSortField::name, true);
        benchmark::DoNotOptimize(items.size());
    }
}
BENCHMARK(BM_BrowseFolder)->Unit(benchmark::kMicrosecond);

// 1000 subfolders ordered by their recursive sizes.
void BM_BrowseLargeFolderBySize(benchmark::State& state) {
    const ArchiveDirectoryIndex& index = *dataset().nestedIndex;
    for (auto _ : state) {
        auto items = index.items("project/library", "", ArchiveFilterKind::all,
                                 ArchiveSortField::size, false);
        benchmark::DoNotOptimize(items.size());
    }
}
BENCHMARK(BM_BrowseLargeFolderBySize)->Unit(benchmark::kMicrosecond);

// Runs one query per iteration and reports how many entries it returned.
void measureQuery(benchmark::State& state, const ArchiveDirectoryIndex& index,
                  std::string_view query, ArchiveFilterKind filter, ArchiveSortField field,
                  bool ascending) {
    std::size_t found = 0;
    for (auto _ : state) {
        auto items = index.items("", query, filter, field, ascending);
        found = items.size();
        benchmark::DoNotOptimize(found);
    }
    state.counters["results"] = static_cast<double>(found);
}

// "_final" is in 1 % of the names: 10,000 results, sorted by name.
void BM_SearchOnePercent(benchmark::State& state) {
    measureQuery(state, *dataset().nestedIndex, "_Final", ArchiveFilterKind::all,
                 ArchiveSortField::name, true);
}
BENCHMARK(BM_SearchOnePercent)->Unit(benchmark::kMillisecond);

// 1,000 results: few enough for the locale-aware name order.
void BM_SearchOneInAThousandByFinderName(benchmark::State& state) {
    measureQuery(state, *dataset().nestedIndex, "000_", ArchiveFilterKind::all,
                 ArchiveSortField::name, true);
}
BENCHMARK(BM_SearchOneInAThousandByFinderName)->Unit(benchmark::kMillisecond);

void BM_FilterImagesSortedByDate(benchmark::State& state) {
    measureQuery(state, *dataset().nestedIndex, "", ArchiveFilterKind::images,
                 ArchiveSortField::modified, false);
}
BENCHMARK(BM_FilterImagesSortedByDate)->Unit(benchmark::kMillisecond);

void BM_SortFlatBySize(benchmark::State& state) {
    const ArchiveDirectoryIndex& index = *dataset().flatIndex;
    for (auto _ : state) {
        auto items = index.items("flat", "", ArchiveFilterKind::all, ArchiveSortField::size, true);
        benchmark::DoNotOptimize(items.size());
    }
}
BENCHMARK(BM_SortFlatBySize)->Unit(benchmark::kMillisecond);

void BM_SortFlatByNameDescending(benchmark::State& state) {
    const ArchiveDirectoryIndex& index = *dataset().flatIndex;
    for (auto _ : state) {
        auto items = index.items("flat", "", ArchiveFilterKind::all, ArchiveSortField::name, false);
        benchmark::DoNotOptimize(items.size());
    }
}
BENCHMARK(BM_SortFlatByNameDescending)->Unit(benchmark::kMillisecond);

// Selecting the whole archive for extraction.
void BM_DescendantsOfEverything(benchmark::State& state) {
    const ArchiveDirectoryIndex& index = *dataset().nestedIndex;
    const std::vector<ArchiveEntry> selection{*index.entry("project")};
    for (auto _ : state) {
        auto all = index.descendantEntries(selection);
        benchmark::DoNotOptimize(all.size());
    }
}
BENCHMARK(BM_DescendantsOfEverything)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    dataset();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
