// The translation packs shipped with the program: every pack translates every text the
// code can show, keeps the patterns the program relies on, and loads from the folder
// the programs of the build tree read.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "InterfaceTextCollector.hpp"
#include "TranslationPackAudit.hpp"
#include "engine/ArchiveEngineError.hpp"
#include "localization/AppLanguage.hpp"
#include "localization/AppStringCatalog.hpp"
#include "localization/S.hpp"
#include "model/CompressionLevel.hpp"
#include "model/ExtractOverwriteMode.hpp"
#include "model/VolumeSplitPreset.hpp"
#include "process/SevenZipToolContract.hpp"
#include "process/TarToolContract.hpp"
#include "process/UnarchiverToolContract.hpp"
#include "support/TemporaryFolder.hpp"

namespace kelvane {
namespace {

namespace fs = std::filesystem;
using testing::InterfaceTextCollector;
using testing::readFile;
using testing::TranslationPackAudit;

const fs::path kSourceDir = KELVANE_SOURCE_DIR;
const fs::path kSourcePacks = KELVANE_SOURCE_PACKS_DIR;
const fs::path kBuildPacks = KELVANE_BUILD_PACKS_DIR;
const fs::path kCliFolder = KELVANE_CLI_FOLDER;

// Every English text the program can show, taken from the code itself: the text
// pairs of the core, the command-line companion and the application, and the
// engine's error texts, which the engine builds from its error cases.
std::vector<std::string> requiredEnglishTexts() {
    std::set<std::string> texts;
    for (const auto& pair : InterfaceTextCollector::pairsBelow(
             {kSourceDir / "core", kSourceDir / "cli", kSourceDir / "app"})) {
        texts.insert(pair.english);
    }
    const std::vector<ArchiveEngineError> errors{
        ArchiveEngineError::passwordRequired(),
        ArchiveEngineError::wrongPassword(),
        ArchiveEngineError::unsupportedModification(),
        ArchiveEngineError::cancelled(),
        ArchiveEngineError::binaryNotFound(std::string(SevenZipToolContract::kToolName)),
        ArchiveEngineError::binaryNotFound(std::string(UnarchiverToolContract::kListerName)),
        ArchiveEngineError::binaryNotFound(std::string(UnarchiverToolContract::kExtractorName)),
        ArchiveEngineError::binaryNotFound(std::string(TarToolContract::kToolName)),
    };
    for (const ArchiveEngineError& error : errors) texts.insert(error.what());
    return {texts.begin(), texts.end()};
}

// The count texts' English patterns ("%d files"), taken from the code like the texts.
std::vector<std::string> requiredCountPatterns() {
    std::set<std::string> patterns;
    for (const auto& pair : InterfaceTextCollector::countPatternsBelow(
             {kSourceDir / "core", kSourceDir / "cli", kSourceDir / "app"})) {
        patterns.insert(pair.english);
    }
    return {patterns.begin(), patterns.end()};
}

// The 35 languages whose texts come from packs.
std::vector<AppLanguage> packLanguages() {
    std::vector<AppLanguage> languages;
    for (const AppLanguage language : AppLanguage::allCases()) {
        if (language != AppLanguage::en && language != AppLanguage::tr) {
            languages.push_back(language);
        }
    }
    return languages;
}

std::vector<fs::path> shippedPacks() {
    std::vector<fs::path> packs;
    for (const fs::directory_entry& entry : fs::directory_iterator(kSourcePacks)) {
        if (entry.path().extension() == ".json") packs.push_back(entry.path());
    }
    std::sort(packs.begin(), packs.end());
    return packs;
}

std::string joined(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) text += "\n  " + line;
    return text;
}

// -- Collecting the texts from the code --------------------------------------------

TEST(InterfaceTextCollectorTest, ReadsPairsTheWayTheCompilerJoinsThem) {
    const auto pairs = InterfaceTextCollector::pairsInSource(R"src(
        // t("In a comment", "Yorumda") is not a text of the program.
        /* S::t("Block comment", "Blok yorumu") */
        return S::t("Drop files "
                    "here", "Dosyaları "   "bırakın");
        x = t("Say \"hi\"", "De \"selam\"", language);
        y = AppStringCatalog::shared().resolve(u8"Single File", "Tek Parça",
                                               AppLanguage::current());
        z = resolve("All " + n + " files", "Tüm " + n, language);
        w = countText(count, " dosya", "1 file", " files");
        const char quote = '"'; const int big = 1'000;
        v = S::t("After a quote character", "Tırnaktan sonra");
        u = t(R"(Raw "text")", "Ham");
        q = t(text, "Değişken");
    )src");
    std::vector<std::pair<std::string, std::string>> found;
    for (const auto& pair : pairs) found.emplace_back(pair.english, pair.turkish);
    const std::vector<std::pair<std::string, std::string>> expected{
        {"Drop files here", "Dosyaları bırakın"},
        {"Say \"hi\"", "De \"selam\""},
        {"Single File", "Tek Parça"},
        {"After a quote character", "Tırnaktan sonra"},
        {"Raw \"text\"", "Ham"},
    };
    EXPECT_EQ(found, expected);
}

TEST(InterfaceTextCollectorTest, ReadsCountPatternsOnlyFromCountTextCalls) {
    const auto pairs = InterfaceTextCollector::countPatternsInSource(R"src(
        std::string countText(std::string_view englishPattern, std::string_view turkish);
        // countText("%d lines", "%d satır", "1 line", count) in a comment is not one.
        return countText("%d files", "%d dosya", "1 file", count);
        return countText("%d " "folders", "%d klasör", "1 folder", count);
        t("%d items", "%d öğe");
        countText(pattern, "%d dosya", "1 file", count);
    )src");
    std::vector<std::pair<std::string, std::string>> found;
    for (const auto& pair : pairs) found.emplace_back(pair.english, pair.turkish);
    const std::vector<std::pair<std::string, std::string>> expected{
        {"%d files", "%d dosya"},
        {"%d folders", "%d klasör"},
    };
    EXPECT_EQ(found, expected);
}

TEST(InterfaceTextCollectorTest, FindsTheTextsOfEveryLayer) {
    const std::vector<std::string> texts = requiredEnglishTexts();
    const std::set<std::string> collected(texts.begin(), texts.end());
    AppLanguage::setCurrent(AppLanguage::en);

    std::vector<std::string> shown{
        S::openArchive(), S::dropSubhead(), S::searchPlaceholder(), S::solidPreviewNote(),
        S::copyTextContent(),
        // The model, the index, the engine and the command-line companion.
        VolumeSplitPreset(VolumeSplitPreset::none).displayLabel(), "Archive Root",
        "A folder with this name already exists: ", " files indexed…", "Archive file not found.",
        "Archive engine binary not found: bsdtar"};
    for (const ArchiveFilterKind kind : ArchiveFilterKind::allCases()) {
        shown.push_back(S::filterLabel(kind));
    }
    for (const CompressionLevel level : CompressionLevel::allCases()) {
        shown.push_back(S::compressionLabel(level));
    }
    for (const ExtractOverwriteMode mode : ExtractOverwriteMode::allCases()) {
        shown.push_back(S::overwriteLabel(mode));
    }
    for (const std::string& text : shown) {
        EXPECT_TRUE(collected.contains(text)) << "not collected: \"" << text << "\"";
    }
    // Count texts are looked up by their patterns, for plural forms, never as texts. The
    // test summaries are texts: a pattern with "%d" where the count goes, never a
    // sentence with the count written in.
    const std::vector<std::string> patterns = requiredCountPatterns();
    for (const char* pattern : {"%d files", "%d folders"}) {
        EXPECT_NE(std::find(patterns.begin(), patterns.end(), pattern), patterns.end())
            << "count pattern not collected: \"" << pattern << "\"";
        EXPECT_FALSE(collected.contains(pattern)) << pattern << " collected as a text";
    }
    EXPECT_FALSE(collected.contains("1 file"));
    EXPECT_FALSE(collected.contains(" files"));
    EXPECT_TRUE(collected.contains("All %d files passed CRC integrity verification."));
    EXPECT_TRUE(collected.contains("All %d files passed integrity verification."));
    EXPECT_FALSE(std::any_of(texts.begin(), texts.end(), [](const std::string& text) {
        return text.starts_with("All ") && text.find("%d") == std::string::npos;
    }));
    EXPECT_FALSE(collected.contains(""));
}

// -- The audit ------------------------------------------------------------------------

TEST(TranslationPackAuditTest, AcceptsSoundPacksInBothShapes) {
    const std::vector<std::string> required{"Open", " files indexed…", "Store (Instant · 0%)",
                                            "Extracted to "};
    EXPECT_EQ(TranslationPackAudit::problemsOfText(R"json({
        "Open": "Öffnen", " files indexed…": " Dateien gelesen…",
        "Store (Instant · 0%)": "Speichern (sofort · 0 %)", "Extracted to ": "Entpackt nach ",
        "A text the code no longer shows": "Ein alter Text"})json",
                                                   required),
              std::vector<std::string>{});
    EXPECT_EQ(TranslationPackAudit::problemsOfText(R"json({
        "strings": {"Open": "Öffnen", " files indexed…": " Dateien gelesen…",
                    "Store (Instant · 0%)": "Speichern (sofort · 0 %)",
                    "Extracted to ": "Entpackt nach "},
        "templates": {"All %d files passed.": "Alle %d Dateien bestanden."}})json",
                                                   required),
              std::vector<std::string>{});
}

