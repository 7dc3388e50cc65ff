// Creation of the five formats with the real tools: every archive is listed again through
// the engine and unpacked with the tool itself, and compared file by file with its sources.
// Also what happens to an archive already at the destination, names that 7-Zip would read
// as wildcards, and the tar tool's compression levels.
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <filesystem>
#include <random>

#include "OperationTestSupport.hpp"
#include "engine/ArchiveCreator.hpp"
#include "engine/ArchiveEngineError.hpp"
#include "engine/ArchiveEngineService.hpp"
#include "index/ArchiveDirectoryIndex.hpp"
#include "process/ProcessCancellationToken.hpp"

namespace kelvane {
namespace {

namespace fs = std::filesystem;
using testing::engineErrorOf;
using testing::fileIds;
using testing::filesOf;
using testing::folderContents;
using testing::listWithEngine;
using testing::ProgressRecorder;
using testing::readFile;
using Case = ArchiveEngineError::Case;

// Names in the folder that a run may have left behind.
std::vector<std::string> leftovers(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& item : fs::directory_iterator(folder)) {
        const std::string name = item.path().filename().string();
        if (name.starts_with(".kelvane-")) names.push_back(name);
    }
    return names;
}

std::string randomBytes(std::size_t count, unsigned seed) {
    std::mt19937_64 generator(seed);
    std::string bytes(count, '\0');
    for (std::size_t i = 0; i + 8 <= count; i += 8) {
        const std::uint64_t value = generator();
        std::memcpy(bytes.data() + i, &value, 8);
    }
    return bytes;
}

class ArchiveCreationTest : public ::testing::Test {
protected:
    void SetUp() override {
        source_.write("docs/readme.md", "hello\n");
        source_.write("docs/sub/deeper/big.txt", testing::compressibleText(200 * 1024));
        source_.write("docs/café ☕.txt", "café\n");
        fs::create_directories(source_.path() / "docs" / "empty");
        source_.write("top.txt", "top\n");
    }

    std::vector<fs::path> sources() const {
        return {source_.path() / "docs", source_.path() / "top.txt"};
    }

    static fs::path create(const std::vector<fs::path>& sources, const fs::path& destination,
                           const CreateArchiveOptions& options,
                           const ProgressHandler& onProgress = {},
                           const std::shared_ptr<ProcessCancellationToken>& token = nullptr) {
        return ArchiveEngineService().createArchive(sources, destination, options, token,
                                                    onProgress);
    }

    static CreateArchiveOptions optionsFor(ArchiveCreateFormat format,
                                           CompressionLevel level = CompressionLevel::normal) {
        CreateArchiveOptions options;
        options.format = format;
        options.compressionLevel = level;
        return options;
    }

    // Unpacks with the tool that wrote the format into a fresh folder and returns its contents.
    std::map<std::string, std::string> unpacked(const fs::path& archive, ArchiveCreateFormat format,
                                                const std::string& password = {}) const {
        const fs::path folder = out_.path() / ("unpacked-" + std::to_string(unpackCount_++));
        if (format == ArchiveCreateFormat::tarGz || format == ArchiveCreateFormat::tarXz) {
            testing::unpackWithTar(archive, folder);
        } else {
            testing::unpackWithSevenZip(archive, folder, password);
        }
        return folderContents(folder);
    }

