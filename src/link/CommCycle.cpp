#include "CommCycle.h"

#include "DeviceFrames.h"
#include "DownloadStep.h"
#include "ParameterTable.h"
#include "SerialError.h"
#include "TrafficLog.h"
#include "UploadStep.h"

#include <algorithm>
#include <vector>

namespace {
// Fewer waiting bytes than this are left for the next tick.
constexpr int LiveMinimumWaiting = 6;
// While the stream runs the line need not wake the program at every frame (64 bytes are
// about 11 ms of it): each tick takes every byte that has arrived all the same. Any other
// work waits for answers as short as four bytes, which must wake it.
constexpr int LiveReadThreshold = 64;
constexpr int EveryByte = 1;

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

CommCycle::CommCycle(SerialLink& port, CommState& comm, ParameterSet& set, CommView& view,
                     MessageBoxes& messages)
    : m_port(port), m_comm(comm), m_set(set), m_view(view), m_messages(messages)
{}

void CommCycle::tick()
{
    try {
        if (!m_port.portOpen())
            m_port.setPortOpen(true);
        switch (m_comm.CommAction) {
        case 1:
            m_view.setTimerInterval(FastInterval);
            livePass();
            break;
        case 0:
            m_view.setTimerInterval(FastInterval);
            m_port.setReadThreshold(EveryByte);
            uploadSequence();
            break;
        default:
            m_view.setTimerInterval(DownloadInterval);
            m_port.setReadThreshold(EveryByte);
            downloadTick();
            break;
        }
    } catch (...) {
        errorPath(currentCause());
    }
}

void CommCycle::uploadSequence()
{
    const int step = m_comm.CommCount;
    m_view.setProgress(uploadProgress(step));
    if (step >= 0 && step <= 8) {
        UploadStep(step, m_port, m_comm, m_set, m_view);
        const Parameter read = uploadParameter(step);
        if (m_comm.CommCount == step + 1)
            m_device.assign(read, m_set.value(read));
        // With the ninth value read, the whole of what the device holds is known.
        if (m_comm.CommCount == 9) {
            m_deviceKnown = true;
            m_view.showDeviceValues(m_device);
        }
    }
    if (step == 8) {
        m_view.RefreshGrid();
        m_view.RefreshTripNeedles();
    } else if (step == 9) {
        // The closing tick: the live stream starts with the next one.
        m_comm.CommAction = 1;
        logEvent(QStringLiteral("Upload end, live stream"));
        m_view.setStatus(QStringLiteral("Waiting for data"));
        m_view.setDownloadEnabled(true);
    }
}

void CommCycle::downloadTick()
{
    const int row = m_comm.CommWriteState;
    const bool sent = DownloadStep(m_port, m_comm, m_set, m_view);
    // An acknowledged row holds the value last sent for it, whatever the grid shows now.
    const bool finished = m_comm.CommAction == 1;
    if (finished)
        logEvent(QStringLiteral("Download end"));
    if (finished || m_comm.CommWriteState != row) {
        if (row >= 0 && row < ParameterCount) {
            const Parameter written = downloadParameter(row);
            m_device.assign(written, m_sent.value(written));
        }
        m_deviceKnown = m_deviceKnown || finished;
        if (m_deviceKnown)
            m_view.showDeviceValues(m_device);
    }
    if (sent) {
        const Parameter next = downloadParameter(m_comm.CommWriteState);
        m_sent.assign(next, m_set.value(next));
    }
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
    const std::vector<std::uint8_t> pressures = ScanPressureFrames(batch, waiting);
    for (const std::uint8_t received : pressures) {
        const auto pressure =
            static_cast<std::int16_t>(std::min<int>(received, HighestTripPressure));
        shown = pressure;
        m_comm.MaxPressure = std::max(m_comm.MaxPressure, pressure);
        m_comm.MinPressure = std::min(m_comm.MinPressure, pressure);
    }
    // Each valid frame rewrites the status line; only the last one is ever seen.
    if (!pressures.empty())
        m_view.setStatus(QStringLiteral("Pressure = %1 PSI").arg(shown));
    m_view.setLiveNeedle(shown);
    if (m_comm.MaxPressure > 0)
        m_view.markPressureWindow(m_comm.MaxPressure, m_comm.MinPressure);
}

void CommCycle::errorPath(const QString& cause)
{
    if (m_log)
        m_log->error(QStringLiteral("Comm Port Error shown: %1").arg(cause));
    m_view.setTimerEnabled(false);
    m_messages.showDetailed(QStringLiteral("A Comm Port Error Has Occured"), cause,
                            MessageIcon::Warning, MessageButtons::Ok);
    m_view.setConnectControlsEnabled(true);
}

void CommCycle::logEvent(const QString& text)
{
    if (m_log)
        m_log->event(text);
}

void CommCycle::connect(int portNumber)
{
    logEvent(QStringLiteral("Connect Comm Port %1").arg(portNumber));
    m_comm.CommAction = 0;
    m_comm.CommCount = 0;
    m_comm.MaxPressure = 0;
    m_comm.MinPressure = 99;
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
    m_view.setTimerEnabled(true);
    m_view.setStatus(QStringLiteral("Connecting"));
    m_view.setConnectControlsEnabled(false);
}

void CommCycle::disconnect()
{
    logEvent(QStringLiteral("Disconnect"));
    // Always stops the cycle, also before the first tick has opened the port.
    m_view.setTimerEnabled(false);
    m_view.setConnectControlsEnabled(true);
    try {
        if (m_port.portOpen())
            m_port.setPortOpen(false);
        m_port.setReadThreshold(EveryByte);
    } catch (...) {
        // A port that fails even to close is as closed as it can be.
    }
    m_view.setStatus(QStringLiteral("Disconnected"));
}

void CommCycle::startDownload()
{
    logEvent(QStringLiteral("Download start"));
    m_sent = m_set;
    ::startDownload(m_comm, m_view);
}

bool CommCycle::downloadRunning() const
{
    return m_view.timerEnabled() && m_comm.CommAction != 0 && m_comm.CommAction != 1;
}
