#include "window/InstanceChannel.hpp"

#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>

#include <unistd.h>

namespace kelvane::app {

namespace {

// One path per line; the empty message only asks the window to come forward.
QByteArray encode(const QStringList& paths) {
    QByteArray message;
    for (const QString& path : paths) message += path.toUtf8() + '\n';
    message += '\n';
    return message;
}

}  // namespace

QString InstanceChannel::defaultSocketName() {
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty()) folder = QDir::tempPath();
    return QDir(folder).filePath(QStringLiteral("kelvane-%1.socket").arg(getuid()));
}

InstanceChannel::InstanceChannel(QString socketName, QObject* parent)
    : QObject(parent), socketName_(std::move(socketName)) {}

InstanceChannel::~InstanceChannel() {
    if (server_ != nullptr) server_->close();
}

bool InstanceChannel::handOver(const QStringList& paths, int timeoutMs) const {
    QLocalSocket socket;
    socket.connectToServer(socketName_);
    if (!socket.waitForConnected(timeoutMs)) return false;
    socket.write(encode(paths));
    if (!socket.waitForBytesWritten(timeoutMs)) return false;
    // The running instance closes the connection once it has the message.
    socket.waitForDisconnected(timeoutMs);
    return true;
}

bool InstanceChannel::listen() {
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server_->listen(socketName_)) {
        // A socket left by an instance that crashed: nobody answers on it, so take it over.
        QLocalServer::removeServer(socketName_);
        if (!server_->listen(socketName_)) return false;
    }
    connect(server_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* peer = server_->nextPendingConnection()) {
            connect(peer, &QLocalSocket::disconnected, peer, &QObject::deleteLater);
            connect(peer, &QLocalSocket::readyRead, this, [this, peer] {
                QByteArray received = peer->property("received").toByteArray();
                received += peer->readAll();
                peer->setProperty("received", received);
                if (!received.endsWith("\n\n") && received != "\n") return;
                QStringList paths;
                for (const QByteArray& line : received.split('\n')) {
                    if (!line.isEmpty()) paths << QString::fromUtf8(line);
                }
                peer->disconnectFromServer();
                emit filesReceived(paths);
            });
        }
    });
    return true;
}

}  // namespace kelvane::app
