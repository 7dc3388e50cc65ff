// Streaming a tool's output line by line, the road every large listing takes, against the
// time the tool alone needs to produce the same bytes.
//
//   kelvane_bench_StreamStdoutLines [benchmark flags] [data file]
//
// Without a data file, 2,000,000 lines of 61 bytes are generated in a private temporary
// folder. Prints lines per second of the runner and the ratio of its time to the time
// `cat data > /dev/null` takes.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "platform/AppFolders.hpp"
#include "process/ProcessRunner.hpp"

namespace {

namespace fs = std::filesystem;

constexpr int kGeneratedLines = 2'000'000;

fs::path gDataFile;
std::int64_t gDataLines = 0;

// CPU seconds used by reaped children so far.
double childrenCpuSeconds() {
    rusage usage{};
    ::getrusage(RUSAGE_CHILDREN, &usage);
    const auto seconds = [](const timeval& t) {
        return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
    };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

void writeData(const fs::path& file) {
    std::ofstream out(file, std::ios::binary);
    char line[96];
    for (int i = 0; i < kGeneratedLines; ++i) {
        const int length =
            std::snprintf(line, sizeof line,
                          "Path = archive/folder-%06d/subfolder/document-%08d.dat\n", i / 1000, i);
        out.write(line, length);
    }
}

std::int64_t countLines(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::int64_t lines = 0;
    std::vector<char> buffer(1 << 20);
    while (in.read(buffer.data(), static_cast<std::streamsize>(buffer.size())) || in.gcount() > 0) {
        lines += std::count(buffer.data(), buffer.data() + in.gcount(), '\n');
    }
    return lines;
}

// The tool alone: the same bytes read and thrown away, no pipe to the program.
void CatToDevNull(benchmark::State& state) {
    const double childBefore = childrenCpuSeconds();
    for (auto _ : state) {
        const auto result = kelvane::ProcessRunner::run(
            "/bin/sh", {"-c", "exec cat \"$0\" > /dev/null", gDataFile.string()});
        benchmark::DoNotOptimize(result.exitCode);
    }
    state.counters["child_cpu_ms"] = benchmark::Counter(
        (childrenCpuSeconds() - childBefore) * 1000.0 / static_cast<double>(state.iterations()));
}

// The tool printing into the runner, which cuts every line and hands it to a callback.
void StreamStdoutLines(benchmark::State& state) {
    std::int64_t lines = 0;
    std::size_t bytes = 0;
    const double childBefore = childrenCpuSeconds();
    for (auto _ : state) {
        const auto result = kelvane::ProcessRunner::streamStdoutLines(
            "/bin/cat", {gDataFile.string()}, nullptr, [&](std::string_view line) {
                ++lines;
                bytes += line.size();
            });
        benchmark::DoNotOptimize(result.exitCode);
    }
    if (lines != gDataLines * static_cast<std::int64_t>(state.iterations())) {
        state.SkipWithError("line count differs from the data file's");
    }
    benchmark::DoNotOptimize(bytes);
    state.SetItemsProcessed(lines);
    state.counters["child_cpu_ms"] = benchmark::Counter(
        (childrenCpuSeconds() - childBefore) * 1000.0 / static_cast<double>(state.iterations()));
}

BENCHMARK(CatToDevNull)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3.0);
BENCHMARK(StreamStdoutLines)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(3.0);

// Console output as usual, plus the figures the comparison needs.
class ComparingReporter final : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& reports) override {
        ConsoleReporter::ReportRuns(reports);
        for (const Run& run : reports) {
            if (run.run_type != Run::RT_Iteration || run.error_occurred) continue;
            const double iterations = static_cast<double>(run.iterations);
            Figures& figures = figures_[run.run_name.function_name];
            figures.realSeconds = run.real_accumulated_time / iterations;
            figures.cpuSeconds = run.cpu_accumulated_time / iterations;
            if (const auto child = run.counters.find("child_cpu_ms"); child != run.counters.end()) {
                figures.childCpuSeconds = child->second.value / 1000.0;
            }
        }
    }

    void printComparison() const {
        const auto cat = figures_.find("CatToDevNull");
        const auto stream = figures_.find("StreamStdoutLines");
        if (cat == figures_.end() || stream == figures_.end()) return;
        const Figures& c = cat->second;
        const Figures& s = stream->second;
        std::printf("\nlines per run:                %lld\n", static_cast<long long>(gDataLines));
        std::printf("cat > /dev/null (wall):       %.1f ms\n", c.realSeconds * 1000);
        std::printf("streamStdoutLines (wall):     %.1f ms\n", s.realSeconds * 1000);
        std::printf("lines per second:             %.3g\n",
                    static_cast<double>(gDataLines) / s.realSeconds);
        std::printf("ratio stream / cat (wall):    %.2f\n", s.realSeconds / c.realSeconds);
        std::printf("runner CPU per run:           %.1f ms\n", s.cpuSeconds * 1000);
        std::printf("child (cat into pipe) CPU:    %.1f ms\n", s.childCpuSeconds * 1000);
        std::printf("ratio runner CPU / child CPU: %.2f\n", s.cpuSeconds / s.childCpuSeconds);
    }

private:
    struct Figures {
        double realSeconds = 0;
        double cpuSeconds = 0;
        double childCpuSeconds = 0;
    };
    std::map<std::string, Figures> figures_;
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    fs::path generatedFolder;
    if (argc > 1) {
        gDataFile = argv[1];
    } else {
        generatedFolder =
            kelvane::AppFolders::createPrivateFolder(fs::temp_directory_path(), "kelvane-bench-");
        gDataFile = generatedFolder / "lines.txt";
        writeData(gDataFile);
    }
    gDataLines = countLines(gDataFile);

    ComparingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.printComparison();
    benchmark::Shutdown();

    if (!generatedFolder.empty()) {
        std::error_code ignored;
        fs::remove_all(generatedFolder, ignored);
    }
    return 0;
}
