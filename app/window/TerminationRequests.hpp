// SIGTERM, SIGINT and SIGHUP (a logout, `kill`, Ctrl+C in a terminal) as a Qt signal on the
// interface thread, so the program can stop its running archiver and take back what it wrote
// instead of dying in the middle of an extraction. One instance at a time; the signals' own
// handling is restored when it goes.
#pragma once

#include <QObject>

#include <csignal>

class QSocketNotifier;

namespace kelvane::app {

class TerminationRequests final : public QObject {
    Q_OBJECT

public:
    explicit TerminationRequests(QObject* parent = nullptr);
    ~TerminationRequests() override;
    TerminationRequests(const TerminationRequests&) = delete;
    TerminationRequests& operator=(const TerminationRequests&) = delete;

    // False when the signals could not be caught (no socket pair); they then end the process
    // as they always do.
    [[nodiscard]] bool isListening() const { return notifier_ != nullptr; }

signals:
    // Once per signal received.
    void requested(int signalNumber);

private:
    static void handle(int signalNumber);
    void readPending();

    QSocketNotifier* notifier_ = nullptr;
    struct sigaction previous_[3] = {};
};

}  // namespace kelvane::app
