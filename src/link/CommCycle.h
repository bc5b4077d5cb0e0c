#pragma once

#include "CommState.h"
#include "CommView.h"
#include "MessageBoxes.h"
#include "ModVars.h"
#include "SerialLink.h"

#include <QTimer>

class TrafficLog;

// The communication cycle: every exchange with the device runs here, one unit of work per
// tick of its timer, chosen by the phase. It decides every change of phase and of the
// timer; the view only shows what it reports. Connect, Disconnect and Download only prepare
// the state and switch the timer on. Nothing in a tick waits for the device.
//
// A front end drives it with the four calls below and an event loop; the window, the
// command line and the tests each pass their own parameter set, view and message boxes.
class CommCycle
{
public:
    static constexpr int FastInterval = 50;      // upload and live stream, milliseconds
    static constexpr int DownloadInterval = 150; // milliseconds

    CommCycle(SerialLink& port, ParameterSet& set, CommView& view, MessageBoxes& messages);
    ~CommCycle();

    // Connect: start the upload on port 1 or 2 at the parameter line settings.
    void connect(int portNumber);
    // Disconnect: stop the timer, close the port, give the connection buttons back.
    void disconnect();
    // Download: write the parameter set into the device, from its first row.
    void startDownload();
    // One tick of TmrComm; the timer calls it, and a test may call it by hand. Every failure
    // inside it ends in the one error path.
    void tick();
    // The end of the program: the timer stops and the port closes, without a word.
    void shutDown();

    const CommState& state() const { return m_comm; }
    // TmrComm, for those who follow the ticks: whether it runs, its interval, its timeouts.
    const QTimer& timer() const { return TmrComm; }
    // A download is under way: the timer runs and the phase is the download.
    bool downloadRunning() const;
    // Where Connect, Disconnect, the start and end of a transfer and every error shown are
    // recorded; none by default.
    void setTrafficLog(TrafficLog* log) { m_log = log; }

private:
    void uploadTick();
    void downloadTick();
    void livePass();
    // The cause goes under the message, so the user learns which device failed and why.
    void errorPath(const QString& cause);
    void logEvent(const QString& text);
    void closePort();
    void startTimer();
    void setTickInterval(int milliseconds);

    SerialLink& m_port;
    ParameterSet& m_set;
    CommView& m_view;
    MessageBoxes& m_messages;
    CommState m_comm;
    QTimer TmrComm;
    // What the device holds as far as the transfers have told, and whether all nine are
    // known yet; and the value last sent for each row of the running download.
    ParameterSet m_device;
    bool m_deviceKnown = false;
    ParameterSet m_sent;
    TrafficLog* m_log = nullptr;
};
