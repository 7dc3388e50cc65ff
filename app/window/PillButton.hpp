// The window's custom-drawn button: a symbol and/or a one-line title on a rounded fill. The
// toolbar buttons, filter chips, breadcrumbs and the inspector's action buttons are all this
// button with another look; colours come from the palette at paint time.
#pragma once

#include <QAbstractButton>
#include <QColor>
#include <QFont>
#include <QString>

#include <optional>

namespace kelvane::app {

class PillButton final : public QAbstractButton {
    Q_OBJECT

public:
    enum class Look {
        plain,        // primary content on primary at 7 %, border at 11 %
        prominent,    // white content on the accent colour
        destructive,  // red content on the plain fill
        quiet,        // secondary content, no fill
        soft,         // secondary content on primary at 6 %
        emphasis,     // primary content on primary at 8 %
        accentTint,   // primary content on the accent colour at 14 %
        bare,         // primary content, no fill
    };

    struct Metrics {
        double fontSize = 11.5;
        QFont::Weight weight = QFont::DemiBold;
        double iconSize = 13;
        int paddingX = 9;
        int paddingY = 0;
        // 0 sizes the height from the content.
        int height = 28;
        // 0 for a free width; otherwise a square or fixed width.
        int fixedWidth = 0;
        // -1 for a capsule.
        double radius = 7;
        int spacing = 5;
        bool border = true;
        bool fillWidth = false;
        // Content starts at the leading padding instead of the centre.
        bool leading = false;
        // The title shrinks to this share of its size before it is cut in the middle.
        double minimumScale = 1.0;
    };

    explicit PillButton(QWidget* parent = nullptr);

    void setSymbol(const QString& symbolName);
    void setLook(Look look);
    void setMetrics(const Metrics& metrics);
    // A colour of its own for the symbol; none for the content colour.
    void setSymbolColor(std::optional<QColor> color);
    void setTitleWeight(QFont::Weight weight);
    // Opacity used while disabled (38 % unless told).
    void setDisabledOpacity(double opacity);
    // Shows the symbol alone, where a row has no room for every title; the title stays the
    // button's text and becomes its tooltip.
    void setCompact(bool compact);
    [[nodiscard]] bool isCompact() const { return compact_; }

    [[nodiscard]] Look look() const { return look_; }
    [[nodiscard]] const QString& symbol() const { return symbol_; }

    [[nodiscard]] QSize sizeHint() const override;
    [[nodiscard]] QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    [[nodiscard]] QColor contentColor() const;
    [[nodiscard]] QFont titleFont() const;
    // The title as drawn: none while compact.
    [[nodiscard]] QString shownTitle() const;

    QString symbol_;
    Look look_ = Look::plain;
    Metrics metrics_;
    std::optional<QColor> symbolColor_;
    double disabledOpacity_ = 0.38;
    bool compact_ = false;
};

}  // namespace kelvane::app
