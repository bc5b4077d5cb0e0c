#include "CommCycle.h"
#include "QSerialPortLink.h"
#include "RecordingCommView.h"
#include "RecordingMessageBoxes.h"
#include "SerialError.h"
#include "TestSupport.h"

#include <QDeadlineTimer>
#include <QTest>
#include <QTimer>

#include <fcntl.h>
#include <functional>
#include <memory>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

namespace {

constexpr int Deadline = 5000; // milliseconds

// A pseudo-terminal pair: the link opens the slave device by name, the test plays the
// device on the master. The test holds its own slave descriptor for the pair's whole
// life, since the master cannot be read while no slave is open.
class PtyPair
{
    Q_DISABLE_COPY(PtyPair)

public:
    PtyPair()
    {
        if (::openpty(&m_master, &m_slave, nullptr, nullptr, nullptr) != 0)
            return;
        ::fcntl(m_master, F_SETFL, O_NONBLOCK);
        path = QString::fromLocal8Bit(::ttyname(m_slave));
    }
    ~PtyPair()
    {
        hangUp();
        ::close(m_slave);
    }

    // The device's end of the line goes away, as an unplugged adapter does.
    void hangUp()
    {
        ::close(m_master);
        m_master = -1;
    }

    bool send(const QByteArray& bytes) const
    {
        return ::write(m_master, bytes.constData(), bytes.size()) == bytes.size();
    }

    // Everything the link has sent so far, waiting for at least count bytes on the master
    // alone, so that the link's event-loop side gets no chance to help.
    QByteArray received(qsizetype count = 0)
    {
        const QDeadlineTimer deadline(Deadline);
        for (;;) {
            char chunk[512];
            ssize_t n = 0;
            while ((n = ::read(m_master, chunk, sizeof chunk)) > 0)
                m_received.append(chunk, n);
            if (m_received.size() >= count || deadline.hasExpired())
                return m_received;
            pollfd ready{m_master, POLLIN, 0};
            ::poll(&ready, 1, int(deadline.remainingTime()));
        }
    }

    termios settings() const
    {
        termios t{};
        ::tcgetattr(m_master, &t);
        return t;
    }
    speed_t speed() const
    {
        const termios t = settings();
        return ::cfgetospeed(&t);
    }
    void setSpeed(speed_t speed) const
    {
        termios t = settings();
        ::cfsetspeed(&t, speed);
        ::tcsetattr(m_master, TCSANOW, &t);
    }

    QString path;

private:
    int m_master = -1;
    int m_slave = -1;
    QByteArray m_received;
};

// The message of the SerialError the operation throws; empty when it throws none.
QByteArray failureOf(const std::function<void()>& operation)
{
    try {
        operation();
    } catch (const SerialError& e) {
        return e.what();
    }
    return {};
}

// The window side of the cycle with a running timer.
class TimerView : public RecordingCommView
{
public:
    void setTimerEnabled(bool on) override { on ? timer.start() : timer.stop(); }
    bool timerEnabled() const override { return timer.isActive(); }
    void setTimerInterval(int milliseconds) override { timer.setInterval(milliseconds); }

    QTimer timer;
};

} // namespace

class QSerialPortLinkTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<PtyPair> m_pty;
    std::unique_ptr<PtyPair> m_other;
    std::unique_ptr<QSerialPortLink> m_link;

    QSerialPortLink& openLink()
    {
        m_link->setPortOpen(true);
        return *m_link;
    }

