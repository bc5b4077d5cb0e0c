#include "DeviceFrames.h"
#include "TestSupport.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <fcntl.h>
#include <limits>
#include <memory>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace {

constexpr int Deadline = 10000; // milliseconds, generous for a sanitizer build under load
constexpr qsizetype Endless = std::numeric_limits<qsizetype>::max();

// The tool's end of the line: the slave opened by its path, raw, at a given speed.
class ToolSide
{
    Q_DISABLE_COPY(ToolSide)

public:
    ToolSide(const QString& path, speed_t speed)
        : m_fd(::open(QFile::encodeName(path).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK))
    {
        termios t{};
        if (m_fd >= 0 && ::tcgetattr(m_fd, &t) == 0) {
            ::cfmakeraw(&t);
            ::cfsetspeed(&t, speed);
            ready = ::tcsetattr(m_fd, TCSANOW, &t) == 0;
        }
    }
    ~ToolSide() { ::close(m_fd); }

    // Collects until count bytes have come or the time has passed; false once the line has
    // hung up.
    bool receive(QByteArray& into, qsizetype count, int milliseconds)
    {
        const QDeadlineTimer deadline(milliseconds);
        while (into.size() < count && !deadline.hasExpired()) {
            pollfd ready{m_fd, POLLIN, 0};
            ::poll(&ready, 1, int(std::min<qint64>(deadline.remainingTime(), 50)));
            char chunk[1024];
            const ssize_t n = ::read(m_fd, chunk, sizeof chunk);
            if (n > 0)
                into.append(chunk, n);
            else if (n == 0 || (n < 0 && errno != EAGAIN))
                return false;
        }
        return true;
    }

    QString answerTo(const QByteArray& request, qsizetype length)
    {
        QByteArray received;
        if (::write(m_fd, request.constData(), request.size()) == request.size())
            receive(received, length, Deadline);
        return hexText(received);
    }

    void drain() { ::tcflush(m_fd, TCIFLUSH); }

    bool ready = false;

private:
    int m_fd;
};

} // namespace

class TestDevsimProcess : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<QProcess> m_process;

    QString dumpPath() const { return m_dir->filePath(u"memory.txt"_s); }

    // Starts the simulator and opens the line it names on its first output line.
    std::unique_ptr<ToolSide> startOnLine(const QStringList& arguments, speed_t speed)
    {
        m_process->start(QStringLiteral(VORTA_DEVSIM_PATH), arguments);
        QDeadlineTimer deadline(Deadline);
        while (m_process->waitForStarted(Deadline) && !m_process->canReadLine() &&
               !deadline.hasExpired())
            m_process->waitForReadyRead(int(deadline.remainingTime()));
        const QString path = QString::fromLocal8Bit(m_process->readLine()).trimmed();
        auto tool = std::make_unique<ToolSide>(path, speed);
        if (!path.startsWith(u"/dev/") || !tool->ready)
            tool.reset();
        return tool;
    }

private Q_SLOTS:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        m_process = std::make_unique<QProcess>();
    }

    void cleanup()
    {
        if (m_process->state() != QProcess::NotRunning) {
            m_process->kill();
            m_process->waitForFinished(Deadline);
        }
        m_process.reset();
        m_dir.reset();
    }

    void requestsAt9600_areAnsweredAndWritesReachTheDump()
    {
        const auto tool = startOnLine({u"--values"_s, u"1,2,3,4,5,6,7,40000,9"_s, u"--dump"_s,
                                       dumpPath(), u"--dump-on-write"_s},
                                      B9600);
        QVERIFY(tool);
        QCOMPARE(tool->answerTo(BuildReadRequest(Parameter::StaticFaultCount), 6),
                 u"80 06 91 9C 40 0D"_s);
        QCOMPARE(tool->answerTo(BuildWriteRequest(Parameter::StaticTripSP, 45), 4),
                 u"80 04 E0 9C"_s);
        QTRY_VERIFY_WITH_TIMEOUT(fileContents(dumpPath()).contains("\nStaticTripSP=45\n"),
                                 Deadline);

        m_process->terminate(); // SIGTERM
        QVERIFY(m_process->waitForFinished(Deadline));
        QCOMPARE(m_process->exitStatus(), QProcess::NormalExit);
        QCOMPARE(m_process->exitCode(), 0);
        QVERIFY(fileContents(dumpPath()).startsWith("ShutDownCountSP=1\n"));
        QVERIFY(fileContents(dumpPath()).contains("\nStaticTripSP=45\n"));
    }

    void liveStreamAt57600_validFramesNoFasterThanTheLine()
    {
        const auto tool = startOnLine({u"--seed"_s, u"1"_s}, B57600);
        QVERIFY(tool);
        tool->drain();
        QElapsedTimer clock;
        clock.start();
        QByteArray received;
        QVERIFY(tool->receive(received, Endless, 500));
        const double seconds = clock.nsecsElapsed() / 1e9;

        const auto pressures = ScanPressureFrames(received, int(received.size()));
        QVERIFY(!pressures.empty());
        for (std::uint8_t psi : pressures)
            QVERIFY2(psi >= 19 && psi <= 76, qPrintable(QString::number(psi)));
        // A pseudo-terminal would pass bytes far faster; the device itself keeps the line's
        // pace. One burst may already be on its way when the clock starts.
        QVERIFY2(received.size() <= 1.3 * 5760.0 * seconds + 128,
                 qPrintable(u"%1 bytes in %2 s"_s.arg(received.size()).arg(seconds)));
    }

    void hangupAfter_closesTheLineWritesTheDumpAndExits()
    {
        const auto tool =
            startOnLine({u"--hangup-after"_s, u"0.5"_s, u"--dump"_s, dumpPath()}, B9600);
        QVERIFY(tool);
        QByteArray received;
        QVERIFY(!tool->receive(received, Endless, Deadline));
        QVERIFY(m_process->waitForFinished(Deadline));
        QCOMPARE(m_process->exitCode(), 0);
        QVERIFY(m_process->readAllStandardError().contains("hung up"));
        QVERIFY(fileContents(dumpPath()).startsWith("ShutDownCountSP=500000\n"));
    }

    // Exit status 0 prints the listed texts on standard output, any other on standard error.
    void commandLine_exitsAtOnceWithStatusAndText_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<QByteArrayList>("texts");
        QTest::newRow("help") << QStringList{"--help"} << 0
                              << QByteArrayList{"Usage: vorta-devsim", "--hangup-after"};
        QTest::newRow("fraction out of range")
            << QStringList{"--drop", "7"} << 2 << QByteArrayList{"--drop"};
        QTest::newRow("missing parameter file")
            << QStringList{"--load", "/nonexistent/PRESS.PRS"} << 2 << QByteArrayList{"--load"};
    }

    void commandLine_exitsAtOnceWithStatusAndText()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        QFETCH(QByteArrayList, texts);
        m_process->start(QStringLiteral(VORTA_DEVSIM_PATH), arguments);
        QVERIFY(m_process->waitForFinished(Deadline));
        QCOMPARE(m_process->exitCode(), status);
        const QByteArray out = m_process->readAllStandardOutput();
        const QByteArray error = m_process->readAllStandardError();
        QCOMPARE(out.isEmpty(), status != 0);
        QVERIFY(status != 0 || out.startsWith(texts.first()));
        for (const QByteArray& text : texts)
            QVERIFY2((status == 0 ? out : error).contains(text), (out + error).constData());
    }
};

QTEST_GUILESS_MAIN(TestDevsimProcess)
#include "tst_DevsimProcess.moc"
