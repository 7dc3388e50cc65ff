// The status bar under the browsing layout: the archive's name, format, load time and
// read-only mark; the selection; the counts shown and in the archive; the reveal button.
#pragma once

#include <QWidget>

class QLabel;

namespace kelvane::app {

class ArchiveViewModel;
class PillButton;

class WorkspaceStatusBar final : public QWidget {
    Q_OBJECT

public:
    explicit WorkspaceStatusBar(ArchiveViewModel& viewModel, QWidget* parent = nullptr);

    void retranslate();
    // The texts shown, left to right (for tests).
    [[nodiscard]] QString archiveText() const;
    [[nodiscard]] QString selectionText() const;
    [[nodiscard]] QString countsText() const;

protected:
    void changeEvent(QEvent* event) override;

private:
    void refresh();

    ArchiveViewModel& viewModel_;
    QLabel* icon_;
    QLabel* name_;
    QLabel* format_;
    QLabel* loadTime_;
    QLabel* readOnly_;
    QLabel* selection_;
    QLabel* counts_;
    PillButton* reveal_;
};

}  // namespace kelvane::app
