// Draws one bundled symbol drawing in a single colour at whatever size is asked
// for, so symbols stay sharp at every size and screen scale.
#pragma once

#include <QColor>
#include <QIconEngine>
#include <QImage>
#include <QString>
#include <memory>

class QSvgRenderer;

namespace kelvane {

// The drawings are masks: black is ink, white cuts out of the ink (a check mark
// inside a filled circle), and transparency stays transparent. Every inked pixel
// takes the tint colour; its opacity is the ink's coverage times the tint's alpha.
class TintedSymbolIconEngine final : public QIconEngine {
public:
    // `resourcePath` names an SVG drawing; when it cannot be read the engine
    // draws a plain rounded square, so the icon is never empty.
    TintedSymbolIconEngine(const QString& resourcePath, const QColor& tint);

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode,
               QIcon::State state) override;
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override;
    [[nodiscard]] QIconEngine* clone() const override;
    [[nodiscard]] QString key() const override;
    [[nodiscard]] QString iconName() override;
    [[nodiscard]] bool isNull() override { return false; }

    // The drawing at `size`, centred in a square of the smaller side, with the
    // ink turned into `tint`. Transparent for an empty size.
    [[nodiscard]] static QImage renderTinted(QSvgRenderer* renderer, const QSize& size,
                                             const QColor& tint);

private:
    [[nodiscard]] QColor tintFor(QIcon::Mode mode) const;

    QString resourcePath_;
    QColor tint_;
    // Shared between clones: a parsed drawing is read once per icon.
    std::shared_ptr<QSvgRenderer> renderer_;
};

}  // namespace kelvane
