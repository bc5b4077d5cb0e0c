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
#include <memory>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace {

constexpr int Deadline = 10000; // milliseconds, generous for a sanitizer build under load

// The tool's end of the line: the slave opened by its path, raw, at a given speed.
class ToolSide
{
public:
    explicit ToolSide(const QString& path)
    {
        m_fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        termios raw{};
        if (m_fd >= 0 && ::tcgetattr(m_fd, &raw) == 0) {
            ::cfmakeraw(&raw);
            ::tcsetattr(m_fd, TCSANOW, &raw);
        }
    }
    ~ToolSide()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    ToolSide(const ToolSide&) = delete;
    ToolSide& operator=(const ToolSide&) = delete;

    bool isOpen() const { return m_fd >= 0; }

    bool setSpeed(speed_t speed) const
    {
        termios t{};
        if (::tcgetattr(m_fd, &t) != 0)
            return false;
        ::cfsetispeed(&t, speed);
        ::cfsetospeed(&t, speed);
        return ::tcsetattr(m_fd, TCSANOW, &t) == 0;
    }

    bool send(const QByteArray& bytes) const
    {
        return ::write(m_fd, bytes.constData(), bytes.size()) == bytes.size();
    }

    // Collects what arrives until the predicate holds or the deadline passes. Returns
    // false once the line has hung up.
    template <typename Done> bool receiveUntil(QByteArray& into, QDeadlineTimer deadline, Done done)
    {
        while (!done(into) && !deadline.hasExpired()) {
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

    // Throws away whatever is waiting.
    void drain()
    {
        QByteArray ignored;
        receiveUntil(ignored, QDeadlineTimer(0), [](const QByteArray&) { return false; });
        ::tcflush(m_fd, TCIFLUSH);
    }

private:
    int m_fd = -1;
};

} // namespace

class TestDevsimProcess : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void requestsAt9600_areAnsweredAndWritesReachTheDump();
    void liveStreamAt57600_validFramesNoFasterThanTheLine();
    void hangupAfter_closesTheLineWritesTheDumpAndExits();
    void badOption_exitsWithUsageStatusNamingIt_data();
    void badOption_exitsWithUsageStatusNamingIt();
    void help_listsTheOptionsAndExits();

private:
    // Starts the simulator and returns the path on its first line, empty on failure.
    QString start(const QStringList& arguments);
    QByteArray dump() const;

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<QProcess> m_process;
};

void TestDevsimProcess::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_process = std::make_unique<QProcess>();
}

void TestDevsimProcess::cleanup()
{
    if (m_process->state() != QProcess::NotRunning) {
        m_process->kill();
        m_process->waitForFinished(Deadline);
    }
    m_process.reset();
    m_dir.reset();
}

QString TestDevsimProcess::start(const QStringList& arguments)
{
    m_process->start(QStringLiteral(VORTA_DEVSIM_PATH), arguments);
    if (!m_process->waitForStarted(Deadline))
        return QString();
    QDeadlineTimer deadline(Deadline);
    while (!m_process->canReadLine() && !deadline.hasExpired())
        m_process->waitForReadyRead(int(deadline.remainingTime()));
    return QString::fromLocal8Bit(m_process->readLine()).trimmed();
}

