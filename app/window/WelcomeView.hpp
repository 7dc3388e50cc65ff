// What the window shows while no archive is open: the emblem, the product name, a card
// inviting a drop (the whole window takes it), the open and create buttons and the recent
// archives.
#pragma once

#include <QWidget>

class QHBoxLayout;
class QLabel;

namespace kelvane::app {

class ArchiveViewModel;
class PillButton;

class WelcomeView final : public QWidget {
    Q_OBJECT

public:
    static constexpr int kRecentShown = 4;
    static constexpr int kSubheadWidth = 440;

    explicit WelcomeView(ArchiveViewModel& viewModel, QWidget* parent = nullptr);

    void retranslate();
    [[nodiscard]] int recentButtonCount() const;

protected:
    void changeEvent(QEvent* event) override;

private:
    void rebuildRecents();

    ArchiveViewModel& viewModel_;
    QLabel* emblem_;
    QLabel* subtitle_;
    QLabel* headline_;
    QLabel* subhead_;
    PillButton* open_;
    PillButton* create_;
    QWidget* recentBlock_;
    QLabel* recentTitle_;
    QHBoxLayout* recentRow_;
};

}  // namespace kelvane::app
