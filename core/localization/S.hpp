// Every visible text of the interface, each built in as an English and a
// Turkish version and resolved for the current interface language on every read.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "model/ArchiveFilterKind.hpp"
#include "model/CompressionLevel.hpp"
#include "model/ExtractOverwriteMode.hpp"

namespace kelvane {

// Holds no state: each text depends only on its pair, the current language and
// the loaded translation packs, so a language switch shows at the next read.
// Safe to call from any thread.
struct S final {
    // The pair resolved for the current language: English, Turkish (English when
    // the Turkish text is empty), or a translation pack's text for the English one.
    [[nodiscard]] static std::string t(std::string_view en, std::string_view tr);

    // "1 file", "12,000 files"; Turkish has no singular form ("1 dosya"). Other
    // languages take the plural form their pack gives for "%d files" ("21 файл",
    // "5 файлов"), or the English text when it has none; the number is grouped the
    // way the interface language writes numbers.
    [[nodiscard]] static std::string filesCountText(std::int64_t count);
    // "1 folder", "12,000 folders", "3 klasör"; from "%d folders" in a pack.
    [[nodiscard]] static std::string foldersCountText(std::int64_t count);

    [[nodiscard]] static std::string filterLabel(ArchiveFilterKind kind);
    [[nodiscard]] static std::string compressionLabel(CompressionLevel level);
    [[nodiscard]] static std::string overwriteLabel(ExtractOverwriteMode mode);

    // Welcome screen and drop zone
    [[nodiscard]] static std::string appSubtitle();
    [[nodiscard]] static std::string dropHeadline();
    [[nodiscard]] static std::string dropSubhead();

    // Actions and buttons
    [[nodiscard]] static std::string openArchive();
    [[nodiscard]] static std::string createArchive();
    [[nodiscard]] static std::string extractAll();
    [[nodiscard]] static std::string extractSelected();
    [[nodiscard]] static std::string extractHere();
    [[nodiscard]] static std::string addFiles();
    [[nodiscard]] static std::string deleteSelected();
    [[nodiscard]] static std::string testArchive();
    [[nodiscard]] static std::string convertArchive();
    [[nodiscard]] static std::string convertSheetTitle();
    [[nodiscard]] static std::string convertSaveAction();
    [[nodiscard]] static std::string computeHashes();
    [[nodiscard]] static std::string dragOutHint();
    [[nodiscard]] static std::string previewFile();
    [[nodiscard]] static std::string openFileDirect();
    [[nodiscard]] static std::string quickLook();
    [[nodiscard]] static std::string upFolder();
    [[nodiscard]] static std::string selectAll();
    [[nodiscard]] static std::string copyPath();
    [[nodiscard]] static std::string cancel();
    [[nodiscard]] static std::string ok();

    // Browser, sidebar and table
    [[nodiscard]] static std::string rootFolderName();
    [[nodiscard]] static std::string folderTreeTitle();
    [[nodiscard]] static std::string archiveStatsTitle();
    [[nodiscard]] static std::string recentArchivesTitle();
    [[nodiscard]] static std::string previewPanelTitle();
    [[nodiscard]] static std::string searchPlaceholder();
    [[nodiscard]] static std::string globalSearchHint();
    [[nodiscard]] static std::string colName();
    [[nodiscard]] static std::string colSize();
    [[nodiscard]] static std::string colPacked();
    [[nodiscard]] static std::string colRatio();
    [[nodiscard]] static std::string colKind();
    [[nodiscard]] static std::string colModified();

    // Archive summary
    [[nodiscard]] static std::string statFormat();
    [[nodiscard]] static std::string statFiles();
    [[nodiscard]] static std::string statFolders();
    [[nodiscard]] static std::string statOriginal();
    [[nodiscard]] static std::string statArchiveSize();
    [[nodiscard]] static std::string statSaved();
    [[nodiscard]] static std::string statSolid();
    [[nodiscard]] static std::string statEncrypted();
    [[nodiscard]] static std::string statMultiVolume();

    // Extract sheet
    [[nodiscard]] static std::string extractSheetTitle();
    [[nodiscard]] static std::string extractTargetFolder();
    [[nodiscard]] static std::string chooseFolder();
    [[nodiscard]] static std::string smartSubfolderToggle();
    [[nodiscard]] static std::string openFinderToggle();
    [[nodiscard]] static std::string passwordOptionalLabel();
    [[nodiscard]] static std::string startExtract();

    // Create sheet
    [[nodiscard]] static std::string createSheetTitle();
    [[nodiscard]] static std::string sourceItemsLabel();
    [[nodiscard]] static std::string addMoreItems();
    [[nodiscard]] static std::string archiveFormatLabel();
    [[nodiscard]] static std::string compressionLevelLabel();
    [[nodiscard]] static std::string splitVolumesLabel();
    [[nodiscard]] static std::string encryptPasswordLabel();
    [[nodiscard]] static std::string encryptNamesToggle();
    [[nodiscard]] static std::string excludeMacJunkToggle();
    [[nodiscard]] static std::string createSaveAction();

    // Password prompt and preview
    [[nodiscard]] static std::string passwordPromptTitle();
    [[nodiscard]] static std::string passwordPromptHint();
    [[nodiscard]] static std::string unlockArchive();
    [[nodiscard]] static std::string loadLargePreview();
    [[nodiscard]] static std::string solidPreviewNote();
    [[nodiscard]] static std::string noSelectionHint();
    [[nodiscard]] static std::string extractThisItem();
    [[nodiscard]] static std::string copyTextContent();
};

}  // namespace kelvane
