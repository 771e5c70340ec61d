#pragma once

#include <QObject>
#include <QSocketNotifier>

#include <csignal>
#include <unistd.h>

// SIGTERM and SIGINT reach a program's event loop through a pipe: the handler only writes a byte, and the loop calls
// the program's stop, so that it closes its connections and ends its output in order. Without the pipe the default
// action still ends the program.
namespace StopSignals {

inline int pipeEnds[2] = {-1, -1};

inline void signalled(int)
{
    const char byte = 0;
    [[maybe_unused]] const ssize_t written = ::write(pipeEnds[1], &byte, 1);
}

template <typename Receiver, typename Stop>
void onStop(Receiver *receiver, Stop stop)
{
    if (::pipe(pipeEnds) != 0)
        return;
    auto *notifier = new QSocketNotifier(pipeEnds[0], QSocketNotifier::Read, receiver);
    QObject::connect(notifier, &QSocketNotifier::activated, receiver, stop);
    struct sigaction action = {};
    action.sa_handler = signalled;
    sigemptyset(&action.sa_mask);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
}

} // namespace StopSignals
