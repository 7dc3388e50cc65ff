// A short text in the accent colour on a faint accent capsule: the counts and the format
// name in the sheet headers.
#pragma once

#include <QFont>

#include "window/RoundedPanel.hpp"

class QLabel;

namespace kelvane::app {

class CapsuleBadge final : public RoundedPanel {
    Q_OBJECT

public:
    CapsuleBadge(QFont::Weight weight, int horizontalPadding, int verticalPadding,
                 QWidget* parent = nullptr);

    void setText(const QString& text);
    [[nodiscard]] QString text() const;

protected:
    void changeEvent(QEvent* event) override;

private:
    void applyColour();

    QLabel* label_;
};

}  // namespace kelvane::app
