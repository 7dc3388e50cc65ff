// A selectable chip of the format and volume choosers: a rounded rectangle in the accent
// colour with white bold text when selected, a faint one with ordinary text otherwise.
// Colours come from the palette at paint time, so a light/dark switch just repaints.
#pragma once

#include <QAbstractButton>
#include <QFont>

namespace kelvane::app {

class ChipButton final : public QAbstractButton {
    Q_OBJECT

public:
    struct Look {
        double pointSize = 11;
        QFont::Weight selectedWeight = QFont::Bold;
        QFont::Weight normalWeight = QFont::Medium;
        int cornerRadius = 7;
        int verticalPadding = 6;
    };

    ChipButton(const QString& text, Look look, QWidget* parent = nullptr);

    [[nodiscard]] QSize sizeHint() const override;
    [[nodiscard]] QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    [[nodiscard]] QFont fontFor(bool selected) const;

    Look look_;
};

}  // namespace kelvane::app
