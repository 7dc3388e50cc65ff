// One line of text that keeps its start and end and puts an ellipsis in the middle when
// the width is short: long paths stay recognisable by both ends.
#pragma once

#include <QWidget>

namespace kelvane::app {

class MiddleElidedLabel final : public QWidget {
    Q_OBJECT

public:
    explicit MiddleElidedLabel(QWidget* parent = nullptr);

    void setText(const QString& text);
    [[nodiscard]] const QString& text() const { return text_; }
    // What is drawn at the current width.
    [[nodiscard]] QString displayedText() const;
    void setTextRole(QPalette::ColorRole role);
    // Leading unless told; mirrored with the layout direction.
    void setAlignment(Qt::Alignment horizontal);
    // Paths and file names keep their left-to-right order in a right-to-left window (the
    // text still starts at the leading edge).
    void setReadsLeftToRight(bool leftToRight);

    [[nodiscard]] QSize sizeHint() const override;
    [[nodiscard]] QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString text_;
    QPalette::ColorRole role_ = QPalette::WindowText;
    Qt::Alignment alignment_ = Qt::AlignLeft;
    bool readsLeftToRight_ = false;
};

}  // namespace kelvane::app
