// kelvane: the archive browser's window. A second `kelvane FILE…` hands its files to the
// window already running in this session and exits; `kelvane --extract-here ARCHIVE…` runs
// on its own with a small progress window.
#include <QApplication>
#include <QStyleFactory>

#include "platform/LargeBlockRelease.hpp"
#include "platform/TimeZoneSetup.hpp"
#include "window/CommandLineFiles.hpp"
#include "window/ExtractHereLaunch.hpp"
#include "window/InstanceChannel.hpp"
#include "window/KelvaneApplication.hpp"

int main(int argc, char** argv) {
    // Before any thread: without TZ every timestamp of a listing re-reads the zone file.
    kelvane::TimeZoneSetup::ensureTimeZoneVariable();
    kelvane::LargeBlockRelease::returnLargeBlocksToSystem();
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kelvane"));
    QApplication::setOrganizationName(QStringLiteral("Tessaloom"));
    QApplication::setApplicationVersion(QStringLiteral(KELVANE_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("io.tessaloom.Kelvane"));
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));

    const QStringList arguments = QApplication::arguments();
    // Extract Here never reaches a running window: its archives are not to be opened there,
    // and its exit code must say how this batch went.
    if (kelvane::app::ExtractHereLaunch::isRequested(arguments)) {
        return kelvane::app::ExtractHereLaunch::run(arguments);
    }
    kelvane::app::InstanceChannel channel(kelvane::app::InstanceChannel::defaultSocketName());
    const QStringList files =
        kelvane::app::CommandLineFiles::paths(kelvane::app::CommandLineFiles::from(arguments));
    // "--compress" asks for the create sheet of this launch's own window; other launches hand
    // their files to the running window.
    if (!arguments.contains(QStringLiteral("--compress")) && channel.handOver(files)) return 0;
    // Without the socket the window still works; later launches then open windows of their own.
    (void)channel.listen();

    kelvane::app::KelvaneApplication kelvane;
    kelvane.launch(arguments, &channel);
    return QApplication::exec();
}
