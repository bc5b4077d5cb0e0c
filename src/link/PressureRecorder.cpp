#include "PressureRecorder.h"

#include <QDateTime>

#include <cmath>

PressureRecorder::PressureRecorder()
    : m_history(KeptSeconds * FramesPerSecond),
      m_clock([] { return QDateTime::currentMSecsSinceEpoch() * 1000; })
{}

void PressureRecorder::addBatch(const std::vector<Frame>& frames, int batchBytes)
{
    const qint64 arrived = m_clock();
    for (const Frame& frame : frames) {
        const auto before = std::llround((batchBytes - frame.endOffset) * ByteMicroseconds);
        const PressureSample sample{arrived - before, static_cast<std::int16_t>(frame.psi)};
        m_history.append(sample);
        if (m_file)
            m_file->add({m_history.last().timeUs / 1000, frame.psi, {}});
    }
}

void PressureRecorder::addMarker(const QString& label)
{
    qint64 time = m_clock();
    // A marker never lies before the frames already kept.
    if (m_history.size() > 0)
        time = std::max(time, m_history.last().timeUs);
    m_history.addMarker(time, label);
    if (m_file)
        m_file->add({time / 1000, std::nullopt, label});
}

bool PressureRecorder::startRecording(const QString& path, qint64 maxBytes, const QString& program,
                                      const QString& port, QString& error)
{
    m_file.reset();
    auto file = std::make_unique<RecordingFile>(
        path, maxBytes, PressureRecording::header(program, port, m_clock() / 1000));
    if (!file->isOpen()) {
        error = file->failure();
        return false;
    }
    m_file = std::move(file);
    return true;
}

void PressureRecorder::stopRecording()
{
    m_file.reset();
}
