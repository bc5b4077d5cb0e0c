#include "TickRecorder.h"

#include <QLabel>
#include <QRegularExpression>

TickRecorder::TickRecorder(FrmPressureMonitor& window) : m_window(window)
{
    // Connected after the window's own handler, so it runs after each tick's work.
    m_connection = QObject::connect(&window.TmrComm, &QTimer::timeout, &window.TmrComm, [this] {
        noteStatus();
        const CommState& comm = m_window.commState();
        if (comm.CommAction == 2)
            writeStates.append(comm.CommWriteState);
        if (comm.CommAction == 1) {
            pressureWindows.append({comm.MaxPressure, comm.MinPressure});
            static const QRegularExpression shown(QStringLiteral("^Pressure = (\\d+) PSI$"));
            const auto match = shown.match(m_window.LblStatus->text());
            if (match.hasMatch())
                pressures.append(match.captured(1).toInt());
        }
        if (afterTick)
            afterTick();
    });
}

void TickRecorder::noteStatus()
{
    const QString text = m_window.LblStatus->text();
    if (statuses.isEmpty() || statuses.last() != text)
        statuses.append(text);
}

void TickRecorder::clear()
{
    statuses.clear();
    writeStates.clear();
    pressures.clear();
    pressureWindows.clear();
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
