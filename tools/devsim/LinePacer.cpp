#include "LinePacer.h"

#include <algorithm>

namespace {

// The budget holds at most this much of the line's time, and never less than one frame.
constexpr double BurstSeconds = 0.02;
constexpr double SmallestBurst = 8.0;

} // namespace

void LinePacer::setRate(double bytesPerSecond)
{
    m_rate = std::max(bytesPerSecond, 0.0);
    m_burst = std::max(m_rate * BurstSeconds, SmallestBurst);
    m_credit = 0.0;
}

void LinePacer::advance(std::chrono::nanoseconds elapsed)
{
    const double seconds = std::chrono::duration<double>(elapsed).count();
    if (seconds > 0.0)
        m_credit = std::min(m_credit + seconds * m_rate, m_burst);
}

void LinePacer::spend(int bytes)
{
    m_credit = std::max(m_credit - bytes, 0.0);
}

std::chrono::nanoseconds LinePacer::timeUntil(int bytes) const
{
    if (m_credit >= bytes)
        return std::chrono::nanoseconds(0);
    if (m_rate <= 0.0)
        return std::chrono::nanoseconds::max();
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
        std::chrono::duration<double>((bytes - m_credit) / m_rate));
}
