#include "window/DragOutController.hpp"

#include <QAbstractScrollArea>
#include <QDrag>
#include <QGuiApplication>
#include <QMimeData>
#include <QMouseEvent>
#include <QUrl>
#include <QWidget>

#include "localization/S.hpp"
#include "state/ArchiveViewModel.hpp"
#include "state/DragOutStager.hpp"

namespace kelvane::app {

DragOutController::DragOutController(ArchiveViewModel& viewModel, DragOutStager& stager,
                                     QWidget* dragSource, QObject* parent)
    : QObject(parent), viewModel_(viewModel), stager_(stager), dragSource_(dragSource) {
    isLeftButtonHeld_ = [] {
        return (QGuiApplication::mouseButtons() & Qt::LeftButton) != Qt::NoButton;
    };
    runDrag_ = [this](QMimeData* data) {
        auto* drag = new QDrag(dragSource_.isNull() ? static_cast<QObject*>(this)
                                                    : static_cast<QObject*>(dragSource_.data()));
        drag->setMimeData(data);
        // Copy only: the archive keeps its entries whatever the receiver proposes. The drag
        // object is not ours to delete: Qt does, or, on X11, keeps it until the receiver has
        // fetched the data, which can be after this returns.
        return drag->exec(Qt::CopyAction, Qt::CopyAction);
    };
    if (dragSource != nullptr) {
        dragSource->installEventFilter(this);
        if (auto* area = qobject_cast<QAbstractScrollArea*>(dragSource)) {
            area->viewport()->installEventFilter(this);
        }
    }
    connect(&stager_, &DragOutStager::staged, this, &DragOutController::onStaged);
    connect(&stager_, &DragOutStager::failed, this, [this](quint64 requestID, const QString&) {
        if (pendingRequest_ == requestID) pendingRequest_.reset();
    });
}

void DragOutController::setButtonProbe(std::function<bool()> isLeftButtonHeld) {
    isLeftButtonHeld_ = std::move(isLeftButtonHeld);
}

void DragOutController::setDragRunner(std::function<Qt::DropAction(QMimeData*)> runDrag) {
    runDrag_ = std::move(runDrag);
}

QMimeData* DragOutController::makeDragData(const QStringList& stagedPaths) {
    auto* data = new QMimeData;
    QList<QUrl> urls;
    for (const QString& path : stagedPaths) urls.push_back(QUrl::fromLocalFile(path));
    data->setUrls(urls);
    return data;
}

void DragOutController::beginDrag(const std::vector<ArchiveEntry>& entries) {
    if (pendingRequest_) stager_.abandon(*pendingRequest_);
    pendingRequest_.reset();
    const DragOutStager::Request request = stager_.stage(entries);
    if (request.decision == DragOutStager::Decision::staging) pendingRequest_ = request.id;
}

void DragOutController::onStaged(quint64 requestID, const QStringList& paths) {
    if (pendingRequest_ != requestID) return;
    pendingRequest_.reset();
    if (!isLeftButtonHeld_()) {
        releasedEarly();
        return;
    }
    emit dragStarting(paths);
    emit dragFinished(runDrag_(makeDragData(paths)));
}

void DragOutController::releasedEarly() {
    viewModel_.showToast(QString::fromStdString(S::t(
                             "Released before the files were ready. Try Extract Selected.",
                             "Dosyalar hazır olmadan bırakıldı. Seçilenleri Çıkar'ı deneyin.")),
                         false);
}

bool DragOutController::eventFilter(QObject* watched, QEvent* event) {
    if (!pendingRequest_) return QObject::eventFilter(watched, event);
    if (event->type() == QEvent::MouseMove) return true;
    if (event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        stager_.abandon(*pendingRequest_);
        pendingRequest_.reset();
        releasedEarly();
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace kelvane::app
