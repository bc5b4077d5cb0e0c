#pragma once

#include "CommState.h"
#include "CommView.h"
#include "MessageBoxes.h"
#include "ModVars.h"
#include "SerialLink.h"

class TrafficLog;

// The communication cycle: every exchange with the device runs here, one unit of work per
// tick of the window's timer, chosen by CommAction. The buttons only prepare the state
// and switch the timer on. Nothing in a tick waits for the device.
class CommCycle
{
public:
    static constexpr int FastInterval = 50;      // upload and live stream, milliseconds
    static constexpr int DownloadInterval = 150; // milliseconds

    CommCycle(SerialLink& port, CommState& comm, ParameterSet& set, CommView& view,
              MessageBoxes& messages);

    // TmrComm's tick. Every failure inside it ends in the one error path.
    void tick();

    // Connect: start the upload on port 1 or 2 at the parameter line settings.
    void connect(int portNumber);
    // Disconnect: stop the timer, close the port, give the connection buttons back.
    void disconnect();
    // Download: write the parameter set into the device, from its first row.
    void startDownload();
    // A download is under way: the timer runs and CommAction is neither upload nor live.
    bool downloadRunning() const;
    // Where Connect, Disconnect, the start and end of a transfer and every error shown are
    // recorded; none by default.
    void setTrafficLog(TrafficLog* log) { m_log = log; }

private:
    void uploadSequence();
    void downloadTick();
    void livePass();
    // The cause goes under the message, so the user learns which device failed and why.
    void errorPath(const QString& cause);
    void logEvent(const QString& text);

    SerialLink& m_port;
    CommState& m_comm;
    ParameterSet& m_set;
    CommView& m_view;
    MessageBoxes& m_messages;
    // What the device holds as far as the transfers have told, and whether all nine are
    // known yet; and the value last sent for each row of the running download.
    ParameterSet m_device;
    bool m_deviceKnown = false;
    ParameterSet m_sent;
    TrafficLog* m_log = nullptr;
};
