#include "DeviceSimulator.h"

#include "DeviceFrames.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <poll.h>
#include <sys/signalfd.h>
#include <unistd.h>

namespace {

// Short enough that a change of line speed or a delayed answer is seen within a few
// milliseconds, long enough to leave the machine idle.
constexpr std::chrono::milliseconds TurnTime(5);

// Noise that the line cannot carry yet is thrown away beyond this, so a noise rate above
// the line rate cannot grow the queue without end.
constexpr qsizetype MostQueuedBytes = 4096;

std::mt19937 seeded(const std::optional<std::uint32_t>& seed)
{
    if (seed)
        return std::mt19937(*seed);
    std::random_device device;
    return std::mt19937(device());
}

} // namespace

DeviceSimulator::DeviceSimulator(const SimOptions& options, std::optional<PressureReplay> replay)
    : m_options(options), m_random(seeded(options.seed)), m_memory(options.values),
      m_protocol(m_memory, options.faults, m_random), m_profile(options.pressure),
      m_replay(std::move(replay)), m_noise(options.faults.noiseRate)
{}

DeviceSimulator::~DeviceSimulator()
{
    if (m_stopDescriptor >= 0)
        ::close(m_stopDescriptor);
}

void DeviceSimulator::report(const QString& message, TrafficLog::Kind kind)
{
    std::fprintf(stderr, "vorta-devsim: %s\n", qPrintable(message));
    if (m_log && kind == TrafficLog::Kind::Error)
        m_log->error(message);
    else if (m_log)
        m_log->event(message);
}

void DeviceSimulator::openLog()
{
    if (m_options.logPath.isEmpty())
        return;
    m_log = std::make_unique<TrafficLog>(m_options.logPath, m_options.logMaxBytes,
                                         QStringLiteral("vorta-devsim"), m_pty.slavePath());
    if (!m_log->isOpen()) {
        report(QStringLiteral("cannot write the traffic log %1 (%2); running without it")
                   .arg(m_options.logPath, m_log->errorString()));
        m_log.reset();
        return;
    }
}

bool DeviceSimulator::watchStopSignals(QString& error)
{
    // SIGINT and SIGTERM arrive through a descriptor the loop polls, so the dump is written
    // by ordinary code and not inside a signal handler.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    if (::sigprocmask(SIG_BLOCK, &stopSignals, nullptr) == 0)
        m_stopDescriptor = ::signalfd(-1, &stopSignals, SFD_NONBLOCK | SFD_CLOEXEC);
    if (m_stopDescriptor < 0) {
        error = QStringLiteral("cannot watch for SIGINT and SIGTERM");
        return false;
    }
    return true;
}

int DeviceSimulator::run()
{
    QString error;
    if (!watchStopSignals(error) || !m_pty.open(error)) {
        report(error);
        return 1;
    }
    openLog();
    std::printf("%s\n", qPrintable(m_pty.slavePath()));
    std::fflush(stdout);
    if (m_options.dumpOnWrite && !writeDump(error)) {
        report(error, TrafficLog::Kind::Error);
        return 1;
    }

    m_start = Clock::now();
    Clock::time_point last = m_start;
    const auto& hangupAfter = m_options.faults.hangupAfterSeconds;
    for (;;) {
        pollfd ready[] = {{m_pty.masterDescriptor(), POLLIN, 0}, {m_stopDescriptor, POLLIN, 0}};
        const auto wait = nextTurnIn();
        const timespec timeout{0, static_cast<long>(wait.count())};
        if (::ppoll(ready, 2, &timeout, nullptr) < 0 && errno != EINTR) {
            report(QStringLiteral("poll: %1").arg(QString::fromLocal8Bit(std::strerror(errno))),
                   TrafficLog::Kind::Error);
            return finish(1);
        }
        if (ready[1].revents & POLLIN) {
            signalfd_siginfo info{};
            const ssize_t n = ::read(m_stopDescriptor, &info, sizeof info);
            report(QStringLiteral("stopped by signal %1").arg(n > 0 ? int(info.ssi_signo) : 0));
            return finish(0);
        }

        const Clock::time_point now = Clock::now();
        if (hangupAfter && now - m_start >= std::chrono::duration<double>(*hangupAfter)) {
            m_pty.hangUp();
            report(QStringLiteral("hung up after %1 s").arg(*hangupAfter));
            return finish(0);
        }
        if (!turn(now, now - last, error)) {
            report(error, TrafficLog::Kind::Error);
            return finish(1);
        }
        last = now;
        if (m_log)
            m_log->flushIfDue();
    }
}

