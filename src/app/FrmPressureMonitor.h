#pragma once

#include "ActivityLog.h"
#include "CalibrationRecord.h"
#include "CommCycle.h"
#include "CommState.h"
#include "CommView.h"
#include "ElidedLabel.h"
#include "FrmCalibrationRecord.h"
#include "FrmFileBrowse.h"
#include "MessageBoxes.h"
#include "ModVars.h"
#include "ParameterOrigin.h"
#include "PortNames.h"
#include "PressureRecorder.h"
#include "SerialLink.h"
#include "TrendChart.h"

#include <QPointer>
#include <QWidget>

#include <memory>

class DialGauge;
class FrmTrend;

class PortChoice;

class QGroupBox;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QToolButton;
class SpreadGrid;
class TrafficLog;

// The main window: the live dial over the parameter grid, the trip dials, the port choice,
// the status line, the connection buttons and the four picture buttons. It is a hub: every
// handler hands its work to the communication cycle, the editing functions or the file
// dialog, and the window only shows what they report.
class FrmPressureMonitor : public QWidget, public CommView
{
    Q_OBJECT

public:
    // The port's names tell which device each "Comm Port" option stands for; the traffic
    // log, where there is one, also hears of Connect, Disconnect, transfers and errors.
    FrmPressureMonitor(std::unique_ptr<SerialLink> port, MessageBoxes& messages,
                       const PortNames& names = {}, TrafficLog* log = nullptr,
                       QWidget* parent = nullptr);
    ~FrmPressureMonitor() override;

    // CommView: what the communication cycle does to the window.
    void setStatus(const QString& text) override;
    void setProgress(int value) override;
    void setConnectControlsEnabled(bool enabled) override;
    void setDownloadEnabled(bool enabled) override;
    void setLiveNeedle(int pressure) override;
    void markPressureWindow(int high, int low) override;
    void RefreshGrid() override;
    void RefreshTripNeedles() override;
    void showDeviceValues(const ParameterSet& device) override;
    void noteDeviceValue(Parameter parameter, std::int32_t value) override;
    void showUnacknowledgedWrite(Parameter parameter, std::int32_t held,
                                 std::int32_t written) override;
    void setStatusHint(const QString& hint) override;
    void setLiveReadingCurrent(bool current) override;
    void uploadFinished(const ParameterSet& device) override;
    void writeAcknowledged(Parameter parameter, std::int32_t value) override;
    void readBackFinished(const ParameterSet& device) override;
    void readBackFailed() override;

    // The program's parameter set, shown in the grid and the trip dials, handed to the
    // cycle, the file operations and Auto Cal.
    ParameterModule ModVars;

    // The controls, by their names, for the parts of the program that drive them.
    DialGauge* GaugePressure;
    DialGauge* GaugeStaticTrip;
    DialGauge* GaugeCountTrip;
    DialGauge* GaugeDynamicTrip;
    SpreadGrid* SpdEEPROM;
    QGroupBox* FrmComm;
    QRadioButton* OptComm[2];
    ElidedLabel* LblStatus;
    QPushButton* CmdConnect;
    QPushButton* CmdDisconnect;
    QPushButton* CmdDownload;
    QProgressBar* PrgComm;
    QToolButton* CmdOpen;
    QToolButton* CmdSave;
    QToolButton* CmdAutoSet;
    QToolButton* CmdExit;
    QToolButton* CmdRecord;

    // The communication cycle, which owns the timer TmrComm and the pressure window.
    CommCycle& commCycle() { return m_cycle; }
    const CommState& commState() const { return m_cycle.state(); }
    SerialLink& serialLink() { return *m_port; }
    FrmFileBrowse* fileBrowse() const { return m_fileBrowse; }
    PortChoice& portChoice() const { return *m_portChoice; }
    const CalibrationRecord& record() const { return m_record; }
    FrmCalibrationRecord* recordWindow() const { return m_recordWindow; }
    // Every live frame with its time, and the events among them.
    PressureRecorder& pressureRecorder() { return m_recorder; }
    // The trend window, once it has been opened.
    FrmTrend* trendWindow() const;
    // Records every live frame and event from now on into the file, with the program and
    // the chosen port in its header; capped as the traffic log is.
    bool startRecording(const QString& path, QString& error);
    void setRecordingCap(qint64 maxBytes) { m_recordMaxBytes = maxBytes; }
    // The trip lines and the pressure window the trend draws.
    TrendLevels trendLevels() const;

public Q_SLOTS:
    void CmdConnect_Click();
    void CmdDisconnect_Click();
    void CmdDownload_Click();
    void CmdAutoSet_Click();
    void CmdOpen_Click();
    void CmdSave_Click();
    void CmdExit_Click();
    void CmdRecord_Click();
    void CmdReadBack_Click();
    // Opens the trend window beside this one, or brings it to the front.
    void showTrend();
    void SpdEEPROM_CellEdited();
    void GaugeStaticTrip_MouseUp();
    void GaugeCountTrip_MouseUp();
    void GaugeDynamicTrip_MouseUp();

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createControls();
    void setTabOrder();
    void Form_Load();
    void Form_Resize();
    // The tooltips of the controls that do more than their captions say, as things stand.
    void updateTips();
    void showFileBrowse(FileAction action);
    // OK in the file dialog: the read or save runs here, and a read is shown at once.
    void runFileAction(const QString& path, const QString& chosenName);
    // A warning question, No the default: true when there is none or the answer is Yes.
    bool confirmed(const QString& question);
    // Moves a window of the program beside this one, within the screen.
    void placeBeside(QWidget& window) const;
    // The port number of the selected Comm Port option.
    int chosenPortNumber() const;
    void refreshRecord();

    std::unique_ptr<SerialLink> m_port;
    MessageBoxes& m_messages;
    CommCycle m_cycle;
    ParameterOrigin m_origin;
    TrafficLog* m_log;
    ActivityLog m_activity;
    QPointer<FrmFileBrowse> m_fileBrowse;
    PressureRecorder m_recorder;
    QPointer<FrmTrend> m_trend;
    qint64 m_recordMaxBytes;
    // After a read or save that did not succeed, the folder the dialog was in, so that the
    // user tries again from there.
    QString m_retryFolder;
    PortChoice* m_portChoice = nullptr;
    // What the session proves about the device, and its window once opened.
    CalibrationRecord m_record;
    QPointer<FrmCalibrationRecord> m_recordWindow;
    int m_recordPort = 0;
    bool m_centred = false;
};
