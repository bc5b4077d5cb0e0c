#include "TickRecorder.h"

#include <QLabel>

namespace {
const QString PressurePrefix = QStringLiteral("Pressure = ");
const QString PressureSuffix = QStringLiteral(" PSI");
} // namespace

TickRecorder::TickRecorder(FrmPressureMonitor& window) : m_window(window)
{
    // Connected after the window's own handler, so it runs after each tick's work.
    m_connection = QObject::connect(&window.TmrComm, &QTimer::timeout, &window.TmrComm,
                                    [this] { tickDone(); });
}

TickRecorder::~TickRecorder()
{
    QObject::disconnect(m_connection);
}

void TickRecorder::noteStatus()
{
    const QString text = m_window.LblStatus->text();
    if (statuses.isEmpty() || statuses.last() != text)
        statuses.append(text);
}

void TickRecorder::clear()
{
    ticks = 0;
    statuses.clear();
    writeStates.clear();
    pressures.clear();
    pressureWindows.clear();
}

QStringList TickRecorder::statusesFrom(const QString& from) const
{
    const qsizetype first = statuses.indexOf(from);
    return first < 0 ? QStringList() : statuses.mid(first);
}

QStringList TickRecorder::statusRun(const QString& prefix) const
{
    QStringList run;
    for (const QString& text : statuses) {
        if (text.startsWith(prefix) && (run.isEmpty() || run.last() != text))
            run.append(text);
    }
    return run;
}

void TickRecorder::tickDone()
{
    ++ticks;
    noteStatus();
    const CommState& comm = m_window.commState();
    if (comm.CommAction == 2)
        writeStates.append(comm.CommWriteState);
    if (comm.CommAction == 1) {
        pressureWindows.append({comm.MaxPressure, comm.MinPressure});
        const QString text = m_window.LblStatus->text();
        if (text.startsWith(PressurePrefix) && text.endsWith(PressureSuffix)) {
            pressures.append(text.mid(PressurePrefix.size(),
                                      text.size() - PressurePrefix.size() - PressureSuffix.size())
                                 .toInt());
        }
    }
    if (afterTick)
        afterTick();
}
