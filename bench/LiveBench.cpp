// Prints the cost of the live path: the frame scan per byte, one whole live tick for a
// 50 ms batch at 57600 baud with the four dials redrawn, the window's start-up time to
// its first paint and its resident memory when idle.
#include "DeviceFrames.h"
#include "DialGauge.h"
#include "FakeSerialLink.h"
#include "FrameScanner.h"
#include "FrmPressureMonitor.h"
#include "ParameterTable.h"
#include "RecordingMessageBoxes.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QWindow>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <random>
#include <vector>

#include <time.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

// One 50 ms tick at 57600 baud: 5760 bytes/s / 20.
constexpr int BytesPerTick = 288;

QByteArray liveStream(int bytes, std::mt19937& random)
{
    QByteArray stream;
    std::uniform_int_distribution<int> pressure(0, 99);
    while (stream.size() < bytes) {
        QByteArray frame("\x80\x05\xD0", 3);
        frame.append(static_cast<char>(pressure(random)));
        frame.append(static_cast<char>(FrameChecksum(frame)));
        stream.append(frame);
    }
    stream.truncate(bytes);
    return stream;
}

double secondsSinceProcessStart()
{
    QFile stat(QStringLiteral("/proc/self/stat"));
    if (!stat.open(QIODevice::ReadOnly))
        return -1;
    const QList<QByteArray> fields = stat.readAll().split(' ');
    const double startTicks = fields.value(21).toDouble();
    timespec now{};
    clock_gettime(CLOCK_BOOTTIME, &now);
    return now.tv_sec + now.tv_nsec / 1e9 - startTicks / sysconf(_SC_CLK_TCK);
}

long residentKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    }
    return -1;
}

void benchScanner()
{
    std::mt19937 random(1);
    const QByteArray stream = liveStream(4 << 20, random);
    long frames = 0;
    std::vector<double> nsPerByte;
    for (int run = 0; run < 15; ++run) {
        const auto start = Clock::now();
        FrameScanner::scan(stream, static_cast<int>(stream.size()),
                           DeviceFrames::PressureFrameLength, DeviceFrames::PressureCommand,
                           [&](const std::uint8_t*) { ++frames; });
        const std::chrono::duration<double, std::nano> spent = Clock::now() - start;
        nsPerByte.push_back(spent.count() / static_cast<double>(stream.size()));
    }
    std::sort(nsPerByte.begin(), nsPerByte.end());
    std::printf("scanner: %.2f ns/byte median, %.2f best (4 MiB of live frames, %ld frames seen)\n",
                nsPerByte[nsPerByte.size() / 2], nsPerByte.front(), frames / 15);
}

class PaintCount : public QObject
{
public:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            ++count;
        return QObject::eventFilter(watched, event);
    }
    int count = 0;
};

class FirstPaint : public QObject
{
public:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && seconds < 0)
            seconds = secondsSinceProcessStart();
        return QObject::eventFilter(watched, event);
    }
    double seconds = -1;
};

void benchLiveTick(FrmPressureMonitor& window, FakeSerialLink& port)
{
    std::mt19937 random(2);
    // The upload is answered at once from the set the window starts with.
    port.onOutput = [&port](const QByteArray& request) {
        for (int step = 0; step < ParameterCount; ++step) {
            const Parameter p = uploadParameter(step);
            if (request == BuildReadRequest(p))
                port.feed(BuildReadReply(p, 0));
        }
    };
    window.CmdConnect_Click();
    while (window.commState().CommAction != CommPhase::Live)
        window.commCycle().tick();
    window.commCycle().tick();
    port.onOutput = nullptr;
    PaintCount paints;
    window.GaugePressure->installEventFilter(&paints);
    std::vector<double> micros;
    for (int tick = 0; tick < 2000; ++tick) {
        port.feed(liveStream(BytesPerTick, random));
        const auto start = Clock::now();
        window.commCycle().tick();
        // The redraw happens when the tick returns to the event loop, as in the program.
        QApplication::processEvents();
        const std::chrono::duration<double, std::micro> spent = Clock::now() - start;
        micros.push_back(spent.count());
    }
    std::printf("live dial painted %d times in 2000 ticks (window exposed: %s)\n", paints.count,
                window.windowHandle() && window.windowHandle()->isExposed() ? "yes" : "no");
    std::sort(micros.begin(), micros.end());
    std::printf("live tick (%d bytes, four dials and status redrawn): median %.0f us, "
                "p95 %.0f us, worst %.0f us over %zu ticks\n",
                BytesPerTick, micros[micros.size() / 2], micros[micros.size() * 95 / 100],
                micros.back(), micros.size());
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    RecordingMessageBoxes messages;
    auto port = std::make_unique<FakeSerialLink>();
    FakeSerialLink& fake = *port;
    FrmPressureMonitor window(std::move(port), messages);
    FirstPaint firstPaint;
    window.installEventFilter(&firstPaint);
    window.show();
    QElapsedTimer waited;
    waited.start();
    while (firstPaint.seconds < 0 && waited.elapsed() < 10000)
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    std::printf("start-up to first paint: %.0f ms (platform %s)\n", firstPaint.seconds * 1000,
                qPrintable(QGuiApplication::platformName()));

    QElapsedTimer idle;
    idle.start();
    while (idle.elapsed() < 2000)
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, 100);
    std::printf("resident memory, idle: %.1f MiB\n", residentKiB() / 1024.0);

    benchScanner();
    benchLiveTick(window, fake);
    std::printf("resident memory after the live ticks: %.1f MiB\n", residentKiB() / 1024.0);
    return 0;
}
