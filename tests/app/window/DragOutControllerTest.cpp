// From dragged rows to a copy-only drag of staged files: the drag data names the staged
// files, the drag starts only while the button is held, and letting go early ends in a
// notice with no drag.
#include <QMimeData>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTableView>

#include "SheetTestFixture.hpp"
#include "index/ArchiveDirectoryIndex.hpp"
#include "state/DragOutStager.hpp"
#include "window/DragOutController.hpp"

namespace kelvane::testing {
namespace {

namespace fs = std::filesystem;
using app::DragOutController;
using app::DragOutStager;

class DragOutControllerTest : public SheetTestFixture {
protected:
    void SetUp() override {
        SheetTestFixture::SetUp();
        runTool("7zz", {"a", "-tzip", "../rows.zip", "notes.txt", "docs", "photos"}, source());
        ASSERT_TRUE(openAndWait(*viewModel_, folder_.path() / "rows.zip"));
        table_ = new QTableView(window_.get());
        stager_ = std::make_unique<DragOutStager>(*viewModel_);
        controller_ = std::make_unique<DragOutController>(*viewModel_, *stager_, table_);
        controller_->setDragRunner([this](QMimeData* data) {
            dragged_.push_back(data->urls());
            delete data;
            return Qt::CopyAction;
        });
    }
    void TearDown() override {
        controller_.reset();
        stager_->shutdown();
        SheetTestFixture::TearDown();
    }

    [[nodiscard]] std::vector<ArchiveEntry> rows() const {
        const auto& index = *viewModel_->listing()->tree();
        return {*index.entry("notes.txt"), *index.entry("photos/a.bin"), *index.entry("docs")};
    }

    QTableView* table_ = nullptr;
    std::unique_ptr<DragOutStager> stager_;
    std::unique_ptr<DragOutController> controller_;
    std::vector<QList<QUrl>> dragged_;
};

TEST_F(DragOutControllerTest, DragDataForThreeRowsNamesThreeStagedFilesWithTheEntriesBytes) {
    controller_->setButtonProbe([] { return true; });
    QSignalSpy finished(controller_.get(), &DragOutController::dragFinished);
    controller_->beginDrag(rows());
    EXPECT_TRUE(controller_->isPreparing());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !finished.isEmpty(); }, 60000));
    ASSERT_EQ(dragged_.size(), 1U);
    const QList<QUrl>& urls = dragged_.front();
    ASSERT_EQ(urls.size(), 3);
    for (const QUrl& url : urls) EXPECT_TRUE(url.isLocalFile());
    EXPECT_EQ(urls[0].fileName(), "notes.txt");
    EXPECT_EQ(urls[1].fileName(), "a.bin");
    EXPECT_EQ(urls[2].fileName(), "docs");
    EXPECT_EQ(readFile(urls[0].toLocalFile().toStdString()), readFile(source() / "notes.txt"));
    EXPECT_EQ(readFile(urls[1].toLocalFile().toStdString()), readFile(source() / "photos/a.bin"));
    EXPECT_EQ(treeContents(urls[2].toLocalFile().toStdString()), treeContents(source() / "docs"));

    // The drag data itself is nothing but those file addresses.
    std::unique_ptr<QMimeData> data(
        DragOutController::makeDragData({urls[0].toLocalFile(), urls[1].toLocalFile()}));
    EXPECT_EQ(data->urls(), QList<QUrl>({urls[0], urls[1]}));
    EXPECT_FALSE(data->hasText() && !data->hasUrls());
}

TEST_F(DragOutControllerTest, ReleasedBeforeTheFilesAreReadyNoDragAndANotice) {
    controller_->setButtonProbe([] { return false; });
    QSignalSpy staged(stager_.get(), &DragOutStager::staged);
    controller_->beginDrag(rows());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !staged.isEmpty(); }, 60000));
    EXPECT_TRUE(dragged_.empty());
    ASSERT_TRUE(viewModel_->toastMessage().has_value());
    EXPECT_TRUE(viewModel_->toastMessage()->contains("Extract Selected"));
}

TEST_F(DragOutControllerTest, LettingGoDuringPreparationAbandonsTheDrag) {
    controller_->setButtonProbe([] { return true; });
    controller_->beginDrag(rows());
    ASSERT_TRUE(controller_->isPreparing());
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(5, 5), QPointF(5, 5), Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(table_->viewport(), &release);
    EXPECT_FALSE(controller_->isPreparing());
    ASSERT_TRUE(viewModel_->toastMessage().has_value());
    EXPECT_TRUE(viewModel_->toastMessage()->contains("Extract Selected"));
    // The extractions still end; what they staged is removed, and no drag starts.
    stager_->shutdown();
    QCoreApplication::processEvents();
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            QCoreApplication::processEvents();
            std::error_code error;
            for (const auto& item : fs::directory_iterator(viewModel_->sessionCacheRoot().toStdString(), error)) {
                if (item.path().filename().string().starts_with(DragOutStager::kStagingFolderPrefix)) return false;
            }
            return true;
        },
        10000));
    EXPECT_TRUE(dragged_.empty());
}

}  // namespace
}  // namespace kelvane::testing