QByteArray TestDevsimProcess::dump() const
{
    QFile file(m_dir->filePath(QStringLiteral("memory.txt")));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void TestDevsimProcess::requestsAt9600_areAnsweredAndWritesReachTheDump()
{
    const QString path =
        start({QStringLiteral("--values"), QStringLiteral("1,2,3,4,5,6,7,40000,9"),
               QStringLiteral("--dump"), m_dir->filePath(QStringLiteral("memory.txt")),
               QStringLiteral("--dump-on-write")});
    QVERIFY2(path.startsWith(QLatin1String("/dev/")), qPrintable(path));
    ToolSide tool(path);
    QVERIFY(tool.isOpen());
    QVERIFY(tool.setSpeed(B9600));

    QVERIFY(tool.send(BuildReadRequest(Parameter::StaticFaultCount)));
    QByteArray received;
    tool.receiveUntil(received, QDeadlineTimer(Deadline), [](const QByteArray& bytes) {
        return !ScanReadReplies(bytes, int(bytes.size()), Parameter::StaticFaultCount).empty();
    });
    QCOMPARE(hexText(received), QStringLiteral("80 06 91 9C 40 0D"));

    QVERIFY(tool.send(BuildWriteRequest(Parameter::StaticTripSP, 45)));
    received.clear();
    tool.receiveUntil(received, QDeadlineTimer(Deadline), [](const QByteArray& bytes) {
        return CountWriteAcks(bytes, int(bytes.size())) > 0;
    });
    QCOMPARE(hexText(received), QStringLiteral("80 04 E0 9C"));
    QTRY_VERIFY_WITH_TIMEOUT(dump().contains("\nStaticTripSP=45\n"), Deadline);

    m_process->terminate(); // SIGTERM
    QVERIFY(m_process->waitForFinished(Deadline));
    QCOMPARE(m_process->exitStatus(), QProcess::NormalExit);
    QCOMPARE(m_process->exitCode(), 0);
    QVERIFY(dump().startsWith("ShutDownCountSP=1\n"));
    QVERIFY(dump().contains("\nStaticTripSP=45\n"));
}

void TestDevsimProcess::liveStreamAt57600_validFramesNoFasterThanTheLine()
{
    const QString path = start({QStringLiteral("--seed"), QStringLiteral("1")});
    QVERIFY2(path.startsWith(QLatin1String("/dev/")), qPrintable(path));
    ToolSide tool(path);
    QVERIFY(tool.isOpen());
    QVERIFY(tool.setSpeed(B57600));
    tool.drain();

    QElapsedTimer clock;
    clock.start();
    QByteArray received;
    QVERIFY(tool.receiveUntil(received, QDeadlineTimer(Deadline),
                              [&](const QByteArray&) { return clock.elapsed() >= 500; }));
    const double seconds = clock.nsecsElapsed() / 1e9;

    const std::vector<std::uint8_t> pressures = ScanPressureFrames(received, int(received.size()));
    QVERIFY(!pressures.empty());
    for (std::uint8_t psi : pressures)
        QVERIFY2(psi >= 19 && psi <= 76, qPrintable(QString::number(psi)));
    // A pseudo-terminal would pass bytes far faster; the device itself keeps the line's pace.
    // One burst may already be on its way when the clock starts.
    const double lineBytes = 5760.0 * seconds;
    QVERIFY2(received.size() <= 1.3 * lineBytes + 128,
             qPrintable(QStringLiteral("%1 bytes in %2 s").arg(received.size()).arg(seconds)));
    qInfo("live stream: %lld bytes in %.3f s (%.0f bytes/s)",
          static_cast<long long>(received.size()), seconds, received.size() / seconds);
}

void TestDevsimProcess::hangupAfter_closesTheLineWritesTheDumpAndExits()
{
    const QString path =
        start({QStringLiteral("--hangup-after"), QStringLiteral("0.5"), QStringLiteral("--dump"),
               m_dir->filePath(QStringLiteral("memory.txt"))});
    QVERIFY2(path.startsWith(QLatin1String("/dev/")), qPrintable(path));
    ToolSide tool(path);
    QVERIFY(tool.isOpen());

    QByteArray received;
    QVERIFY(!tool.receiveUntil(received, QDeadlineTimer(Deadline),
                               [](const QByteArray&) { return false; }));
    QVERIFY(m_process->waitForFinished(Deadline));
    QCOMPARE(m_process->exitCode(), 0);
    QVERIFY(m_process->readAllStandardError().contains("hung up"));
    QVERIFY(dump().startsWith("ShutDownCountSP=500000\n"));
}

void TestDevsimProcess::badOption_exitsWithUsageStatusNamingIt_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("named");
    QTest::newRow("fraction out of range") << QStringList{"--drop", "7"} << QByteArray("--drop");
    QTest::newRow("unknown option") << QStringList{"--port1"} << QByteArray("--port1");
    QTest::newRow("missing parameter file")
        << QStringList{"--load", "/nonexistent/PRESS.PRS"} << QByteArray("--load");
}

void TestDevsimProcess::badOption_exitsWithUsageStatusNamingIt()
{
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, named);
    m_process->start(QStringLiteral(VORTA_DEVSIM_PATH), arguments);
    QVERIFY(m_process->waitForFinished(Deadline));
    QCOMPARE(m_process->exitCode(), 2);
    QVERIFY(m_process->readAllStandardOutput().isEmpty());
    const QByteArray error = m_process->readAllStandardError();
    QVERIFY2(error.contains(named), error.constData());
}

void TestDevsimProcess::help_listsTheOptionsAndExits()
{
    m_process->start(QStringLiteral(VORTA_DEVSIM_PATH), {QStringLiteral("--help")});
    QVERIFY(m_process->waitForFinished(Deadline));
    QCOMPARE(m_process->exitCode(), 0);
    const QByteArray help = m_process->readAllStandardOutput();
    QVERIFY(help.startsWith("Usage: vorta-devsim"));
    QVERIFY(help.contains("--hangup-after"));
}

QTEST_GUILESS_MAIN(TestDevsimProcess)
#include "tst_DevsimProcess.moc"
