// Create and extract options: defaults, format facts, levels and volume presets.
#include <gtest/gtest.h>

#include "localization/AppLanguage.hpp"
#include "model/CreateArchiveOptions.hpp"
#include "model/ExtractArchiveOptions.hpp"

namespace kelvane {
namespace {

TEST(OperationOptionsTest, CreateOptionsDefaults) {
    const CreateArchiveOptions options;
    EXPECT_EQ(options.format, ArchiveCreateFormat::zip);
    EXPECT_EQ(options.compressionLevel, CompressionLevel::normal);
    EXPECT_TRUE(options.password.empty());
    EXPECT_FALSE(options.encryptFileNames);
    EXPECT_EQ(options.volumeSplit, VolumeSplitPreset::none);
    EXPECT_TRUE(options.excludeMacJunk);
}

TEST(OperationOptionsTest, ExtractOptionsDefaultsAfterDestination) {
    const ExtractArchiveOptions options("/tmp/out");
    EXPECT_EQ(options.destinationFolder, "/tmp/out");
    EXPECT_TRUE(options.smartSubfolder);
    EXPECT_EQ(options.overwriteMode, ExtractOverwriteMode::overwrite);
    EXPECT_FALSE(options.password.has_value());
    EXPECT_TRUE(options.openInFinderWhenDone);
    EXPECT_EQ(ExtractOverwriteMode::fromRawValue("skipExisting"), ExtractOverwriteMode::skipExisting);
}

TEST(OperationOptionsTest, CompressionLevelRawValuesAreLevelNumbers) {
    EXPECT_EQ(CompressionLevel::fromRawValue(5), CompressionLevel::normal);
    EXPECT_EQ(CompressionLevel(CompressionLevel::normal).id(), 5);
    for (const int missing : {-1, 2, 3, 4, 6, 8, 10}) {
        EXPECT_FALSE(CompressionLevel::fromRawValue(missing).has_value()) << missing;
    }
    std::vector<int> raw;
    for (const CompressionLevel level : CompressionLevel::allCases()) raw.push_back(level.rawValue());
    EXPECT_EQ(raw, (std::vector<int>{0, 1, 5, 7, 9}));
}

TEST(OperationOptionsTest, CreateFormatFacts) {
    struct Row {
        ArchiveCreateFormat format;
        std::string_view raw, display, extension;
        bool encryption, headers, volumes;
    };
    const Row rows[] = {
        {ArchiveCreateFormat::zip, "zip", "ZIP (.zip)", "zip", true, false, true},
        {ArchiveCreateFormat::sevenZ, "sevenZ", "7-Zip (.7z)", "7z", true, true, true},
        {ArchiveCreateFormat::tarGz, "tarGz", "TAR.GZ (.tar.gz)", "tar.gz", false, false, false},
        {ArchiveCreateFormat::tarXz, "tarXz", "TAR.XZ (.tar.xz)", "tar.xz", false, false, false},
        {ArchiveCreateFormat::tar, "tar", "TAR (.tar)", "tar", false, false, true},
    };
    const auto all = ArchiveCreateFormat::allCases();
    ASSERT_EQ(all.size(), std::size(rows));
    for (std::size_t i = 0; i < all.size(); ++i) {
        const Row& row = rows[i];
        EXPECT_EQ(all[i], row.format);
        EXPECT_EQ(row.format.rawValue(), row.raw);
        EXPECT_EQ(row.format.displayName(), row.display);
        EXPECT_EQ(row.format.fileExtension(), row.extension);
        EXPECT_EQ(row.format.supportsEncryption(), row.encryption);
        EXPECT_EQ(row.format.supportsHeaderEncryption(), row.headers);
        EXPECT_EQ(row.format.supportsSplitVolumes(), row.volumes);
    }
    EXPECT_FALSE(ArchiveCreateFormat::fromRawValue("7z").has_value());
}

TEST(OperationOptionsTest, VolumePresetsAndTheirLabels) {
    EXPECT_FALSE(VolumeSplitPreset(VolumeSplitPreset::none).sevenZipFlag().has_value());
    EXPECT_EQ(VolumeSplitPreset(VolumeSplitPreset::mb700).sevenZipFlag(), "-v700m");
    EXPECT_EQ(VolumeSplitPreset(VolumeSplitPreset::gb4).sevenZipFlag(), "-v4g");
    EXPECT_EQ(VolumeSplitPreset(VolumeSplitPreset::gb1).displayLabel(), "1 GB");

    AppLanguage::setCurrent(AppLanguage::en);
    EXPECT_EQ(VolumeSplitPreset(VolumeSplitPreset::none).displayLabel(), "Single File");
    AppLanguage::setCurrent(AppLanguage::tr);
    EXPECT_EQ(VolumeSplitPreset(VolumeSplitPreset::none).displayLabel(), "Tek Parça");
    EXPECT_EQ(VolumeSplitPreset(VolumeSplitPreset::mb100).displayLabel(), "100 MB");
    AppLanguage::setFollowSystem();
}

}  // namespace
}  // namespace kelvane
