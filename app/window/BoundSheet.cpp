#include "window/BoundSheet.hpp"

#include <QKeyEvent>
#include <QLayout>

namespace kelvane::app {

BoundSheet::BoundSheet(ArchiveViewModel& viewModel, QWidget* parentWindow, int width)
    : QDialog(parentWindow), viewModel_(viewModel) {
    setWindowModality(Qt::WindowModal);
    setFixedWidth(width);
}

void BoundSheet::follow(bool show) {
    if (show && !isVisible()) {
        refresh();
        fitHeight();
        open();
    } else if (!show && isVisible()) {
        done(QDialog::Rejected);
    }
}

void BoundSheet::fitHeight() {
    if (layout() == nullptr) return;
    layout()->activate();
    // Wrapping texts (the password hint) need the height for the fixed width.
    setFixedHeight(layout()->hasHeightForWidth() ? layout()->totalHeightForWidth(width())
                                                 : layout()->totalSizeHint().height());
}

void BoundSheet::reject() {
    cancelSheet();
}

void BoundSheet::keyPressEvent(QKeyEvent* event) {
    if (event->modifiers() == Qt::NoModifier || event->modifiers() == Qt::KeypadModifier) {
        if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
            confirm();
            event->accept();
            return;
        }
    }
    QDialog::keyPressEvent(event);
}

}  // namespace kelvane::app
