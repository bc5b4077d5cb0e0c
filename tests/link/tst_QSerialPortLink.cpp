#include "PtyDevice.h"
#include "QSerialPortLink.h"
#include "SerialError.h"
#include "TestSupport.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <memory>
#include <numeric>
#include <poll.h>

namespace {

constexpr int Deadline = 5000; // milliseconds

// A device on a pseudo-terminal: the link opens its slave by name, the test reads and
// writes the master.
struct Device : PtyDevice
{
    Device()
    {
        QString error;
        ready = open(error);
    }
    // What the link has sent, waiting for at least count bytes on the master alone, so
    // that the link's event-loop side gets no chance to help.
    QByteArray received(qsizetype count)
    {
        QString error;
        const QDeadlineTimer deadline(Deadline);
        while (readAvailable(heard, error) && heard.size() < count && !deadline.hasExpired()) {
            pollfd ready{masterDescriptor(), POLLIN, 0};
            ::poll(&ready, 1, 50);
        }
        return heard;
    }
    termios settings() const
    {
        termios t{};
        ::tcgetattr(masterDescriptor(), &t);
        return t;
    }
    // A change made behind the link's back.
    void setSpeed(speed_t speed) const
    {
        termios t = settings();
        ::cfsetspeed(&t, speed);
        ::tcsetattr(masterDescriptor(), TCSANOW, &t);
    }

    bool ready = false;
    QByteArray heard;
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

} // namespace

class QSerialPortLinkTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<Device> m_device;
    std::unique_ptr<QSerialPortLink> m_link;
    QString m_port1; // a link to a terminal, as a udev name is for a USB adapter

    void pointPort1At(const Device& device)
    {
        QFile::remove(m_port1);
        QVERIFY(QFile::link(device.slavePath(), m_port1));
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_device = std::make_unique<Device>();
        QVERIFY(m_device->ready);
        m_port1 = m_dir->filePath(u"ttyVORTA"_s);
        pointPort1At(*m_device);
        PortNames names;
        names.setOverride(1, m_port1);
        m_link = std::make_unique<QSerialPortLink>(names);
    }

    void cleanup()
    {
        m_link.reset();
        m_device.reset();
        m_dir.reset();
    }

    // A pseudo-terminal carries only eight data bits without parity. Refused settings (a
    // missing field, an unknown letter, a number out of range, or what the line cannot carry)
    // leave the line at its old speed.
    void settings_reachTheLineOnceChangedOrLeaveItAsItWas_data()
    {
        QTest::addColumn<QString>("settings");
        QTest::addColumn<bool>("refused");
        QTest::addColumn<speed_t>("speed");
        QTest::addColumn<bool>("twoStopBits");
        QTest::newRow("live stream") << u"57600,n,8,1"_s << false << speed_t(B57600) << false;
        QTest::newRow("two stop bits") << u"4800,n,8,2"_s << false << speed_t(B4800) << true;
        for (const char* bad :
             {"9600,x,8,1", "9600,n,8", "0,n,8,1", "9600,n,9,1", "9600,n,8,3", "9600,e,8,1"})
            QTest::addRow("refused %s", bad)
                << QString::fromLatin1(bad) << true << speed_t(B19200) << false;
    }

    void settings_reachTheLineOnceChangedOrLeaveItAsItWas()
    {
        QFETCH(QString, settings);
        QFETCH(bool, refused);
        QFETCH(speed_t, speed);
        QFETCH(bool, twoStopBits);
        // Settings given while the port is closed reach the line when it opens.
        m_link->setSettings(u"19200,n,8,1"_s);
        m_device->setSpeed(B1200);
        m_link->setPortOpen(true);
        QCOMPARE(m_device->lineSpeed(), speed_t(B19200));
        if (refused) {
            QVERIFY_THROWS_EXCEPTION(SerialError, m_link->setSettings(settings));
            QCOMPARE(m_link->settings(), u"19200,n,8,1"_s);
            QCOMPARE(m_link->deviceFailureCount(), 0);
        } else {
            m_link->setSettings(settings);
        }
        const termios line = m_device->settings();
        QCOMPARE(cfgetispeed(&line), speed);
        QCOMPARE((line.c_cflag & CSTOPB) != 0, twoStopBits);
        QCOMPARE(line.c_cflag & CRTSCTS, tcflag_t(0));
        QCOMPARE(line.c_iflag & (IXON | IXOFF), tcflag_t(0));

        // Only a request that reached the driver could undo a change made behind its back.
        m_device->setSpeed(B1200);
        m_link->setSettings(m_link->settings());
        QCOMPARE(m_device->lineSpeed(), speed_t(B1200));
        m_link->setSettings(u"9600,n,8,1"_s);
        QCOMPARE(m_device->lineSpeed(), speed_t(B9600));
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
        QTest::newRow("disconnected first") << u"none"_s << true << false;
    }

