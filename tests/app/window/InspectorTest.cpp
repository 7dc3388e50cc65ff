// The preview inspector follows the state object's published values: an image, a text, the
// first page of a PDF, a folder's totals, several entries, nothing, and the checksums.
#include <gtest/gtest.h>

#include <QLabel>

#include "RecordingDesktopServices.hpp"
#include "support/TemporaryFolder.hpp"
#include "WindowTestSupport.hpp"
#include "window/PillButton.hpp"
#include "window/PreviewInspector.hpp"

namespace kelvane::testing {
namespace {

using app::ArchiveViewModel;
using app::PreviewInspector;

class InspectorTest : public ::testing::Test {
protected:
    void SetUp() override {
        windowTestApplication();
        inspector.resize(310, 700);
        inspector.show();
        zip = makeZip(folder.path(), "preview.zip",
                      {{"a-picture.png", pngBytes(64, 48)},
                       {"b-notes.txt", "first line\nsecond line\n"},
                       {"c-paper.pdf", pdfBytes()},
                       {"d-noext", "plain"},
                       {"docs/inner.txt", "inner"},
                       {"docs/more/deep.txt", "deep"}});
        ASSERT_FALSE(zip.empty());
        ASSERT_TRUE(openAndWait(viewModel, zip));
    }

    // Selects the displayed entry named `name` and waits until its preview settles.
    void select(std::string_view name) {
        const auto& shown = viewModel.displayedEntries();
        for (std::size_t row = 0; row < shown.size(); ++row) {
            if (shown[row].name() == name) viewModel.selectDisplayedRows({{row, row}});
        }
        ASSERT_TRUE(waitUntil([&] { return !viewModel.isLoadingPreview(); }));
        inspector.refresh();
    }

    template <class T = QWidget>
    T* part(const char* name) const {
        return inspector.content()->findChild<T*>(QString::fromLatin1(name));
    }

    QStringList metaLabels() const {
        QStringList labels;
        for (QWidget* row : inspector.content()->findChildren<QWidget*>()) {
            if (row->objectName().startsWith(QStringLiteral("meta_"))) {
                labels << row->objectName().mid(5);
            }
        }
        return labels;
    }

    // First: every widget below needs the application.
    QApplication& application = windowTestApplication();
    TemporaryFolder folder;
    std::filesystem::path zip;
    RecordingDesktopServices desktop;
    ArchiveViewModel viewModel{desktop};
    PreviewInspector inspector{viewModel};
};

TEST_F(InspectorTest, PreviewStageShowsWhatTheStateObjectPublished) {
    select("a-picture.png");
    ASSERT_TRUE(viewModel.previewImage().has_value());
    EXPECT_NE(part("previewImage"), nullptr);
    EXPECT_EQ(part<QLabel>("kindBadge")->text(), QStringLiteral("PNG"));
    EXPECT_NE(part("quickLookButton"), nullptr);
    EXPECT_NE(part("openFileDirect"), nullptr);

    select("b-notes.txt");
    ASSERT_TRUE(viewModel.previewText().has_value());
    ASSERT_NE(part("previewText"), nullptr);
    EXPECT_EQ(part("previewImage"), nullptr);
    auto* copy = part<app::PillButton>("copyTextContent");
    ASSERT_NE(copy, nullptr);
    copy->click();
    EXPECT_EQ(desktop.clipboard, QStringLiteral("first line\nsecond line\n"));

    select("c-paper.pdf");
    ASSERT_TRUE(viewModel.previewLocalFileURL().has_value());
    EXPECT_NE(part("previewPdf"), nullptr);

    select("d-noext");
    EXPECT_EQ(part<QLabel>("kindBadge")->text(), QStringLiteral("FILE"));
}

TEST_F(InspectorTest, FolderShowsTotalsAndNoFileParts) {
    select("docs");
    ASSERT_NE(part("singleEntry"), nullptr);
    EXPECT_EQ(part("previewImage"), nullptr);
    EXPECT_EQ(part("previewText"), nullptr);
    EXPECT_EQ(part("quickLookButton"), nullptr);
    EXPECT_EQ(part("openFileDirect"), nullptr);
    EXPECT_EQ(part("computeHashes"), nullptr);
    EXPECT_EQ(part<QLabel>("kindBadge")->text(), QStringLiteral("Folder"));
    const QStringList labels = metaLabels();
    EXPECT_TRUE(labels.contains(QStringLiteral("Files"))) << labels.join(',').toStdString();
    EXPECT_TRUE(labels.contains(QStringLiteral("Path")));
    EXPECT_FALSE(labels.contains(QStringLiteral("CRC32")));
    const auto* files = inspector.content()->findChild<QWidget*>(QStringLiteral("meta_Files"));
    EXPECT_EQ(files->findChild<QLabel*>(QStringLiteral("metaValue"))->toolTip(), QStringLiteral("2"));
}

TEST_F(InspectorTest, SeveralEntriesShowTheSummaryAndNoneShowsTheHint) {
    viewModel.selectDisplayedRows({{0, 1}});
    inspector.refresh();
    ASSERT_NE(part("multiSelectionSummary"), nullptr);
    EXPECT_TRUE(part<QLabel>("selectionCount")->text().startsWith(QStringLiteral("2 ")));
    EXPECT_NE(part("deleteSelected"), nullptr);  // ZIP archives can be changed

    viewModel.setSelection({});
    inspector.refresh();
    EXPECT_NE(part("emptySelection"), nullptr);
    EXPECT_EQ(part("singleEntry"), nullptr);
}

TEST_F(InspectorTest, ChecksumsReplaceTheButtonOnceComputed) {
    select("b-notes.txt");
    auto* compute = part<app::PillButton>("computeHashes");
    ASSERT_NE(compute, nullptr);
    EXPECT_TRUE(compute->isEnabled());
    compute->click();
    ASSERT_TRUE(waitUntil([&] { return viewModel.activeChecksums().has_value(); }));
    inspector.refresh();
    ASSERT_NE(part("checksumBox"), nullptr);
    EXPECT_EQ(part("computeHashes"), nullptr);
    const auto* sha = inspector.content()->findChild<QWidget*>(QStringLiteral("meta_SHA-256"));
    ASSERT_NE(sha, nullptr);
    EXPECT_EQ(sha->findChild<QLabel*>(QStringLiteral("metaValue"))->toolTip(),
              QString::fromStdString(viewModel.activeChecksums()->sha256));
    EXPECT_NE(sha->findChild<app::PillButton*>(QStringLiteral("copyButton")), nullptr);
    EXPECT_NE(inspector.content()->findChild<QWidget*>(QStringLiteral("meta_MD5")), nullptr);
}

}  // namespace
}  // namespace kelvane::testing
