// Desktop services for tests: panels are recorded and answered when the test decides,
// everything else is recorded; the clock is a steady one.
#pragma once

#include <QElapsedTimer>

#include <functional>
#include <optional>
#include <vector>

#include "state/DesktopServices.hpp"

namespace kelvane::testing {

class FakeDesktopServices final : public app::DesktopServices {
public:
    FakeDesktopServices() { clock_.start(); }

    void chooseForOpening(const OpenPanelRequest& request,
                          std::function<void(QList<QUrl>)> done) override {
        openRequests.push_back(request);
        pendingOpen_ = std::move(done);
    }
    void chooseSaveLocation(const SavePanelRequest& request,
                            std::function<void(std::optional<QUrl>)> done) override {
        saveRequests.push_back(request);
        pendingSave_ = std::move(done);
    }

    // Ends the open or save panel shown last, as the user would; false with none open.
    bool answerOpenPanel(const QList<QUrl>& chosen) {
        if (!pendingOpen_) return false;
        auto done = std::exchange(pendingOpen_, nullptr);
        done(chosen);
        return true;
    }
    bool answerSavePanel(const std::optional<QUrl>& chosen) {
        if (!pendingSave_) return false;
        auto done = std::exchange(pendingSave_, nullptr);
        done(chosen);
        return true;
    }

    void openUrl(const QUrl& url) override { openedUrls.push_back(url); }
    void revealFile(const QString& path) override { revealedFiles.push_back(path); }
    void openFolder(const QString& path) override { openedFolders.push_back(path); }
    void copyToClipboard(const QString& text) override { clipboard = text; }
    [[nodiscard]] bool isQuickLookVisible() const override { return quickLookPath.has_value(); }
    void showQuickLook(const QString& path) override { quickLookPath = path; }
    void closeQuickLook() override { quickLookPath.reset(); }
    [[nodiscard]] double nowSeconds() const override {
        return static_cast<double>(clock_.nsecsElapsed()) / 1e9;
    }

    std::vector<OpenPanelRequest> openRequests;
    std::vector<SavePanelRequest> saveRequests;
    std::vector<QUrl> openedUrls;
    std::vector<QString> revealedFiles;
    std::vector<QString> openedFolders;
    QString clipboard;
    std::optional<QString> quickLookPath;

private:
    QElapsedTimer clock_;
    std::function<void(QList<QUrl>)> pendingOpen_;
    std::function<void(std::optional<QUrl>)> pendingSave_;
};

}  // namespace kelvane::testing
