// Previews, opening entries, quick look and checksums; the text cut; busy speed; notices.
#include <QImage>
#include <QBuffer>

#include "StateTestSupport.hpp"
#include "state/BusySpeedText.hpp"
#include "state/TextPreviewDecoder.hpp"

namespace kelvane::testing {
namespace {

using app::ArchiveViewModel;
using app::PendingPasswordAction;

std::string pngBytes(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes.toStdString();
}

class PreviewTest : public StateTest {};

TEST_F(PreviewTest, ImagesTextsAndPdfsLoadWhileLargeAndOtherEntriesWait) {
    std::string bigText(16 * 1024 * 1024, 'b');
    const auto archive = makeArchive(folder_.path() / "mixed.zip",
                                     {{"a-image.png", pngBytes(32, 16)},
                                      {"b-doc.pdf", "%PDF-1.4 not really"},
                                      {"c-report.docx", "docx"},
                                      {"d-huge.txt", bigText}},
                                     {"-mx1"});
    openAndWait(archive);
    ASSERT_TRUE(waitFor([&] { return model_->previewImage().has_value(); }));
    EXPECT_EQ(model_->previewImage()->size(), QSize(32, 16));
    EXPECT_FALSE(model_->previewText());
    ASSERT_TRUE(model_->previewLocalFileURL());

    model_->setSelectionIDs({"b-doc.pdf"});
    ASSERT_TRUE(waitFor([&] { return model_->previewLocalFileURL().has_value(); }));
    EXPECT_FALSE(model_->previewImage());
    EXPECT_FALSE(model_->previewText());

    model_->setSelectionIDs({"c-report.docx"});
    EXPECT_EQ(model_->previewedEntryID(), std::optional<QString>(QStringLiteral("c-report.docx")));
    EXPECT_FALSE(model_->isLoadingPreview());
    EXPECT_FALSE(model_->previewRequiresManualLoad());

    model_->setSelectionIDs({"d-huge.txt"});
    EXPECT_TRUE(model_->previewRequiresManualLoad());
    EXPECT_FALSE(model_->isLoadingPreview());
    model_->preparePreview(*model_->primarySelectedEntry(), true);
    ASSERT_TRUE(waitFor([&] { return model_->previewText().has_value(); }));
    const QString note = QString::fromUtf8(app::TextPreviewDecoder::kTruncationNote);
    EXPECT_TRUE(model_->previewText()->endsWith(note));
    EXPECT_EQ(model_->previewText()->size(),
              ArchiveViewModel::kTextPreviewByteLimit + note.size());

    // Two entries selected: no preview.
    model_->setSelectionIDs({"a-image.png", "b-doc.pdf"});
    EXPECT_FALSE(model_->previewedEntryID());
}

TEST_F(PreviewTest, AStaleResultNeverLandsAfterTheSelectionMoves) {
    const auto archive = makeArchive(folder_.path() / "two.zip",
                                     {{"first.txt", std::string(3 * 1024 * 1024, '1')},
                                      {"second.txt", "second"}});
    openAndWait(archive);
    model_->setSelectionIDs({"first.txt"});
    ASSERT_TRUE(model_->isLoadingPreview());
    model_->setSelectionIDs({"second.txt"});
    ASSERT_TRUE(waitFor([&] { return model_->previewText().has_value(); }));
    EXPECT_EQ(*model_->previewText(), QStringLiteral("second"));
    QTest::qWait(300);
    EXPECT_EQ(*model_->previewText(), QStringLiteral("second"));
    EXPECT_EQ(model_->previewedEntryID(), std::optional<QString>(QStringLiteral("second.txt")));
}

TEST_F(PreviewTest, OpeningQuickLookAndChecksumsReuseTheExtractedCopy) {
    const auto archive = makeArchive(folder_.path() / "one.zip", {{"hello.txt", "hello"}});
    openAndWait(archive);
    ASSERT_TRUE(waitFor([&] { return model_->previewLocalFileURL().has_value(); }));
    const QString copy = *model_->previewLocalFileURL();

    QSignalSpy busy(model_.get(), &ArchiveViewModel::isBusyChanged);
    model_->openEntryDirectly(*model_->primarySelectedEntry());
    EXPECT_EQ(busy.count(), 0);
    ASSERT_EQ(desktop_.openedUrls.size(), 1);
    EXPECT_EQ(desktop_.openedUrls[0].toLocalFile(), copy);

    model_->toggleQuickLookForSelection();
    EXPECT_EQ(desktop_.quickLookPath, std::optional<QString>(copy));
    EXPECT_EQ(model_->quickLookCoordinator().numberOfPreviewItems(), 1);
    model_->toggleQuickLookForSelection();
    EXPECT_FALSE(desktop_.quickLookPath);

    model_->computeChecksums(*model_->primarySelectedEntry());
    EXPECT_TRUE(model_->isComputingChecksums());
    ASSERT_TRUE(waitFor([&] { return model_->activeChecksums().has_value(); }));
    EXPECT_EQ(model_->activeChecksums()->sha256,
              "2cf24dba5fb0a30e26e83b2ac5b9e29e1b161e5c1fa7425e73043362938b9824");
    EXPECT_EQ(model_->activeChecksums()->md5, "5d41402abc4b2a76b9719d911017c592");
    EXPECT_EQ(model_->activeChecksums()->byteCount, 5);
    EXPECT_FALSE(model_->isComputingChecksums());
}

TEST_F(PreviewTest, OpeningAnEntryNotYetExtractedShowsTheBusyStateThenOpensIt) {
    const auto archive = makeArchive(folder_.path() / "open.zip",
                                     {{"a.bin", "binary"}, {"b.txt", "text"}});
    openAndWait(archive);
    const ArchiveEntry* binary = model_->listing()->tree()->entry("a.bin");
    ASSERT_NE(binary, nullptr);
    model_->openEntryDirectly(*binary);
    EXPECT_TRUE(model_->isBusy());
    EXPECT_EQ(model_->busyTitle(), QStringLiteral("Opening entry…"));
    EXPECT_FALSE(model_->busyProgress().has_value());
    ASSERT_TRUE(waitFor([&] { return !desktop_.openedUrls.isEmpty(); }));
    EXPECT_EQ(readWholeFile(desktop_.openedUrls[0].toLocalFile().toStdString()), "binary");
}

TEST_F(PreviewTest, PasswordsForPreviewsAskOnlyWhenTheUserAsked) {
    const auto archive = makeArchive(folder_.path() / "enc.zip",
                                     {{"secret.txt", "psst"}, {"z.txt", "z"}}, {"-pkey"});
    openAndWait(archive);
    // Merely browsing: the automatic preview waits for Load instead of popping a sheet.
    ASSERT_TRUE(waitFor([&] { return model_->previewRequiresManualLoad(); }));
    EXPECT_FALSE(model_->showPasswordSheet());
    model_->preparePreview(*model_->primarySelectedEntry(), true);
    ASSERT_TRUE(waitFor([&] { return model_->showPasswordSheet(); }));
    EXPECT_EQ(model_->pendingPasswordAction()->kind, PendingPasswordAction::Kind::previewEntry);
    EXPECT_FALSE(model_->passwordSheetError());
    model_->setPasswordSheetInput(QStringLiteral("nope"));
    model_->submitPasswordSheet();
    ASSERT_TRUE(waitFor([&] { return model_->showPasswordSheet(); }));
    EXPECT_EQ(model_->passwordSheetError(),
              std::optional<QString>(QStringLiteral("Incorrect password. Please try again.")));
    model_->setPasswordSheetInput(QStringLiteral("key"));
    model_->submitPasswordSheet();
    ASSERT_TRUE(waitFor([&] { return model_->previewText().has_value(); }));
    EXPECT_EQ(*model_->previewText(), QStringLiteral("psst"));

    // Checksums of another entry ask in the same sheet when the tab has no password.
    model_->closeTab(*model_->activeTabID());
    openAndWait(archive);
    model_->setSelectionIDs({"z.txt"});
    model_->computeChecksums(*model_->primarySelectedEntry());
    ASSERT_TRUE(waitFor([&] { return model_->showPasswordSheet(); }));
    EXPECT_EQ(model_->pendingPasswordAction()->kind, PendingPasswordAction::Kind::computeChecksums);
    EXPECT_FALSE(model_->isComputingChecksums());
}

TEST(TextPreviewDecoderTest, CutsAtTheLimitAndFallsBackToLatin1) {
    constexpr std::int64_t limit = 10;
    struct Case {
        const char* label;
        QByteArray bytes;
        QString expected;
    };
    const QString note = QString::fromUtf8(app::TextPreviewDecoder::kTruncationNote);
    const std::vector<Case> cases{
        {"exactly the limit: no note", "0123456789", "0123456789"},
        {"one byte more: cut and noted", "0123456789X", QStringLiteral("0123456789") + note},
        {"Latin-1 when not UTF-8", "caf\xE9", QStringLiteral("caf\u00E9")},
        {"UTF-8 kept", "caf\xC3\xA9", QStringLiteral("caf\u00E9")},
        // A cut through a two-byte character must not turn the whole text into Latin-1.
        {"a character cut in two", "123456789\xC3\xA9", QStringLiteral("123456789") + note},
        {"empty", "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        EXPECT_EQ(app::TextPreviewDecoder::decode(c.bytes, limit), c.expected);
    }
}

TEST(TextPreviewDecoderTest, ReadsNoMoreThanItShows) {
    TemporaryFolder folder;
    const auto path = folder.write("big.log", std::string(1'000'000, 'L'));
    const QString text = app::TextPreviewDecoder::readPreview(
        QString::fromStdString(path.string()), ArchiveViewModel::kTextPreviewByteLimit);
    EXPECT_TRUE(text.startsWith(QString(200000, QLatin1Char('L'))));
    EXPECT_THROW((void)app::TextPreviewDecoder::readPreview(
                     QString::fromStdString((folder.path() / "missing").string()), 10),
                 std::filesystem::filesystem_error);
}

TEST(BusySpeedTextTest, ShowsASpeedOnlyOnceItMeansSomething) {
    struct Case {
        double fraction;
        std::int64_t total;
        double elapsed;
        std::optional<QString> expected;
    };
    const std::vector<Case> cases{
        {1.0, 600'000, 10.0, std::nullopt},              // never for small totals
        {0.005, 100'000'000, 2.0, std::nullopt},         // not before 1 %
        {0.5, 100'000'000, 5.0, QStringLiteral("9.5 MB/s")},
        {0.5, 104'857'600, 5.0, QStringLiteral("10.0 MB/s")},
        {0.5, 104'857'600, 0.25, std::nullopt},          // not in the first quarter second
    };
    for (const Case& c : cases) {
        EXPECT_EQ(app::BusySpeedText::format(c.fraction, c.total, c.elapsed), c.expected)
            << c.fraction << " " << c.total << " " << c.elapsed;
    }
}

TEST_F(PreviewTest, ANewerNoticeReplacesTheOlderAndKeepsItsOwnTime) {
    model_->showToast(QStringLiteral("first"), true);
    QTest::qWait(1000);
    model_->showToast(QStringLiteral("second"), false);
    EXPECT_EQ(model_->toastMessage(), std::optional<QString>(QStringLiteral("second")));
    EXPECT_FALSE(model_->toastIsError());
    // The first notice's time runs out here; the second stays.
    QTest::qWait(2600);
    EXPECT_EQ(model_->toastMessage(), std::optional<QString>(QStringLiteral("second")));
    ASSERT_TRUE(waitFor([&] { return !model_->toastMessage().has_value(); }, 3000));
    model_->showToast(QStringLiteral("error"), true);
    ASSERT_TRUE(waitFor([&] { return !model_->toastMessage().has_value(); }, 5000));
    EXPECT_TRUE(model_->toastIsError());
}

}  // namespace
}  // namespace kelvane::testing
