// Lists every sample of the third-party corpus through the dispatch and compares the
// outcome with what each tool reported for it (MANIFEST.tsv, TOOL_LISTINGS.jsonl): the
// entries of the tool the dispatch ends with, a password error for encrypted headers,
// processFailed for damaged files, and cancellation for the samples a tool spins on.
// Tarballs, packages and cpio archives that bsdtar reads are read as their tar stream and
// must show bsdtar's entries, in bsdtar's order.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <cctype>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <future>
#include <map>
#include <sstream>
#include <string>
#include <variant>
#include <vector>

#include "ListingTestSupport.hpp"
#include "engine/ArchiveEngineError.hpp"
#include "engine/ArchiveEngineService.hpp"
#include "engine/ListingDispatch.hpp"
#include "engine/StreamingSevenZipSLTParser.hpp"
#include "engine/TarStreamRoute.hpp"

namespace kelvane {
namespace {

namespace fs = std::filesystem;
using testing::childProcessesNamed;

const fs::path kCorpus = fs::path(KELVANE_FIXTURES_DIR) / "corpus";

// What one tool did with a sample, as the manifest records it.
struct ToolReport {
    std::string name;  // "7zz", "lsar" or "bsdtar"
    int exitCode = 0;
    std::optional<std::size_t> entries;  // none: no complete listing
};

struct Sample {
    std::string path;
    ToolReport sevenZip;
    ToolReport lsar;
    ToolReport bsdtar;
    std::string notes;
};

std::vector<std::string> split(const std::string& line, char separator) {
    std::vector<std::string> fields;
    std::stringstream stream(line);
    std::string field;
    while (std::getline(stream, field, separator)) fields.push_back(field);
    if (!line.empty() && line.back() == separator) fields.emplace_back();
    return fields;
}

std::optional<std::size_t> countOf(const std::string& field) {
    if (field == "NA") return std::nullopt;
    return static_cast<std::size_t>(std::stoul(field));
}

std::vector<Sample> readManifest() {
    std::ifstream manifest(kCorpus / "MANIFEST.tsv");
    std::string line;
    std::getline(manifest, line);
    const std::vector<std::string> header = split(line, '\t');
    std::map<std::string, std::size_t> column;
    for (std::size_t i = 0; i < header.size(); ++i) column[header[i]] = i;
    std::vector<Sample> samples;
    while (std::getline(manifest, line)) {
        if (line.empty()) continue;
        const std::vector<std::string> fields = split(line, '\t');
        Sample sample;
        sample.path = fields.at(column.at("path"));
        sample.sevenZip = {"7zz", std::stoi(fields.at(column.at("7zz_exit"))),
                           countOf(fields.at(column.at("7zz_entries")))};
        sample.lsar = {"lsar", std::stoi(fields.at(column.at("lsar_exit"))),
                       countOf(fields.at(column.at("lsar_entries")))};
        sample.bsdtar = {"bsdtar", std::stoi(fields.at(column.at("bsdtar_exit"))),
                         countOf(fields.at(column.at("bsdtar_entries")))};
        sample.notes = fields.at(column.at("notes"));
        samples.push_back(sample);
    }
    return samples;
}

// Reads the JSON string starting at `at` (the opening quote); `at` ends past it.
std::string readJsonString(const std::string& text, std::size_t& at) {
    std::string value;
    for (++at; at < text.size() && text[at] != '"'; ++at) {
        if (text[at] != '\\') {
            value.push_back(text[at]);
            continue;
        }
        const char escaped = text[++at];
        switch (escaped) {
            case 'n':
                value.push_back('\n');
                break;
            case 't':
                value.push_back('\t');
                break;
            case 'r':
                value.push_back('\r');
                break;
            case 'b':
                value.push_back('\b');
                break;
            case 'f':
                value.push_back('\f');
                break;
            case 'u': {
                auto code = static_cast<char32_t>(std::stoul(text.substr(at + 1, 4), nullptr, 16));
                at += 4;
                if (code >= 0xD800 && code < 0xDC00 && text.compare(at + 1, 2, "\\u") == 0) {
                    const auto low =
                        static_cast<char32_t>(std::stoul(text.substr(at + 3, 4), nullptr, 16));
                    code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
                    at += 6;
                }
                if (code < 0x80) {
                    value.push_back(static_cast<char>(code));
                } else if (code < 0x800) {
                    value.push_back(static_cast<char>(0xC0 | (code >> 6)));
                    value.push_back(static_cast<char>(0x80 | (code & 0x3F)));
                } else if (code < 0x10000) {
                    value.push_back(static_cast<char>(0xE0 | (code >> 12)));
                    value.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
                    value.push_back(static_cast<char>(0x80 | (code & 0x3F)));
                } else {
                    value.push_back(static_cast<char>(0xF0 | (code >> 18)));
                    value.push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
                    value.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
                    value.push_back(static_cast<char>(0x80 | (code & 0x3F)));
                }
                break;
            }
            default:
                value.push_back(escaped);
                break;  // \" \\ \/
        }
    }
    ++at;
    return value;
}

// The names a tool printed for each sample (at most 400), from TOOL_LISTINGS.jsonl.
std::map<std::string, std::map<std::string, std::vector<std::string>>> readToolListings() {
    std::map<std::string, std::map<std::string, std::vector<std::string>>> listings;
    std::ifstream file(kCorpus / "TOOL_LISTINGS.jsonl");
    std::string line;
    while (std::getline(file, line)) {
        std::size_t at = line.find("\"path\": ");
        if (at == std::string::npos) continue;
        at += 8;
        const std::string path = readJsonString(line, at);
        for (const std::string tool : {"7zz", "lsar", "bsdtar"}) {
            std::size_t names = line.find("\"" + tool + "\": [");
            if (names == std::string::npos) continue;
            names += tool.size() + 5;
            std::vector<std::string>& list = listings[path][tool];
            while (names < line.size() && line[names] != ']') {
                if (line[names] == '"') {
                    list.push_back(readJsonString(line, names));
                } else {
                    ++names;
                }
            }
        }
    }
    return listings;
}

enum class Outcome { listed, passwordRequired, processFailed, spins };

struct Expectation {
    Outcome outcome = Outcome::listed;
    const ToolReport* tool = nullptr;  // the tool whose listing is expected
};

// bsdtar's entries for what is read as a tar stream and bsdtar reads; otherwise the first
// tool as the routing chooses it, the other one when the first fails for a reason other
// than a password.
Expectation expectationFor(const Sample& sample) {
    if (TarStreamRoute::kindOf(kCorpus / sample.path) != TarStreamRoute::Kind::none &&
        sample.bsdtar.exitCode == 0) {
        return {Outcome::listed, &sample.bsdtar};
    }
    const bool lsarFirst = ArchiveEngineService().prefersLsarForListing(kCorpus / sample.path);
    const ToolReport& first = lsarFirst ? sample.lsar : sample.sevenZip;
    const ToolReport& second = lsarFirst ? sample.sevenZip : sample.lsar;
    const bool passwordListing =
        sample.notes.find("listing needs the password") != std::string::npos;
    for (const ToolReport* tool : {&first, &second}) {
        if (tool->exitCode == 0) return {Outcome::listed, tool};
        if (tool->exitCode == 124) return {Outcome::spins, tool};
        if (passwordListing) return {Outcome::passwordRequired, tool};
    }
    return {Outcome::processFailed, &second};
}

class CorpusListingTest : public ::testing::TestWithParam<Sample> {};

TEST_P(CorpusListingTest, ListsAsTheChosenToolReportsOrFailsAsPrescribed) {
    static const auto toolListings = readToolListings();
    const Sample& sample = GetParam();
    const fs::path archive = kCorpus / sample.path;
    const Expectation expected = expectationFor(sample);
    SCOPED_TRACE(sample.path + " (expecting " + expected.tool->name + ")");

    auto token = std::make_shared<ProcessCancellationToken>();
    auto run =
        std::async(std::launch::async, [&]() -> std::variant<ArchiveListing, ArchiveEngineError> {
            try {
                return ListingDispatch::listArchive(archive, std::nullopt, token, {});
            } catch (const ArchiveEngineError& error) {
                return error;
            }
        });

    if (expected.outcome == Outcome::spins) {
        // Wait until the tool is at work, then show that cancelling stops it.
        std::vector<pid_t> spinning;
        while (spinning.empty() &&
               run.wait_for(std::chrono::milliseconds(10)) == std::future_status::timeout) {
            spinning = childProcessesNamed(::getpid(), expected.tool->name);
        }
        ASSERT_FALSE(spinning.empty())
            << "the listing ended before " << expected.tool->name << " ran";
        token->cancel();
        const auto result = run.get();
        ASSERT_TRUE(std::holds_alternative<ArchiveEngineError>(result));
        EXPECT_EQ(std::get<ArchiveEngineError>(result).kind(), ArchiveEngineError::Case::cancelled);
        EXPECT_NE(::kill(spinning.front(), 0), 0) << "the tool outlived the listing";
        return;
    }

    // A safety net, not part of the expectation: no sample may hang the suite.
    if (run.wait_for(std::chrono::seconds(120)) != std::future_status::ready) {
        token->cancel();
        (void)run.get();
        FAIL() << "the listing did not end";
    }
    const auto result = run.get();

    if (expected.outcome == Outcome::listed) {
        ASSERT_TRUE(std::holds_alternative<ArchiveListing>(result))
            << std::get<ArchiveEngineError>(result).what();
        const ArchiveListing& listing = std::get<ArchiveListing>(result);
        EXPECT_EQ(listing.info().listEngine,
                  expected.tool->name == "bsdtar" ? ArchiveEngineKind::tarStream
                  : expected.tool->name == "7zz"  ? ArchiveEngineKind::sevenZip
                                                  : ArchiveEngineKind::unarchiver);
        // 7-Zip prints the one stream of a bzip2, xz, zstd or .Z file without a path; it
        // lists as one entry named after the archive, the name 7-Zip extracts it under.
        const bool unnamedStream = expected.tool->name == "7zz" &&
                                   sample.notes.find("without a Path line") != std::string::npos;
        if (unnamedStream) {
            ASSERT_EQ(listing.entries().size(), 1U);
            EXPECT_EQ(listing.entries().front().rawPath(),
                      StreamingSevenZipSLTParser::unnamedStreamPath(archive));
            EXPECT_FALSE(listing.entries().front().isDirectory());
            return;
        }
        EXPECT_EQ(listing.entries().size(), expected.tool->entries.value_or(0));
        // The names, in order, as the tool printed them.
        const auto names = toolListings.find(sample.path);
        ASSERT_NE(names, toolListings.end());
        const auto printed = names->second.find(expected.tool->name);
        ASSERT_NE(printed, names->second.end());
        std::vector<std::string> ours;
        for (const ArchiveEntry& entry : listing.entries()) {
            if (ours.size() == printed->second.size()) break;
            ours.emplace_back(entry.rawPath());
        }
        EXPECT_EQ(ours, printed->second);
        return;
    }

    ASSERT_TRUE(std::holds_alternative<ArchiveEngineError>(result))
        << "listed " << std::get<ArchiveListing>(result).entries().size() << " entries";
    const ArchiveEngineError& error = std::get<ArchiveEngineError>(result);
    EXPECT_EQ(error.kind(), expected.outcome == Outcome::passwordRequired
                                ? ArchiveEngineError::Case::passwordRequired
                                : ArchiveEngineError::Case::processFailed)
        << error.what();
    if (error.kind() == ArchiveEngineError::Case::processFailed) {
        EXPECT_FALSE(error.payload().empty());
    }
}

std::string sampleName(const ::testing::TestParamInfo<Sample>& info) {
    std::string name = info.param.path;
    for (char& c : name) {
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
    }
    return name;
}

INSTANTIATE_TEST_SUITE_P(Corpus, CorpusListingTest, ::testing::ValuesIn(readManifest()),
                         sampleName);

}  // namespace
}  // namespace kelvane
