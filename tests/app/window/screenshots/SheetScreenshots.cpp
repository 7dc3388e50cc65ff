// Renders every sheet, in a light and a dark palette, to PNG files for a person to look at:
// kelvane_sheet_screenshots <output folder>. Run under an X server (scripts/sheet-screenshots.sh).
#include <QApplication>
#include <QDir>
#include <QMainWindow>
#include <QPalette>
#include <QProcess>
#include <QStyle>
#include <QStyleFactory>
#include <QTest>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "fakes/FakeDesktopServices.hpp"
#include "state/ArchiveViewModel.hpp"
#include "window/ConvertArchiveSheet.hpp"
#include "window/CreateArchiveSheet.hpp"
#include "window/ExtractSheet.hpp"
#include "window/PasswordSheet.hpp"

namespace {

namespace fs = std::filesystem;
using namespace kelvane;
using namespace kelvane::app;

QPalette darkPalette() {
    QPalette dark;
    dark.setColor(QPalette::Window, QColor(0x2B, 0x2B, 0x2E));
    dark.setColor(QPalette::WindowText, QColor(0xEC, 0xEC, 0xEC));
    dark.setColor(QPalette::Base, QColor(0x1E, 0x1E, 0x20));
    dark.setColor(QPalette::AlternateBase, QColor(0x26, 0x26, 0x29));
    dark.setColor(QPalette::Text, QColor(0xEC, 0xEC, 0xEC));
    dark.setColor(QPalette::Button, QColor(0x3A, 0x3A, 0x3E));
    dark.setColor(QPalette::ButtonText, QColor(0xEC, 0xEC, 0xEC));
    dark.setColor(QPalette::Highlight, QColor(0x2F, 0x7B, 0xF6));
    dark.setColor(QPalette::HighlightedText, Qt::white);
    dark.setColor(QPalette::PlaceholderText, QColor(0x9A, 0x9A, 0xA0));
    dark.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(0x80, 0x80, 0x80));
    dark.setColor(QPalette::Disabled, QPalette::WindowText, QColor(0x80, 0x80, 0x80));
    return dark;
}

void save(QWidget& sheet, const QString& folder, const QString& name) {
    QTest::qWait(50);
    sheet.grab().save(QDir(folder).filePath(name + QStringLiteral(".png")));
    std::printf("%s\n", qPrintable(name));
}

bool run(const QString& program, const QStringList& arguments, const QString& folder) {
    QProcess process;
    process.setWorkingDirectory(folder);
    process.start(program, arguments);
    return process.waitForFinished(60000) && process.exitCode() == 0;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    if (argc != 2) {
        std::fprintf(stderr, "usage: kelvane_sheet_screenshots <output folder>\n");
        return 2;
    }
    const QString output = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(output);
    const fs::path work = fs::temp_directory_path() / "kelvane-sheet-screenshots";
    fs::remove_all(work);
    fs::create_directories(work / "Project Files/Quarterly reports");
    std::ofstream(work / "Project Files/notes.txt") << "notes\n";
    std::ofstream(work / "Project Files/Quarterly reports/q1.csv") << "1,2,3\n";
    std::ofstream(work / "Project Files/a-very-long-file-name-that-does-not-fit-in-its-row-at-all.txt")
        << "long\n";
    const QString project = QString::fromStdString((work / "Project Files").string());
    if (!run(QStringLiteral("7zz"), {"a", "-tzip", "-psecret", "../Holiday photos.zip", "."}, project)) {
        return 1;
    }

    testing::FakeDesktopServices desktop;
    ArchiveViewModel viewModel(desktop);
    viewModel.openArchive(QString::fromStdString((work / "Holiday photos.zip").string()));
    if (!QTest::qWaitFor([&] { return viewModel.listing().has_value() && !viewModel.isBusy(); },
                         60000)) {
        return 1;
    }

    const QPalette light = QApplication::style()->standardPalette();
    for (const auto& [scheme, palette] : {std::pair{QStringLiteral("light"), light},
                                          std::pair{QStringLiteral("dark"), darkPalette()}}) {
        QApplication::setPalette(palette);
        QMainWindow window;
        window.resize(1000, 700);
        window.show();
        {
            ExtractSheet sheet(viewModel, &window);
            viewModel.presentExtractSheet(false);
            viewModel.setExtractDestination(
                QStringLiteral("/home/someone/Documents/Work/Clients/Northwind Traders/Quarterly "
                               "reports/2026/Archives to look at later"));
            save(sheet, output, QStringLiteral("extract-all-") + scheme);
            viewModel.setShowExtractSheet(false);
            viewModel.setSelectionIDs({"notes.txt", "Quarterly reports"});
            viewModel.presentExtractSheet(true);
            save(sheet, output, QStringLiteral("extract-selected-") + scheme);
            viewModel.setShowExtractSheet(false);
        }
        {
            PasswordSheet sheet(viewModel, &window);
            viewModel.requestPassword(PendingPasswordAction::testArchive(), std::nullopt);
            save(sheet, output, QStringLiteral("password-") + scheme);
            viewModel.requestPassword(PendingPasswordAction::testArchive(),
                                      QStringLiteral("Incorrect password. Please try again."));
            viewModel.setPasswordSheetInput(QStringLiteral("abc"));
            save(sheet, output, QStringLiteral("password-error-") + scheme);
            viewModel.cancelPasswordSheet();
        }
        {
            CreateArchiveSheet sheet(viewModel, &window);
            viewModel.setCreateSourceURLs({});
            viewModel.presentCreateArchiveSheet();
            save(sheet, output, QStringLiteral("create-empty-") + scheme);
            viewModel.setCreateSourceURLs(
                {project + QStringLiteral("/Quarterly reports"), project + QStringLiteral("/notes.txt"),
                 project + QStringLiteral(
                               "/a-very-long-file-name-that-does-not-fit-in-its-row-at-all.txt")});
            CreateArchiveOptions options = viewModel.createOptions();
            options.format = ArchiveCreateFormat::sevenZ;
            options.password = "pw";
            viewModel.setCreateOptions(options);
            save(sheet, output, QStringLiteral("create-7z-") + scheme);
            options.format = ArchiveCreateFormat::tarGz;
            options.password.clear();
            viewModel.setCreateOptions(options);
            save(sheet, output, QStringLiteral("create-targz-") + scheme);
            viewModel.setShowCreateSheet(false);
        }
        {
            ConvertArchiveSheet sheet(viewModel, &window);
            viewModel.presentConvertSheet();
            save(sheet, output, QStringLiteral("convert-") + scheme);
            viewModel.setShowConvertSheet(false);
        }
    }
    viewModel.cleanupPreviewCache();
    fs::remove_all(work);
    return 0;
}
