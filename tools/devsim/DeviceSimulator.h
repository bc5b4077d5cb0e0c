#pragma once

#include "DeviceMemory.h"
#include "DeviceProtocol.h"
#include "LinePacer.h"
#include "PressureProfile.h"
#include "PressureReplay.h"
#include "PtyDevice.h"
#include "SimOptions.h"
#include "TrafficLog.h"

#include <QByteArray>
#include <QList>

#include <chrono>
#include <memory>
#include <optional>
#include <random>

// The simulated device's main loop: one thread polling the master of its pseudo-terminal
// in short turns. Each turn it looks at the speed the tool has set, answers parameter
// requests at 9600 baud or streams pressure at 57600 baud, and sends no faster than the
// line would carry the bytes.
class DeviceSimulator
{
public:
    // A replay, where there is one, streams in place of the press strokes.
    explicit DeviceSimulator(const SimOptions& options,
                             std::optional<PressureReplay> replay = std::nullopt);
    ~DeviceSimulator();
    DeviceSimulator(const DeviceSimulator&) = delete;
    DeviceSimulator& operator=(const DeviceSimulator&) = delete;

    // Prints the slave's path as the first line of standard output and serves the line
    // until SIGINT, SIGTERM or the configured hang-up. Returns the exit status.
    int run();

private:
    using Clock = std::chrono::steady_clock;

    struct DelayedAnswer
    {
        Clock::time_point due;
        QByteArray bytes;
    };

    bool watchStopSignals(QString& error);
    void openLog();
    // Tells standard error, and the traffic log where there is one.
    void report(const QString& message, TrafficLog::Kind kind = TrafficLog::Kind::Event);
    bool turn(Clock::time_point now, std::chrono::nanoseconds elapsed, QString& error);
    void followLineSpeed();
    void queueNoise();
    void streamPressure(Clock::time_point now);
    bool streaming() const;
    // Until the next turn: a fixed short wait, or in frame-by-frame delivery the time
    // until the line can carry the next frame.
    std::chrono::nanoseconds nextTurnIn() const;
    bool writeDump(QString& error);
    // Writes the dump on the way out; a dump that fails turns the status into a failure.
    int finish(int status);

    SimOptions m_options;
    std::mt19937 m_random;
    DeviceMemory m_memory;
    DeviceProtocol m_protocol;
    PressureProfile m_profile;
    std::optional<PressureReplay> m_replay;
    std::optional<Clock::time_point> m_replayStart;
    PtyDevice m_pty;
    LinePacer m_line;
    LinePacer m_noise;
    int m_stopDescriptor = -1;
    speed_t m_speed = B0;
    Clock::time_point m_start;
    QList<DelayedAnswer> m_delayed;
    QByteArray m_outgoing;
    std::unique_ptr<TrafficLog> m_log;
};
