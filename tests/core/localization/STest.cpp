#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "localization/AppLanguage.hpp"
#include "localization/S.hpp"
#include "platform/UserDefaults.hpp"
#include "support/ScopedEnvironment.hpp"
#include "support/TemporaryFolder.hpp"

namespace kelvane {
namespace {

namespace fs = std::filesystem;
using testing::ScopedEnvironment;

// The language is chosen through the standard store, which lives in this test
// binary's private configuration folder, and the system language through the
// environment.
class STest : public ::testing::Test {
protected:
    void SetUp() override {
        const char* configHome = std::getenv("XDG_CONFIG_HOME");
        ASSERT_NE(configHome, nullptr);
        ASSERT_EQ(UserDefaults::standard().file().parent_path().parent_path(),
                  fs::path(configHome));
        UserDefaults::standard().remove(AppLanguage::defaultsKey);
        AppLanguage::reloadCurrent();
        environment_.unset("LANGUAGE");
        environment_.unset("LC_ALL");
        environment_.unset("LC_MESSAGES");
        environment_.set("LANG", "en_US.UTF-8");
    }
    void TearDown() override { UserDefaults::standard().remove(AppLanguage::defaultsKey);
        AppLanguage::reloadCurrent(); }

    ScopedEnvironment environment_;
};

TEST_F(STest, NamedTextsFollowTheLanguageAtEachRead) {
    AppLanguage::setCurrent(AppLanguage::en);
    EXPECT_EQ(S::openArchive(), "Open");
    EXPECT_EQ(S::searchPlaceholder(), "Search inside archive (⌘F)…");
    EXPECT_EQ(S::solidPreviewNote(),
              "Solid or large entry — click below to extract only this file for instant preview.");
    EXPECT_EQ(S::t("Ad hoc", "Geçici"), "Ad hoc");

    AppLanguage::setCurrent(AppLanguage::tr);
    EXPECT_EQ(S::openArchive(), "Arşiv Aç");
    EXPECT_EQ(S::searchPlaceholder(), "Arşiv içinde ara (⌘F)…");
    EXPECT_EQ(S::dragOutHint(), "Dosyaları Finder / Masaüstü'ne sürükleyip bırakabilirsiniz");
    EXPECT_EQ(S::dropSubhead(),
              "Büyük 10+ GB arşivlerin bile içini çıkarmadan milisaniyede gezin · Normal dosya "
              "bırakırsanız yeni arşiv oluşturur");
    EXPECT_EQ(S::t("Ad hoc", "Geçici"), "Geçici");
    EXPECT_EQ(S::t("Ad hoc", ""), "Ad hoc");
    EXPECT_NE(S::splitVolumesLabel(), "Split into Volumes");
    EXPECT_NE(S::appSubtitle(), "");

    // Following the system: the environment decides, read afresh every time.
    AppLanguage::setFollowSystem();
    environment_.set("LANGUAGE", "tr_TR");
    EXPECT_EQ(S::cancel(), "Vazgeç");
    environment_.unset("LANGUAGE");
    EXPECT_EQ(S::cancel(), "Cancel");
}

TEST_F(STest, GermanWithoutAPackShowsEnglishEverywhere) {
    using Reader = std::string (*)();
    const Reader named[] = {&S::appSubtitle,       &S::openArchive,       &S::cancel,
                            &S::statSolid,         &S::extractSheetTitle, &S::passwordPromptHint,
                            &S::splitVolumesLabel, &S::noSelectionHint};
    const auto readAll = [&named] {
        std::vector<std::string> texts;
        for (const Reader reader : named) texts.push_back(reader());
        for (const ArchiveFilterKind kind : ArchiveFilterKind::allCases()) {
            texts.push_back(S::filterLabel(kind));
        }
        for (const CompressionLevel level : CompressionLevel::allCases()) {
            texts.push_back(S::compressionLabel(level));
        }
        for (const ExtractOverwriteMode mode : ExtractOverwriteMode::allCases()) {
            texts.push_back(S::overwriteLabel(mode));
        }
        return texts;
    };
    AppLanguage::setCurrent(AppLanguage::en);
    const std::vector<std::string> inEnglish = readAll();
    AppLanguage::setCurrent(AppLanguage::tr);
    const std::vector<std::string> inTurkish = readAll();
    AppLanguage::setCurrent(AppLanguage::de);
    const std::vector<std::string> inGerman = readAll();

    EXPECT_EQ(inGerman, inEnglish);
    ASSERT_EQ(inTurkish.size(), inEnglish.size());
    for (std::size_t i = 0; i < inEnglish.size(); ++i) {
        EXPECT_NE(inTurkish[i], inEnglish[i]) << "Turkish text missing for " << inEnglish[i];
    }
}

TEST_F(STest, LabelFunctionsNameEveryCase) {
    struct Row {
        std::string (*read)();
        const char* english;
        const char* turkish;
    };
    const Row rows[] = {
        {[] { return S::filterLabel(ArchiveFilterKind::all); }, "All", "Tümü"},
        {[] { return S::filterLabel(ArchiveFilterKind::folders); }, "Folders", "Klasör"},
        {[] { return S::filterLabel(ArchiveFilterKind::images); }, "Images", "Görsel"},
        {[] { return S::filterLabel(ArchiveFilterKind::codeText); }, "Code/Text", "Kod/Metin"},
        {[] { return S::filterLabel(ArchiveFilterKind::documents); }, "Docs", "Belge"},
        {[] { return S::filterLabel(ArchiveFilterKind::media); }, "Media", "Medya"},
        {[] { return S::filterLabel(ArchiveFilterKind::encrypted); }, "Locked", "Şifreli"},
        {[] { return S::compressionLabel(CompressionLevel::store); }, "Store (Instant · 0%)",
         "Depola (Hızlı · %0)"},
        {[] { return S::compressionLabel(CompressionLevel::fast); }, "Fast", "Hızlı"},
        {[] { return S::compressionLabel(CompressionLevel::normal); }, "Normal (Recommended)",
         "Normal (Önerilen)"},
        {[] { return S::compressionLabel(CompressionLevel::maximum); }, "Maximum", "Yüksek"},
        {[] { return S::compressionLabel(CompressionLevel::ultra); }, "Ultra (Smallest)",
         "Ultra (En Küçük)"},
        {[] { return S::overwriteLabel(ExtractOverwriteMode::overwrite); },
         "Overwrite existing files", "Mevcut dosyaların üzerine yaz"},
        {[] { return S::overwriteLabel(ExtractOverwriteMode::skipExisting); },
         "Skip existing files", "Mevcut dosyaları atla"},
        {[] { return S::overwriteLabel(ExtractOverwriteMode::autoRename); },
         "Auto-rename duplicates", "Çakışanları otomatik yeniden adlandır"},
    };
    for (const Row& row : rows) {
        AppLanguage::setCurrent(AppLanguage::en);
        EXPECT_EQ(row.read(), row.english);
        AppLanguage::setCurrent(AppLanguage::tr);
        EXPECT_EQ(row.read(), row.turkish);
    }
}

TEST_F(STest, CountTextsGroupDigitsForTheInterfaceLanguage) {
    struct Case {
        AppLanguage language;
        std::int64_t count;
        const char* files;
        const char* folders;
    };
    const Case cases[] = {
        {AppLanguage::en, 0, "0 files", "0 folders"},
        {AppLanguage::en, 1, "1 file", "1 folder"},
        {AppLanguage::en, 2, "2 files", "2 folders"},
        {AppLanguage::en, 12000, "12,000 files", "12,000 folders"},
        {AppLanguage::tr, 0, "0 dosya", "0 klasör"},
        {AppLanguage::tr, 1, "1 dosya", "1 klasör"},
        {AppLanguage::tr, 12000, "12.000 dosya", "12.000 klasör"},
        // No German pack in this test's folders: English words, German digit grouping.
        {AppLanguage::de, 1, "1 file", "1 folder"},
        {AppLanguage::de, 12000, "12.000 files", "12.000 folders"},
        {AppLanguage::de, 1234567, "1.234.567 files", "1.234.567 folders"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.language.rawValue()) + " " + std::to_string(c.count));
        AppLanguage::setCurrent(c.language);
        EXPECT_EQ(S::filesCountText(c.count), c.files);
        EXPECT_EQ(S::foldersCountText(c.count), c.folders);
    }
}

// The only test of this binary that shows these languages, so the shared catalogue
// reads the shipped packs copied here.
TEST_F(STest, CountTextsOfPackLanguagesTakeTheFormTheirGrammarNeeds) {
    const char* dataHome = std::getenv("XDG_DATA_HOME");
    ASSERT_NE(dataHome, nullptr);
    const fs::path packs = fs::path(dataHome) / "Tessaloom" / "Localizations";
    fs::create_directories(packs);
    const AppLanguage languages[] = {AppLanguage::ru, AppLanguage::ar, AppLanguage::ja,
                                     AppLanguage::pl, AppLanguage::fr};
    for (const AppLanguage language : languages) {
        const std::string name = std::string(language.rawValue()) + ".json";
        fs::copy_file(fs::path(KELVANE_SOURCE_PACKS_DIR) / name, packs / name,
                      fs::copy_options::overwrite_existing);
    }

    struct Case {
        AppLanguage language;
        std::int64_t count;
        const char* files;
        const char* folders;
    };
    const Case cases[] = {
        // Russian: the last digit, except for 11 to 14.
        {AppLanguage::ru, 1, "1 файл", "1 папка"},
        {AppLanguage::ru, 2, "2 файла", "2 папки"},
        {AppLanguage::ru, 5, "5 файлов", "5 папок"},
        {AppLanguage::ru, 21, "21 файл", "21 папка"},
        {AppLanguage::ru, 111, "111 файлов", "111 папок"},
        {AppLanguage::ru, 1234, "1\u00a0234 файла", "1\u00a0234 папки"},
        // Arabic: six forms, with Arabic-Indic digits.
        {AppLanguage::ar, 0, "٠ ملف", "٠ مجلد"},
        {AppLanguage::ar, 1, "١ ملف", "١ مجلد"},
        {AppLanguage::ar, 2, "٢ ملف", "٢ مجلد"},
        {AppLanguage::ar, 3, "٣ ملفات", "٣ مجلدات"},
        {AppLanguage::ar, 11, "١١ ملفًا", "١١ مجلدًا"},
        {AppLanguage::ar, 100, "١٠٠ ملف", "١٠٠ مجلد"},
        // Japanese: one form with a counter word.
        {AppLanguage::ja, 1, "1 個のファイル", "1 個のフォルダ"},
        {AppLanguage::ja, 1000, "1,000 個のファイル", "1,000 個のフォルダ"},
        // Polish: 2-4 and 22-24 differ from 5-21 and 25.
        {AppLanguage::pl, 1, "1 plik", "1 folder"},
        {AppLanguage::pl, 2, "2 pliki", "2 foldery"},
        {AppLanguage::pl, 5, "5 plików", "5 folderów"},
        {AppLanguage::pl, 12, "12 plików", "12 folderów"},
        {AppLanguage::pl, 22, "22 pliki", "22 foldery"},
        // French: zero is singular, and round millions have a form of their own.
        {AppLanguage::fr, 0, "0 fichier", "0 dossier"},
        {AppLanguage::fr, 1, "1 fichier", "1 dossier"},
        {AppLanguage::fr, 2, "2 fichiers", "2 dossiers"},
        {AppLanguage::fr, 1000000, "1\u202f000\u202f000 fichiers", "1\u202f000\u202f000 dossiers"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.language.rawValue()) + " " + std::to_string(c.count));
        AppLanguage::setCurrent(c.language);
        EXPECT_EQ(S::filesCountText(c.count), c.files);
        EXPECT_EQ(S::foldersCountText(c.count), c.folders);
    }

