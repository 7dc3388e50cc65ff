// The application emblem from the compiled-in resources, in its own colours or as a
// template tinted with one colour; the archive-box symbol when the image is missing.
#pragma once

#include <QColor>
#include <QPixmap>

namespace kelvane::app {

class AppEmblem final {
public:
    AppEmblem() = delete;

    // `side` logical pixels at `ratio` device pixels each; `templateTint` recolours it.
    [[nodiscard]] static QPixmap pixmap(int side, qreal ratio,
                                        const QColor& templateTint = QColor());
};

}  // namespace kelvane::app
