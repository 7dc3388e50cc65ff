#include <gtest/gtest.h>
#include <sys/stat.h>

#include <barrier>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "localization/AppStringCatalog.hpp"
#include "localization/PluralCategory.hpp"
#include "localization/PluralForms.hpp"
#include "platform/AppFolders.hpp"
#include "support/TemporaryFolder.hpp"

namespace kelvane {
namespace {

namespace fs = std::filesystem;
using testing::readFile;
using testing::TemporaryFolder;

const fs::path kLzfseFixtures = fs::path(KELVANE_FIXTURES_DIR) / "lzfse";

// Three pack folders in visiting order: the user's packs, the installed
// bundle's packs, the user's Custom overrides.
class AppStringCatalogTest : public ::testing::Test {
protected:
    [[nodiscard]] fs::path userPacks() const { return root_.path() / "user"; }
    [[nodiscard]] fs::path bundlePacks() const { return root_.path() / "bundle"; }
    [[nodiscard]] fs::path customPacks() const { return root_.path() / "user" / "Custom"; }
    [[nodiscard]] std::vector<fs::path> folders() const {
        return {userPacks(), bundlePacks(), customPacks()};
    }

    void writePack(const fs::path& folder, const std::string& name, std::string_view json) const {
        root_.write(fs::relative(folder, root_.path()) / name, json);
    }
    void copyFixture(const std::string& fixture, const fs::path& folder,
                     const std::string& name) const {
        writePack(folder, name, readFile(kLzfseFixtures / fixture));
    }

    TemporaryFolder root_;
};

TEST_F(AppStringCatalogTest, EnglishAndTurkishNeverConsultPacks) {
    writePack(userPacks(), "en.json", R"({"Open": "Opened by pack"})");
    writePack(userPacks(), "tr.json", R"({"Open": "Paketten"})");
    AppStringCatalog catalog(folders());
    EXPECT_EQ(catalog.resolve("Open", "Arşiv Aç", AppLanguage::en), "Open");
    EXPECT_EQ(catalog.resolve("Open", "Arşiv Aç", AppLanguage::tr), "Arşiv Aç");
    EXPECT_EQ(catalog.resolve("Open", "", AppLanguage::tr), "Open");
}

TEST_F(AppStringCatalogTest, LaterFoldersWinAndEmptyTextsAreIgnored) {
    // Flat shape in the user's folder, pack shape in the bundle and in Custom.
    writePack(userPacks(), "de.json", R"json({
        "Open": "Öffnen (user)", "Save": "Sichern (user)", "Close": "Schließen (user)",
        "Delete": "", "Keep": "Behalten (user)"})json");
    writePack(bundlePacks(), "de.json", R"json({
        "strings": {"Open": "Öffnen (bundle)", "Save": "Sichern (bundle)", "Keep": ""},
        "templates": {"%d files": "%d Dateien"}})json");
    writePack(customPacks(), "de.json",
              R"json({"strings": {"Open": "Öffnen (custom)", "Save": ""}})json");

    AppStringCatalog catalog(folders());
    const auto german = [&catalog](std::string_view en) {
        return catalog.resolve(en, "Türkçe", AppLanguage::de);
    };
    EXPECT_EQ(german("Open"), "Öffnen (custom)");
    EXPECT_EQ(german("Save"), "Sichern (bundle)");  // the empty Custom text does not erase it
    EXPECT_EQ(german("Close"), "Schließen (user)");
    EXPECT_EQ(german("Keep"), "Behalten (user)");
    EXPECT_EQ(german("Delete"), "Delete");              // an empty translation shows English
    EXPECT_EQ(german("Unknown text"), "Unknown text");  // never the Turkish text
    EXPECT_EQ(german("%d files"), "%d files");          // templates are not translations
    // A text with a number in it is only translated by an entry for that exact sentence.
    EXPECT_EQ(german("3 files"), "3 files");
}