TEST(TranslationPackAuditTest, FlagsEveryKindOfBrokenPack) {
    const std::vector<std::string> required{"Open", " files indexed…", "Store (Instant · 0%)",
                                            "Extracted to "};
    struct Case {
        const char* json;
        const char* expectedProblem;
    };
    const std::vector<Case> cases{
        {R"json({" files indexed…": " Dateien gelesen…", "Store (Instant · 0%)": "Speichern (0 %)",
             "Extracted to ": "Entpackt nach "})json",
         "\"Open\" is missing"},
        {R"json({"Open": "", " files indexed…": " Dateien gelesen…",
             "Store (Instant · 0%)": "Speichern (sofort · 0 %)", "Extracted to ": "Entpackt nach "})json",
         "\"Open\" has an empty translation"},
        {R"json({"Open": "Öffnen", " files indexed…": "Dateien gelesen…",
             "Store (Instant · 0%)": "Speichern (sofort · 0 %)", "Extracted to ": "Entpackt nach "})json",
         "blanks at its start"},
        {R"json({"Open": "Öffnen", " files indexed…": " Dateien gelesen…",
             "Store (Instant · 0%)": "Speichern (sofort · 0 %)", "Extracted to ": "Entpackt nach"})json",
         "blanks at its end"},
        {R"json({"Open": "Öffnen", " files indexed…": " Dateien gelesen…",
             "Store (Instant · 0%)": "Speichern (sofort · 0)", "Extracted to ": "Entpackt nach "})json",
         "number of \"%\" signs"},
        {R"json({"Open": "Öffnen", " files indexed…": " Dateien gelesen...",
             "Store (Instant · 0%)": "Speichern (sofort · 0 %)", "Extracted to ": "Entpackt nach "})json",
         "lost the \"…\""},
        {R"json({"Open": "Öffnen", " files indexed…": " Dateien gelesen…",
             "Store (Instant · 0%)": "Speichern (sofort, 0 %)", "Extracted to ": "Entpackt nach "})json",
         "lost the \"·\""},
        {R"json({"strings": {"Open": "Öffnen", " files indexed…": " Dateien gelesen…",
             "Store (Instant · 0%)": "Speichern (sofort · 0 %)", "Extracted to ": "Entpackt nach "},
             "templates": {"All %d files passed.": "Alle Dateien bestanden."}})json",
         "placeholders differ"},
        {R"json({"Open": "Öffnen", "Open": "Aufmachen", " files indexed…": " Dateien gelesen…",
             "Store (Instant · 0%)": "Speichern (sofort · 0 %)", "Extracted to ": "Entpackt nach "})json",
         "\"Open\" appears twice"},
        {R"json({"Open": "Öffnen", " files indexed…": " Dateien gelesen…",})json",
         "not valid JSON"},
        {R"json({"Open": "Öffnen", " files indexed…": 3})json", "not a text"},
        {R"json(["Open", "Öffnen"])json", "not a JSON object"},
        {R"json({"templates": {"Open": "Öffnen"}})json", "only \"templates\""},
        {R"json({"strings": ["Open", "Öffnen"]})json", "\"strings\" is not an object of texts"},
    };
    for (const Case& c : cases) {
        const std::vector<std::string> problems =
            TranslationPackAudit::problemsOfText(c.json, required);
        EXPECT_TRUE(std::any_of(problems.begin(), problems.end(),
                                [&c](const std::string& problem) {
                                    return problem.find(c.expectedProblem) != std::string::npos;
                                }))
            << "expected \"" << c.expectedProblem << "\" for " << c.json << "; got"
            << joined(problems);
    }
}

