// The desktop around the window, for the state object: file dialogs opened without a
// nested event loop, opening files and addresses, the file manager over D-Bus, the
// clipboard, the quick-look window and a monotonic clock.
#pragma once

#include <QElapsedTimer>
#include <QPointer>
#include <QWidget>

#include "state/DesktopServices.hpp"
#include "window/QuickLookWindow.hpp"

namespace kelvane::app {

class QtDesktopServices final : public DesktopServices {
public:
    QtDesktopServices();
    ~QtDesktopServices() override;

    // The window the dialogs belong to; none leaves them free-standing.
    void setParentWindow(QWidget* window) { parentWindow_ = window; }

    void chooseForOpening(const OpenPanelRequest& request,
                          std::function<void(QList<QUrl>)> done) override;
    void chooseSaveLocation(const SavePanelRequest& request,
                            std::function<void(std::optional<QUrl>)> done) override;
    void openUrl(const QUrl& url) override;
    void revealFile(const QString& path) override;
    void openFolder(const QString& path) override;
    void copyToClipboard(const QString& text) override;
    [[nodiscard]] bool isQuickLookVisible() const override;
    void showQuickLook(const QString& path) override;
    void closeQuickLook() override;
    [[nodiscard]] double nowSeconds() const override;

private:
    QPointer<QWidget> parentWindow_;
    QPointer<QuickLookWindow> quickLook_;
    QElapsedTimer clock_;
};

}  // namespace kelvane::app
