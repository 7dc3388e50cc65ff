#include "window/QtDesktopServices.hpp"

#include <QApplication>
#include <QClipboard>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>

namespace kelvane::app {

namespace {

// The file manager either answers quickly or not at all; then the folder is opened instead.
constexpr int kRevealTimeoutMs = 3000;

}  // namespace

QtDesktopServices::QtDesktopServices() { clock_.start(); }

QtDesktopServices::~QtDesktopServices() { delete quickLook_.data(); }

void QtDesktopServices::chooseForOpening(const OpenPanelRequest& request,
                                         std::function<void(QList<QUrl>)> done) {
    auto* dialog = new QFileDialog(parentWindow_, QString(), request.directory);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    if (request.canChooseDirectories && !request.canChooseFiles) {
        dialog->setFileMode(QFileDialog::Directory);
        dialog->setOption(QFileDialog::ShowDirsOnly);
    } else {
        dialog->setFileMode(request.allowsMultipleSelection ? QFileDialog::ExistingFiles
                                                            : QFileDialog::ExistingFile);
    }
    auto answered = std::make_shared<bool>(false);
    QObject::connect(dialog, &QFileDialog::urlsSelected, dialog,
                     [done, answered](const QList<QUrl>& urls) {
                         *answered = true;
                         done(urls);
                     });
    QObject::connect(dialog, &QDialog::finished, dialog, [done, answered](int) {
        if (!*answered) done({});
    });
    dialog->open();
}

void QtDesktopServices::chooseSaveLocation(const SavePanelRequest& request,
                                           std::function<void(std::optional<QUrl>)> done) {
    auto* dialog = new QFileDialog(parentWindow_, QString(), request.directory);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setFileMode(QFileDialog::AnyFile);
    if (!request.proposedName.isEmpty()) dialog->selectFile(request.proposedName);
    auto answered = std::make_shared<bool>(false);
    QObject::connect(dialog, &QFileDialog::urlSelected, dialog,
                     [done, answered](const QUrl& url) {
                         *answered = true;
                         done(url);
                     });
    QObject::connect(dialog, &QDialog::finished, dialog, [done, answered](int) {
        if (!*answered) done(std::nullopt);
    });
    dialog->open();
}

void QtDesktopServices::openUrl(const QUrl& url) { QDesktopServices::openUrl(url); }

void QtDesktopServices::revealFile(const QString& path) {
    // Not QDBusInterface: its constructor asks the bus synchronously and can stall the
    // window for seconds when no file manager is running.
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("/org/freedesktop/FileManager1"),
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("ShowItems"));
    call << QStringList{QUrl::fromLocalFile(path).toString()} << QString();
    const QString folder = QFileInfo(path).absolutePath();
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        openFolder(folder);
        return;
    }
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call, kRevealTimeoutMs));
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher,
                     [this, folder](QDBusPendingCallWatcher* finished) {
                         if (finished->isError()) openFolder(folder);
                         finished->deleteLater();
                     });
}

void QtDesktopServices::openFolder(const QString& path) {
    QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

void QtDesktopServices::copyToClipboard(const QString& text) {
    QApplication::clipboard()->setText(text);
}

bool QtDesktopServices::isQuickLookVisible() const {
    return quickLook_ && quickLook_->isVisible();
}

void QtDesktopServices::showQuickLook(const QString& path) {
    if (!quickLook_) quickLook_ = new QuickLookWindow(parentWindow_);
    quickLook_->showFile(path);
}

void QtDesktopServices::closeQuickLook() {
    if (quickLook_) quickLook_->close();
}

double QtDesktopServices::nowSeconds() const {
    return static_cast<double>(clock_.nsecsElapsed()) / 1e9;
}

}  // namespace kelvane::app