    testing::TemporaryFolder source_;
    testing::TemporaryFolder out_;
    mutable int unpackCount_ = 0;
};

struct FormatCase {
    ArchiveCreateFormat format;
    CompressionLevel level;
    const char* name;
    // The method 7-Zip's listing reports for the big file, when the level decides it.
    const char* methodPrefix;
};

class ArchiveCreationFormatTest : public ArchiveCreationTest,
                                  public ::testing::WithParamInterface<FormatCase> {};

TEST_P(ArchiveCreationFormatTest, ArchiveHoldsExactlyTheSources) {
    const FormatCase& row = GetParam();
    const fs::path destination = out_.path() / row.name;
    ProgressRecorder progress;
    const fs::path written =
        create(sources(), destination, optionsFor(row.format, row.level), progress.handler());
    EXPECT_EQ(written, destination);
    progress.expectClimbsToOne();
    EXPECT_TRUE(leftovers(out_.path()).empty());

    const std::map<std::string, std::string> expected = folderContents(source_.path());
    const ArchiveListing listing = listWithEngine(written);
    std::vector<std::string> expectedFiles;
    for (const auto& [path, bytes] : filesOf(expected)) expectedFiles.push_back(path);
    EXPECT_EQ(fileIds(listing), expectedFiles);
    EXPECT_EQ(unpacked(written, row.format), expected);

    if (*row.methodPrefix != '\0') {
        const ArchiveEntry* big = listing.tree()->entry("docs/sub/deeper/big.txt");
        ASSERT_NE(big, nullptr);
        EXPECT_TRUE(big->method().value_or("").starts_with(row.methodPrefix))
            << big->method().value_or("");
    }
}

INSTANTIATE_TEST_SUITE_P(
    EveryFormat, ArchiveCreationFormatTest,
    ::testing::Values(
        FormatCase{ArchiveCreateFormat::zip, CompressionLevel::store, "s.zip", "Store"},
        FormatCase{ArchiveCreateFormat::zip, CompressionLevel::ultra, "u.zip", "Deflate"},
        FormatCase{ArchiveCreateFormat::sevenZ, CompressionLevel::store, "s.7z", "Copy"},
        FormatCase{ArchiveCreateFormat::sevenZ, CompressionLevel::maximum, "m.7z", "LZMA2"},
        FormatCase{ArchiveCreateFormat::tar, CompressionLevel::normal, "n.tar", ""},
        FormatCase{ArchiveCreateFormat::tarGz, CompressionLevel::store, "s.tar.gz", ""},
        FormatCase{ArchiveCreateFormat::tarGz, CompressionLevel::ultra, "u.tar.gz", ""},
        FormatCase{ArchiveCreateFormat::tarXz, CompressionLevel::fast, "f.tar.xz", ""},
        FormatCase{ArchiveCreateFormat::tarXz, CompressionLevel::ultra, "u.tar.xz", ""}),
    [](const ::testing::TestParamInfo<FormatCase>& row) {
        std::string name = row.param.name;
        for (char& c : name) {
            if (c == '.') c = '_';
        }
        return name;
    });

TEST_F(ArchiveCreationTest, PasswordsEncryptContentsAndOptionallyNames) {
    CreateArchiveOptions zip = optionsFor(ArchiveCreateFormat::zip);
    zip.password = "s3cret";
    zip.encryptFileNames = true;  // ZIP cannot hide names: ignored
    const fs::path zipArchive = create(sources(), out_.path() / "p.zip", zip);
    const ArchiveListing zipListing = listWithEngine(zipArchive);
    EXPECT_TRUE(zipListing.info().hasEncryptedEntries);
    const ArchiveEntry* readme = zipListing.tree()->entry("docs/readme.md");
    ASSERT_NE(readme, nullptr);
    EXPECT_NE(readme->method().value_or("").find("AES-256"), std::string::npos);
    EXPECT_EQ(unpacked(zipArchive, zip.format, "s3cret"), folderContents(source_.path()));

    CreateArchiveOptions sevenZ = optionsFor(ArchiveCreateFormat::sevenZ);
    sevenZ.password = "s3cret";
    const fs::path visible = create(sources(), out_.path() / "visible.7z", sevenZ);
    const ArchiveListing visibleListing = listWithEngine(visible);  // names readable
    EXPECT_TRUE(visibleListing.info().hasEncryptedEntries);

    sevenZ.encryptFileNames = true;
    const fs::path hidden = create(sources(), out_.path() / "hidden.7z", sevenZ);
    EXPECT_EQ(engineErrorOf([&] { (void)listWithEngine(hidden); })->kind(), Case::passwordRequired);
    EXPECT_EQ(fileIds(listWithEngine(hidden, "s3cret")), fileIds(visibleListing));
    EXPECT_EQ(unpacked(hidden, sevenZ.format, "s3cret"), folderContents(source_.path()));

    // A password means nothing to TAR: the archive is plain.
    CreateArchiveOptions tar = optionsFor(ArchiveCreateFormat::tar);
    tar.password = "s3cret";
    tar.encryptFileNames = true;
    const ArchiveListing tarListing = listWithEngine(create(sources(), out_.path() / "p.tar", tar));
    EXPECT_FALSE(tarListing.info().hasEncryptedEntries);
}

TEST_F(ArchiveCreationTest, SplitSetReplacesAnOlderSetOfTheSameName) {
    // One volume of 100 MiB and a short second one; the data must not compress.
    const std::string big = randomBytes(101 * 1024 * 1024, 11);
    testing::TemporaryFolder payload;
    payload.write("big.bin", big);
    payload.write("small.txt", "small\n");

    const fs::path destination = out_.path() / "set.7z";
    // An older set of four volumes and a single archive of the same name.
    for (const char* suffix : {".001", ".002", ".003", ".004"}) {
        std::ofstream(out_.path() / ("set.7z" + std::string(suffix))) << "old volume";
    }
    std::ofstream(destination) << "old single archive";
    std::ofstream(out_.path() / "set.7z.notes") << "not a volume";

    CreateArchiveOptions options = optionsFor(ArchiveCreateFormat::sevenZ, CompressionLevel::store);
    options.volumeSplit = VolumeSplitPreset::mb100;
    ProgressRecorder progress;
    const fs::path written = create({payload.path() / "big.bin", payload.path() / "small.txt"},
                                    destination, options, progress.handler());
    EXPECT_EQ(written, out_.path() / "set.7z.001");
    progress.expectClimbsToOne();

    EXPECT_EQ(fs::file_size(out_.path() / "set.7z.001"), 100U * 1024 * 1024);
    EXPECT_TRUE(fs::exists(out_.path() / "set.7z.002"));
    EXPECT_FALSE(fs::exists(out_.path() / "set.7z.003"));
    EXPECT_FALSE(fs::exists(out_.path() / "set.7z.004"));
    EXPECT_FALSE(fs::exists(destination));
    EXPECT_TRUE(fs::exists(out_.path() / "set.7z.notes"));
    EXPECT_TRUE(leftovers(out_.path()).empty());

    const ArchiveListing listing = listWithEngine(written);
    EXPECT_TRUE(listing.info().isMultiVolume);
    EXPECT_EQ(fileIds(listing), (std::vector<std::string>{"big.bin", "small.txt"}));
    const auto contents = unpacked(written, options.format);
    EXPECT_TRUE(contents.at("big.bin") == big);
    EXPECT_EQ(contents.at("small.txt"), "small\n");
}

TEST_F(ArchiveCreationTest, VolumeSwitchOnASmallArchiveGivesOneVolume) {
    CreateArchiveOptions options = optionsFor(ArchiveCreateFormat::zip);
    options.volumeSplit = VolumeSplitPreset::mb700;
    const fs::path written = create(sources(), out_.path() / "small.zip", options);
    EXPECT_EQ(written, out_.path() / "small.zip.001");
    EXPECT_EQ(testing::filesOf(unpacked(written, options.format)),
              filesOf(folderContents(source_.path())));
}

class ExistingDestinationTest : public ArchiveCreationTest,
                                public ::testing::WithParamInterface<ArchiveCreateFormat> {
protected:
    fs::path destination() const {
        return out_.path() / ("backup." + std::string(GetParam().fileExtension()));
    }
};

TEST_P(ExistingDestinationTest, FailedRunLeavesTheOldArchiveAndNoPartialOutput) {
    std::ofstream(destination()) << "the old archive";
    const auto error = engineErrorOf([&] {
        (void)create({source_.path() / "top.txt", source_.path() / "missing.txt"}, destination(),
                     optionsFor(GetParam()));
    });
    EXPECT_EQ(error->kind(), Case::processFailed);
    EXPECT_FALSE(error->payload().empty());
    EXPECT_EQ(readFile(destination()), "the old archive");
    EXPECT_TRUE(leftovers(out_.path()).empty());
}

TEST_P(ExistingDestinationTest, CancelledRunLeavesTheOldArchiveAndNoPartialOutput) {
    std::ofstream(destination()) << "the old archive";
    source_.write("docs/large.bin", randomBytes(64 * 1024 * 1024, 3));
    auto token = std::make_shared<ProcessCancellationToken>();
    // 7-Zip's first percentage cancels; the tar path reports once before its run.
    const auto error = engineErrorOf([&] {
        (void)create(
            sources(), destination(), optionsFor(GetParam()),
            [&](const ProgressReport&) { token->cancel(); }, token);
    });
    EXPECT_EQ(error->kind(), Case::cancelled);
    EXPECT_EQ(readFile(destination()), "the old archive");
    EXPECT_TRUE(leftovers(out_.path()).empty());
}

TEST_P(ExistingDestinationTest, SuccessReplacesTheOldArchiveWhichIsNotPackedIntoTheNewOne) {
    // The destination lies inside the folder being packed.
    const fs::path inside =
        source_.path() / "docs" / ("old." + std::string(GetParam().fileExtension()));
    std::ofstream(inside) << "the old archive";
    const fs::path written = create(sources(), inside, optionsFor(GetParam()));
    EXPECT_EQ(written, inside);
    EXPECT_NE(readFile(inside), "the old archive");
    EXPECT_TRUE(leftovers(inside.parent_path()).empty());

    const std::string stored = "docs/old." + std::string(GetParam().fileExtension());
    const std::vector<std::string> ids = fileIds(listWithEngine(written));
    EXPECT_EQ(std::count(ids.begin(), ids.end(), stored), 0) << stored;
    EXPECT_EQ(std::count(ids.begin(), ids.end(), "docs/readme.md"), 1);
}

INSTANTIATE_TEST_SUITE_P(SevenZipAndTar, ExistingDestinationTest,
                         ::testing::Values(ArchiveCreateFormat::zip, ArchiveCreateFormat::sevenZ,
                                           ArchiveCreateFormat::tarGz),
                         [](const ::testing::TestParamInfo<ArchiveCreateFormat>& row) {
                             return std::string(row.param.rawValue());
                         });

TEST_F(ArchiveCreationTest, ConvertingOntoTheSameNameKeepsTheSourceReadable) {
    // The tool reads the old archive while the new one is being written.
    const fs::path archive =
        create(sources(), out_.path() / "self.zip", optionsFor(ArchiveCreateFormat::zip));
    const std::string before = readFile(archive);
    const fs::path written = create({archive}, archive, optionsFor(ArchiveCreateFormat::zip));
    EXPECT_EQ(written, archive);
    const auto contents = unpacked(archive, ArchiveCreateFormat::zip);
    EXPECT_EQ(contents.at("self.zip"), before);
}

TEST_F(ArchiveCreationTest, FolderAtTheDestinationIsNeverReplaced) {
    const fs::path folder = out_.path() / "folder.zip";
    fs::create_directories(folder / "keep");
    std::ofstream(folder / "keep" / "file.txt") << "kept";
    const auto error = engineErrorOf(
        [&] { (void)create(sources(), folder, optionsFor(ArchiveCreateFormat::zip)); });
    EXPECT_EQ(error->kind(), Case::processFailed);
    EXPECT_EQ(readFile(folder / "keep" / "file.txt"), "kept");
}

TEST_F(ArchiveCreationTest, DestinationWithoutExtensionIsWrittenUnderThatName) {
    const fs::path destination = out_.path() / "plain-name";
    EXPECT_EQ(create(sources(), destination, optionsFor(ArchiveCreateFormat::zip)), destination);
    EXPECT_TRUE(fs::is_regular_file(destination));
    EXPECT_FALSE(fs::exists(out_.path() / "plain-name.zip"));
}

TEST_F(ArchiveCreationTest, NoSourcesAndMissingToolsFailBeforeAnythingIsWritten) {
    const fs::path destination = out_.path() / "none.zip";
    EXPECT_EQ(*engineErrorOf(
                  [&] { (void)create({}, destination, optionsFor(ArchiveCreateFormat::zip)); }),
              ArchiveEngineError::processFailed("No input files selected."));

    const BinaryLocator::SearchFolders nowhere{{out_.path() / "no-tools"}};
    const auto runWithout = [&](ArchiveCreateFormat format) {
        return *engineErrorOf([&] {
            (void)ArchiveCreator::createArchive(sources(), destination, optionsFor(format), nullptr,
                                                {}, nowhere);
        });
    };
    EXPECT_EQ(runWithout(ArchiveCreateFormat::sevenZ), ArchiveEngineError::binaryNotFound("7zz"));
    EXPECT_EQ(runWithout(ArchiveCreateFormat::tarXz), ArchiveEngineError::binaryNotFound("bsdtar"));
    EXPECT_FALSE(fs::exists(destination));
    EXPECT_TRUE(leftovers(out_.path()).empty());
}

TEST_F(ArchiveCreationTest, PlainTarStandsInForTheLibarchiveOne) {
    testing::TemporaryFolder tools;
    fs::create_symlink("/usr/bin/tar", tools.path() / "tar");
    const fs::path written = ArchiveCreator::createArchive(
        sources(), out_.path() / "gnu.tar.gz", optionsFor(ArchiveCreateFormat::tarGz), nullptr, {},
        BinaryLocator::SearchFolders{{tools.path()}});
    EXPECT_EQ(unpacked(written, ArchiveCreateFormat::tarGz), folderContents(source_.path()));
}

// The tar tool's own level option: the environment variables alone change nothing for it.
TEST_F(ArchiveCreationTest, TarLevelsChangeTheOutput) {
    testing::TemporaryFolder text;
    text.write("words.txt", testing::compressibleText(600 * 1024, 5));
    for (const ArchiveCreateFormat format :
         {ArchiveCreateFormat::tarGz, ArchiveCreateFormat::tarXz}) {
        const std::string extension(format.fileExtension());
        const fs::path fast =
            create({text.path() / "words.txt"}, out_.path() / ("fast." + extension),
                   optionsFor(format, CompressionLevel::fast));
        const fs::path ultra =
            create({text.path() / "words.txt"}, out_.path() / ("ultra." + extension),
                   optionsFor(format, CompressionLevel::ultra));
        EXPECT_GT(fs::file_size(fast), fs::file_size(ultra) + 4096) << extension;
        EXPECT_EQ(unpacked(fast, format), unpacked(ultra, format));
    }
}

// 7-Zip reads "*" and "?" in names as wildcards unless told otherwise.
class WildcardNameTest : public ArchiveCreationTest {
protected:
    void SetUp() override {
        source_.write("pick/a*.txt", "star\n");
        source_.write("pick/ab.txt", "ab\n");
        source_.write("pick/abc.txt", "abc\n");
        source_.write("pick/a?.txt", "question\n");
        for (const char* folder : {"plain", "we*rd"}) {
            const std::string base = std::string(folder) + "/";
            source_.write(base + "keep.txt", "keep\n");
            source_.write(base + "sub/keep too.txt", "keep\n");
            source_.write(base + ".DS_Store", "junk");
            source_.write(base + "._keep.txt", "junk");
            source_.write(base + "sub/._deeper", "junk");
            source_.write(base + "__MACOSX/._x", "junk");
        }
    }