TEST_F(AppStringCatalogTest, PortugueseAndChineseFallBackToTheirParents) {
    writePack(bundlePacks(), "pt-BR.json", R"json({"Open": "Abrir (BR)", "Save": "Salvar"})json");
    writePack(bundlePacks(), "pt-PT.json", R"json({"Open": "Abrir (PT)", "Save": ""})json");
    writePack(userPacks(), "zh-Hans.json",
              R"json({"strings": {"Open": "打开", "Save": "保存"}})json");
    writePack(userPacks(), "zh-Hant.json", R"json({"strings": {"Open": "打開"}})json");
    writePack(userPacks(), "de.json", R"json({"Open": "Öffnen"})json");

    AppStringCatalog catalog(folders());
    EXPECT_EQ(catalog.resolve("Open", "Aç", AppLanguage::ptPT), "Abrir (PT)");
    EXPECT_EQ(catalog.resolve("Save", "Kaydet", AppLanguage::ptPT), "Salvar");
    EXPECT_EQ(catalog.resolve("Close", "Kapat", AppLanguage::ptPT), "Close");
    EXPECT_EQ(catalog.resolve("Open", "Aç", AppLanguage::ptBR), "Abrir (BR)");
    EXPECT_EQ(catalog.resolve("Open", "Aç", AppLanguage::zhHant), "打開");
    EXPECT_EQ(catalog.resolve("Save", "Kaydet", AppLanguage::zhHant), "保存");
    // Only those two languages have a parent.
    EXPECT_EQ(catalog.resolve("Open", "Aç", AppLanguage::nl), "Open");
}

TEST_F(AppStringCatalogTest, PortugueseWithoutItsOwnPackShowsBrazilianTexts) {
    writePack(customPacks(), "pt-BR.json", R"({"Extract All": "Extrair Tudo"})");
    AppStringCatalog catalog(folders());
    EXPECT_EQ(catalog.resolve("Extract All", "Tümünü Çıkar", AppLanguage::ptPT), "Extrair Tudo");
}

TEST_F(AppStringCatalogTest, CompressedPackIsTriedFirstAndADamagedOneGivesWayToThePlainFile) {
    // A real compressed pack wins over the plain one beside it.
    copyFixture("small.json.lzfse", userPacks(), "de.json.lzfse");
    writePack(userPacks(), "de.json", R"({"Open": "plain file", "Quit": "plain only"})");
    // A damaged compressed pack next to a valid plain one.
    copyFixture("corrupt.json.lzfse", userPacks(), "fr.json.lzfse");
    writePack(userPacks(), "fr.json", R"({"Open": "Ouvrir"})");
    // A cut-off compressed pack.
    copyFixture("truncated.json.lzfse", userPacks(), "es.json.lzfse");
    writePack(userPacks(), "es.json", R"({"Open": "Abrir"})");
    // A compressed file that decodes to something other than JSON.
    copyFixture("multi.bin.lzfse", userPacks(), "it.json.lzfse");
    writePack(userPacks(), "it.json", R"({"Open": "Apri"})");
    // A large real pack with two compressed blocks and non-ASCII keys.
    copyFixture("large.json.lzfse", bundlePacks(), "el.json.lzfse");

    AppStringCatalog catalog(folders());
    EXPECT_EQ(catalog.resolve("Open", "Aç", AppLanguage::de), "Öffnen");
    EXPECT_EQ(catalog.resolve("Quit", "Çık", AppLanguage::de), "Beenden");
    EXPECT_EQ(catalog.resolve("Open", "Aç", AppLanguage::fr), "Ouvrir");
    EXPECT_EQ(catalog.resolve("Open", "Aç", AppLanguage::es), "Abrir");
    EXPECT_EQ(catalog.resolve("Open", "Aç", AppLanguage::it), "Apri");
    EXPECT_EQ(catalog.resolve("Name contains “Ελληνικά” and Ελληνικά (#0)", "x", AppLanguage::el),
              "Der Name enthält „Ελληνικά“ und Ελληνικά (Nr. 0)");
    EXPECT_EQ(catalog.resolve("Move 309 selected items in the sidebar", "x", AppLanguage::el),
              "Verschiebe 309 ausgewählte Objekte in der Seitenleiste");
}

