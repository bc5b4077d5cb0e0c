#include "PressureHistory.h"

#include <algorithm>

PressureHistory::PressureHistory(qint64 capacity)
{
    const qint64 blocks = std::max<qint64>(1, (capacity + BlockSize - 1) / BlockSize);
    m_samples.resize(static_cast<std::size_t>(blocks * BlockSize));
    m_blocks.resize(static_cast<std::size_t>(blocks));
}

void PressureHistory::append(PressureSample sample)
{
    if (size() > 0)
        sample.timeUs = std::max(sample.timeUs, last().timeUs);
    const bool full = size() == capacity();
    if (full)
        ++m_begin;
    m_samples[static_cast<std::size_t>(m_end % capacity())] = sample;
    Range& summary = block(m_end / BlockSize);
    if (m_end % BlockSize == 0)
        summary = {sample.psi, sample.psi};
    summary.low = std::min<int>(summary.low, sample.psi);
    summary.high = std::max<int>(summary.high, sample.psi);
    ++m_end;
    // Markers go with the frames of their time.
    if (!full)
        return;
    const qint64 oldest = at(0).timeUs;
    while (!m_markers.empty() && m_markers.front().timeUs < oldest)
        m_markers.pop_front();
}

void PressureHistory::addMarker(qint64 timeUs, const QString& label)
{
    m_markers.push_back({timeUs, label});
}

void PressureHistory::clear()
{
    m_begin = m_end;
    m_markers.clear();
}

qint64 PressureHistory::lowerBound(qint64 timeUs) const
{
    qint64 low = 0;
    qint64 high = size();
    while (low < high) {
        const qint64 middle = low + (high - low) / 2;
        if (at(middle).timeUs < timeUs)
            low = middle + 1;
        else
            high = middle;
    }
    return low;
}

PressureHistory::Range PressureHistory::range(qint64 first, qint64 end) const
{
    Range result{at(first).psi, at(first).psi};
    const auto take = [&result](int low, int high) {
        result.low = std::min(result.low, low);
        result.high = std::max(result.high, high);
    };
    qint64 i = m_begin + first;
    const qint64 stop = m_begin + end;
    while (i < stop) {
        // A whole block within the stretch holds only kept frames, so its summary stands.
        if (i % BlockSize == 0 && i + BlockSize <= stop) {
            const Range& summary = block(i / BlockSize);
            take(summary.low, summary.high);
            i += BlockSize;
        } else {
            take(slot(i).psi, slot(i).psi);
            ++i;
        }
    }
    return result;
}
