#include "QSerialPortLink.h"
#include "SerialError.h"
#include "TestSupport.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

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

speed_t speedOf(const PtyPair& pty)
{
    const termios t = pty.settings();
    return ::cfgetospeed(&t);
}

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

} // namespace

class QSerialPortLinkTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<PtyPair> m_pty;
    std::unique_ptr<PtyPair> m_other;
    std::unique_ptr<QSerialPortLink> m_link;
    QString m_port1; // a link to a terminal, as a udev name is for a USB adapter

    void pointPort1At(const PtyPair& pty)
    {
        QFile::remove(m_port1);
        QVERIFY(QFile::link(pty.path, m_port1));
    }

    QSerialPortLink& openLink()
    {
        m_link->setPortOpen(true);
        return *m_link;
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_pty = std::make_unique<PtyPair>();
        m_other = std::make_unique<PtyPair>();
        QVERIFY(!m_pty->path.isEmpty() && !m_other->path.isEmpty());
        m_port1 = m_dir->filePath(u"ttyVORTA"_s);
        pointPort1At(*m_pty);
        PortNames names;
        names.setOverride(1, m_port1);
        names.setOverride(2, m_other->path);
        m_link = std::make_unique<QSerialPortLink>(names);
    }

    void cleanup()
    {
        m_link.reset();
        m_other.reset();
        m_pty.reset();
        m_dir.reset();
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

    // A pseudo-terminal carries only eight data bits without parity. No speed: the settings
    // are refused (a missing field, an unknown letter, a number out of range, or what the
    // line cannot carry) and the line keeps its old ones.
    void settings_reachTheLineOnceChangedOrLeaveItAsItWas_data()
    {
        QTest::addColumn<QString>("settings");
        QTest::addColumn<speed_t>("speed");
        QTest::addColumn<bool>("twoStopBits");
        QTest::newRow("live stream") << u"57600,n,8,1"_s << speed_t(B57600) << false;
        QTest::newRow("two stop bits") << u"4800,n,8,2"_s << speed_t(B4800) << true;
        for (const char* bad : {"9600,x,8,1", "9600,n,8", "0,n,8,1", "9600,n,9,1", "9600,n,8,3"})
            QTest::addRow("malformed %s", bad) << QString::fromLatin1(bad) << speed_t(B0) << false;
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
        QCOMPARE(speedOf(*m_pty), speed_t(B19200));
        if (speed == B0) {
            QVERIFY_THROWS_EXCEPTION(SerialError, link.setSettings(settings));
            QCOMPARE(link.settings(), u"19200,n,8,1"_s);
            QCOMPARE(link.deviceFailureCount(), 0);
            speed = B19200;
        } else {
            link.setSettings(settings);
        }
        const termios line = m_pty->settings();
        QCOMPARE(cfgetispeed(&line), speed);
        QCOMPARE((line.c_cflag & CSTOPB) != 0, twoStopBits);
        QCOMPARE(line.c_cflag & CRTSCTS, tcflag_t(0));
        QCOMPARE(line.c_iflag & (IXON | IXOFF), tcflag_t(0));

        // Only a request that reached the driver could undo a change made behind its back.
        m_pty->setSpeed(B1200);
        link.setSettings(link.settings());
        QCOMPARE(speedOf(*m_pty), speed_t(B1200));
        link.setSettings(u"9600,n,8,1"_s);
        QCOMPARE(speedOf(*m_pty), speed_t(B9600));
        link.output("ok");
        QTRY_COMPARE_WITH_TIMEOUT(m_pty->received(), QByteArray("ok"), Deadline);
    }

    void trafficOnlyWhileOpen_missingDeviceFailsToOpen()
    {
        QVERIFY_THROWS_EXCEPTION(SerialError, m_link->inBufferCount());
        QVERIFY_THROWS_EXCEPTION(SerialError, m_link->input());
        QVERIFY_THROWS_EXCEPTION(SerialError, m_link->output("x"));
        QSerialPortLink& link = openLink();
        QVERIFY(m_pty->send("abc"));
        QTRY_COMPARE_WITH_TIMEOUT(link.inBufferCount(), 3, Deadline);
        link.setPortOpen(true);
        QCOMPARE(link.input(), QByteArray("abc"));

        // A new port number closes the old device.
        link.setCommPort(2);
        QVERIFY(!link.portOpen());
        QCOMPARE(link.commPort(), 2);

        QFile::remove(m_port1);
        link.setCommPort(1);
        QVERIFY(failureOf([&] { link.setPortOpen(true); }).contains(m_port1.toLocal8Bit()));
        QVERIFY(!link.portOpen());
    }

    void hangUp_oneFailureNamingTheDevice_thenTheLineWorksAgain_data()
    {
        QTest::addColumn<QString>("operation");
        QTest::addColumn<bool>("eventLoopFirst");
        QTest::addColumn<bool>("reopenedBefore");
        for (const char* operation : {"count", "input", "output", "reopen"})
            QTest::newRow(operation) << QString::fromLatin1(operation) << true << false;
        // No event loop runs after the hang-up: the write itself meets the dead line.
        QTest::newRow("output at once") << u"output"_s << false << false;
        QTest::newRow("after an earlier close") << u"count"_s << true << true;
    }

    void hangUp_oneFailureNamingTheDevice_thenTheLineWorksAgain()
    {
        QFETCH(QString, operation);
        QFETCH(bool, eventLoopFirst);
        QFETCH(bool, reopenedBefore);
        QSerialPortLink& link = openLink();
        if (reopenedBefore) {
            link.setPortOpen(false);
            link.setPortOpen(true);
        }
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
        QVERIFY2(message.contains(m_port1.toLocal8Bit()), message.constData());
        QVERIFY2(message.contains("stopped working"), message.constData());
        QVERIFY(!link.portOpen());
        QVERIFY(failureOf([&] { link.inBufferCount(); }).contains("not open"));
        QCOMPARE(link.deviceFailureCount(), 1);

        // Disconnect, the adapter plugged in again under the same name, Connect.
        link.setPortOpen(false);
        pointPort1At(*m_other);
        link.setPortOpen(true);
        link.output(hexBytes("80 00"));
        QTRY_COMPARE_WITH_TIMEOUT(m_other->received(), hexBytes("80 00"), Deadline);
        QVERIFY(m_other->send("ok"));
        QTRY_COMPARE_WITH_TIMEOUT(link.inBufferCount(), 2, Deadline);
        QCOMPARE(link.input(), QByteArray("ok"));
    }
};

QTEST_GUILESS_MAIN(QSerialPortLinkTest)
#include "tst_QSerialPortLink.moc"