TEST_F(AppStringCatalogTest, FilesInNeitherShapeAreSkipped) {
    struct Case {
        const char* json;
        bool used;
    };
    const Case cases[] = {
        {R"({"templates": {"Open": "templated"}})", false},             // templates only
        {R"({"strings": {"Open": "x"}, "templates": "oops"})", false},  // templates malformed
        {R"({"strings": {"Open": 7}})", false},
        {R"({"Open": "x", "Count": 3})", false},  // one wrong value spoils the flat shape
        {R"({"Open": null})", false},
        {R"(["Open", "x"])", false},
        {R"("Open")", false},
        {R"({"Open": "x")", false},  // cut off
        {"", false},
        {"{\"Open\": \"\xC3\x28\"}", false},  // not UTF-8
        {R"({"strings": null, "Open": "x"})", false},
        {R"({"strings": "Zeichenketten", "Open": "x"})", true},  // a flat pack after all
        {R"({"strings": {"Open": "x"}, "Open": "ignored"})", true},
        {R"({"strings": {"Open": "x"}, "templates": null})", true},
        {R"({"strings": {"Open": "x"}, "version": 2})", true},
        {R"({"Open": "x"})", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.json);
        const TemporaryFolder folder;
        folder.write("sv.json", c.json);
        AppStringCatalog catalog({folder.path()});
        EXPECT_EQ(catalog.resolve("Open", "Aç", AppLanguage::sv), c.used ? "x" : "Open");
    }
}

// The text a count's plural forms give, or "none" when the catalogue has no forms.
std::string countShown(AppStringCatalog& catalog, std::string_view pattern, AppLanguage language,
                       PluralCategory category, std::string_view number) {
    const std::optional<PluralForms> forms = catalog.pluralForms(pattern, language);
    return forms ? forms->withNumber(category, number) : "none";
}

TEST_F(AppStringCatalogTest, CountFormsComeFromBothShapesAndLaterFoldersWin) {
    writePack(userPacks(), "ru.json", R"json({"Open": "Открыть (user)",
        "%d files": {"one": "%d файл (user)", "other": "%d файла (user)"},
        "%d folders": {"one": "%d папка (user)", "other": "%d папки (user)"}})json");
    writePack(bundlePacks(), "ru.json", R"json({"strings": {
        "%d files": {"one": "%d файл", "few": "%d файла", "many": "%d файлов",
                     "other": "%d файла"}}})json");
    writePack(customPacks(), "ru.json", R"json({"strings": {
        "%d folders": {"one": "%d папка", "few": "%d папки", "many": "%d папок",
                       "other": "%d папки"},
        "%d items": "%d элементов"}})json");
    writePack(userPacks(), "en.json", R"json({"%d files": {"other": "%d pack files"}})json");
    writePack(userPacks(), "tr.json", R"json({"%d files": {"other": "%d paket dosyası"}})json");

    AppStringCatalog catalog(folders());
    using enum PluralCategoryCase;
    EXPECT_EQ(countShown(catalog, "%d files", AppLanguage::ru, many, "5"), "5 файлов");
    EXPECT_EQ(countShown(catalog, "%d folders", AppLanguage::ru, few, "3"), "3 папки");
    EXPECT_EQ(countShown(catalog, "%d folders", AppLanguage::ru, one, "21"), "21 папка");
    // Plain texts of the same packs still resolve; forms are not texts and a text is
    // not forms.
    EXPECT_EQ(catalog.resolve("Open", "Aç", AppLanguage::ru), "Открыть (user)");
    EXPECT_EQ(catalog.resolve("%d files", "%d dosya", AppLanguage::ru), "%d files");
    EXPECT_EQ(countShown(catalog, "%d items", AppLanguage::ru, many, "5"), "none");
    EXPECT_EQ(catalog.resolve("%d items", "%d öğe", AppLanguage::ru), "%d элементов");
    // English and Turkish count texts are built in, whatever packs there are.
    EXPECT_EQ(countShown(catalog, "%d files", AppLanguage::en, other, "2"), "none");
    EXPECT_EQ(countShown(catalog, "%d files", AppLanguage::tr, other, "2"), "none");
}

TEST_F(AppStringCatalogTest, CountFormsFallBackToTheParentLanguage) {
    writePack(bundlePacks(), "pt-BR.json", R"json({"Open": "Abrir",
        "%d files": {"one": "%d arquivo", "many": "%d arquivos", "other": "%d arquivos"}})json");
    writePack(bundlePacks(), "pt-PT.json", R"json({"Open": "Abrir",
        "%d folders": {"one": "%d pasta", "many": "%d pastas", "other": "%d pastas"}})json");
    writePack(bundlePacks(), "zh-Hans.json", R"json({"%d files": {"other": "%d 个文件"}})json");

    AppStringCatalog catalog(folders());
    using enum PluralCategoryCase;
    EXPECT_EQ(countShown(catalog, "%d files", AppLanguage::ptPT, other, "2"), "2 arquivos");
    EXPECT_EQ(countShown(catalog, "%d folders", AppLanguage::ptPT, one, "1"), "1 pasta");
    EXPECT_EQ(countShown(catalog, "%d folders", AppLanguage::ptBR, one, "1"), "none");
    EXPECT_EQ(countShown(catalog, "%d files", AppLanguage::zhHant, other, "3"), "3 个文件");
    // Only those two languages have a parent.
    EXPECT_EQ(countShown(catalog, "%d files", AppLanguage::ko, other, "3"), "none");
}

