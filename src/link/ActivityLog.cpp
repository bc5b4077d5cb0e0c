#include "ActivityLog.h"

#include "ParameterTable.h"
#include "TrafficLog.h"

void ActivityLog::event(const QString& text)
{
    if (m_log)
        m_log->event(text);
}

void ActivityLog::fileRead(const QString& path)
{
    event(QStringLiteral("File read %1").arg(path));
}

void ActivityLog::fileSaved(const QString& path)
{
    event(QStringLiteral("File saved %1").arg(path));
}

void ActivityLog::autoCalibrated(int high, int low, bool applied, const ParameterSet& set)
{
    const QString window = QStringLiteral("Auto Cal, window %1 to %2 PSI: ").arg(low).arg(high);
    if (!applied) {
        event(window + QStringLiteral("too narrow, nothing changed"));
        return;
    }
    event(window + QStringLiteral("Static Trip %1, Count Trip %2, Dynamic Trip %3 PSI")
                       .arg(set.StaticTripSP)
                       .arg(set.CountTripSP)
                       .arg(set.DynamicTripSP));
}

void ActivityLog::edited(const QString& means, const ParameterSet& before,
                         const ParameterSet& after)
{
    for (const ParameterInfo& info : parameterTable()) {
        const std::int32_t old = before.value(info.parameter);
        const std::int32_t now = after.value(info.parameter);
        if (old != now)
            event(QStringLiteral("%1, row %2 %3: %4 to %5")
                      .arg(means)
                      .arg(info.grid.row)
                      .arg(QString::fromLatin1(info.grid.caption))
                      .arg(old)
                      .arg(now));
    }
}

void ActivityLog::exited()
{
    event(QStringLiteral("Exit"));
}

void ActivityLog::readBack(const QString& result)
{
    event(result);
}
