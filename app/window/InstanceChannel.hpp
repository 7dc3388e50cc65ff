// One Kelvane window per user session: the first instance listens on a local socket in the
// user's runtime folder; a later `kelvane FILE…` hands its files to it and exits.
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

class QLocalServer;

namespace kelvane::app {

class InstanceChannel final : public QObject {
    Q_OBJECT

public:
    // The socket every instance of this user's session meets on.
    [[nodiscard]] static QString defaultSocketName();

    explicit InstanceChannel(QString socketName, QObject* parent = nullptr);
    ~InstanceChannel() override;

    // Sends `paths` (absolute) to a running instance; false when none answers.
    [[nodiscard]] bool handOver(const QStringList& paths, int timeoutMs = 1500) const;
    // Starts listening for later instances; false when the socket cannot be made.
    [[nodiscard]] bool listen();

signals:
    // A later instance was started with these paths (possibly none: just show the window).
    void filesReceived(const QStringList& paths);

private:
    QString socketName_;
    QLocalServer* server_ = nullptr;
};

}  // namespace kelvane::app
