// The desktop for window tests: remembers what the state object asked of it and answers
// file panels with nothing, so no dialog, browser or file manager ever opens.
#pragma once

#include <QElapsedTimer>
#include <QStringList>
#include <QUrl>

#include "state/DesktopServices.hpp"

namespace kelvane::testing {

class RecordingDesktopServices final : public app::DesktopServices {
public:
    RecordingDesktopServices() { clock_.start(); }

    void chooseForOpening(const OpenPanelRequest& /*request*/,
                          std::function<void(QList<QUrl>)> /*done*/) override {
        ++openPanels;
    }
    void chooseSaveLocation(const SavePanelRequest& /*request*/,
                            std::function<void(std::optional<QUrl>)> /*done*/) override {
        ++savePanels;
    }
    void openUrl(const QUrl& url) override { openedUrls << url; }
    void revealFile(const QString& path) override { revealed << path; }
    void openFolder(const QString& path) override { openedFolders << path; }
    void copyToClipboard(const QString& text) override { clipboard = text; }
    [[nodiscard]] bool isQuickLookVisible() const override { return !quickLookFile.isEmpty(); }
    void showQuickLook(const QString& path) override { quickLookFile = path; }
    void closeQuickLook() override { quickLookFile.clear(); }
    [[nodiscard]] double nowSeconds() const override {
        return static_cast<double>(clock_.nsecsElapsed()) / 1e9;
    }

    int openPanels = 0;
    int savePanels = 0;
    QList<QUrl> openedUrls;
    QStringList revealed;
    QStringList openedFolders;
    QString clipboard;
    QString quickLookFile;

private:
    QElapsedTimer clock_;
};

}  // namespace kelvane::testing
