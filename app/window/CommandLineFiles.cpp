#include "window/CommandLineFiles.hpp"

#include <QFileInfo>

namespace kelvane::app {

QList<QUrl> CommandLineFiles::from(const QStringList& arguments) {
    QList<QUrl> urls;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments.at(i);
        if (argument.startsWith(QLatin1Char('-')) || argument.isEmpty()) continue;
        const QFileInfo file(argument);
        if (!file.exists() && !file.isSymLink()) continue;
        urls.append(QUrl::fromLocalFile(file.absoluteFilePath()));
    }
    return urls;
}

QStringList CommandLineFiles::namedPaths(const QStringList& arguments) {
    QStringList named;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments.at(i);
        if (argument.startsWith(QLatin1Char('-')) || argument.isEmpty()) continue;
        named << QFileInfo(argument).absoluteFilePath();
    }
    return named;
}

QStringList CommandLineFiles::paths(const QList<QUrl>& urls) {
    QStringList result;
    for (const QUrl& url : urls) result << url.toLocalFile();
    return result;
}

}  // namespace kelvane::app
