#pragma once

#include <QSocketNotifier>

#include <functional>
#include <memory>

// Ctrl+C (SIGINT) and SIGTERM as an event of the one thread: the signal handler only writes a
// byte into a pipe, and the event loop hands it on, so work stops between ticks, never in one.
class InterruptNotifier
{
public:
    explicit InterruptNotifier(std::function<void()> handler);
    ~InterruptNotifier();
    InterruptNotifier(const InterruptNotifier&) = delete;
    InterruptNotifier& operator=(const InterruptNotifier&) = delete;

private:
    std::function<void()> m_handler;
    std::unique_ptr<QSocketNotifier> m_notifier;
};
