// Times the two transfers as the user sees them, against the simulated device answering at
// once, with the window shown: from the Connect click to "Waiting for data" and from the
// Download click to "Download Complete". First over the real serial port on the device's
// pseudo-terminal, then through ser2net on the loopback address in front of it, where ser2net
// is installed.
#include "CommCycle.h"
#include "FrmPressureMonitor.h"
#include "PortLink.h"
#include "PortNames.h"
#include "RecordingMessageBoxes.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int Runs = 5;
constexpr int DeadlineMs = 30000;

// The upload needs two ticks a parameter, its request and then its reply, and a closing
// tick. The download's first tick waits for the live timer, and then each of the nine rows
// waits one download tick for its acknowledgement.
constexpr int UploadFloorTicks = 2 * 9 + 1;
constexpr double UploadFloorSeconds = UploadFloorTicks * CommCycle::FastInterval / 1000.0;
constexpr int DownloadFloorTicks = 10;
constexpr double DownloadFloorSeconds =
    (CommCycle::FastInterval + 9 * CommCycle::DownloadInterval) / 1000.0;

struct Measured
{
    double seconds = 0;
    int ticks = 0;
};

// Runs the event loop until the status line shows one of the texts at the end of a tick.
// Returns the time from start, or a negative time when the deadline passed first.
Measured waitForStatus(FrmPressureMonitor& window, const QElapsedTimer& since,
                       const QStringList& texts)
{
    Measured measured;
    QEventLoop loop;
    const auto connection =
        QObject::connect(&window.commCycle().timer(), &QTimer::timeout, &loop, [&] {
            ++measured.ticks;
            if (std::any_of(texts.begin(), texts.end(), [&](const QString& text) {
                    return window.LblStatus->text().startsWith(text);
                })) {
                measured.seconds = since.nsecsElapsed() / 1e9;
                loop.quit();
            }
        });
    QTimer::singleShot(DeadlineMs, &loop, [&] {
        measured.seconds = -1;
        loop.quit();
    });
    loop.exec();
    QObject::disconnect(connection);
    return measured;
}

void printFigures(const char* what, std::vector<Measured> runs, double floorSeconds, int floorTicks,
                  const char* floorText)
{
    std::sort(runs.begin(), runs.end(),
              [](const Measured& a, const Measured& b) { return a.seconds < b.seconds; });
    const Measured& median = runs[runs.size() / 2];
    std::printf("%s: median %.3f s (%d ticks), best %.3f s, worst %.3f s over %zu runs; "
                "floor %.3f s (%d ticks: %s), median %+.1f%% over the floor\n",
                what, median.seconds, median.ticks, runs.front().seconds, runs.back().seconds,
                runs.size(), floorSeconds, floorTicks, floorText,
                (median.seconds / floorSeconds - 1.0) * 100.0);
}

// Connect and Download timed, Runs times each, on the device; 0 when every run finished.
int runTransfers(const QString& device, const char* where)
{
    PortNames names;
    names.setOverride(1, device);
    RecordingMessageBoxes messages;
    int status = 0;
    {
        FrmPressureMonitor window(PortLink::create(names), messages);
        window.show();

        std::vector<Measured> uploads;
        std::vector<Measured> downloads;
        QElapsedTimer clock;
        for (int run = 0; run < Runs && status == 0; ++run) {
            clock.start();
            window.CmdConnect->click();
            const Measured upload =
                waitForStatus(window, clock, {QStringLiteral("Waiting for data")});
            // The download starts on bytes of the live stream, as it does for the user.
            QElapsedTimer liveClock;
            liveClock.start();
            const Measured live = waitForStatus(window, liveClock, {QStringLiteral("Pressure = ")});
            clock.start();
            window.CmdDownload->click();
            const Measured download =
                waitForStatus(window, clock, {QStringLiteral("Download Complete")});
            // The user watches the live pressure again before disconnecting, which also puts
            // the timer back at the live interval for the next Connect.
            const Measured liveAgain =
                waitForStatus(window, liveClock, {QStringLiteral("Pressure = ")});
            window.CmdDisconnect->click();
            if (upload.seconds < 0 || live.seconds < 0 || download.seconds < 0 ||
                liveAgain.seconds < 0 || !messages.shown.isEmpty()) {
                std::fprintf(stderr, "transfer bench: run %d did not finish (%s)\n", run + 1,
                             qPrintable(messages.texts.join(QStringLiteral(", "))));
                status = 1;
                break;
            }
            uploads.push_back(upload);
            downloads.push_back(download);
        }
        if (status == 0) {
            std::printf("%s (%s)\n", where, qPrintable(device));
            printFigures("Connect to \"Waiting for data\"", uploads, UploadFloorSeconds,
                         UploadFloorTicks, "2 a parameter and a closing one, 50 ms each");
            printFigures("Download to \"Download Complete\"", downloads, DownloadFloorSeconds,
                         DownloadFloorTicks,
                         "the first at the live interval, 50 ms, nine more at 150 ms");
        }
    }
    return status;
}

// ser2net on a free loopback port in front of the terminal; returns its address, empty when
// it does not come up.
QString startSerialServer(QProcess& server, const QTemporaryDir& dir, const QString& terminal)
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost);
    const quint16 port = probe.serverPort();
    probe.close();
    QFile config(dir.filePath(QStringLiteral("ser2net.yaml")));
    if (!config.open(QIODevice::WriteOnly))
        return {};
    config.write(QStringLiteral("connection: &press\n"
                                "  accepter: telnet(rfc2217),tcp,127.0.0.1,%1\n"
                                "  connector: serialdev,%2,9600n81,local\n")
                     .arg(port)
                     .arg(terminal)
                     .toUtf8());
    config.close();
    server.start(QStringLiteral("ser2net"), {QStringLiteral("-n"), QStringLiteral("-d"),
                                             QStringLiteral("-c"), config.fileName()});
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < DeadlineMs) {
        QTcpSocket socket;
        socket.connectToHost(QHostAddress::LocalHost, port);
        if (socket.waitForConnected(100))
            return QStringLiteral("rfc2217://127.0.0.1:%1").arg(port);
        QThread::msleep(100);
    }
    std::fprintf(stderr, "transfer bench: ser2net did not come up\n");
    return {};
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);

    QProcess device;
    device.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    device.start(QStringLiteral(VORTA_DEVSIM_PATH),
                 {QStringLiteral("--seed"), QStringLiteral("1")});
    if (!device.waitForStarted(DeadlineMs)) {
        std::fprintf(stderr, "transfer bench: vorta-devsim did not start\n");
        return 1;
    }
    while (!device.canReadLine() && device.waitForReadyRead(DeadlineMs)) {
    }
    const QString path = QString::fromLocal8Bit(device.readLine()).trimmed();
    if (!path.startsWith(QLatin1Char('/'))) {
        std::fprintf(stderr, "transfer bench: vorta-devsim printed no terminal path\n");
        return 1;
    }

    int status = runTransfers(path, "over the pseudo-terminal");
    if (status == 0 && !QStandardPaths::findExecutable(QStringLiteral("ser2net")).isEmpty()) {
        QTemporaryDir dir;
        QProcess server;
        const QString address = startSerialServer(server, dir, path);
        status = address.isEmpty() ? 1 : runTransfers(address, "through ser2net");
        server.terminate();
        server.waitForFinished(DeadlineMs);
    }
    device.terminate();
    device.waitForFinished(DeadlineMs);
    return status;
}
