#include "PressureReplay.h"

namespace {
// A frame time at 57600 baud: the pause between the last frame of a round and the first of
// the next.
constexpr double FrameSeconds = 5 * 10 / 57600.0;
} // namespace

std::optional<PressureReplay> PressureReplay::fromRecording(const PressureRecording& recording,
                                                            double speed, bool once, QString& error)
{
    PressureReplay replay;
    replay.m_speed = speed;
    replay.m_once = once;
    std::optional<qint64> first;
    for (const PressureRecording::Row& row : recording.rows) {
        if (!row.psi)
            continue;
        if (!first)
            first = row.timeMs;
        replay.m_frames.push_back(
            {double(row.timeMs - *first) / 1000.0, static_cast<std::uint8_t>(*row.psi)});
    }
    if (replay.m_frames.empty()) {
        error = QStringLiteral("the recording holds no pressure");
        return std::nullopt;
    }
    return replay;
}

std::optional<std::uint8_t> PressureReplay::next(double seconds)
{
    if (m_finished)
        return std::nullopt;
    const Frame& frame = m_frames[m_index];
    if (m_roundStart + frame.offset / m_speed > seconds)
        return std::nullopt;
    if (++m_index == m_frames.size()) {
        m_index = 0;
        m_roundStart += (m_frames.back().offset + FrameSeconds) / m_speed;
        m_finished = m_once;
    }
    return frame.psi;
}
