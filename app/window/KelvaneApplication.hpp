// The application around the window: it owns the one state object for the whole run, the
// desktop services it uses, the appearance, the main window and the key monitor; it opens
// the files of the command line and of later launches, and cleans the cache at quit.
#pragma once

#include <QObject>
#include <QStringList>

#include <memory>

namespace kelvane::app {

class AppearanceController;
class ArchiveViewModel;
class InstanceChannel;
class KeyMonitor;
class MainWindow;
class QtDesktopServices;

class KelvaneApplication final : public QObject {
    Q_OBJECT

public:
    KelvaneApplication();
    ~KelvaneApplication() override;

    // Shows the window, installs the key monitor, listens for later launches and opens
    // `arguments`' files.
    void launch(const QStringList& arguments, InstanceChannel* channel);
    // Files handed over by the desktop or a later launch.
    void openFiles(const QStringList& paths);

    [[nodiscard]] ArchiveViewModel& viewModel() const { return *viewModel_; }
    [[nodiscard]] MainWindow& window() const { return *window_; }

private:
    std::unique_ptr<QtDesktopServices> desktop_;
    std::unique_ptr<ArchiveViewModel> viewModel_;
    AppearanceController* appearance_;
    std::unique_ptr<MainWindow> window_;
    KeyMonitor* keyMonitor_ = nullptr;
};

}  // namespace kelvane::app
