#include "window/ExtractHereLaunch.hpp"

#include <QApplication>

#include <iostream>

#include "localization/AppLanguage.hpp"
#include "localization/S.hpp"
#include "state/BatchExtraction.hpp"
#include "window/AppearanceController.hpp"
#include "window/CommandLineFiles.hpp"
#include "window/ExtractHereWindow.hpp"
#include "window/TerminationRequests.hpp"

namespace kelvane::app {
namespace {

// Every archive that was not extracted, and the count, on standard error as well: a file
// manager throws it away, but a terminal or a session log keeps what the window showed.
void report(const BatchExtraction& batch) {
    const std::string prefix = std::string("kelvane ") + ExtractHereLaunch::kOption + ": ";
    for (const ArchiveExtractionOutcome& problem : batch.problems()) {
        QString reason = problem.reason;
        reason.replace(QLatin1Char('\n'), QLatin1Char(' '));
        std::cerr << prefix << problem.archive.toStdString() << ": " << reason.toStdString()
                  << '\n';
    }
    if (batch.wasCancelled()) std::cerr << prefix << batch.titleText().toStdString() << '\n';
    if (!batch.problems().empty() && !batch.summaryText().isEmpty()) {
        std::cerr << prefix << batch.summaryText().toStdString() << '\n';
    }
    std::cerr.flush();
}

}  // namespace

bool ExtractHereLaunch::isRequested(const QStringList& arguments) {
    return arguments.contains(QLatin1String(kOption));
}

int ExtractHereLaunch::run(const QStringList& arguments) {
    // Missing files stay in the list: each gets its own "not found" in the summary.
    const QStringList archives = CommandLineFiles::namedPaths(arguments);
    if (archives.isEmpty()) {
        std::cerr << "kelvane " << kOption << ": "
                  << S::t("Name at least one archive to extract.",
                          "Çıkarılacak en az bir arşiv belirtin.")
                  << '\n';
        return BatchExtraction::kExitCancelled;
    }
    // Arabic, Persian and Hebrew mirror this window as they mirror the main one.
    QGuiApplication::setLayoutDirection(AppLanguage::current().isRightToLeft() ? Qt::RightToLeft
                                                                               : Qt::LeftToRight);
    AppearanceController appearance;
    appearance.start();
    BatchExtraction batch(archives);
    ExtractHereWindow window(batch);

    // Asked to end (a logout, `kill`): the running tool is stopped and its files taken back
    // before the process goes, and a summary on the screen is not waited on.
    TerminationRequests termination;
    bool terminating = false;
    QObject::connect(&termination, &TerminationRequests::requested, &window, [&] {
        terminating = true;
        if (batch.isFinished()) {
            QApplication::quit();
        } else {
            batch.cancel();
        }
    });
    QObject::connect(&batch, &BatchExtraction::finished, &window, [&] {
        report(batch);
        if (terminating) QApplication::quit();
    });

    window.show();
    batch.start();
    const int loopCode = QApplication::exec();
    return batch.isFinished() ? batch.exitCode() : loopCode;
}

}  // namespace kelvane::app