TEST(TranslationPackAuditTest, AnUnreadablePackIsAProblem) {
    const testing::TemporaryFolder folder;
    EXPECT_EQ(TranslationPackAudit::problems(folder.path() / "xx.json", {"Open"}),
              std::vector<std::string>{"cannot be read"});
}

TEST(TranslationPackAuditTest, KnowsWhichCategoriesEachLanguageCountsWith) {
    struct Case {
        const char* locale;
        std::vector<std::string> categories;
    };
    const std::vector<Case> cases{
        {"ja", {"other"}},
        {"de", {"one", "other"}},
        {"fr", {"one", "many", "other"}},  // "many" only for round millions
        {"cs", {"one", "few", "other"}},   // "many" is for fractions only
        {"ro", {"one", "few", "other"}},
        {"he", {"one", "two", "other"}},
        {"ru", {"one", "few", "many"}},  // "other" is for fractions only
        {"pl", {"one", "few", "many"}},
        {"ar", {"zero", "one", "two", "few", "many", "other"}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(TranslationPackAudit::wholeNumberCategories(c.locale), c.categories) << c.locale;
    }
}

TEST(TranslationPackAuditTest, AcceptsCountFormsThatFollowTheLanguagesRules) {
    const std::vector<std::string> texts{"Open"};
    const std::vector<std::string> patterns{"%d files"};
    EXPECT_EQ(TranslationPackAudit::problemsOfText(R"json({"strings": {"Open": "Открыть",
        "%d files": {"one": "%d файл", "few": "%d файла", "many": "%d файлов",
                     "other": "%d файла"}}})json",
                                                   texts, patterns, "ru"),
              std::vector<std::string>{});
    EXPECT_EQ(TranslationPackAudit::problemsOfText(
                  R"json({"Open": "開く", "%d files": {"other": "%d 個のファイル"}})json", texts,
                  patterns, "ja"),
              std::vector<std::string>{});
}