TEST_F(AppStringCatalogTest, MalformedCountFormsSpoilTheirPackLikeAnyValueThatIsNotAText) {
    struct Case {
        const char* forms;
        bool used;
    };
    const Case cases[] = {
        {R"({"one": "%d fil", "other": "%d filer"})", true},
        {R"({"other": "%d filer"})", true},
        {R"({"one": "%d fil"})", false},  // no "other"
        {R"({"one": "%d fil", "plural": "%d filer", "other": "%d filer"})", false},
        {R"({"one": "en fil", "other": "%d filer"})", false},               // number left out
        {R"json({"one": "%d fil", "other": "%d filer (%d)"})json", false},  // number twice
        {R"({"one": "%d fil", "other": ""})", false},
        {R"({"one": "%d fil", "other": 2})", false},
        {R"({"one": "%d fil", "other": null})", false},
        {R"({"one": "%d fil", "one": "%d fil", "other": "%d filer"})", false},
        {R"({})", false},
        {R"(["%d fil", "%d filer"])", false},
    };
    for (const Case& c : cases) {
        for (const bool packShape : {false, true}) {
            const std::string members = std::string(R"("Open": "x", "%d files": )") + c.forms;
            const std::string json =
                packShape ? "{\"strings\": {" + members + "}}" : "{" + members + "}";
            SCOPED_TRACE(json);
            const TemporaryFolder folder;
            folder.write("sv.json", json);
            AppStringCatalog catalog({folder.path()});
            EXPECT_EQ(catalog.resolve("Open", "Aç", AppLanguage::sv), c.used ? "x" : "Open");
            EXPECT_EQ(catalog.pluralForms("%d files", AppLanguage::sv).has_value(), c.used);
        }
    }
    // Forms belong only to a text with one "%d" where the number goes.
    for (const char* json : {R"({"Open": "x", "Files": {"other": "Filer"}})",
                             R"({"Open": "x", "%d of %d": {"other": "%d av %d"}})"}) {
        SCOPED_TRACE(json);
        const TemporaryFolder folder;
        folder.write("sv.json", json);
        AppStringCatalog catalog({folder.path()});
        EXPECT_EQ(catalog.resolve("Open", "Aç", AppLanguage::sv), "Open");
    }
}

TEST_F(AppStringCatalogTest, UnusableCompressedPackFallsThroughToThePlainOne) {
    // A templates-only compressed pack does not stop the plain file being read.
    writePack(userPacks(), "fi.json", R"({"Open": "Avaa"})");
    // Build a compressed templates-only pack from the raw block format: an
    // uncompressed block ("bvx-", little-endian size, bytes) and the end marker.
    const std::string json = R"({"templates": {"Open": "no"}})";
    std::string stream = "bvx-";
    for (int shift = 0; shift < 32; shift += 8) {
        stream += static_cast<char>((json.size() >> shift) & 0xFF);
    }
    stream += json + "bvx$";
    writePack(userPacks(), "fi.json.lzfse", stream);

    AppStringCatalog catalog(folders());
    EXPECT_EQ(catalog.resolve("Open", "Aç", AppLanguage::fi), "Avaa");
}

TEST_F(AppStringCatalogTest, MissingAndUnreadablePlacesAreSkipped) {
    fs::create_directories(userPacks() / "hu.json");  // a folder where a file is expected
    fs::create_directories(bundlePacks());
    // A named pipe nobody writes to: reading it must not wait forever.
    ASSERT_EQ(::mkfifo((bundlePacks() / "hu.json.lzfse").c_str(), 0600), 0);
    writePack(customPacks(), "hu.json", R"({"Open": "Megnyitás"})");
    AppStringCatalog catalog({root_.path() / "missing", userPacks(), bundlePacks(), customPacks()});
    EXPECT_EQ(catalog.resolve("Open", "Aç", AppLanguage::hu), "Megnyitás");
    EXPECT_EQ(catalog.resolve("Open", "Aç", AppLanguage::ko), "Open");

    AppStringCatalog noFolders({});
    EXPECT_EQ(noFolders.resolve("Open", "Aç", AppLanguage::ko), "Open");
}

