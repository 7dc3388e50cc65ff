// The confirming button of a sheet, drawn in the accent colour. The colours are taken
// from the palette at paint time, so the button follows light/dark switches.
#pragma once

#include <QPushButton>

namespace kelvane::app {

class ProminentButton final : public QPushButton {
    Q_OBJECT

public:
    // `text` is shown as written ("&" marks no shortcut).
    explicit ProminentButton(const QString& text, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace kelvane::app
