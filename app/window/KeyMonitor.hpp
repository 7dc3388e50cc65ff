// Keys the entry table answers wherever the focus is in the main window: Return opens the
// selected entry, Backspace goes up a folder, Space toggles quick look. Keys typed into a
// text field, and keys with Ctrl, Alt or Meta held, pass untouched.
#pragma once

#include <QObject>
#include <QPointer>

namespace kelvane::app {

class ArchiveViewModel;

class KeyMonitor final : public QObject {
    Q_OBJECT

public:
    // Watches key presses in `window` (dialogs and other windows are left alone).
    KeyMonitor(ArchiveViewModel& viewModel, QWidget* window, QObject* parent = nullptr);

    // True when the key press was used and must go no further.
    [[nodiscard]] bool handleKey(int key, Qt::KeyboardModifiers modifiers, QWidget* focus);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPointer<ArchiveViewModel> viewModel_;
    QPointer<QWidget> window_;
};

}  // namespace kelvane::app