TEST(TranslationPackAuditTest, FlagsEveryKindOfBrokenCountForms) {
    const std::vector<std::string> texts{"Open"};
    const std::vector<std::string> patterns{"%d files", "%d folders"};
    struct Case {
        const char* locale;
        const char* forms;  // the members after "Open"
        const char* expectedProblem;
    };
    const std::vector<Case> cases{
        {"de", R"json("%d folders": {"one": "%d Ordner", "other": "%d Ordner"})json",
         "\"%d files\" is missing"},
        {"de",
         R"json("%d files": "%d Dateien", "%d folders": {"one": "%d Ordner", "other": "%d Ordner"})json",
         "\"%d files\" needs plural forms, not a single text"},
        {"ru",
         R"json("%d files": {"one": "%d файл", "many": "%d файлов", "other": "%d файла"},
            "%d folders": {"one": "%d папка", "few": "%d папки", "many": "%d папок", "other": "%d папки"})json",
         "\"%d files\" has no \"few\" form, which ru uses"},
        {"de",
         R"json("%d files": {"one": "%d Datei", "few": "%d Dateien", "other": "%d Dateien"},
            "%d folders": {"one": "%d Ordner", "other": "%d Ordner"})json",
         "\"%d files\" has a \"few\" form, which de never uses"},
        {"de",
         R"json("%d files": {"one": "%d Datei"}, "%d folders": {"one": "%d Ordner", "other": "%d Ordner"})json",
         "\"%d files\" has no \"other\" form"},
        {"de",
         R"json("%d files": {"one": "%d Datei", "other": "%d Dateien"},
            "%d folders": {"one": "%d Ordner", "plural": "%d Ordner", "other": "%d Ordner"})json",
         "\"plural\" is not a plural category"},
        {"de",
         R"json("%d files": {"one": "eine Datei", "other": "%d Dateien"},
            "%d folders": {"one": "%d Ordner", "other": "%d Ordner"})json",
         "\"one\" → \"eine Datei\": its \"%\" placeholders differ"},
        {"de",
         R"json("%d files": {"one": "%d Datei", "other": "%d Dateien (%d)"},
            "%d folders": {"one": "%d Ordner", "other": "%d Ordner"})json",
         "the program ignores the whole pack"},
        {"de",
         R"json("%d files": {"one": "%d Datei", "other": ""},
            "%d folders": {"one": "%d Ordner", "other": "%d Ordner"})json",
         "\"%d files\" has an empty \"other\" form"},
        {"de",
         R"json("%d files": {"one": "%d Datei", "one": "%d Datei", "other": "%d Dateien"},
            "%d folders": {"one": "%d Ordner", "other": "%d Ordner"})json",
         "\"one\" appears twice"},
        {"de",
         R"json("%d files": {"one": "%d Datei", "other": 2},
            "%d folders": {"one": "%d Ordner", "other": "%d Ordner"})json",
         "a plural form is not a text"},
        {"de",
         R"json("%d files": {"one": "%d Datei", "other": "%d Dateien"},
            "%d folders": {"one": "%d Ordner", "other": "%d Ordner"},
            "Files": {"other": "Dateien"})json",
         "\"Files\" has plural forms, but only a text with one \"%d\" can have them"},
    };
    for (const Case& c : cases) {
        // Both pack shapes hold count forms the same way.
        for (const bool packShape : {false, true}) {
            const std::string members = std::string(R"json("Open": "Öffnen", )json") + c.forms;
            const std::string json =
                packShape ? "{\"strings\": {" + members + "}}" : "{" + members + "}";
            const std::vector<std::string> problems =
                TranslationPackAudit::problemsOfText(json, texts, patterns, c.locale);
            EXPECT_TRUE(std::any_of(problems.begin(), problems.end(),
                                    [&c](const std::string& problem) {
                                        return problem.find(c.expectedProblem) != std::string::npos;
                                    }))
                << "expected \"" << c.expectedProblem << "\" for " << json << "; got"
                << joined(problems);
        }
    }
}

