// Drops on the window: files reach the router in one call wherever they land, a text
// snippet passes nothing, and the window accepts every drop.
#include <QDropEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QVBoxLayout>

#include "SheetTestFixture.hpp"
#include "window/WindowDropHandler.hpp"

namespace kelvane::testing {
namespace {

// Sends enter, move and drop to `target` the way the platform does; true when the drop
// was accepted.
bool dropOn(QWidget* target, const QMimeData& data) {
    const QPoint point(target->width() / 2, target->height() / 2);
    QDragEnterEvent enter(point, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    if (!enter.isAccepted()) return false;
    QDragMoveEvent move(point, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &move);
    QDropEvent drop(QPointF(point), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &drop);
    return drop.isAccepted();
}

class WindowDropHandlerTest : public SheetTestFixture {
protected:
    void SetUp() override {
        SheetTestFixture::SetUp();
        auto* central = new QWidget;
        auto* layout = new QVBoxLayout(central);
        field_ = new QLineEdit(central);
        layout->addWidget(field_);
        window_->setCentralWidget(central);
        handler_ = new app::WindowDropHandler(*viewModel_, window_.get());
        runTool("7zz", {"a", "-tzip", "../one.zip", "notes.txt"}, source());
        runTool("7zz", {"a", "-t7z", "../two.7z", "notes.txt"}, source());
    }

    QLineEdit* field_ = nullptr;
    app::WindowDropHandler* handler_ = nullptr;
};

TEST_F(WindowDropHandlerTest, TwoArchivesAndATextFilePassThreeUrlsInOneCall) {
    const QList<QUrl> urls{
        QUrl::fromLocalFile(QString::fromStdString((folder_.path() / "one.zip").string())),
        QUrl::fromLocalFile(QString::fromStdString((folder_.path() / "two.7z").string())),
        QUrl::fromLocalFile(sourcePath("notes.txt"))};
    for (QWidget* target : {static_cast<QWidget*>(window_.get()), static_cast<QWidget*>(field_)}) {
        SCOPED_TRACE(target == field_ ? "dropped on a text field" : "dropped on the window");
        viewModel_->setCreateSourceURLs({});
        viewModel_->setShowCreateSheet(false);
        QMimeData data;
        data.setUrls(urls);
        EXPECT_TRUE(dropOn(target, data));
        // Not all archives and nothing shown: the router offers all three for a new
        // archive, which it can only do when it got them in one call.
        EXPECT_TRUE(viewModel_->showCreateSheet());
        EXPECT_EQ(viewModel_->createSourceURLs(),
                  QStringList({urls[0].toLocalFile(), urls[1].toLocalFile(), urls[2].toLocalFile()}));
        EXPECT_TRUE(field_->text().isEmpty()) << "the text field must not take the file names";
        EXPECT_FALSE(viewModel_->isBusy());
    }
}

TEST_F(WindowDropHandlerTest, ATextSnippetPassesNothingButIsAccepted) {
    QMimeData snippet;
    snippet.setText("just some words");
    EXPECT_TRUE(dropOn(window_.get(), snippet));
    QMimeData webAddress;
    webAddress.setUrls({QUrl("https://example.org/archive.zip")});
    EXPECT_TRUE(dropOn(window_.get(), webAddress));
    EXPECT_FALSE(viewModel_->showCreateSheet());
    EXPECT_TRUE(viewModel_->createSourceURLs().isEmpty());
    EXPECT_FALSE(viewModel_->isBusy());
    EXPECT_TRUE(viewModel_->tabs().empty());
}

TEST_F(WindowDropHandlerTest, DroppingTwoArchivesOpensBoth) {
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromStdString((folder_.path() / "one.zip").string())),
                  QUrl::fromLocalFile(QString::fromStdString((folder_.path() / "two.7z").string()))});
    EXPECT_TRUE(dropOn(window_.get(), data));
    EXPECT_TRUE(QTest::qWaitFor([&] { return viewModel_->tabs().size() == 2 && !viewModel_->isBusy(); },
                                60000));
}

}  // namespace
}  // namespace kelvane::testing
