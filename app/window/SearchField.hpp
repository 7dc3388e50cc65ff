// The search field above the entry table: a line edit with a search symbol and a clear
// button that reports every edit (the pause before searching is the state object's).
#pragma once

#include <QLineEdit>

#include <cstdint>

namespace kelvane::app {

class SearchField final : public QLineEdit {
    Q_OBJECT

public:
    explicit SearchField(QWidget* parent = nullptr);

    // Shows `text` unless it is already shown; takes the focus when `focusPulse` moved.
    void follow(const QString& text, std::int64_t focusPulse);

protected:
    void changeEvent(QEvent* event) override;

private:
    void updateSymbol();

    std::int64_t lastFocusPulse_ = 0;
    QAction* symbolAction_;
};

}  // namespace kelvane::app
