#pragma once

#include "ModVars.h"

#include <QString>

// What the communication cycle shows. The window implements it; tests implement it with a
// recorder, and a front end without a window may show only some of it.
class CommView
{
public:
    virtual ~CommView() = default;

    virtual void setStatus(const QString& text) = 0;  // LblStatus
    virtual void setProgress(int value) = 0;          // PrgComm, 0 to 100
    virtual void setConnectControlsEnabled(bool) = 0; // CmdConnect, CmdDownload and FrmComm
    virtual void setDownloadEnabled(bool) = 0;        // CmdDownload alone
    virtual void setLiveNeedle(int pressure) = 0;     // GaugePressure's needle
    // Marks the pressure window on the four dials, GaugePressure first.
    virtual void markPressureWindow(int high, int low) = 0;
    virtual void RefreshGrid() = 0;
    virtual void RefreshTripNeedles() = 0;
    // What the device holds, once an upload or a download has told it; values the window
    // shows that differ from it are marked.
    virtual void showDeviceValues(const ParameterSet&) {}
    // One value the device has just told or acknowledged, as soon as it has.
    virtual void noteDeviceValue(Parameter, std::int32_t) {}
    // A write of the parameter went out but was never acknowledged: the device may hold
    // either value. Stands until the next showDeviceValues.
    virtual void showUnacknowledgedWrite(Parameter, std::int32_t /*held*/, std::int32_t /*written*/)
    {}
    // Why the device may be silent, to follow the status where there is room; an empty
    // hint takes it away.
    virtual void setStatusHint(const QString&) {}
    // Whether GaugePressure's needle is a current reading or the last one before the
    // stream stopped.
    virtual void setLiveReadingCurrent(bool) {}
    // The nine values of an upload that Connect started, once all are read.
    virtual void uploadFinished(const ParameterSet&) {}
    // The device acknowledged the write of a parameter.
    virtual void writeAcknowledged(Parameter, std::int32_t) {}
    // The nine values a read-back found, which the parameter set does not take; or the
    // read-back stopped before it had them all.
    virtual void readBackFinished(const ParameterSet&) {}
    virtual void readBackFailed() {}
};
