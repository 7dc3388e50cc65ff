// `kelvane --extract-here ARCHIVE…`, the file manager's Extract Here: a process of its own
// with the small progress window only. It neither hands the archives to a running Kelvane
// window nor opens the main window, and its exit code says how the batch ended.
#pragma once

#include <QStringList>

namespace kelvane::app {

class ExtractHereLaunch final {
public:
    ExtractHereLaunch() = delete;

    static constexpr const char* kOption = "--extract-here";

    [[nodiscard]] static bool isRequested(const QStringList& arguments);

    // Runs the batch over the archives `arguments` name (the program first) in the
    // application's event loop and returns the process's exit code: 0 when every archive
    // was extracted, 1 when one failed or was skipped, 2 when the user cancelled or no
    // archive was named.
    [[nodiscard]] static int run(const QStringList& arguments);
};

}  // namespace kelvane::app
