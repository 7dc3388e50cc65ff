// The desktop as tests see it: panels that wait for the test's answer, and a record of
// every file opened, revealed or copied. The clock is real unless a test sets it.
#pragma once

#include <QElapsedTimer>
#include <QList>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <functional>
#include <optional>
#include <vector>

#include "state/DesktopServices.hpp"

namespace kelvane::testing {

class FakeDesktopServices final : public app::DesktopServices {
public:
    struct OpenPanel {
        OpenPanelRequest request;
        std::function<void(QList<QUrl>)> done;
    };
    struct SavePanel {
        SavePanelRequest request;
        std::function<void(std::optional<QUrl>)> done;
    };

    FakeDesktopServices() { clock_.start(); }

    void chooseForOpening(const OpenPanelRequest& request,
                          std::function<void(QList<QUrl>)> done) override {
        openPanels.push_back({request, std::move(done)});
    }
    void chooseSaveLocation(const SavePanelRequest& request,
                            std::function<void(std::optional<QUrl>)> done) override {
        savePanels.push_back({request, std::move(done)});
    }
    void openUrl(const QUrl& url) override { openedUrls.push_back(url); }
    void revealFile(const QString& path) override { revealedFiles.push_back(path); }
    void openFolder(const QString& path) override { openedFolders.push_back(path); }
    void copyToClipboard(const QString& text) override { clipboard = text; }
    [[nodiscard]] bool isQuickLookVisible() const override { return quickLookPath.has_value(); }
    void showQuickLook(const QString& path) override { quickLookPath = path; }
    void closeQuickLook() override { quickLookPath.reset(); }
    [[nodiscard]] double nowSeconds() const override {
        if (fixedNow) return *fixedNow;
        return static_cast<double>(clock_.nsecsElapsed()) / 1e9;
    }

    std::vector<OpenPanel> openPanels;
    std::vector<SavePanel> savePanels;
    QList<QUrl> openedUrls;
    QStringList revealedFiles;
    QStringList openedFolders;
    QString clipboard;
    std::optional<QString> quickLookPath;
    std::optional<double> fixedNow;

private:
    QElapsedTimer clock_;
};

}  // namespace kelvane::testing
