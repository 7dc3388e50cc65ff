// The row of tab chips shown while two or more archives are open: each chip switches to its
// archive, its cross closes it.
#pragma once

#include <QWidget>

class QHBoxLayout;

namespace kelvane::app {

class ArchiveViewModel;

class ArchiveTabStrip final : public QWidget {
    Q_OBJECT

public:
    // Margins of 5 around chips of 28.
    static constexpr int kHeight = 38;

    explicit ArchiveTabStrip(ArchiveViewModel& viewModel, QWidget* parent = nullptr);

    [[nodiscard]] int chipCount() const;

protected:
    void changeEvent(QEvent* event) override;

private:
    void rebuild();

    ArchiveViewModel& viewModel_;
    QHBoxLayout* row_;
};

}  // namespace kelvane::app