bool DeviceSimulator::turn(Clock::time_point now, std::chrono::nanoseconds elapsed, QString& error)
{
    // The speed is read after poll: bytes that woke the loop were written after the tool
    // set the speed they belong to.
    followLineSpeed();

    QByteArray received;
    if (!m_pty.readAvailable(received, error))
        return false;
    if (m_log && !received.isEmpty())
        m_log->received(received);
    if (m_speed == B9600 && !received.isEmpty()) {
        const DeviceProtocol::Outcome outcome = m_protocol.receive(received);
        const auto due = now + std::chrono::milliseconds(m_options.faults.delayMs);
        for (const QByteArray& answer : outcome.answers)
            m_delayed.append({due, answer});
        if (outcome.stored > 0 && m_options.dumpOnWrite && !writeDump(error))
            return false;
    }
    while (!m_delayed.isEmpty() && m_delayed.first().due <= now)
        m_outgoing += m_delayed.takeFirst().bytes;

    m_line.advance(elapsed);
    m_noise.advance(elapsed);
    queueNoise();
    if (streaming())
        streamPressure(now);

    const int count = static_cast<int>(std::min<qsizetype>(m_outgoing.size(), m_line.allowance()));
    if (count == 0)
        return true;
    m_line.spend(count);
    const int piece =
        m_options.frameByFrame && streaming() ? DeviceFrames::PressureFrameLength : count;
    for (int at = 0; at < count; at += piece) {
        const QByteArray bytes = m_outgoing.mid(at, std::min(piece, count - at));
        qsizetype written = 0;
        const bool sound = m_pty.write(bytes, error, &written);
        if (m_log && written > 0)
            m_log->sent(bytes.left(written));
        if (!sound)
            return false;
    }
    m_outgoing.remove(0, count);
    return true;
}

bool DeviceSimulator::streaming() const
{
    return m_speed == B57600 && !m_options.faults.silent;
}

std::chrono::nanoseconds DeviceSimulator::nextTurnIn() const
{
    if (!m_options.frameByFrame || !streaming())
        return TurnTime;
    return std::min<std::chrono::nanoseconds>(m_line.timeUntil(DeviceFrames::PressureFrameLength),
                                              TurnTime);
}

void DeviceSimulator::followLineSpeed()
{
    const speed_t speed = m_pty.lineSpeed();
    if (speed == m_speed)
        return;
    // Whatever was under way at the old speed would arrive as garbage at the new one.
    m_speed = speed;
    if (m_log)
        m_log->event(QStringLiteral("Line at %1 baud").arg(PtyDevice::baudRate(speed)));
    m_line.setRate(LinePacer::bytesPerSecondAt(PtyDevice::baudRate(speed)));
    m_protocol.discardPending();
    m_delayed.clear();
    m_outgoing.clear();
}

void DeviceSimulator::queueNoise()
{
    const int count = m_noise.allowance();
    if (count == 0)
        return;
    m_noise.spend(count);
    std::uniform_int_distribution<int> byte(0, 255);
    for (int i = 0; i < count && m_outgoing.size() < MostQueuedBytes; ++i)
        m_outgoing.append(static_cast<char>(byte(m_random)));
}

void DeviceSimulator::streamPressure(Clock::time_point now)
{
    if (m_replay) {
        // The replay starts when the line first carries the live stream, and runs on across
        // later changes of speed.
        if (!m_replayStart)
            m_replayStart = now;
        const double played = std::chrono::duration<double>(now - *m_replayStart).count();
        while (m_outgoing.size() + DeviceFrames::PressureFrameLength <= m_line.allowance()) {
            const std::optional<std::uint8_t> psi = m_replay->next(played);
            if (!psi)
                break;
            m_outgoing += m_protocol.pressureFrame(*psi);
        }
        return;
    }
    const double seconds = std::chrono::duration<double>(now - m_start).count();
    while (m_outgoing.size() + DeviceFrames::PressureFrameLength <= m_line.allowance())
        m_outgoing += m_protocol.pressureFrame(m_profile.sample(seconds, m_random));
}

bool DeviceSimulator::writeDump(QString& error)
{
    return m_options.dumpPath.isEmpty() || m_memory.writeDump(m_options.dumpPath, &error);
}

int DeviceSimulator::finish(int status)
{
    QString error;
    if (!writeDump(error)) {
        report(error, TrafficLog::Kind::Error);
        return 1;
    }
    return status;
}
