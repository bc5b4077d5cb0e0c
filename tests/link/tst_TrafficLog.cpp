#include "FakeSerialLink.h"
#include "LoggingSerialLink.h"
#include "TestSupport.h"

#include <QTemporaryDir>
#include <QTest>

class TestTrafficLog : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_path;

    // A log file's records without their times.
    static QStringList records(const QString& path)
    {
        QStringList lines = QString::fromUtf8(fileContents(path)).split(u'\n', Qt::SkipEmptyParts);
        for (QString& line : lines)
            line.remove(0, 12);
        return lines;
    }

private Q_SLOTS:
    void init() { m_path = m_dir.filePath(QString::fromLatin1(QTest::currentTestFunction())); }

    // Only a change of settings is recorded; a failure is recorded and still thrown.
    void decorator_recordsTrafficSettingsAndFailures()
    {
        TrafficLog log(m_path);
        auto* fake = new FakeSerialLink;
        LoggingSerialLink link(std::unique_ptr<SerialLink>(fake), log);
        link.setPortOpen(true);
        link.output(hexBytes("80 04 00 7C"));
        fake->feed(hexBytes("80 01 D0 14 9B"));
        link.input();
        link.setSettings(u"57600,n,8,1"_s);
        link.setSettings(u"57600,n,8,1"_s);
        fake->failOutput = true;
        QVERIFY_THROWS_EXCEPTION(SerialError, link.output("\x80"));
        link.setPortOpen(false);
        log.flush();
        QCOMPARE(
            records(m_path).mid(1), // after "Log started" with the date and time
            QStringList({u"EV Opened Comm Port 1 (/dev/ttyS0) 9600,n,8,1"_s, u"TX 80 04 00 7C"_s,
                         u"RX 80 01 D0 14 9B"_s, u"EV Settings 57600,n,8,1"_s, u"TX 80"_s,
                         u"ER injected failure to send"_s, u"EV Closed Comm Port 1"_s}));
        QCOMPARE(TrafficLog::line(3600007, TrafficLog::Kind::Sent, "80"), "   3600.007 TX 80\n");
    }

    // Each flush that would pass the cap moves the file to FILE.1, replacing the older one.
    void cap_rotatesToDotOne()
    {
        TrafficLog log(m_path, 30);
        for (const char* text : {"first", "second", "third"}) {
            log.event(QString::fromLatin1(text));
            log.flush();
        }
        QCOMPARE(records(m_path + u".1"_s), QStringList{u"EV second"_s});
        QCOMPARE(records(m_path), QStringList{u"EV third"_s});
    }
};

QTEST_GUILESS_MAIN(TestTrafficLog)
#include "tst_TrafficLog.moc"
