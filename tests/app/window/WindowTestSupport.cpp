#include "WindowTestSupport.hpp"

#include <QBuffer>
#include <QElapsedTimer>
#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <QProcess>
#include <QStyleFactory>
#include <QTest>

#include <cstdlib>

#include <gtest/gtest.h>

#include "support/TemporaryFolder.hpp"
#include "index/ArchiveTreeBuilder.hpp"

namespace kelvane::testing {

namespace {

// The application goes when the tests are done, taking its font and platform caches along.
class ApplicationTeardown final : public ::testing::Environment {
public:
    void TearDown() override { delete QApplication::instance(); }
};

[[maybe_unused]] const ::testing::Environment* const teardown =
    ::testing::AddGlobalTestEnvironment(new ApplicationTeardown);

}  // namespace

QApplication& windowTestApplication() {
    static int argc = 1;
    static char name[] = "kelvane-window-tests";
    static char* argv[] = {name, nullptr};
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication* application = [] {
        auto* created = new QApplication(argc, argv);
        QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
        return created;
    }();
    return *application;
}

bool waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds bound) {
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
        if (clock.elapsed() > bound.count()) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QTest::qWait(2);
    }
    return true;
}

std::filesystem::path makeZip(const std::filesystem::path& folder, const std::string& name,
                              const std::map<std::string, std::string>& files) {
    const std::filesystem::path source = folder / (name + ".contents");
    std::filesystem::create_directories(source);
    QStringList arguments{QStringLiteral("a"), QStringLiteral("-tzip"), QStringLiteral("-bd"),
                          QString::fromStdString((folder / name).string())};
    for (const auto& [relative, contents] : files) {
        const std::filesystem::path file = source / relative;
        std::filesystem::create_directories(file.parent_path());
        QFile out(QString::fromStdString(file.string()));
        if (!out.open(QIODevice::WriteOnly)) return {};
        out.write(contents.data(), static_cast<qint64>(contents.size()));
    }
    for (const auto& item : std::filesystem::directory_iterator(source)) {
        arguments << QString::fromStdString(item.path().string());
    }
    QProcess archiver;
    archiver.start(QStringLiteral("7zz"), arguments);
    if (!archiver.waitForFinished(60000) || archiver.exitCode() != 0) return {};
    return folder / name;
}

ArchiveEntry fileEntry(const std::string& path, std::int64_t size, std::int64_t packed) {
    return ArchiveEntry(path, false, size, packed, std::nullopt, false, std::nullopt,
                        std::nullopt, std::nullopt);
}

ArchiveEntry folderEntry(const std::string& path) {
    return ArchiveEntry(path, true, 0, 0, std::nullopt, false, std::nullopt, std::nullopt,
                        std::nullopt);
}

ArchiveListing syntheticListing(const std::string& path, std::vector<ArchiveEntry> entries,
                                bool modifiable) {
    auto tree = ArchiveTreeBuilder::build(entries);
    ArchiveInfo info;
    info.url = path;
    info.formatName = "ZIP";
    info.isSolid = true;
    info.isModifiable = modifiable;
    for (const ArchiveEntry& entry : entries) {
        if (entry.isDirectory()) continue;
        ++info.fileCount;
        info.totalUncompressedSize += entry.uncompressedSize();
        info.totalCompressedSize += entry.compressedSize();
    }
    info.folderCount = static_cast<std::int64_t>(tree->folderNodeCount()) - 1;
    return ArchiveListing(std::move(info), std::move(entries), std::move(tree));
}

bool openAndWait(app::ArchiveViewModel& viewModel, const std::filesystem::path& path) {
    const QString wanted = QString::fromStdString(path.string());
    viewModel.openArchive(wanted);
    return waitUntil([&] {
        return viewModel.listing() && viewModel.archivePath() == wanted && !viewModel.isBusy();
    });
}

std::string pngBytes(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(QColor(40, 120, 220));
    QPainter painter(&image);
    painter.fillRect(0, 0, width / 2, height / 2, QColor(240, 180, 40));
    painter.end();
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes.toStdString();
}

std::string pdfBytes() {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setPageSize(QPageSize(QPageSize::A6));
        QPainter painter(&writer);
        painter.setFont(QFont(QStringLiteral("Sans"), 24));
        painter.drawText(QRect(0, 0, 1000, 400), Qt::AlignCenter, QStringLiteral("Kelvane PDF"));
    }
    return bytes.toStdString();
}

}  // namespace kelvane::testing
