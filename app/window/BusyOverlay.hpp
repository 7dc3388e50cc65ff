// The modal layer shown while a long operation runs: a dimmed cover that takes every click,
// and a panel with the title, speed, percentage, progress bar, detail and Cancel.
#pragma once

#include <QWidget>

class QLabel;
class QProgressBar;

namespace kelvane::app {

class ArchiveViewModel;
class PillButton;
class SpinnerWidget;

class BusyOverlay final : public QWidget {
    Q_OBJECT

public:
    explicit BusyOverlay(ArchiveViewModel& viewModel, QWidget* parent);

    [[nodiscard]] PillButton& cancelButton() const { return *cancel_; }
    [[nodiscard]] QString percentText() const;
    [[nodiscard]] bool isIndeterminate() const;

    // Percentage shown for a fraction: the nearest whole number and "%".
    [[nodiscard]] static QString percentFor(double fraction);
    void retranslate();

protected:
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void refresh();
    void followParent();

    ArchiveViewModel& viewModel_;
    QWidget* panel_;
    SpinnerWidget* spinner_;
    QLabel* title_;
    QLabel* speed_;
    QLabel* percent_;
    QProgressBar* bar_;
    QLabel* detail_;
    PillButton* cancel_;
};

}  // namespace kelvane::app
