// Turns a drag of table rows into a drag of real files: the rows are staged first (see
// DragOutStager), and only when every file is ready, and the left button is still held,
// does the platform drag start, offering the staged files for copying only. Letting go
// before then cancels the drag and says so in a notice.
#pragma once

#include <QObject>
#include <QPointer>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "model/ArchiveEntry.hpp"

class QMimeData;
class QWidget;

namespace kelvane::app {

class ArchiveViewModel;
class DragOutStager;

class DragOutController final : public QObject {
    Q_OBJECT

public:
    // `dragSource` is the widget the rows are dragged from (the table); its mouse moves are
    // held back while files are being prepared, so the held button does not turn into a
    // selection drag. `viewModel` and `stager` must outlive the controller.
    DragOutController(ArchiveViewModel& viewModel, DragOutStager& stager, QWidget* dragSource,
                      QObject* parent = nullptr);

    // The data a drag of staged items carries: their file addresses, nothing else.
    [[nodiscard]] static QMimeData* makeDragData(const QStringList& stagedPaths);

    // Tells whether the left button is still down; the pointer state by default.
    void setButtonProbe(std::function<bool()> isLeftButtonHeld);

    // Runs the drag; `QDrag::exec` with copy as the only action by default.
    void setDragRunner(std::function<Qt::DropAction(QMimeData*)> runDrag);

    [[nodiscard]] bool isPreparing() const { return pendingRequest_.has_value(); }

    // Connected to the table's drag request: the entries of the dragged rows.
    void beginDrag(const std::vector<ArchiveEntry>& entries);

signals:
    // The files are ready and the platform drag is about to start.
    void dragStarting(const QStringList& stagedPaths);
    void dragFinished(Qt::DropAction action);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void onStaged(quint64 requestID, const QStringList& paths);
    void releasedEarly();

    ArchiveViewModel& viewModel_;
    DragOutStager& stager_;
    QPointer<QWidget> dragSource_;
    std::optional<std::uint64_t> pendingRequest_;
    std::function<bool()> isLeftButtonHeld_;
    std::function<Qt::DropAction(QMimeData*)> runDrag_;
};

}  // namespace kelvane::app
