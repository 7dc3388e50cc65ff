#include "window/WindowDropHandler.hpp"

#include <QApplication>
#include <QDropEvent>
#include <QMimeData>
#include <QWidget>

#include "state/ArchiveViewModel.hpp"

namespace kelvane::app {

WindowDropHandler::WindowDropHandler(ArchiveViewModel& viewModel, QWidget* window)
    : QObject(window), viewModel_(viewModel), window_(window) {
    window->setAcceptDrops(true);
    // On the application, not the window: children that take drops of their own (a text
    // field takes text) would otherwise swallow dropped files.
    qApp->installEventFilter(this);
}

WindowDropHandler::~WindowDropHandler() {
    qApp->removeEventFilter(this);
}

QList<QUrl> WindowDropHandler::fileUrls(const QMimeData* data) {
    QList<QUrl> files;
    if (data == nullptr || !data->hasUrls()) return files;
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile() && !url.toLocalFile().isEmpty()) files.push_back(url);
    }
    return files;
}

bool WindowDropHandler::isOnWindow(QObject* watched) const {
    if (window_.isNull() || !watched->isWidgetType()) return false;
    return static_cast<QWidget*>(watched)->window() == window_.data();
}

bool WindowDropHandler::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type != QEvent::DragEnter && type != QEvent::DragMove && type != QEvent::Drop) {
        return false;
    }
    if (!isOnWindow(watched)) return false;
    auto* drop = static_cast<QDropEvent*>(event);
    const bool carriesFiles = !fileUrls(drop->mimeData()).isEmpty();
    // A text snippet over a text field is that field's business; over anything else the
    // window takes it and does nothing with it.
    if (!carriesFiles && watched != window_.data()) return false;
    drop->acceptProposedAction();
    if (type == QEvent::Drop && carriesFiles && drop->source() == nullptr) {
        viewModel_.handleDroppedURLs(fileUrls(drop->mimeData()));
    }
    return true;
}

}  // namespace kelvane::app
