#include "window/KelvaneApplication.hpp"

#include <QApplication>
#include <QUrl>

#include "state/ArchiveViewModel.hpp"
#include "window/AppearanceController.hpp"
#include "window/CommandLineFiles.hpp"
#include "window/InstanceChannel.hpp"
#include "window/KeyMonitor.hpp"
#include "window/MainWindow.hpp"
#include "window/QtDesktopServices.hpp"

namespace kelvane::app {

KelvaneApplication::KelvaneApplication()
    : desktop_(std::make_unique<QtDesktopServices>()),
      viewModel_(std::make_unique<ArchiveViewModel>(*desktop_)),
      appearance_(new AppearanceController(this)) {
    appearance_->start();
    window_ = std::make_unique<MainWindow>(*viewModel_, appearance_);
    desktop_->setParentWindow(window_.get());
    // Before quitting: stop running work and remove the session's cache folder.
    connect(qApp, &QCoreApplication::aboutToQuit, viewModel_.get(),
            &ArchiveViewModel::cleanupPreviewCache);
}

KelvaneApplication::~KelvaneApplication() {
    if (keyMonitor_ != nullptr) qApp->removeEventFilter(keyMonitor_);
    window_.reset();
}

void KelvaneApplication::launch(const QStringList& arguments, InstanceChannel* channel) {
    window_->restoreSavedGeometry();
    window_->show();
    window_->raise();
    window_->activateWindow();
    keyMonitor_ = new KeyMonitor(*viewModel_, window_.get(), this);
    qApp->installEventFilter(keyMonitor_);
    if (channel != nullptr) {
        connect(channel, &InstanceChannel::filesReceived, this, &KelvaneApplication::openFiles);
    }
    const QList<QUrl> files = CommandLineFiles::from(arguments);
    if (files.isEmpty()) return;
    // The file manager's "Compress…" action: the create sheet with these sources, whatever
    // they are (archives included), keeping the last options as a drop does.
    if (arguments.contains(QStringLiteral("--compress"))) {
        viewModel_->setCreateSourceURLs(CommandLineFiles::paths(files));
        viewModel_->setShowCreateSheet(true);
        return;
    }
    viewModel_->handleDroppedURLs(files);
}

void KelvaneApplication::openFiles(const QStringList& paths) {
    QList<QUrl> urls;
    for (const QString& path : paths) urls.append(QUrl::fromLocalFile(path));
    if (!urls.isEmpty()) viewModel_->handleDroppedURLs(urls);
    window_->showNormal();
    window_->raise();
    window_->activateWindow();
}

}  // namespace kelvane::app
