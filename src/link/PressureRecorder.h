#pragma once

#include "PressureHistory.h"
#include "RecordingFile.h"

#include <functional>
#include <memory>
#include <vector>

// Keeps every live frame the cycle decodes, with its time, and the events among them: the
// last ten minutes in memory for the trend, and all of it in a recording file while one is
// being written.
//
// A tick reads the frames that arrived since the one before in one batch, so a frame's time
// is worked out from the batch: the batch's last byte arrived about when it was read, and
// every byte before it a byte time earlier at the line's rate.
class PressureRecorder
{
public:
    static constexpr qint64 KeptSeconds = 600;
    // At 57600 baud a byte of ten bits lasts 173.6 microseconds, a 5-byte frame 868.
    static constexpr double ByteMicroseconds = 1e6 * 10 / 57600;
    static constexpr qint64 FramesPerSecond = 1152;

    // Microseconds since 1970 UTC.
    using WallClock = std::function<qint64()>;

    struct Frame
    {
        int psi = 0;
        int endOffset = 0; // the byte after the frame, counted from the batch's start
    };

    PressureRecorder();

    // The frames of one batch of batchBytes bytes read just now, in batch order.
    void addBatch(const std::vector<Frame>& frames, int batchBytes);
    void addMarker(const QString& label);

    // Starts writing every frame and event that follows into a new file; nothing, with the
    // reason in error, when it cannot be created.
    bool startRecording(const QString& path, qint64 maxBytes, const QString& program,
                        const QString& port, QString& error);
    void stopRecording();
    // The file being written, or nothing.
    const RecordingFile* recording() const { return m_file.get(); }

    const PressureHistory& history() const { return m_history; }
    qint64 now() const { return m_clock(); }
    void setWallClock(WallClock clock) { m_clock = std::move(clock); }

private:
    PressureHistory m_history;
    std::unique_ptr<RecordingFile> m_file;
    WallClock m_clock;
};
