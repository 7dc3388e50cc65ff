// Extraction through the engine against the same 7-Zip run alone, and both digests of a
// file against `openssl dgst -md5` of it: what the engine adds on top of the tools.
//
//   kelvane_bench_EngineOperations ARCHIVE FILE SCRATCH [ROUNDS]
//
// ARCHIVE is extracted into SCRATCH (emptied before every run) ROUNDS times each way, the
// two ways taking turns; FILE is digested ROUNDS times each way after one read to warm the
// page cache. Prints every time, then the best and the median ratio per pair.
// bench/engine/extract-and-hash.sh makes the data and runs this.
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "engine/ArchiveEngineService.hpp"
#include "engine/ChecksumService.hpp"
#include "model/ArchiveListing.hpp"
#include "model/ExtractArchiveOptions.hpp"
#include "process/BinaryLocator.hpp"
#include "process/SevenZipToolContract.hpp"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Runs a tool with its output on /dev/null, as from a shell; returns the wall time.
double timeTool(const fs::path& executable, const std::vector<std::string>& arguments) {
    std::vector<std::string> texts{executable.string()};
    texts.insert(texts.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& text : texts) argv.push_back(text.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    const auto start = Clock::now();
    pid_t pid = -1;
    if (::posix_spawn(&pid, executable.c_str(), &actions, nullptr, argv.data(), environ) != 0) {
        std::fprintf(stderr, "cannot start %s\n", executable.c_str());
        std::exit(1);
    }
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    ::waitpid(pid, &status, 0);
    const double seconds = secondsSince(start);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "%s failed\n", executable.c_str());
        std::exit(1);
    }
    return seconds;
}

void emptyFolder(const fs::path& folder) {
    fs::remove_all(folder);
    fs::create_directories(folder);
    ::sync();  // the previous run's writes do not land in the next one's time
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

void report(const char* what, const std::vector<double>& ours, const std::vector<double>& tool) {
    std::vector<double> ratios;
    for (std::size_t i = 0; i < ours.size(); ++i) ratios.push_back(ours[i] / tool[i]);
    std::printf(
        "%s: best ratio %.3f (%.2f s / %.2f s), median ratio %.3f\n", what,
        *std::min_element(ours.begin(), ours.end()) / *std::min_element(tool.begin(), tool.end()),
        *std::min_element(ours.begin(), ours.end()), *std::min_element(tool.begin(), tool.end()),
        median(ratios));
}

std::string loadAverage() {
    std::ifstream in("/proc/loadavg");
    std::string one, five, fifteen;
    in >> one >> five >> fifteen;
    return one + " " + five + " " + fifteen;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s ARCHIVE FILE SCRATCH [ROUNDS]\n", argv[0]);
        return 2;
    }
    const fs::path archive = fs::absolute(argv[1]);
    const fs::path file = fs::absolute(argv[2]);
    const fs::path scratch = fs::absolute(argv[3]);
    const int rounds = argc > 4 ? std::max(1, std::atoi(argv[4])) : 3;
    const auto sevenZip = kelvane::BinaryLocator::sevenZipURL();
    const auto openssl = kelvane::BinaryLocator::locate("openssl");
    if (!sevenZip || !openssl) {
        std::fprintf(stderr, "7zz and openssl are needed\n");
        return 1;
    }
    std::printf("load before: %s on %u cores\n", loadAverage().c_str(),
                std::thread::hardware_concurrency());

    const kelvane::ArchiveEngineService engine;
    const kelvane::ArchiveListing listing = engine.listArchive(archive, std::nullopt, nullptr, {});
    std::printf("archive: %lld files, %.2f GiB unpacked, %.2f GiB on disk\n",
                static_cast<long long>(listing.info().fileCount),
                static_cast<double>(listing.info().totalUncompressedSize) / (1 << 30),
                static_cast<double>(listing.info().physicalSize) / (1 << 30));
    const kelvane::ExtractArchiveOptions options(scratch, false);
    const std::vector<std::string> toolArguments = kelvane::SevenZipToolContract::extractArguments(
        archive, scratch, options.overwriteMode, options.password, std::nullopt);

    std::vector<double> ours;
    std::vector<double> alone;
    for (int round = 0; round < rounds; ++round) {
        emptyFolder(scratch);
        std::atomic<long> reports{0};
        const auto start = Clock::now();
        (void)engine.extract(listing, {}, options, nullptr,
                             [&reports](const kelvane::ProgressReport&) { ++reports; });
        ours.push_back(secondsSince(start));
        emptyFolder(scratch);
        alone.push_back(timeTool(*sevenZip, toolArguments));
        std::printf("extract round %d: engine %.2f s (%ld progress reports), 7zz x %.2f s\n",
                    round + 1, ours.back(), reports.load(), alone.back());
        std::fflush(stdout);
    }
    fs::remove_all(scratch);

    (void)kelvane::ChecksumService::compute(file);  // into the page cache
    std::vector<double> digests;
    std::vector<double> md5Alone;
    for (int round = 0; round < rounds; ++round) {
        const auto start = Clock::now();
        const kelvane::FileChecksumReport checksums = kelvane::ChecksumService::compute(file);
        digests.push_back(secondsSince(start));
        md5Alone.push_back(timeTool(*openssl, {"dgst", "-md5", file.string()}));
        std::printf("checksum round %d: SHA-256 + MD5 %.2f s (%lld bytes), openssl md5 %.2f s\n",
                    round + 1, digests.back(), static_cast<long long>(checksums.byteCount),
                    md5Alone.back());
        std::fflush(stdout);
    }

    report("extraction, engine / 7zz x", ours, alone);
    report("checksums, SHA-256 + MD5 / openssl dgst -md5", digests, md5Alone);
    std::printf("load after: %s\n", loadAverage().c_str());
    return 0;
}
