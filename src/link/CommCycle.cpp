#include "CommCycle.h"

#include "DeviceFrames.h"
#include "DownloadStep.h"
#include "FrameScanner.h"
#include "ParameterTable.h"
#include "PressureRecorder.h"
#include "SerialError.h"
#include "TrafficLog.h"
#include "UploadStep.h"

#include <QElapsedTimer>

#include <algorithm>
#include <memory>
#include <vector>

namespace {
// Fewer waiting bytes than this are left for the next tick.
constexpr int LiveMinimumWaiting = 6;
// While the stream runs the line need not wake the program at every frame (64 bytes are
// about 11 ms of it): each tick takes every byte that has arrived all the same. Any other
// work waits for answers as short as four bytes, which must wake it.
constexpr int LiveReadThreshold = 64;
constexpr int EveryByte = 1;
constexpr int UploadSteps = ParameterCount;

// Called inside a handler: what the failure that is being handled says about its cause.
QString currentCause()
{
    try {
        throw;
    } catch (const SerialError& e) {
        return e.cause();
    } catch (const std::exception& e) {
        return QString::fromStdString(e.what());
    } catch (...) {
        return {};
    }
}

} // namespace

CommCycle::CommCycle(SerialLink& port, ParameterSet& set, CommView& view, MessageBoxes& messages)
    : m_port(port), m_set(set), m_view(view), m_messages(messages)
{
    auto steady = std::make_shared<QElapsedTimer>();
    steady->start();
    m_clock = [steady] { return steady->elapsed(); };
    TmrComm.setInterval(FastInterval);
    QObject::connect(&TmrComm, &QTimer::timeout, &TmrComm, [this] { tick(); });
}

CommCycle::~CommCycle()
{
    shutDown();
}

void CommCycle::tick()
{
    try {
        if (!m_port.portOpen())
            m_port.setPortOpen(true);
        switch (m_comm.CommAction) {
        case CommPhase::Live:
            setTickInterval(FastInterval);
            livePass();
            break;
        case CommPhase::Upload:
            setTickInterval(FastInterval);
            m_port.setReadThreshold(EveryByte);
            uploadTick();
            break;
        case CommPhase::Download:
            setTickInterval(DownloadInterval);
            m_port.setReadThreshold(EveryByte);
            downloadTick();
            break;
        }
        checkSilence();
    } catch (...) {
        errorPath(currentCause());
    }
}

void CommCycle::uploadTick()
{
    const int step = m_comm.CommCount;
    m_view.setProgress(uploadProgress(step));
    if (step < UploadSteps) {
        const Parameter read = uploadParameter(step);
        m_view.setStatus(QString::fromLatin1(parameterInfo(read).upload.status));
        ParameterSet& target = m_readingBack ? m_readBack : m_set;
        if (UploadStep(step, m_port, target) == UploadResult::Stored) {
            noteAnswer();
            m_comm.CommCount = static_cast<std::int16_t>(step + 1);
            m_device.assign(read, target.value(read));
            m_view.noteDeviceValue(read, target.value(read));
            m_unacknowledged[static_cast<int>(read)].reset();
        }
        // With the ninth value read, the whole of what the device holds is known.
        if (m_comm.CommCount == UploadSteps) {
            m_deviceKnown = true;
            showDeviceValues();
        }
    }
    if (step == UploadSteps - 1 && !m_readingBack) {
        m_view.RefreshGrid();
        m_view.RefreshTripNeedles();
    } else if (step == UploadSteps) {
        // The closing tick: the live stream starts with the next one.
        m_comm.CommAction = CommPhase::Live;
        if (std::exchange(m_readingBack, false)) {
            logEvent(QStringLiteral("Read back end, live stream"));
            m_view.readBackFinished(m_readBack);
            m_holdStatusUntil = m_clock() + ResultHeld;
        } else {
            logEvent(QStringLiteral("Upload end, live stream"));
            mark(QStringLiteral("Upload done"));
            m_view.uploadFinished(m_device);
            m_view.setStatus(QStringLiteral("Waiting for data"));
        }
        m_view.setDownloadEnabled(true);
    }
}

