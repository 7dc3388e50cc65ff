// What every sheet shares: a window-modal dialog of fixed width that opens when its flag in
// the state object turns true and closes when it turns false, confirms on Return and
// cancels on Escape, and keeps no state of its own (it re-reads everything on opening).
#pragma once

#include <QDialog>

namespace kelvane::app {

class ArchiveViewModel;

class BoundSheet : public QDialog {
    Q_OBJECT

public:
    // Escape, the close button of the frame: the sheet's cancel action, which resets the
    // flag that closes it.
    void reject() override;

protected:
    BoundSheet(ArchiveViewModel& viewModel, QWidget* parentWindow, int width);

    // Opens (reading the state first) or closes the dialog as `show` says.
    void follow(bool show);
    // Re-reads every shown value from the state object.
    virtual void refresh() = 0;
    virtual void confirm() = 0;
    virtual void cancelSheet() = 0;
    // Keeps the fixed width and fits the height after blocks appear or disappear.
    void fitHeight();

    void keyPressEvent(QKeyEvent* event) override;

    ArchiveViewModel& viewModel_;
};

}  // namespace kelvane::app
