#pragma once

#include "ModVars.h"

#include <QString>

class TrafficLog;

// What the user does that changes the parameter set or ends the session, told to the
// traffic log beside the line's traffic, so that a log shows where each value came from.
// Without a log it tells nobody.
class ActivityLog
{
public:
    explicit ActivityLog(TrafficLog* log = nullptr) : m_log(log) {}

    void fileRead(const QString& path);
    void fileSaved(const QString& path);
    // Auto Cal on the pressure window from low to high: the three trip pressures it set, or
    // that the window was too narrow.
    void autoCalibrated(int high, int low, bool applied, const ParameterSet& set);
    // An edit by the named means ("Grid edit", "Needle edit"): every parameter it changed,
    // with its grid row and the old and new value.
    void edited(const QString& means, const ParameterSet& before, const ParameterSet& after);
    void exited();
    // What a read-back found, compared with what was written.
    void readBack(const QString& result);

private:
    void event(const QString& text);

    TrafficLog* m_log;
};
