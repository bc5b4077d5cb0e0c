#pragma once

#include "PressureRecording.h"

#include <cstdint>
#include <optional>
#include <vector>

// The pressures of a recording played back at its own pace, or faster or slower: each
// frame falls due when as much time has passed since the start as lay between it and the
// recording's first frame. At the end it starts over, a frame time after the last, unless
// it plays once.
class PressureReplay
{
public:
    // Nothing, with the reason in error, for a recording without a single pressure.
    static std::optional<PressureReplay> fromRecording(const PressureRecording& recording,
                                                       double speed, bool once, QString& error);

    // The next frame's pressure if it is due, seconds after the replay started.
    std::optional<std::uint8_t> next(double seconds);
    bool finished() const { return m_finished; }

private:
    struct Frame
    {
        double offset; // seconds after the first frame
        std::uint8_t psi;
    };

    std::vector<Frame> m_frames;
    double m_speed = 1.0;
    bool m_once = false;
    std::size_t m_index = 0;
    double m_roundStart = 0.0;
    bool m_finished = false;
};