    for (const AppLanguage language : languages) {
        fs::remove(packs / (std::string(language.rawValue()) + ".json"));
    }
}

// The only test of this binary that shows Italian, so the shared catalogue
// reads the Italian packs written here.
TEST_F(STest, PackTranslationsReachNamedTextsAndCountTexts) {
    const char* dataHome = std::getenv("XDG_DATA_HOME");
    ASSERT_NE(dataHome, nullptr);
    const fs::path packs = fs::path(dataHome) / "Tessaloom" / "Localizations";
    fs::create_directories(packs / "Custom");
    testing::TemporaryFolder scratch;
    const auto place = [&scratch](const fs::path& target, std::string_view json) {
        fs::copy_file(scratch.write("pack.json", json), target,
                      fs::copy_options::overwrite_existing);
    };
    // A sentence with the count written in is no count text, nor is a plain text
    // under a count text's pattern.
    place(packs / "it.json", R"json({"strings": {
        "Open": "Apri", "Cancel": "Annulla", "All": "Tutti", "Only here": "Solo qui",
        "2 files": "2 file", "%d folders": "%d cartelle",
        "%d files": {"one": "%d file (pacchetto)", "other": "%d file (pacchetto)"}}})json");
    place(packs / "Custom" / "it.json", R"json({"Cancel": "Annulla (mio)",
        "%d files": {"one": "%d file (mio)", "many": "%d file (miei)", "other": "%d file (miei)"}})json");

    AppLanguage::setCurrent(AppLanguage::it);
    EXPECT_EQ(S::openArchive(), "Apri");
    EXPECT_EQ(S::cancel(), "Annulla (mio)");
    EXPECT_EQ(S::filterLabel(ArchiveFilterKind::all), "Tutti");
    EXPECT_EQ(S::t("Only here", "Sadece burada"), "Solo qui");
    EXPECT_EQ(S::extractAll(), "Extract All");
    EXPECT_EQ(S::filesCountText(1), "1 file (mio)");
    EXPECT_EQ(S::filesCountText(2), "2 file (miei)");
    EXPECT_EQ(S::filesCountText(12000), "12.000 file (miei)");
    EXPECT_EQ(S::foldersCountText(1), "1 folder");
    EXPECT_EQ(S::foldersCountText(2), "2 folders");

    fs::remove(packs / "it.json");
    fs::remove(packs / "Custom" / "it.json");
}

}  // namespace
}  // namespace kelvane
