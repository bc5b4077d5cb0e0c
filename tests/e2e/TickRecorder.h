#pragma once

#include "FrmPressureMonitor.h"

#include <QList>
#include <QMetaObject>
#include <QPair>
#include <QStringList>

#include <functional>

// Watches the main window's communication timer. After every tick, once the window's own
// handler has run, it notes what the tick left on the screen and in the cycle's state, so
// a test sees every step even when it polls less often than the timer fires.
class TickRecorder
{
public:
    explicit TickRecorder(FrmPressureMonitor& window);
    ~TickRecorder();
    TickRecorder(const TickRecorder&) = delete;
    TickRecorder& operator=(const TickRecorder&) = delete;

    // Notes the status line now, for a text a button handler has just shown.
    void noteStatus();
    // Forgets everything noted so far.
    void clear();

    bool sawStatus(const QString& text) const { return statuses.contains(text); }
    // The status texts from the first one equal to from, in order.
    QStringList statusesFrom(const QString& from) const;
    // The noted texts that start with prefix, each repetition in a row kept once.
    QStringList statusRun(const QString& prefix) const;

    // Runs after the notes of every tick.
    std::function<void()> afterTick;

    int ticks = 0;
    // Every status text that differed from the one noted before it.
    QStringList statuses;
    // CommWriteState after each tick that left the download running.
    QList<int> writeStates;
    // The pressure on the status line after each live tick that shows one.
    QList<int> pressures;
    // MaxPressure and MinPressure after each live tick.
    QList<QPair<int, int>> pressureWindows;

private:
    void tickDone();

    FrmPressureMonitor& m_window;
    QMetaObject::Connection m_connection;
};
