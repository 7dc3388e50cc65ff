#include "window/TerminationRequests.hpp"

#include <sys/socket.h>
#include <unistd.h>

#include <QSocketNotifier>

#include <array>
#include <cerrno>

namespace kelvane::app {
namespace {

constexpr std::array kSignals{SIGTERM, SIGINT, SIGHUP};

// The handler may only write to a descriptor: the pair carries the signal's number to the
// event loop. [0] is written by the handler, [1] read on the interface thread.
int gPair[2] = {-1, -1};

}  // namespace

TerminationRequests::TerminationRequests(QObject* parent) : QObject(parent) {
    if (gPair[0] >= 0) return;  // another instance listens already
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, gPair) != 0) {
        gPair[0] = gPair[1] = -1;
        return;
    }
    notifier_ = new QSocketNotifier(gPair[1], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &TerminationRequests::readPending);
    struct sigaction action = {};
    action.sa_handler = &TerminationRequests::handle;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (std::size_t i = 0; i < kSignals.size(); ++i) {
        ::sigaction(kSignals[i], &action, &previous_[i]);
    }
}

TerminationRequests::~TerminationRequests() {
    if (notifier_ == nullptr) return;
    for (std::size_t i = 0; i < kSignals.size(); ++i) {
        ::sigaction(kSignals[i], &previous_[i], nullptr);
    }
    delete notifier_;
    notifier_ = nullptr;
    ::close(gPair[0]);
    ::close(gPair[1]);
    gPair[0] = gPair[1] = -1;
}

void TerminationRequests::handle(int signalNumber) {
    const int savedErrno = errno;
    const auto byte = static_cast<unsigned char>(signalNumber);
    // A full pair means requests are pending already; one more changes nothing.
    (void)!::write(gPair[0], &byte, 1);
    errno = savedErrno;
}

void TerminationRequests::readPending() {
    unsigned char byte = 0;
    while (::read(gPair[1], &byte, 1) == 1) emit requested(byte);
}

}  // namespace kelvane::app
