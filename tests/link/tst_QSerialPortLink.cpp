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
public:
    PtyPair()
    {
        if (::openpty(&m_master, &m_slave, nullptr, nullptr, nullptr) != 0)
            return;
        termios raw{};
        ::tcgetattr(m_slave, &raw);
        ::cfmakeraw(&raw);
        ::tcsetattr(m_slave, TCSANOW, &raw);
        ::fcntl(m_master, F_SETFL, ::fcntl(m_master, F_GETFL) | O_NONBLOCK);
        m_path = QString::fromLocal8Bit(::ttyname(m_slave));
    }
    ~PtyPair()
    {
        hangUp();
        if (m_slave >= 0)
            ::close(m_slave);
    }
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    bool isValid() const { return m_master >= 0 && !m_path.isEmpty(); }
    QString slavePath() const { return m_path; }

    // The device's end of the line goes away, as an unplugged adapter does.
    void hangUp()
    {
        if (m_master >= 0)
            ::close(m_master);
        m_master = -1;
    }

    bool send(const QByteArray& bytes) const
    {
        return ::write(m_master, bytes.constData(), bytes.size()) == bytes.size();
    }

    // Everything the link has sent so far.
    QByteArray received()
    {
        char chunk[512];
        ssize_t n = 0;
        while ((n = ::read(m_master, chunk, sizeof chunk)) > 0)
            m_received.append(chunk, n);
        return m_received;
    }

    // Waits on the master alone, so the link's event-loop side gets no chance to help.
    QByteArray receivedWithoutEventLoop(qsizetype count)
    {
        QDeadlineTimer deadline(Deadline);
        while (received().size() < count && !deadline.hasExpired()) {
            pollfd ready{m_master, POLLIN, 0};
            ::poll(&ready, 1, int(deadline.remainingTime()));
        }
        return m_received;
    }

    termios lineSettings() const
    {
        termios t{};
        ::tcgetattr(m_master, &t);
        return t;
    }

    speed_t lineSpeed() const
    {
        const termios t = lineSettings();
        return cfgetospeed(&t);
    }

    void setLineSpeed(speed_t speed) const
    {
        termios t = lineSettings();
        ::cfsetispeed(&t, speed);
        ::cfsetospeed(&t, speed);
        ::tcsetattr(m_master, TCSANOW, &t);
    }

