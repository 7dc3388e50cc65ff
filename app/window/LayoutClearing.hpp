// Emptying a layout whose widgets may be in the middle of reporting a click: they are
// hidden at once and deleted when control is back in the event loop.
#pragma once

#include <QLayout>
#include <QWidget>

namespace kelvane::app {

inline void clearLayout(QLayout* layout) {
    while (QLayoutItem* item = layout->takeAt(0)) {
        if (QWidget* widget = item->widget()) {
            widget->hide();
            widget->deleteLater();
        } else if (QLayout* inner = item->layout()) {
            clearLayout(inner);
        }
        delete item;
    }
}

}  // namespace kelvane::app