private slots:
    void init()
    {
        m_pty = std::make_unique<PtyPair>();
        m_other = std::make_unique<PtyPair>();
        QVERIFY(!m_pty->path.isEmpty() && !m_other->path.isEmpty());
        PortNames names;
        names.setOverride(1, m_pty->path);
        names.setOverride(2, m_other->path);
        m_link = std::make_unique<QSerialPortLink>(names);
    }

    void cleanup()
    {
        m_link.reset();
        m_other.reset();
        m_pty.reset();
    }

    void everyByteValue_arrivesUnchangedBothWays()
    {
        QByteArray bytes(256, 0);
        for (int value = 0; value < 256; ++value)
            bytes[value] = static_cast<char>(value);
        QSerialPortLink& link = openLink();
        link.output(bytes);
        // The frame must leave within its tick, not when the event loop next runs.
        QCOMPARE(m_pty->received(bytes.size()), bytes);

        QVERIFY(m_pty->send(bytes));
        QTRY_COMPARE_WITH_TIMEOUT(link.inBufferCount(), int(bytes.size()), Deadline);
        QCOMPARE(link.input(), bytes);
        QCOMPARE(link.inBufferCount(), 0);
    }

    // A pseudo-terminal carries only eight data bits without parity; speed and stop bits
    // reach it as on a real line. No speed: the settings are refused.
    void settings_reachTheLineOnceChangedOrLeaveItAsItWas_data()
    {
        QTest::addColumn<QString>("settings");
        QTest::addColumn<speed_t>("speed");
        QTest::addColumn<bool>("twoStopBits");
        QTest::newRow("live stream") << u"57600,n,8,1"_s << speed_t(B57600) << false;
        QTest::newRow("two stop bits") << u"19200,n,8,2"_s << speed_t(B19200) << true;
        QTest::newRow("upper-case parity") << u"4800,N,8,1"_s << speed_t(B4800) << false;
        QTest::newRow("malformed") << u"9600,x,8,1"_s << speed_t(B0) << false;
        QTest::newRow("parity the line cannot carry") << u"9600,e,8,1"_s << speed_t(B0) << false;
    }

    void settings_reachTheLineOnceChangedOrLeaveItAsItWas()
    {
        QFETCH(QString, settings);
        QFETCH(speed_t, speed);
        QFETCH(bool, twoStopBits);
        // Settings given while the port is closed reach the line when it opens.
        m_link->setSettings(u"19200,n,8,1"_s);
        m_pty->setSpeed(B1200);
        QSerialPortLink& link = openLink();
        QCOMPARE(m_pty->speed(), speed_t(B19200));
        if (speed == B0) {
            QVERIFY_THROWS_EXCEPTION(SerialError, link.setSettings(settings));
            QCOMPARE(link.settings(), u"19200,n,8,1"_s);
            QCOMPARE(link.deviceFailureCount(), 0);
            speed = B19200;
        } else {
            link.setSettings(settings);
        }
        const termios line = m_pty->settings();
        QCOMPARE(cfgetospeed(&line), speed);
        QCOMPARE(cfgetispeed(&line), speed);
        QCOMPARE((line.c_cflag & CSTOPB) != 0, twoStopBits);
        QCOMPARE(line.c_cflag & CRTSCTS, tcflag_t(0));
        QCOMPARE(line.c_iflag & (IXON | IXOFF), tcflag_t(0));

        // Only a request that reached the driver could undo a change made behind its back.
        m_pty->setSpeed(B1200);
        link.setSettings(link.settings());
        QCOMPARE(m_pty->speed(), speed_t(B1200));
        link.setSettings(u"9600,n,8,1"_s);
        QCOMPARE(m_pty->speed(), speed_t(B9600));
        QCOMPARE(m_pty->settings().c_cflag & CSTOPB, tcflag_t(0));
        link.output("ok");
        QTRY_COMPARE_WITH_TIMEOUT(m_pty->received(), QByteArray("ok"), Deadline);
    }

    void trafficOnlyWhileOpen_busyOrMissingDeviceFailsToOpen()
    {
        QVERIFY_THROWS_EXCEPTION(SerialError, m_link->inBufferCount());
        QVERIFY_THROWS_EXCEPTION(SerialError, m_link->input());
        QVERIFY_THROWS_EXCEPTION(SerialError, m_link->output("x"));
        QSerialPortLink& link = openLink();
        QVERIFY(m_pty->send("abc"));
        QTRY_COMPARE_WITH_TIMEOUT(link.inBufferCount(), 3, Deadline);
        link.setPortOpen(true);
        QCOMPARE(link.input(), QByteArray("abc"));

        PortNames names;
        names.setOverride(1, u"/dev/does-not-exist"_s);
        names.setOverride(2, m_pty->path);
        QSerialPortLink other(names);
        QVERIFY(failureOf([&] { other.setPortOpen(true); }).contains("/dev/does-not-exist"));
        QVERIFY(!other.portOpen());
        other.setCommPort(2);
        QVERIFY_THROWS_EXCEPTION(SerialError, other.setPortOpen(true));
        QVERIFY(!other.portOpen());
        QVERIFY(link.portOpen());

        link.setPortOpen(false);
        QVERIFY(!link.portOpen());
        QVERIFY_THROWS_EXCEPTION(SerialError, link.inBufferCount());
        link.setPortOpen(true);
        link.setCommPort(2);
        QVERIFY(!link.portOpen());
        QCOMPARE(link.commPort(), 2);
    }

    void hangUp_oneFailureNamingTheDevice_thenAnotherDeviceWorks_data()
    {
        QTest::addColumn<QString>("operation");
        QTest::addColumn<bool>("eventLoopFirst");
        for (const char* operation : {"count", "input", "output", "reopen"})
            QTest::newRow(operation) << QString::fromLatin1(operation) << true;
        // No event loop runs after the hang-up: the write itself meets the dead line.
        QTest::newRow("output at once") << u"output"_s << false;
    }

    void hangUp_oneFailureNamingTheDevice_thenAnotherDeviceWorks()
    {
        QFETCH(QString, operation);
        QFETCH(bool, eventLoopFirst);
        QSerialPortLink& link = openLink();
        m_pty->hangUp();
        // While the event loop runs, a port left open would report its failure without end.
        if (eventLoopFirst)
            QTRY_VERIFY_WITH_TIMEOUT(!link.portOpen(), Deadline);
        const QByteArray message = failureOf([&] {
            if (operation == u"count")
                link.inBufferCount();
            else if (operation == u"input")
                link.input();
            else if (operation == u"output")
                link.output("x");
            else
                link.setPortOpen(true);
        });
        QVERIFY2(message.contains(m_pty->path.toLocal8Bit()), message.constData());
        QVERIFY2(message.contains("stopped working"), message.constData());
        QVERIFY(!link.portOpen());
        QVERIFY(failureOf([&] { link.inBufferCount(); }).contains("not open"));
        QVERIFY_THROWS_EXCEPTION(SerialError, link.setPortOpen(true));
        QVERIFY(!link.portOpen());
        QCOMPARE(link.deviceFailureCount(), 1);

        link.setCommPort(2);
        link.setPortOpen(true);
        link.output(hexBytes("80 00"));
        QTRY_COMPARE_WITH_TIMEOUT(m_other->received(), hexBytes("80 00"), Deadline);
        QVERIFY(m_other->send("ok"));
        QTRY_COMPARE_WITH_TIMEOUT(link.inBufferCount(), 2, Deadline);
        QCOMPARE(link.input(), QByteArray("ok"));
    }

    void hangUpWhileCycleRuns_givesOneMessageAndStopsTimer()
    {
        CommState comm;
        ParameterSet set;
        TimerView view;
        RecordingMessageBoxes messages;
        CommCycle cycle(*m_link, comm, set, view, messages);
        QObject::connect(&view.timer, &QTimer::timeout, &view.timer, [&cycle] { cycle.tick(); });

        cycle.connect(1);
        // The first upload request shows that the ticks run on the open port.
        QTRY_VERIFY_WITH_TIMEOUT(!m_pty->received().isEmpty(), Deadline);
        QVERIFY(m_link->portOpen());

        m_pty->hangUp();
        QTRY_VERIFY_WITH_TIMEOUT(!view.timer.isActive(), Deadline);
        QCOMPARE(messages.texts(), QStringList{u"A Comm Port Error Has Occured"_s});
        QVERIFY(view.connectEnabled);
        QVERIFY(!m_link->portOpen());
        QCOMPARE(m_link->deviceFailureCount(), 1);
    }
};

QTEST_GUILESS_MAIN(QSerialPortLinkTest)
#include "tst_QSerialPortLink.moc"
