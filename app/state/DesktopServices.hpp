// Everything the state object needs from the desktop around it: file panels, opening files
// and addresses, the file manager, the clipboard, the quick-look window and the clock.
// The windows supply the real ones; tests supply their own answers.
#pragma once

#include <QList>
#include <QString>
#include <QUrl>

#include <functional>
#include <optional>

namespace kelvane::app {

class DesktopServices {
public:
    struct OpenPanelRequest {
        bool canChooseFiles = true;
        bool canChooseDirectories = false;
        bool allowsMultipleSelection = false;
        // Where the panel starts; empty for the panel's own choice.
        QString directory;
    };

    struct SavePanelRequest {
        QString directory;
        QString proposedName;
    };

    DesktopServices() = default;
    DesktopServices(const DesktopServices&) = delete;
    DesktopServices& operator=(const DesktopServices&) = delete;
    virtual ~DesktopServices() = default;

    // Panels never block: the answer comes later, on the interface thread, through
    // `done` (an empty list or none when the user cancelled).
    virtual void chooseForOpening(const OpenPanelRequest& request,
                                  std::function<void(QList<QUrl>)> done) = 0;
    virtual void chooseSaveLocation(const SavePanelRequest& request,
                                    std::function<void(std::optional<QUrl>)> done) = 0;

    // Opens a file with the application the desktop associates with it, or an address in
    // the browser.
    virtual void openUrl(const QUrl& url) = 0;
    // Shows the file manager with the file selected.
    virtual void revealFile(const QString& path) = 0;
    // Shows the file manager on the folder.
    virtual void openFolder(const QString& path) = 0;
    virtual void copyToClipboard(const QString& text) = 0;

    // The one quick-look window of the application.
    [[nodiscard]] virtual bool isQuickLookVisible() const = 0;
    virtual void showQuickLook(const QString& path) = 0;
    virtual void closeQuickLook() = 0;

    // Seconds on a clock that only moves forward.
    [[nodiscard]] virtual double nowSeconds() const = 0;
};

}  // namespace kelvane::app