void CommCycle::downloadTick()
{
    const int row = m_comm.CommWriteState;
    if (row == 0)
        m_view.setStatus(QStringLiteral("Downloading Data"));
    const DownloadResult result = DownloadStep(row, m_port, m_set);
    if (result == DownloadResult::Waiting)
        return;
    if (result != DownloadResult::Repeated) {
        noteAnswer();
        // An acknowledged row holds the value last sent for it, whatever the grid shows now.
        const Parameter written = downloadParameter(row);
        m_device.assign(written, m_sent.value(written));
        m_view.noteDeviceValue(written, m_sent.value(written));
        m_view.writeAcknowledged(written, m_sent.value(written));
        m_unacknowledged[static_cast<int>(written)].reset();
    }
    if (result == DownloadResult::Finished) {
        m_rowSent = false;
        m_deviceKnown = true;
        showDeviceValues();
        m_view.setStatus(QStringLiteral("Download Complete"));
        // The live stream that follows would replace it at once.
        m_holdStatusUntil = m_clock() + ResultHeld;
        m_comm.CommWriteState = 0;
        m_comm.CommAction = CommPhase::Live;
        m_view.setDownloadEnabled(true);
        logEvent(QStringLiteral("Download end"));
        mark(QStringLiteral("Download done"));
        return;
    }
    if (result == DownloadResult::Advanced) {
        m_comm.CommWriteState = static_cast<std::int16_t>(row + 1);
        if (m_deviceKnown)
            showDeviceValues();
    }
    const Parameter sent = downloadParameter(m_comm.CommWriteState);
    m_sent.assign(sent, m_set.value(sent));
    m_rowSent = true;
    m_view.setStatus(QString::fromLatin1(parameterInfo(sent).download.status));
    m_view.setProgress(downloadProgress(m_comm.CommWriteState));
}

void CommCycle::livePass()
{
    m_port.setSettings(QString::fromLatin1(LiveLineSettings));
    m_port.setReadThreshold(LiveReadThreshold);
    m_view.setProgress(100);
    const int waiting = m_port.inBufferCount();
    if (waiting < LiveMinimumWaiting)
        return;
    const QByteArray batch = m_port.input();

    int shown = 0;
    std::vector<PressureRecorder::Frame> frames;
    const auto* start = reinterpret_cast<const std::uint8_t*>(batch.constData());
    FrameScanner::scan(batch, waiting, DeviceFrames::PressureFrameLength,
                       DeviceFrames::PressureCommand, [&](const std::uint8_t* frame) {
                           const auto pressure = static_cast<std::int16_t>(
                               std::min<int>(frame[3], HighestTripPressure));
                           shown = pressure;
                           m_comm.MaxPressure = std::max(m_comm.MaxPressure, pressure);
                           m_comm.MinPressure = std::min(m_comm.MinPressure, pressure);
                           const auto end =
                               static_cast<int>(frame - start) + DeviceFrames::PressureFrameLength;
                           frames.push_back({pressure, end});
                       });
    if (m_recorder && !frames.empty())
        m_recorder->addBatch(frames, std::min(waiting, static_cast<int>(batch.size())));
    // The status shows the batch's last valid frame, once "Download Complete" has had its
    // time; a batch without one leaves it as it was, while the needle drops to zero.
    if (!frames.empty()) {
        noteAnswer();
        if (m_holdStatusUntil && m_clock() >= *m_holdStatusUntil)
            m_holdStatusUntil.reset();
        if (!m_holdStatusUntil)
            m_view.setStatus(QStringLiteral("Pressure = %1 PSI").arg(shown));
        setLiveReadingCurrent(true);
    }
    m_view.setLiveNeedle(shown);
    if (m_comm.MaxPressure > 0)
        m_view.markPressureWindow(m_comm.MaxPressure, m_comm.MinPressure);
}

void CommCycle::errorPath(const QString& cause)
{
    if (m_log)
        m_log->error(QStringLiteral("Comm Port Error shown: %1").arg(cause));
    TmrComm.stop();
    stopped();
    mark(QStringLiteral("Error"));
    m_messages.showDetailed(QStringLiteral("A Comm Port Error Has Occured"), cause,
                            MessageIcon::Warning, MessageButtons::Ok);
    m_view.setConnectControlsEnabled(true);
}

void CommCycle::stopped()
{
    m_holdStatusUntil.reset();
    if (std::exchange(m_silenceHinted, false))
        m_view.setStatusHint({});
    setLiveReadingCurrent(false);
    if (std::exchange(m_readingBack, false))
        m_view.readBackFailed();
    if (m_comm.CommAction != CommPhase::Download || !std::exchange(m_rowSent, false))
        return;
    // The device may have taken the write and its acknowledgement be lost, or not.
    const Parameter pending = downloadParameter(m_comm.CommWriteState);
    const std::int32_t sent = m_sent.value(pending);
    if (!m_deviceKnown || sent == m_device.value(pending))
        return;
    m_unacknowledged[static_cast<int>(pending)] = sent;
    m_view.showUnacknowledgedWrite(pending, m_device.value(pending), sent);
}

void CommCycle::showDeviceValues()
{
    m_view.showDeviceValues(m_device);
    for (int i = 0; i < ParameterCount; ++i) {
        const auto parameter = static_cast<Parameter>(i);
        if (m_unacknowledged[i])
            m_view.showUnacknowledgedWrite(parameter, m_device.value(parameter),
                                           *m_unacknowledged[i]);
    }
}

