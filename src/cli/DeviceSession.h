#pragma once

#include "CalibrationRecord.h"
#include "CommCycle.h"
#include "CommView.h"
#include "MessageBoxes.h"
#include "ModVars.h"
#include "PortNames.h"
#include "PressureRecorder.h"
#include "SerialLink.h"
#include "TrafficLog.h"

#include <QTimer>

#include <functional>
#include <memory>
#include <optional>

// One device of the command line: its own line, parameter set and communication cycle,
// driven like the window drives its own (Connect, Download) and followed through the view.
// A device that stays silent longer than the time-out fails, naming the step it was at.
class DeviceSession : public CommView, public MessageBoxes
{
public:
    enum class Stage
    {
        Idle,
        Reading,
        Writing,
        ReadingBack,
        Watching,
        Finished
    };

    // The log, when given, is shared by every device; each of its lines names this device.
    DeviceSession(const QString& device, std::unique_ptr<SerialLink> link, qint64 timeoutMs,
                  TrafficLog* sharedLog = nullptr);
    ~DeviceSession() override;

    // Reads the nine values and finishes.
    void startRead();
    // Writes the nine values, then reads them back when asked; with readFirst the device's
    // values are read before, as found. A value that its write request cannot carry fails
    // the device before anything is sent.
    void startWrite(const ParameterSet& values, bool readBack, bool readFirst = false);
    // Reads the nine values, then follows the live stream until stop(), handing every frame
    // to the recorder where there is one.
    void startWatch(PressureRecorder* recorder = nullptr);
    // Stops at once: the cycle sends nothing more. A transfer under way fails, saying how
    // far it came; watching ends as done.
    void stop();

    const QString& device() const { return m_device; }
    Stage stage() const { return m_stage; }
    bool finished() const { return m_stage == Stage::Finished; }
    bool failed() const { return !m_error.isEmpty(); }
    const QString& error() const { return m_error; }
    // The values read from the device, or read back after a write.
    const std::optional<ParameterSet>& deviceValues() const { return m_read; }
    int rowsWritten() const { return m_rowsWritten; }
    // What the session proves: as found, written and read back as left. A plain read is both
    // as found and as left.
    const CalibrationRecord& record() const { return m_record; }
    // One line on how far the work has come: the step, then the outcome.
    QString progressText() const;

    // The live stream: the last pressure, and the window since the upload, once a frame came.
    std::optional<int> lastPressure() const { return m_lastPressure; }
    int highestPressure() const;
    int lowestPressure() const;

    void setOnChange(std::function<void()> handler) { m_onChange = std::move(handler); }
    void setOnFinished(std::function<void()> handler) { m_onFinished = std::move(handler); }

    // CommView
    void setStatus(const QString& text) override;
    void setProgress(int) override {}
    void setConnectControlsEnabled(bool) override {}
    void setDownloadEnabled(bool) override {}
    void setLiveNeedle(int) override {}
    void markPressureWindow(int, int) override {}
    void RefreshGrid() override {}
    void RefreshTripNeedles() override {}
    void noteDeviceValue(Parameter, std::int32_t) override;
    void writeAcknowledged(Parameter parameter, std::int32_t value) override;

    // MessageBoxes: the cycle's only message is its error, which fails the device.
    MessageAnswer show(const QString& text, MessageIcon icon, MessageButtons buttons,
                       MessageAnswer defaultAnswer) override;
    MessageAnswer showDetailed(const QString& text, const QString& details, MessageIcon icon,
                               MessageButtons buttons, MessageAnswer defaultAnswer) override;

private:
    void begin(Stage stage);
    void connectNow();
    void writeNow(const ParameterSet& values);
    void uploadEnded();
    void fail(const QString& error);
    void finish();
    // Runs after the tick that asked for it, so that a tick is never cut short.
    void later(std::function<void()> work);
    void checkSilence();
    QString currentStep() const;
    void changed();

    QString m_device;
    qint64 m_timeoutMs;
    PortNames m_names;
    std::unique_ptr<TrafficLog> m_log;
    std::unique_ptr<SerialLink> m_link;
    ParameterSet m_set;
    CommCycle m_cycle;
    QTimer m_watchdog;
    Stage m_stage = Stage::Idle;
    bool m_readBack = false;
    bool m_watching = false;
    QString m_error;
    std::optional<ParameterSet> m_read;
    // The values to write once the device's own have been read.
    std::optional<ParameterSet> m_writeAfterRead;
    ParameterSet m_written;
    CalibrationRecord m_record;
    int m_rowsWritten = 0;
    std::optional<int> m_lastPressure;
    std::function<void()> m_onChange;
    std::function<void()> m_onFinished;
};
