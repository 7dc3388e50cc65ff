// The files named on the command line: every argument after the program that does not start
// with "-" is read as a path (relative to the working folder) and kept when something exists
// there.
#pragma once

#include <QList>
#include <QStringList>
#include <QUrl>

namespace kelvane::app {

class CommandLineFiles final {
public:
    CommandLineFiles() = delete;

    // `arguments` includes the program path first.
    [[nodiscard]] static QList<QUrl> from(const QStringList& arguments);
    [[nodiscard]] static QStringList paths(const QList<QUrl>& urls);
    // Every path named, as an absolute path, whether or not anything is there: a batch
    // that reports each missing file needs them all.
    [[nodiscard]] static QStringList namedPaths(const QStringList& arguments);
};

}  // namespace kelvane::app