    std::vector<std::string> packed(const std::vector<fs::path>& sources,
                                    ArchiveCreateFormat format, bool excludeJunk = true) const {
        CreateArchiveOptions options = optionsFor(format);
        options.excludeMacJunk = excludeJunk;
        const fs::path destination = out_.path() / ("w" + std::to_string(unpackCount_++) + "." +
                                                    std::string(format.fileExtension()));
        return fileIds(listWithEngine(create(sources, destination, options)));
    }
};

TEST_F(WildcardNameTest, SourceNamedWithWildcardsPacksOnlyItself) {
    for (const ArchiveCreateFormat format :
         {ArchiveCreateFormat::zip, ArchiveCreateFormat::tarGz}) {
        EXPECT_EQ(packed({source_.path() / "pick" / "a*.txt"}, format),
                  std::vector<std::string>{"a*.txt"});
        EXPECT_EQ(packed({source_.path() / "pick" / "a?.txt", source_.path() / "pick" / "ab.txt"},
                         format),
                  (std::vector<std::string>{"a?.txt", "ab.txt"}));
    }
}

TEST_F(WildcardNameTest, JunkIsLeftOutWithOrWithoutWildcardNames) {
    const std::vector<std::string> plain{"plain/keep.txt", "plain/sub/keep too.txt"};
    const std::vector<std::string> weird{"we*rd/keep.txt", "we*rd/sub/keep too.txt"};
    for (const ArchiveCreateFormat format :
         {ArchiveCreateFormat::zip, ArchiveCreateFormat::sevenZ, ArchiveCreateFormat::tarGz}) {
        EXPECT_EQ(packed({source_.path() / "plain"}, format), plain);
        EXPECT_EQ(packed({source_.path() / "we*rd"}, format), weird);
        std::vector<std::string> both = plain;
        both.insert(both.begin(), weird.begin(), weird.end());
        std::sort(both.begin(), both.end());
        EXPECT_EQ(packed({source_.path() / "plain", source_.path() / "we*rd"}, format), both);
    }
    // Asked to keep it, the junk is packed in both cases.
    EXPECT_EQ(packed({source_.path() / "we*rd"}, ArchiveCreateFormat::zip, false).size(), 6U);
    EXPECT_EQ(packed({source_.path() / "plain"}, ArchiveCreateFormat::zip, false).size(), 6U);
}

}  // namespace
}  // namespace kelvane
