// A small spinning indicator for work whose end is unknown; it only turns while visible.
#pragma once

#include <QTimer>
#include <QWidget>

namespace kelvane::app {

class SpinnerWidget final : public QWidget {
    Q_OBJECT

public:
    explicit SpinnerWidget(int side = 16, QWidget* parent = nullptr);

    [[nodiscard]] QSize sizeHint() const override { return {side_, side_}; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    int side_;
    int angle_ = 0;
    QTimer timer_;
};

}  // namespace kelvane::app
