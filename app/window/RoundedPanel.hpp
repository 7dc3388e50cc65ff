// A plain container drawn as a rounded rectangle filled with a palette colour (or a fixed
// one) at a given opacity: the path box, the source list, the error line and the badges
// all sit on one.
#pragma once

#include <QColor>
#include <QPalette>
#include <QWidget>

#include <optional>

namespace kelvane::app {

class RoundedPanel : public QWidget {
    Q_OBJECT

public:
    // A capsule uses half its height as radius.
    static constexpr double kCapsule = -1;

    RoundedPanel(QPalette::ColorRole role, double opacity, double cornerRadius,
                 QWidget* parent = nullptr);
    // A fixed colour (the error red) instead of a palette role.
    RoundedPanel(QColor color, double opacity, double cornerRadius, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPalette::ColorRole role_ = QPalette::WindowText;
    std::optional<QColor> fixedColor_;
    double opacity_;
    double cornerRadius_;
};

}  // namespace kelvane::app
