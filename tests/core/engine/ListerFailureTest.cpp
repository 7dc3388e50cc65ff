// How each lister turns a failed tool run into an engine error.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "ListingTestSupport.hpp"
#include "engine/SevenZipLister.hpp"
#include "engine/UnarchiverLister.hpp"

namespace kelvane {
namespace {

using Case = ArchiveEngineError::Case;
using testing::readFile;
using testing::testData;

const std::optional<std::string> kNoPassword;
const std::optional<std::string> kEmptyPassword = std::string();
const std::optional<std::string> kPassword = std::string("secret");

TEST(SevenZipListerFailure, PasswordPhrasesInTheErrorTailOrTheHeader) {
    const std::string capturedTail =
        readFile(testData("sevenzip/7zz-26.02-encrypted-names.7z.stderr.txt"));
    EXPECT_EQ(SevenZipLister::failureFor(2, capturedTail, "", kNoPassword).kind(),
              Case::passwordRequired);
    EXPECT_EQ(SevenZipLister::failureFor(2, capturedTail, "", kEmptyPassword).kind(),
              Case::passwordRequired);
    EXPECT_EQ(SevenZipLister::failureFor(2, capturedTail, "", kPassword).kind(),
              Case::wrongPassword);
    EXPECT_EQ(SevenZipLister::failureFor(2, "", "Listing...\nWRONG PASSWORD\n", kPassword).kind(),
              Case::wrongPassword);
    EXPECT_EQ(
        SevenZipLister::failureFor(2, "Can Not Open Encrypted Archive", "", kNoPassword).kind(),
        Case::passwordRequired);
}

TEST(SevenZipListerFailure, OtherFailuresCarryTheTrimmedTailOrAFixedText) {
    EXPECT_EQ(SevenZipLister::failureFor(2, "", "header", kNoPassword),
              ArchiveEngineError::processFailed("7zz list failed (exit 2)"));
    EXPECT_EQ(SevenZipLister::failureFor(2, " \n\t", "", kNoPassword),
              ArchiveEngineError::processFailed("7zz list failed (exit 2)"));
    EXPECT_EQ(SevenZipLister::failureFor(2, "\nERROR: x.rar : Cannot open the file as archive\n\n",
                                         "", kPassword),
              ArchiveEngineError::processFailed("ERROR: x.rar : Cannot open the file as archive"));
}

TEST(UnarchiverListerFailure, PasswordPhrasesOnEitherStream) {
    const std::string capturedError =
        readFile(testData("lsar/lsar-1.10.1-encrypted-names.7z.stderr.txt"));
    const std::string capturedOutput =
        readFile(testData("lsar/lsar-1.10.1-encrypted-names.7z.json"));
    EXPECT_EQ(UnarchiverLister::failureFor(2, capturedOutput, capturedError, kNoPassword).kind(),
              Case::passwordRequired);
    EXPECT_EQ(UnarchiverLister::failureFor(1, "Wrong Password", "", kPassword).kind(),
              Case::wrongPassword);
    EXPECT_EQ(UnarchiverLister::failureFor(1, "", "Decryption failed", kEmptyPassword).kind(),
              Case::passwordRequired);
    EXPECT_EQ(UnarchiverLister::failureFor(1, "", "entry is ENCRYPTED", kPassword).kind(),
              Case::wrongPassword);
}

TEST(UnarchiverListerFailure, EntryNamesInTheJsonOutputAreNoMessage) {
    // A damaged archive that holds a file named like a password problem.
    const std::string output =
        R"({"lsarContents": [{"XADFileName": "passwords/encrypted.txt"}], "lsarError": 2})";
    EXPECT_EQ(UnarchiverLister::failureFor(1, output, "", kNoPassword),
              ArchiveEngineError::processFailed("lsar failed (exit 1)"));
    EXPECT_EQ(UnarchiverLister::failureFor(1, "  {\"lsarContents\": [{\"XADFileName\": \"password",
                                           "", kNoPassword),
              ArchiveEngineError::processFailed("lsar failed (exit 1)"));
    EXPECT_EQ(UnarchiverLister::failureFor(1, "", "  Archive parsing failed!\n", kNoPassword),
              ArchiveEngineError::processFailed("Archive parsing failed!"));
}

TEST(UnarchiverListerFailure, UndecodableOutput) {
    EXPECT_EQ(UnarchiverLister::undecodableFailure("", "", kNoPassword),
              ArchiveEngineError::processFailed("Could not decode lsar archive listing."));
    EXPECT_EQ(UnarchiverLister::undecodableFailure("", "needs a Password", kNoPassword).kind(),
              Case::passwordRequired);
    EXPECT_EQ(UnarchiverLister::undecodableFailure("password?", "", kPassword).kind(),
              Case::wrongPassword);
    // "encrypted" alone is not enough once the tool has said it succeeded.
    EXPECT_EQ(UnarchiverLister::undecodableFailure("", "encrypted", kNoPassword),
              ArchiveEngineError::processFailed("Could not decode lsar archive listing."));
}

}  // namespace
}  // namespace kelvane
