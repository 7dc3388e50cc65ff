// The engine's error cases, their equality and their texts in English and Turkish.
#include <gtest/gtest.h>

#include <string>

#include "engine/ArchiveEngineError.hpp"
#include "localization/AppLanguage.hpp"

namespace kelvane {
namespace {

struct ErrorTextCase {
    ArchiveEngineError error;
    std::string english;
    std::string turkish;
};

class ArchiveEngineErrorTest : public ::testing::Test {
protected:
    void TearDown() override { AppLanguage::setFollowSystem(); }
};

TEST_F(ArchiveEngineErrorTest, DescribesEveryCaseInEnglishAndTurkish) {
    const ErrorTextCase cases[] = {
        {ArchiveEngineError::binaryNotFound("7zz"), "Archive engine binary not found: 7zz",
         "Arşiv motoru bulunamadı: 7zz"},
        {ArchiveEngineError::processFailed("7zz list failed (exit 2)"), "7zz list failed (exit 2)",
         "7zz list failed (exit 2)"},
        {ArchiveEngineError::passwordRequired(),
         "This archive is encrypted. Enter the password to continue.",
         "Bu arşiv şifreli. Devam etmek için parolayı girin."},
        {ArchiveEngineError::wrongPassword(), "Incorrect password. Please try again.",
         "Parola hatalı. Lütfen tekrar deneyin."},
        {ArchiveEngineError::unsupportedModification(),
         "This archive format is read-only (only ZIP, 7Z, and TAR support adding or deleting "
         "entries).",
         "Bu arşiv formatı salt okunurdur (yalnızca ZIP, 7Z ve TAR içine dosya eklenip "
         "silinebilir)."},
        {ArchiveEngineError::cancelled(), "Operation cancelled.", "İşlem iptal edildi."},
    };
    for (const ErrorTextCase& c : cases) {
        AppLanguage::setCurrent(AppLanguage::en);
        EXPECT_EQ(c.error.errorDescription(), c.english);
        AppLanguage::setCurrent(AppLanguage::tr);
        EXPECT_EQ(c.error.errorDescription(), c.turkish);
        // what() stays English whatever the interface language.
        EXPECT_EQ(std::string(c.error.what()), c.english);
    }
}

TEST_F(ArchiveEngineErrorTest, ToolMessageIsShownAsItIsInEveryLanguage) {
    const auto error = ArchiveEngineError::processFailed("Operation cancelled.");
    for (const AppLanguage language : {AppLanguage::tr, AppLanguage::de, AppLanguage::ja}) {
        AppLanguage::setCurrent(language);
        EXPECT_EQ(error.errorDescription(), "Operation cancelled.");
    }
}

TEST_F(ArchiveEngineErrorTest, EqualWhenSameCaseAndSamePayload) {
    using Case = ArchiveEngineError::Case;
    EXPECT_EQ(ArchiveEngineError::cancelled(), ArchiveEngineError::cancelled());
    EXPECT_EQ(ArchiveEngineError::binaryNotFound("unar"),
              ArchiveEngineError::binaryNotFound("unar"));
    EXPECT_NE(ArchiveEngineError::binaryNotFound("unar"),
              ArchiveEngineError::binaryNotFound("lsar"));
    EXPECT_NE(ArchiveEngineError::binaryNotFound("x"), ArchiveEngineError::processFailed("x"));
    EXPECT_NE(ArchiveEngineError::passwordRequired(), ArchiveEngineError::wrongPassword());
    EXPECT_EQ(ArchiveEngineError::processFailed("boom").kind(), Case::processFailed);
    EXPECT_EQ(ArchiveEngineError::processFailed("boom").payload(), "boom");
    EXPECT_EQ(ArchiveEngineError::wrongPassword().payload(), "");
    EXPECT_EQ(static_cast<int>(Case::cancelled), 5);
}

TEST_F(ArchiveEngineErrorTest, CanBeCaughtAsAStandardException) {
    try {
        throw ArchiveEngineError::binaryNotFound("bsdtar");
    } catch (const std::exception& error) {
        EXPECT_STREQ(error.what(), "Archive engine binary not found: bsdtar");
    }
}

}  // namespace
}  // namespace kelvane