TEST_F(AppStringCatalogTest, EachLanguageIsReadOnceAndKept) {
    writePack(userPacks(), "pl.json", R"({"Open": "Otwórz"})");
    AppStringCatalog catalog(folders());
    EXPECT_EQ(catalog.resolve("Open", "Aç", AppLanguage::pl), "Otwórz");
    EXPECT_EQ(catalog.resolve("Open", "Aç", AppLanguage::ro), "Open");

    // Changes on disk after first use wait for the next start, even for a
    // language whose (empty) table came from no pack at all.
    writePack(userPacks(), "pl.json", R"({"Open": "changed"})");
    writePack(userPacks(), "ro.json", R"({"Open": "Deschide"})");
    EXPECT_EQ(catalog.resolve("Open", "Aç", AppLanguage::pl), "Otwórz");
    EXPECT_EQ(catalog.resolve("Open", "Aç", AppLanguage::ro), "Open");

    // A language first asked for now reads the disk as it is now.
    writePack(userPacks(), "cs.json", R"({"Open": "Otevřít"})");
    EXPECT_EQ(catalog.resolve("Open", "Aç", AppLanguage::cs), "Otevřít");

    AppStringCatalog restarted(folders());
    EXPECT_EQ(restarted.resolve("Open", "Aç", AppLanguage::pl), "changed");
    EXPECT_EQ(restarted.resolve("Open", "Aç", AppLanguage::ro), "Deschide");
}

TEST_F(AppStringCatalogTest, ConcurrentLookupsAgree) {
    const std::vector<AppLanguage> languages = {AppLanguage::de, AppLanguage::fr, AppLanguage::ptPT,
                                                AppLanguage::zhHant};
    writePack(userPacks(), "de.json", R"({"Open": "de"})");
    writePack(userPacks(), "fr.json", R"({"Open": "fr"})");
    writePack(userPacks(), "pt-BR.json", R"({"Open": "pt-BR"})");
    writePack(userPacks(), "zh-Hans.json", R"({"Open": "zh-Hans"})");
    const std::vector<std::string> expected = {"de", "fr", "pt-BR", "zh-Hans"};

    AppStringCatalog catalog(folders());
    constexpr int kThreads = 8;
    std::barrier start(kThreads);
    std::vector<std::vector<std::string>> seen(kThreads);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            start.arrive_and_wait();
            for (int round = 0; round < 50; ++round) {
                const std::size_t which = static_cast<std::size_t>(t + round) % languages.size();
                seen[static_cast<std::size_t>(t)].push_back(
                    catalog.resolve("Open", "Aç", languages[which]) + "@" + expected[which]);
            }
        });
    }
    for (auto& thread : threads) thread.join();
    for (const auto& results : seen) {
        ASSERT_EQ(results.size(), 50U);
        for (const std::string& result : results) {
            const std::size_t at = result.find('@');
            EXPECT_EQ(result.substr(0, at), result.substr(at + 1));
        }
    }
}

TEST(AppStringCatalogFoldersTest, SharedCatalogReadsTheUsersDataFolders) {
    const char* dataHome = std::getenv("XDG_DATA_HOME");
    ASSERT_NE(dataHome, nullptr);
    const fs::path packs = fs::path(dataHome) / "Tessaloom" / "Localizations";
    const std::vector<fs::path> folders = AppStringCatalog::defaultPackFolders();
    ASSERT_GE(folders.size(), 2U);
    EXPECT_EQ(folders.front(), packs);
    EXPECT_EQ(folders.back(), packs / "Custom");
    if (const auto resources = AppFolders::resourcesFolder()) {
        ASSERT_EQ(folders.size(), 3U);
        EXPECT_EQ(folders[1], *resources / "Localizations");
    } else {
        EXPECT_EQ(folders.size(), 2U);
    }
    EXPECT_EQ(AppStringCatalog::shared().packFolders(), folders);
}

}  // namespace
}  // namespace kelvane
