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
};
