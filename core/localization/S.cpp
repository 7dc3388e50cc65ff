#include "localization/S.hpp"

#include "localization/AppLanguage.hpp"
#include "localization/AppStringCatalog.hpp"
#include "localization/PluralCategory.hpp"
#include "localization/PluralForms.hpp"
#include "platform/LocaleNumberFormat.hpp"

namespace kelvane {
namespace {

// English and Turkish count texts are built in; Turkish nouns do not change after
// a number ("1 dosya", "5 dosya"). Another language's pack gives the forms its
// grammar needs, keyed by the English pattern, and the language's plural rules
// pick one; without them the English text is shown. The number is always grouped
// the way the interface language writes numbers.
std::string countText(std::string_view englishPattern, std::string_view turkishPattern,
                      std::string_view englishSingular, std::int64_t count) {
    const AppLanguage language = AppLanguage::current();
    const std::string number = LocaleNumberFormat::groupedDecimal(count, language.locale());
    const auto placed = [&number](std::string_view pattern) {
        std::string text(pattern);
        text.replace(text.find(PluralForms::kPlaceholder), PluralForms::kPlaceholder.size(),
                     number);
        return text;
    };
    if (language == AppLanguage::tr) return placed(turkishPattern);
    if (const std::optional<PluralForms> forms =
            AppStringCatalog::shared().pluralForms(englishPattern, language)) {
        return forms->withNumber(PluralCategory::of(count, language.locale()), number);
    }
    if (count == 1) return std::string(englishSingular);
    return placed(englishPattern);
}

}  // namespace

std::string S::t(std::string_view en, std::string_view tr) {
    return AppStringCatalog::shared().resolve(en, tr, AppLanguage::current());
}

std::string S::filesCountText(std::int64_t count) {
    return countText("%d files", "%d dosya", "1 file", count);
}

std::string S::foldersCountText(std::int64_t count) {
    return countText("%d folders", "%d klasör", "1 folder", count);
}

std::string S::filterLabel(ArchiveFilterKind kind) {
    switch (kind) {
        case ArchiveFilterKind::all:
            return t("All", "Tümü");
        case ArchiveFilterKind::folders:
            return t("Folders", "Klasör");
        case ArchiveFilterKind::images:
            return t("Images", "Görsel");
        case ArchiveFilterKind::codeText:
            return t("Code/Text", "Kod/Metin");
        case ArchiveFilterKind::documents:
            return t("Docs", "Belge");
        case ArchiveFilterKind::media:
            return t("Media", "Medya");
        case ArchiveFilterKind::encrypted:
            return t("Locked", "Şifreli");
    }
    return t("All", "Tümü");
}

std::string S::compressionLabel(CompressionLevel level) {
    switch (level) {
        case CompressionLevel::store:
            return t("Store (Instant · 0%)", "Depola (Hızlı · %0)");
        case CompressionLevel::fast:
            return t("Fast", "Hızlı");
        case CompressionLevel::normal:
            return t("Normal (Recommended)", "Normal (Önerilen)");
        case CompressionLevel::maximum:
            return t("Maximum", "Yüksek");
        case CompressionLevel::ultra:
            return t("Ultra (Smallest)", "Ultra (En Küçük)");
    }
    return t("Normal (Recommended)", "Normal (Önerilen)");
}

std::string S::overwriteLabel(ExtractOverwriteMode mode) {
    switch (mode) {
        case ExtractOverwriteMode::overwrite:
            return t("Overwrite existing files", "Mevcut dosyaların üzerine yaz");
        case ExtractOverwriteMode::skipExisting:
            return t("Skip existing files", "Mevcut dosyaları atla");
        case ExtractOverwriteMode::autoRename:
            return t("Auto-rename duplicates", "Çakışanları otomatik yeniden adlandır");
    }
    return t("Overwrite existing files", "Mevcut dosyaların üzerine yaz");
}

// Welcome screen and drop zone

std::string S::appSubtitle() {
    return t("Fast archive explorer and compression studio for Linux",
             "Linux için hızlı arşiv gezgini ve sıkıştırma stüdyosu");
}
std::string S::dropHeadline() {
    return t("Drop RAR, ZIP, 7Z, TAR, or ISO archives here",
             "RAR, ZIP, 7Z, TAR, ISO arşivlerini buraya sürükleyin");
}
std::string S::dropSubhead() {
    return t(
        "Browse inside massive 10+ GB archives in milliseconds without extracting · Drop regular "
        "files to create a new archive",
        "Büyük 10+ GB arşivlerin bile içini çıkarmadan milisaniyede gezin · Normal dosya "
        "bırakırsanız yeni arşiv oluşturur");
}

// Actions and buttons

std::string S::openArchive() {
    return t("Open", "Arşiv Aç");
}
std::string S::createArchive() {
    return t("New Archive", "Yeni Arşiv");
}
std::string S::extractAll() {
    return t("Extract All", "Tümünü Çıkar");
}
std::string S::extractSelected() {
    return t("Extract Selected", "Seçileni Çıkar");
}
std::string S::extractHere() {
    return t("Extract Here", "Buraya Çıkar");
}
std::string S::addFiles() {
    return t("Add", "Ekle");
}
std::string S::deleteSelected() {
    return t("Delete", "Sil");
}
std::string S::testArchive() {
    return t("Test", "Test Et");
}
std::string S::convertArchive() {
    return t("Convert", "Dönüştür");
}
std::string S::convertSheetTitle() {
    return t("Convert Archive (7Z / ZIP / TAR)", "Arşivi Dönüştür (7Z / ZIP / TAR)");
}
std::string S::convertSaveAction() {
    return t("Convert & Save…", "Dönüştür & Kaydet…");
}
std::string S::computeHashes() {
    return t("Compute SHA-256 & MD5", "SHA-256 & MD5 Hesapla");
}
std::string S::dragOutHint() {
    return t("Drag files directly out to Finder or Desktop",
             "Dosyaları Finder / Masaüstü'ne sürükleyip bırakabilirsiniz");
}
std::string S::previewFile() {
    return t("Preview", "Önizle");
}
std::string S::openFileDirect() {
    return t("Open File", "Aç");
}
std::string S::quickLook() {
    return t("Quick Look (Space)", "Göz At (Space)");
}
std::string S::upFolder() {
    return t("Up", "Üst Klasör");
}
std::string S::selectAll() {
    return t("Select All", "Tümünü Seç");
}
std::string S::copyPath() {
    return t("Copy Path", "Yolu Kopyala");
}
std::string S::cancel() {
    return t("Cancel", "Vazgeç");
}
std::string S::ok() {
    return t("OK", "Tamam");
}

// Browser, sidebar and table

std::string S::rootFolderName() {
    return t("Archive Root", "Arşiv Kökü");
}
std::string S::folderTreeTitle() {
    return t("Folder Tree", "Klasör Ağacı");
}
std::string S::archiveStatsTitle() {
    return t("Archive Summary", "Arşiv Özeti");
}
std::string S::recentArchivesTitle() {
    return t("Recent Archives", "Son Arşivler");
}
std::string S::previewPanelTitle() {
    return t("Quick Preview & Info", "Hızlı Önizleme & Bilgi");
}
std::string S::searchPlaceholder() {
    return t("Search inside archive (⌘F)…", "Arşiv içinde ara (⌘F)…");
}
std::string S::globalSearchHint() {
    return t("Results across all folders", "Tüm klasörlerde sonuçlar");
}
std::string S::colName() {
    return t("Name", "Ad");
}
std::string S::colSize() {
    return t("Size", "Boyut");
}
std::string S::colPacked() {
    return t("Packed", "Sıkıştırılmış");
}
std::string S::colRatio() {
    return t("Saved", "Tasarruf");
}
std::string S::colKind() {
    return t("Type", "Tür");
}
std::string S::colModified() {
    return t("Modified", "Değiştirilme");
}

// Archive summary

std::string S::statFormat() {
    return t("Format", "Format");
}
std::string S::statFiles() {
    return t("Files", "Dosya");
}
std::string S::statFolders() {
    return t("Folders", "Klasör");
}
std::string S::statOriginal() {
    return t("Original", "Orijinal");
}
std::string S::statArchiveSize() {
    return t("Archive Size", "Arşiv Boyutu");
}
std::string S::statSaved() {
    return t("Saved", "Kazanç");
}
std::string S::statSolid() {
    return t("Solid", "Katı (Solid)");
}
std::string S::statEncrypted() {
    return t("Encrypted", "Şifreli");
}
std::string S::statMultiVolume() {
    return t("Multi-Volume", "Çok Parçalı");
}

// Extract sheet

std::string S::extractSheetTitle() {
    return t("Extract Archive", "Dışa Aktar (Çıkar)");
}
std::string S::extractTargetFolder() {
    return t("Destination Folder", "Hedef Klasör");
}
std::string S::chooseFolder() {
    return t("Choose…", "Seç…");
}
std::string S::smartSubfolderToggle() {
    return t("Create smart subfolder (prevents loose file clutter)",
             "Akıllı alt klasör oluştur (dağılmayı önler)");
}
std::string S::openFinderToggle() {
    return t("Reveal in Finder when done", "Bitince Finder'da aç");
}
std::string S::passwordOptionalLabel() {
    return t("Archive Password (if encrypted)", "Arşiv Parolası (şifreliyse)");
}
std::string S::startExtract() {
    return t("Extract Now", "Çıkarmaya Başla");
}

// Create sheet

std::string S::createSheetTitle() {
    return t("Create New Archive", "Yeni Arşiv Oluştur");
}
std::string S::sourceItemsLabel() {
    return t("Files & Folders to Archive", "Eklenecek Dosya / Klasörler");
}
std::string S::addMoreItems() {
    return t("Add Files / Folders…", "Dosya / Klasör Ekle…");
}
std::string S::archiveFormatLabel() {
    return t("Archive Format", "Arşiv Formatı");
}
std::string S::compressionLevelLabel() {
    return t("Compression Level", "Sıkıştırma Seviyesi");
}
std::string S::splitVolumesLabel() {
    return t("Split into Volumes", "Parçalara Böl");
}
std::string S::encryptPasswordLabel() {
    return t("AES-256 Password (optional)", "AES-256 Parola (isteğe bağlı)");
}
std::string S::encryptNamesToggle() {
    return t("Encrypt file names too (7z Header)", "Dosya isimlerini de şifrele (7z Header)");
}
std::string S::excludeMacJunkToggle() {
    return t("Exclude .DS_Store and __MACOSX junk", ".DS_Store ve __MACOSX dosyalarını hariç tut");
}
std::string S::createSaveAction() {
    return t("Save Archive…", "Arşivi Kaydet…");
}

// Password prompt and preview

std::string S::passwordPromptTitle() {
    return t("Encrypted Archive", "Şifreli Arşiv");
}
std::string S::passwordPromptHint() {
    return t("This archive is password-protected. Enter the password to browse or extract.",
             "Bu arşiv parola ile korunuyor. İçeriği görmek veya çıkarmak için parolayı girin.");
}
std::string S::unlockArchive() {
    return t("Unlock", "Kilidi Aç");
}
std::string S::loadLargePreview() {
    return t("Load Preview", "Önizlemeyi Yükle");
}
std::string S::solidPreviewNote() {
    return t("Solid or large entry — click below to extract only this file for instant preview.",
             "Katı (solid) veya büyük dosya — otomatik indirme kapalı, butona basarak anında "
             "önizleyebilirsiniz.");
}
std::string S::noSelectionHint() {
    return t("Select a file to inspect images, code, JSON, PDF, and CRC32 details right here.",
             "Bir dosya seçin; görsel, kod, JSON, PDF ve CRC32 detayları burada anında görünür.");
}
std::string S::extractThisItem() {
    return t("Extract This Item", "Bu Öğeyi Çıkar");
}
std::string S::copyTextContent() {
    return t("Copy Text", "Metni Kopyala");
}

}  // namespace kelvane
