#include "CommCycle.h"
#include "DeviceMemory.h"
#include "PortLink.h"
#include "RecordingCommView.h"
#include "Rfc2217Link.h"
#include "TestSupport.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>

using namespace std::chrono_literals;

namespace {

// Generous for a sanitizer build on a busy machine; a run normally takes a few seconds.
constexpr int Deadline = 30000;

quint16 freePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost);
    return probe.serverPort();
}

} // namespace

// The communication cycle through a serial server: Debian's ser2net on the loopback address in
// front of the simulated device's pseudo-terminal, in real time.
class TestRfc2217Link : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QProcess m_device;
    QProcess m_server;
    QString m_address;

    void startDeviceBehindServer(const QString& values)
    {
        if (QStandardPaths::findExecutable(u"ser2net"_s).isEmpty())
            QSKIP("ser2net is not installed (scripts/install-deps test)");
        m_device.start(QStringLiteral(VORTA_DEVSIM_PATH),
                       {u"--values"_s, values, u"--dump-on-write"_s, u"--dump"_s,
                        m_dir.filePath(u"memory.txt"_s), u"--log"_s,
                        m_dir.filePath(u"line.log"_s)});
        QVERIFY(QTest::qWaitFor([&] { return m_device.canReadLine(); }, Deadline));
        const QString pty = QString::fromLocal8Bit(m_device.readLine()).trimmed();
        const quint16 port = freePort();
        const QString config = m_dir.filePath(u"ser2net.yaml"_s);
        QVERIFY(writeFile(config, u"connection: &press\n"
                                  "  accepter: telnet(rfc2217),tcp,127.0.0.1,%1\n"
                                  "  connector: serialdev,%2,9600n81,local\n"_s.arg(port)
                                      .arg(pty)
                                      .toUtf8()));
        m_server.start(u"ser2net"_s, {u"-n"_s, u"-d"_s, u"-c"_s, config});
        QVERIFY(QTest::qWaitFor(
            [&] {
                QTcpSocket probe;
                probe.connectToHost(QHostAddress::LocalHost, port);
                return probe.waitForConnected(100);
            },
            Deadline));
        m_address = u"rfc2217://127.0.0.1:%1"_s.arg(port);
    }

private Q_SLOTS:
    void cleanup()
    {
        for (QProcess* process : {&m_server, &m_device}) {
            process->terminate();
            process->waitForFinished(Deadline);
        }
    }

    // Connect reads the nine values, the live stream runs at 57600 baud on the far line, a
    // Download writes every row and the line goes back to the stream; Disconnect closes it.
    void connectUploadLiveDownload_overSer2net_deviceAndProgramAgree()
    {
        startDeviceBehindServer(u"1234567,7654321,4242,90,200,91,92,40000,65535"_s);
        PortNames names;
        names.setOverride(1, m_address);
        const std::unique_ptr<SerialLink> link = PortLink::create(names);
        RecordingCommView view;
        ParameterSet set;
        CommCycle cycle(*link, set, view, view);
        cycle.connect(1);
        QTRY_VERIFY_WITH_TIMEOUT(view.lines.filter(u"needle "_s).size() > 20, Deadline);
        QCOMPARE(set, (ParameterSet{1234567, 7654321, 4242, 90, 200, 91, 92, 40000, 65535}));
        QVERIFY(fileContents(m_dir.filePath(u"line.log"_s)).contains("EV Line at 57600 baud"));

        set.assign(Parameter(3), 45);
        cycle.startDownload(1);
        QTRY_COMPARE_WITH_TIMEOUT(fileContents(m_dir.filePath(u"memory.txt"_s)),
                                  DeviceMemory(set).dumpText(), Deadline);
        QTRY_VERIFY_WITH_TIMEOUT(view.lines.contains(u"status Download Complete"_s), Deadline);
        cycle.disconnect();
        QVERIFY(!link->portOpen());
        QVERIFY2(view.lines.filter(u"message"_s).isEmpty(),
                 qPrintable(view.lines.filter(u"message"_s).join(u'\n')));
    }

    void failure_shownWithItsCause_data()
    {
        QTest::addColumn<QString>("where");
        QTest::addColumn<QString>("cause");
        QTest::newRow("host not found") << u"rfc2217://press.invalid:4001"_s << u"was not found"_s;
        QTest::newRow("connection refused") << u"refused"_s << u"refused the connection"_s;
        QTest::newRow("no RFC 2217") << u"silent"_s << u"does not speak RFC 2217"_s;
        QTest::newRow("connection lost") << u"lost"_s << u"was lost during use"_s;
        QTest::newRow("no port number") << u"rfc2217://10.0.0.1"_s << u"Write it as"_s;
    }

    void failure_shownWithItsCause()
    {
        QFETCH(QString, where);
        QFETCH(QString, cause);
        QTcpServer silent;
        if (where == u"refused"_s) {
            where = u"rfc2217://127.0.0.1:%1"_s.arg(freePort());
        } else if (where == u"silent"_s) {
            QVERIFY(silent.listen(QHostAddress::LocalHost));
            where = u"rfc2217://127.0.0.1:%1"_s.arg(silent.serverPort());
        } else if (where == u"lost"_s) {
            startDeviceBehindServer(u"1,2,3,4,5,6,7,8,9"_s);
            where = m_address;
        }
        PortNames names;
        names.setOverride(1, where);
        Rfc2217Link link(names, 1s);
        RecordingCommView view;
        ParameterSet set;
        CommCycle cycle(link, set, view, view);
        cycle.connect(1);
        if (m_server.state() == QProcess::Running) {
            QTRY_VERIFY_WITH_TIMEOUT(view.lines.contains(u"status Waiting for data"_s), Deadline);
            m_server.kill();
        }
        QTRY_VERIFY_WITH_TIMEOUT(!view.lines.filter(u"message"_s).isEmpty(), Deadline);
        QVERIFY2(view.lines.filter(u"message"_s).first().contains(cause),
                 qPrintable(view.lines.filter(u"message"_s).first()));
        QVERIFY(!cycle.timer().isActive() && !link.portOpen());
    }
};

QTEST_GUILESS_MAIN(TestRfc2217Link)
#include "tst_Rfc2217Link.moc"
