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

    [[nodiscard]] QSize sizeHint() const override;
    [[nodiscard]] QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString text_;
    QPalette::ColorRole role_ = QPalette::WindowText;
};

}  // namespace kelvane::app