private:
    int m_master = -1;
    int m_slave = -1;
    QString m_path;
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
        QVERIFY(m_pty->isValid());
        PortNames names;
        names.setOverride(1, m_pty->slavePath());
        m_link = std::make_unique<QSerialPortLink>(names);
    }

    void cleanup()
    {
        m_link.reset();
        m_pty.reset();
    }

    void bytesBothWays_arriveUnchanged_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("control and high bytes") << hexBytes("00 0A 0D 11 13 80 FF");
        QByteArray every(256, 0);
        for (int value = 0; value < 256; ++value)
            every[value] = static_cast<char>(value);
        QTest::newRow("every byte value") << every;
    }

    void bytesBothWays_arriveUnchanged()
    {
        QFETCH(QByteArray, bytes);
        QSerialPortLink& link = openLink();
        link.output(bytes);
        // The frame must leave within its tick, not when the event loop next runs.
        QCOMPARE(m_pty->receivedWithoutEventLoop(bytes.size()), bytes);

        QVERIFY(m_pty->send(bytes));
        QTRY_COMPARE_WITH_TIMEOUT(link.inBufferCount(), int(bytes.size()), Deadline);
        QCOMPARE(link.input(), bytes);
        QCOMPARE(link.inBufferCount(), 0);
    }

    void settingsOnOpenPort_reachTheLine_data()
    {
        // A pseudo-terminal carries only eight data bits without parity; speed and stop
        // bits reach it as on a real line.
        QTest::addColumn<QString>("settings");
        QTest::addColumn<speed_t>("speed");
        QTest::addColumn<bool>("twoStopBits");
        QTest::newRow("live stream") << u"57600,n,8,1"_s << speed_t(B57600) << false;
        QTest::newRow("two stop bits") << u"19200,n,8,2"_s << speed_t(B19200) << true;
        QTest::newRow("upper-case parity") << u"4800,N,8,1"_s << speed_t(B4800) << false;
    }

    void settingsOnOpenPort_reachTheLine()
    {
        QFETCH(QString, settings);
        QFETCH(speed_t, speed);
        QFETCH(bool, twoStopBits);
        QSerialPortLink& link = openLink();
        QCOMPARE(m_pty->lineSpeed(), speed_t(B9600));

        link.setSettings(settings);
        const termios changed = m_pty->lineSettings();
        QCOMPARE(cfgetospeed(&changed), speed);
        QCOMPARE(cfgetispeed(&changed), speed);
        QCOMPARE((changed.c_cflag & CSTOPB) != 0, twoStopBits);
        QCOMPARE(changed.c_cflag & CRTSCTS, tcflag_t(0));
        QCOMPARE(changed.c_iflag & (IXON | IXOFF), tcflag_t(0));

        link.setSettings(u"9600,n,8,1"_s);
        QCOMPARE(m_pty->lineSpeed(), speed_t(B9600));
        QCOMPARE(m_pty->lineSettings().c_cflag & CSTOPB, tcflag_t(0));
    }

    void unusableSettings_throwAndPortStaysUsable_data()
    {
        QTest::addColumn<QString>("settings");
        QTest::newRow("malformed") << u"9600,x,8,1"_s;
        QTest::newRow("parity the line cannot carry") << u"9600,e,8,1"_s;
    }

    void unusableSettings_throwAndPortStaysUsable()
    {
        QFETCH(QString, settings);
        QSerialPortLink& link = openLink();
        link.setSettings(u"19200,n,8,1"_s);
        QVERIFY_THROWS_EXCEPTION(SerialError, link.setSettings(settings));
        QCOMPARE(link.settings(), u"19200,n,8,1"_s);
        QCOMPARE(m_pty->lineSpeed(), speed_t(B19200));
        QVERIFY(link.portOpen());
        QCOMPARE(link.deviceFailureCount(), 0);

        link.setSettings(u"57600,n,8,1"_s);
        QCOMPARE(m_pty->lineSpeed(), speed_t(B57600));
        link.output("ok");
        QTRY_COMPARE_WITH_TIMEOUT(m_pty->received(), QByteArray("ok"), Deadline);
    }

    void settingsGivenWhileClosed_applyOnOpen()
    {
        m_link->setSettings(u"57600,n,8,1"_s);
        m_pty->setLineSpeed(B1200);
        openLink();
        QCOMPARE(m_pty->lineSpeed(), speed_t(B57600));
    }

    void sameSettingsAgain_leaveTheLineAlone()
    {
        QSerialPortLink& link = openLink();
        link.setSettings(u"57600,n,8,1"_s);
        // Only a request that reached the driver could undo this change made behind its back.
        m_pty->setLineSpeed(B1200);
        link.setSettings(u"57600,n,8,1"_s);
        QCOMPARE(m_pty->lineSpeed(), speed_t(B1200));
        link.setSettings(u"9600,n,8,1"_s);
        QCOMPARE(m_pty->lineSpeed(), speed_t(B9600));
    }

    void openWhileOpen_keepsWaitingBytes()
    {
        QSerialPortLink& link = openLink();
        QVERIFY(m_pty->send("abc"));
        QTRY_COMPARE_WITH_TIMEOUT(link.inBufferCount(), 3, Deadline);
        link.setPortOpen(true);
        QVERIFY(link.portOpen());
        QCOMPARE(link.input(), QByteArray("abc"));
    }

    void newPortNumberOnOpenPort_closesIt()
    {
        QSerialPortLink& link = openLink();
        link.setCommPort(2);
        QVERIFY(!link.portOpen());
        QCOMPARE(link.commPort(), 2);
    }

    void missingDevice_throwsOnOpen()
    {
        PortNames names;
        names.setOverride(1, u"/dev/does-not-exist"_s);
        QSerialPortLink link(names);
        QVERIFY(failureOf([&] { link.setPortOpen(true); }).contains("/dev/does-not-exist"));
        QVERIFY(!link.portOpen());
    }

    void deviceInUse_throwsOnOpen()
    {
        openLink();
        PortNames names;
        names.setOverride(1, m_pty->slavePath());
        QSerialPortLink second(names);
        QVERIFY_THROWS_EXCEPTION(SerialError, second.setPortOpen(true));
        QVERIFY(!second.portOpen());
        QVERIFY(m_link->portOpen());
    }

    void closedPort_refusesTraffic()
    {
        QVERIFY_THROWS_EXCEPTION(SerialError, m_link->inBufferCount());
        QVERIFY_THROWS_EXCEPTION(SerialError, m_link->input());
        QVERIFY_THROWS_EXCEPTION(SerialError, m_link->output("x"));
        openLink();
        m_link->setPortOpen(false);
        QVERIFY(!m_link->portOpen());
        QVERIFY_THROWS_EXCEPTION(SerialError, m_link->inBufferCount());
    }

    void hangUp_closesPortOnceAndNextOperationThrows_data()
    {
        QTest::addColumn<QString>("operation");
        for (const char* operation : {"count", "input", "output", "reopen"})
            QTest::newRow(operation) << QString::fromLatin1(operation);
    }

    void hangUp_closesPortOnceAndNextOperationThrows()
    {
        QFETCH(QString, operation);
        QSerialPortLink& link = openLink();
        m_pty->hangUp();
        // The event loop runs freely here: a port left open would report its failure
        // without end.
        QTRY_VERIFY_WITH_TIMEOUT(!link.portOpen(), Deadline);
        QCOMPARE(link.deviceFailureCount(), 1);
        // The lost device is what the first failure reports, by name.
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
        QVERIFY2(message.contains(m_pty->slavePath().toLocal8Bit()), message.constData());
        QVERIFY2(message.contains("stopped working"), message.constData());
        // The vanished device cannot be opened again.
        QVERIFY_THROWS_EXCEPTION(SerialError, link.setPortOpen(true));
        QVERIFY(!link.portOpen());
        QCOMPARE(link.deviceFailureCount(), 1);
    }

    void hangUpDuringOutput_throwsOnce()
    {
        QSerialPortLink& link = openLink();
        m_pty->hangUp();
        // No event loop has run since the hang-up: the write itself meets the dead line.
        QVERIFY_THROWS_EXCEPTION(SerialError, link.output("abc"));
        QVERIFY(!link.portOpen());
        QCOMPARE(link.deviceFailureCount(), 1);
        // The failure was reported; what follows is only the closed port.
        QVERIFY(failureOf([&] { link.inBufferCount(); }).contains("not open"));
    }

    void afterHangUp_anotherDeviceWorks()
    {
        PtyPair other;
        QVERIFY(other.isValid());
        PortNames names;
        names.setOverride(1, m_pty->slavePath());
        names.setOverride(2, other.slavePath());
        QSerialPortLink link(names);
        link.setPortOpen(true);
        m_pty->hangUp();
        QTRY_VERIFY_WITH_TIMEOUT(!link.portOpen(), Deadline);

        link.setCommPort(2);
        link.setSettings(u"9600,n,8,1"_s);
        link.setPortOpen(true);
        QVERIFY(link.portOpen());
        link.output(hexBytes("80 00"));
        QTRY_COMPARE_WITH_TIMEOUT(other.received(), hexBytes("80 00"), Deadline);
        QVERIFY(other.send("ok"));
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
