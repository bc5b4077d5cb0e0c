#pragma once

#include "CommState.h"
#include "CommView.h"
#include "MessageBoxes.h"
#include "ModVars.h"
#include "PortNames.h"
#include "SerialLink.h"

#include <QTimer>

#include <array>
#include <functional>
#include <optional>

class PressureRecorder;
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
    // How long the device may stay silent before the user is told where to look, and how
    // long "Download Complete" stays on the status line; milliseconds.
    static constexpr qint64 SilenceHintAfter = 3000;
    // "Download Complete" and the result of a read-back stay on the status line this long.
    static constexpr qint64 ResultHeld = 3000;

    // Milliseconds from any fixed start; the cycle never waits on it, it only looks.
    using Clock = std::function<qint64()>;

    CommCycle(SerialLink& port, ParameterSet& set, CommView& view, MessageBoxes& messages);
    ~CommCycle();

    // Connect: start the upload on port 1 or 2 at the parameter line settings.
    void connect(int portNumber);
    // Disconnect: stop the timer, close the port, give the connection buttons back.
    void disconnect();
    // Download: write the parameter set into the device on port 1 or 2, from its first row.
    // A port open on another number is closed first.
    void startDownload(int portNumber);
    // Read back: the nine values read again from the device on port 1 or 2 into a set of
    // their own, as Connect's upload reads them, then the live stream. The parameter set, the
    // grid and the dials stay as they are. A read-back that stops early, or meets a device
    // silent too long, has failed.
    void readBack(int portNumber);
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
    // A read-back is under way.
    bool readingBack() const { return m_readingBack; }
    // Where Connect, Disconnect, the start and end of a transfer and every error shown are
    // recorded; none by default.
    void setTrafficLog(TrafficLog* log) { m_log = log; }
    // Where every live frame goes with its place in its batch, and the events worth a mark
    // on the trend (Connect, the upload's end, a download's start and end, an error); none
    // by default.
    void setPressureRecorder(PressureRecorder* recorder) { m_recorder = recorder; }
    // Which device each Comm Port stands for, named when the device stays silent.
    void setPortNames(const PortNames& names) { m_names = names; }
    // The time the silence and the hold of "Download Complete" are measured in; a steady
    // clock by default.
    void setClock(Clock clock) { m_clock = std::move(clock); }
    // Milliseconds since the device last gave a valid answer, or since Connect or Download
    // when it has given none since; a front end that must not wait for ever looks at it.
    qint64 silentFor() const { return m_clock() - m_lastAnswer; }

private:
    void uploadTick();
    void downloadTick();
    void livePass();
    // The cause goes under the message, so the user learns which device failed and why.
    void errorPath(const QString& cause);
    void logEvent(const QString& text);
    void mark(const QString& label);
    void closePort();
    // What a read-back and a download share as they start on the chosen port: the port,
    // the measure of silence, the timer and the connection buttons. False after an error.
    bool beginTransfer(int portNumber);
    // Closes a port open on another number, then gives the port the new one.
    void takePort(int portNumber);
    void startTimer();
    // A valid answer from the device: the silence, and any hint about it, ends.
    void noteAnswer();
    // After a silence long enough the user learns what to check, once per silence.
    void checkSilence();
    // The cycle stops: a hint about silence goes, the live reading is no longer live, and a
    // write not yet acknowledged leaves its row unknown.
    void stopped();
    void setLiveReadingCurrent(bool current);
    // What the device holds, with every row whose write went unacknowledged.
    void showDeviceValues();
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
    // Rows whose last write was sent but not acknowledged before the cycle stopped, with
    // the value sent; and whether the running download's current row has been sent.
    std::array<std::optional<std::int32_t>, ParameterCount> m_unacknowledged;
    bool m_rowSent = false;
    // The running upload is a read-back, and what it has read so far.
    bool m_readingBack = false;
    ParameterSet m_readBack;
    TrafficLog* m_log = nullptr;
    PressureRecorder* m_recorder = nullptr;
    PortNames m_names;
    Clock m_clock;
    qint64 m_lastAnswer = 0;
    bool m_silenceHinted = false;
    // Whether the live dial has shown a reading, and whether it is a current one.
    bool m_liveShown = false;
    bool m_liveCurrent = true;
    std::optional<qint64> m_holdStatusUntil;
};
