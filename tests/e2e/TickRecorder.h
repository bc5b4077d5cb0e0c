#pragma once

#include "FrmPressureMonitor.h"

#include <QList>
#include <QPair>
#include <QStringList>

#include <functional>

// Notes, after every tick of the window's communication timer, what the tick left on the
// screen and in the cycle's state, so a test sees every step even when it polls less often
// than the timer fires.
class TickRecorder
{
public:
    explicit TickRecorder(FrmPressureMonitor& window);
    ~TickRecorder() { QObject::disconnect(m_connection); }
    TickRecorder(const TickRecorder&) = delete;
    TickRecorder& operator=(const TickRecorder&) = delete;

    // For a text a button handler has just shown.
    void noteStatus();
    void clear();
    // The noted texts that start with prefix, each repetition in a row kept once.
    QStringList statusRun(const QString& prefix) const;

    std::function<void()> afterTick;

    // Every status text that differed from the one noted before it.
    QStringList statuses;
    // CommWriteState after each tick that left the download running.
    QList<int> writeStates;
    // After each live tick: the pressure the status line shows, if any, and the window.
    QList<int> pressures;
    QList<QPair<int, int>> pressureWindows;

private:
    FrmPressureMonitor& m_window;
    QMetaObject::Connection m_connection;
};