// -- The shipped packs -----------------------------------------------------------------

TEST(TranslationPacksTest, EveryShippedPackTranslatesEveryText) {
    const std::vector<std::string> required = requiredEnglishTexts();
    const std::vector<std::string> countPatterns = requiredCountPatterns();
    ASSERT_FALSE(countPatterns.empty());
    const std::vector<fs::path> packs = shippedPacks();
    ASSERT_FALSE(packs.empty()) << "no packs in " << kSourcePacks;
    for (const fs::path& pack : packs) {
        // A pack under any other name is never loaded.
        const auto language = AppLanguage::fromRawValue(pack.stem().string());
        EXPECT_TRUE(language && *language != AppLanguage::en && *language != AppLanguage::tr)
            << pack.filename() << " is not named after a pack language";
        const std::vector<std::string> problems =
            TranslationPackAudit::problems(pack, required, countPatterns);
        EXPECT_TRUE(problems.empty()) << pack.filename() << ":" << joined(problems);
    }
}

TEST(TranslationPacksTest, EachPackLoadsFromTheBundleFolderOfTheBuildTree) {
    // The folder every program of the build tree reads, by the rule the programs use.
    EXPECT_EQ(kBuildPacks,
              (kCliFolder / ".." / "share" / "kelvane" / "Localizations").lexically_normal());
    AppStringCatalog catalog({kBuildPacks});
    const std::vector<std::string> countPatterns = requiredCountPatterns();
    for (const fs::path& pack : shippedPacks()) {
        const auto language = AppLanguage::fromRawValue(pack.stem().string());
        if (!language) continue;  // reported by the test above
        const fs::path copy = kBuildPacks / pack.filename();
        ASSERT_TRUE(fs::exists(copy)) << copy;
        EXPECT_EQ(readFile(copy), readFile(pack)) << copy << " is out of date";
        for (const auto& [english, turkish] :
             {std::pair{"Open", "Arşiv Aç"},
              std::pair{"Archive file not found.", "Arşiv dosyası bulunamadı."}}) {
            const std::string shown = catalog.resolve(english, turkish, *language);
            EXPECT_NE(shown, english) << language->rawValue();
            EXPECT_NE(shown, turkish) << language->rawValue();
            EXPECT_FALSE(shown.empty()) << language->rawValue();
        }
        for (const std::string& pattern : countPatterns) {
            EXPECT_TRUE(catalog.pluralForms(pattern, *language))
                << language->rawValue() << " has no plural forms for " << pattern;
        }
    }
}

// Fails on a branch that carries only some of the languages: the packs are written on
// one branch per group of languages, and this check passes once all of them are merged.
TEST(TranslationPackSetTest, EveryPackLanguageShipsAPackOnceAllBranchesAreMerged) {
    std::vector<std::string> missing;
    for (const AppLanguage language : packLanguages()) {
        const std::string name = std::string(language.rawValue()) + ".json";
        if (!fs::exists(kSourcePacks / name)) missing.push_back(name);
    }
    EXPECT_TRUE(missing.empty()) << missing.size() << " of " << packLanguages().size()
                                 << " pack languages have no pack yet:" << joined(missing);
}

}  // namespace
}  // namespace kelvane
