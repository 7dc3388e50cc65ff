#include "window/KeyMonitor.hpp"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>

#include "state/ArchiveViewModel.hpp"
#include "window/WindowStyle.hpp"

namespace kelvane::app {

namespace {

bool isTextInput(const QWidget* widget) {
    if (widget == nullptr) return false;
    if (qobject_cast<const QLineEdit*>(widget) != nullptr ||
        qobject_cast<const QAbstractSpinBox*>(widget) != nullptr) {
        return true;
    }
    // Read-only text views count too: their keys select and scroll text.
    return qobject_cast<const QTextEdit*>(widget) != nullptr ||
           qobject_cast<const QPlainTextEdit*>(widget) != nullptr;
}

}  // namespace

KeyMonitor::KeyMonitor(ArchiveViewModel& viewModel, QWidget* window, QObject* parent)
    : QObject(parent), viewModel_(&viewModel), window_(window) {}

bool KeyMonitor::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress) return false;
    auto* target = qobject_cast<QWidget*>(watched);
    if (target == nullptr || window_.isNull() || target->window() != window_) return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    QWidget* focus = QApplication::focusWidget();
    return handleKey(key->key(), key->modifiers(), focus != nullptr ? focus : target);
}

bool KeyMonitor::handleKey(int key, Qt::KeyboardModifiers modifiers, QWidget* focus) {
    if (viewModel_.isNull()) return false;
    if (isTextInput(focus)) return false;
    if ((modifiers & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) != 0) {
        return false;
    }
    ArchiveViewModel& viewModel = *viewModel_;
    switch (key) {
        case Qt::Key_Return:
        case Qt::Key_Enter: {
            const std::optional<ArchiveEntry> entry = viewModel.primarySelectedEntry();
            if (!entry) return false;
            if (entry->isDirectory()) {
                viewModel.navigateToFolder(qs(entry->id()));
            } else {
                viewModel.openEntryDirectly(*entry);
            }
            return true;
        }
        case Qt::Key_Backspace:
            if (viewModel.currentFolderPath().isEmpty()) return false;
            viewModel.navigateUpFolder();
            return true;
        case Qt::Key_Space: {
            const std::optional<ArchiveEntry> entry = viewModel.primarySelectedEntry();
            if (!entry || entry->isDirectory()) return false;
            viewModel.toggleQuickLookForSelection();
            return true;
        }
        default: return false;
    }
}

}  // namespace kelvane::app