void CommCycle::noteAnswer()
{
    m_lastAnswer = m_clock();
    if (std::exchange(m_silenceHinted, false))
        m_view.setStatusHint({});
}

void CommCycle::checkSilence()
{
    if (m_silenceHinted || m_clock() - m_lastAnswer < SilenceHintAfter)
        return;
    m_silenceHinted = true;
    const QString hint =
        QStringLiteral("no answer from %1: check the cable, the device's power and the chosen port")
            .arg(m_names.deviceFor(m_port.commPort()));
    logEvent(hint);
    m_view.setStatusHint(hint);
    setLiveReadingCurrent(false);
    // A read-back is a proof: it ends rather than wait for a device that does not answer.
    if (m_readingBack)
        throw SerialError(hint.toStdString());
}

void CommCycle::setLiveReadingCurrent(bool current)
{
    m_liveShown = m_liveShown || current;
    if (!m_liveShown || current == m_liveCurrent)
        return;
    m_liveCurrent = current;
    m_view.setLiveReadingCurrent(current);
}

void CommCycle::logEvent(const QString& text)
{
    if (m_log)
        m_log->event(text);
}

void CommCycle::mark(const QString& label)
{
    if (m_recorder)
        m_recorder->addMarker(label);
}

void CommCycle::connect(int portNumber)
{
    logEvent(QStringLiteral("Connect Comm Port %1").arg(portNumber));
    m_readingBack = false;
    mark(QStringLiteral("Connect"));
    m_comm.CommAction = CommPhase::Upload;
    m_comm.CommCount = 0;
    m_comm.MaxPressure = 0;
    m_comm.MinPressure = HighestTripPressure;
    try {
        // A port left open by an earlier error is closed before it gets its new number.
        if (m_port.portOpen())
            m_port.setPortOpen(false);
        m_port.setCommPort(portNumber);
        m_port.setSettings(QString::fromLatin1(ParameterLineSettings));
        m_port.setReadThreshold(EveryByte);
    } catch (...) {
        errorPath(currentCause());
        return;
    }
    m_holdStatusUntil.reset();
    noteAnswer();
    startTimer();
    m_view.setStatus(QStringLiteral("Connecting"));
    m_view.setConnectControlsEnabled(false);
}

void CommCycle::disconnect()
{
    logEvent(QStringLiteral("Disconnect"));
    // Always stops the cycle, also before the first tick has opened the port.
    TmrComm.stop();
    stopped();
    m_view.setConnectControlsEnabled(true);
    closePort();
    m_view.setStatus(QStringLiteral("Disconnected"));
}

void CommCycle::readBack(int portNumber)
{
    logEvent(QStringLiteral("Read back Comm Port %1").arg(portNumber));
    m_readingBack = true;
    m_readBack = ParameterSet{};
    m_comm.CommAction = CommPhase::Upload;
    m_comm.CommCount = 0;
    beginTransfer(portNumber);
}

void CommCycle::startDownload(int portNumber)
{
    logEvent(QStringLiteral("Download start Comm Port %1").arg(portNumber));
    m_readingBack = false;
    mark(QStringLiteral("Download"));
    m_sent = m_set;
    m_rowSent = false;
    m_comm.CommAction = CommPhase::Download;
    if (!beginTransfer(portNumber))
        return;
    m_comm.CommWriteState = 0;
    m_view.setProgress(0);
}

bool CommCycle::beginTransfer(int portNumber)
{
    m_holdStatusUntil.reset();
    try {
        takePort(portNumber);
    } catch (...) {
        errorPath(currentCause());
        return false;
    }
    noteAnswer();
    startTimer();
    m_view.setConnectControlsEnabled(false);
    return true;
}

void CommCycle::takePort(int portNumber)
{
    // The port in use stays open: a download from the live stream goes on on the same line.
    if (m_port.commPort() == portNumber)
        return;
    if (m_port.portOpen())
        m_port.setPortOpen(false);
    m_port.setCommPort(portNumber);
}

void CommCycle::startTimer()
{
    // A running timer keeps its rhythm.
    if (!TmrComm.isActive())
        TmrComm.start();
}

void CommCycle::setTickInterval(int milliseconds)
{
    // A new interval restarts a running timer, so an unchanged one is left alone.
    if (TmrComm.interval() != milliseconds)
        TmrComm.setInterval(milliseconds);
}

void CommCycle::shutDown()
{
    TmrComm.stop();
    closePort();
}

void CommCycle::closePort()
{
    try {
        if (m_port.portOpen())
            m_port.setPortOpen(false);
        m_port.setReadThreshold(EveryByte);
    } catch (...) {
        // A port that fails even to close is as closed as it can be.
    }
}

bool CommCycle::downloadRunning() const
{
    return TmrComm.isActive() && m_comm.CommAction == CommPhase::Download;
}
