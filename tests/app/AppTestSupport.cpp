#include "AppTestSupport.hpp"

#include <QProcess>
#include <QTest>

#include <gtest/gtest.h>

#include <map>

#include "support/TemporaryFolder.hpp"
#include "state/ArchiveViewModel.hpp"

// Fontconfig and the D-Bus library (the xcb platform talks to the accessibility bus) keep a
// few allocations until the process ends; they are not ours to fix.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig\nleak:libdbus-1\n";
}

namespace kelvane::testing {

void clickToggle(QAbstractButton* toggle) {
    // At the box itself: a toggle stretched over the sheet takes clicks only on its
    // box and text.
    QTest::mouseClick(toggle, Qt::LeftButton, Qt::NoModifier, QPoint(8, toggle->height() / 2));
}

void ensureApplication() {
    // A test binary whose main made its own application keeps it.
    if (QCoreApplication::instance() != nullptr) return;
    static int argc = 1;
    static char name[] = "kelvane-tests";
    static char* argv[] = {name, nullptr};
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    new QApplication(argc, argv);  // lives for the whole run
}

void runTool(const QString& program, const QStringList& arguments,
             const std::filesystem::path& folder) {
    QProcess process;
    process.setWorkingDirectory(QString::fromStdString(folder.string()));
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    ASSERT_TRUE(process.waitForFinished(120000)) << program.toStdString();
    ASSERT_EQ(process.exitStatus(), QProcess::NormalExit);
    ASSERT_EQ(process.exitCode(), 0) << process.readAll().toStdString();
}

bool openAndWait(app::ArchiveViewModel& viewModel, const std::filesystem::path& archive,
                 const std::optional<std::string>& password) {
    viewModel.openArchive(QString::fromStdString(archive.string()), password);
    const std::filesystem::path wanted = std::filesystem::absolute(archive).lexically_normal();
    return QTest::qWaitFor(
        [&] {
            if (viewModel.showPasswordSheet()) return true;
            return !viewModel.isBusy() && viewModel.listing() &&
                   viewModel.listing()->info().url.lexically_normal() == wanted;
        },
        60000);
}

std::map<std::string, std::string> treeContents(const std::filesystem::path& folder) {
    std::map<std::string, std::string> contents;
    for (const auto& item : std::filesystem::recursive_directory_iterator(folder)) {
        const std::string relative = item.path().lexically_relative(folder).generic_string();
        if (item.is_directory()) {
            contents[relative + "/"] = {};
        } else {
            contents[relative] = readFile(item.path());
        }
    }
    return contents;
}

}  // namespace kelvane::testing