    void hangUp_oneFailureNamingTheDevice_thenTheLineWorksAgain()
    {
        QFETCH(QString, operation);
        QFETCH(bool, eventLoopFirst);
        QFETCH(bool, reopenedBefore);
        QSerialPortLink& link = *m_link;
        link.setPortOpen(true);
        if (reopenedBefore) {
            link.setPortOpen(false);
            QVERIFY(!link.portOpen());
            link.setPortOpen(true);
        }
        m_device->hangUp();
        // While the event loop runs, a port left open would report its failure without end.
        if (eventLoopFirst)
            QTRY_VERIFY_WITH_TIMEOUT(!link.portOpen(), Deadline);
        // Disconnected before any operation heard of it, the failure is forgotten.
        if (operation != u"none") {
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
            QVERIFY2(message.contains(m_port1.toLocal8Bit() + " stopped working"), message.data());
            QVERIFY(failureOf([&] { link.inBufferCount(); }).contains("not open"));
        }
        QVERIFY(!link.portOpen());
        QCOMPARE(link.deviceFailureCount(), 1);

        // Disconnect, the adapter plugged in again under the same name, Connect: every byte
        // value passes both ways. A frame must leave within its tick, not when the event loop
        // next runs.
        link.setPortOpen(false);
        Device again;
        pointPort1At(again);
        link.setPortOpen(true);
        QByteArray bytes(256, 0);
        std::iota(bytes.begin(), bytes.end(), 0);
        link.output(bytes);
        QCOMPARE(again.received(bytes.size()), bytes);
        QString error;
        QVERIFY(again.write(bytes, error));
        QTRY_COMPARE_WITH_TIMEOUT(link.inBufferCount(), int(bytes.size()), Deadline);
        QCOMPARE(link.input(), bytes);
    }

    // Above a threshold of one only the tick reads the line, still every byte in order, and
    // finds a hang-up; back at one, a four-byte acknowledgement wakes the event loop again.
    void readThreshold_tickCountsEveryByteInOrder_oneWakesForAnAcknowledgement()
    {
        QSerialPortLink& link = *m_link;
        const QByteArray frame = hexBytes("80 05 D0 2A 81");
        QString error;
        link.setPortOpen(true);
        QVERIFY(m_device->write(frame.left(1), error));
        QTRY_COMPARE_WITH_TIMEOUT(link.inBufferCount(), 1, Deadline);
        QCOMPARE(link.input(), frame.left(1));
        // A byte the port took in before the threshold rose is older than what follows.
        QVERIFY(m_device->write(frame.left(1), error));
        QTRY_COMPARE_WITH_TIMEOUT(link.inBufferCount(), 1, Deadline);
        link.setReadThreshold(64);
        QVERIFY(m_device->write(frame.mid(1), error));
        QTRY_COMPARE_WITH_TIMEOUT(link.inBufferCount(), 5, Deadline);
        QCOMPARE(link.input(), frame);
        QVERIFY(m_device->write(frame, error));
        QTRY_COMPARE_WITH_TIMEOUT(link.inBufferCount(), 5, Deadline);
        link.setReadThreshold(1);
        QVERIFY(m_device->write(hexBytes("80 04 E0 9C"), error));
        QTRY_COMPARE_WITH_TIMEOUT(link.inBufferCount(), 9, Deadline);
        QCOMPARE(link.input(), frame + hexBytes("80 04 E0 9C"));

        link.setReadThreshold(64);
        m_device->hangUp();
        QVERIFY(failureOf([&] { link.inBufferCount(); }).contains(" stopped working"));
    }
};

QTEST_GUILESS_MAIN(QSerialPortLinkTest)
#include "tst_QSerialPortLink.moc"
