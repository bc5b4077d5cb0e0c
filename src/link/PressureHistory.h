#pragma once

#include "PressureSample.h"

#include <QString>

#include <deque>
#include <vector>

// The most recent live frames in a ring of fixed size, oldest first, with the events that
// fall among them. Beside the frames it keeps the lowest and highest pressure of every block
// of BlockSize consecutive frames, so that the range of any stretch costs a look at its
// blocks and at the frames of its two ragged ends only, however long the stretch.
class PressureHistory
{
public:
    static constexpr qint64 BlockSize = 64;

    struct Marker
    {
        qint64 timeUs = 0;
        QString label;
    };
    struct Range
    {
        int low = 0;
        int high = 0;
    };

    // Keeps at least capacity frames (rounded up to whole blocks).
    explicit PressureHistory(qint64 capacity);

    // A frame earlier than the one before it takes that one's time, so that the frames stay
    // in order of time.
    void append(PressureSample sample);
    void addMarker(qint64 timeUs, const QString& label);
    void clear();

    qint64 size() const { return m_end - m_begin; }
    qint64 capacity() const { return static_cast<qint64>(m_samples.size()); }
    // The i-th frame kept, 0 being the oldest.
    const PressureSample& at(qint64 i) const { return slot(m_begin + i); }
    const PressureSample& last() const { return at(size() - 1); }
    // How many frames kept lie before the time: the index of the first one at or after it.
    qint64 lowerBound(qint64 timeUs) const;
    // The lowest and highest pressure of the frames first to end - 1; the stretch must
    // not be empty.
    Range range(qint64 first, qint64 end) const;
    // The markers, oldest first; those older than the oldest frame go as the ring turns.
    const std::deque<Marker>& markers() const { return m_markers; }

private:
    const PressureSample& slot(qint64 absolute) const
    {
        return m_samples[static_cast<std::size_t>(absolute % capacity())];
    }
    Range& block(qint64 blockNumber)
    {
        return m_blocks[static_cast<std::size_t>(blockNumber %
                                                 static_cast<qint64>(m_blocks.size()))];
    }
    const Range& block(qint64 blockNumber) const
    {
        return m_blocks[static_cast<std::size_t>(blockNumber %
                                                 static_cast<qint64>(m_blocks.size()))];
    }

    std::vector<PressureSample> m_samples;
    std::vector<Range> m_blocks;
    // Frames are numbered from the first ever appended; those from m_begin to m_end - 1 are
    // kept.
    qint64 m_begin = 0;
    qint64 m_end = 0;
    std::deque<Marker> m_markers;
};
