#include "TestSupport.h"
#include "TrafficLog.h"

#include <QCommandLineParser>
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

    // The cap is given in mebibytes, 20 unless said; a line's time is in seconds with
    // milliseconds, right-aligned.
    void capInMebibytes_timeInSecondsWithMilliseconds()
    {
        QCommandLineParser parser;
        TrafficLog::addOptions(parser);
        QVERIFY(parser.parse({u"vorta-cal"_s, u"--log"_s, m_path}));
        QString error;
        QCOMPARE(TrafficLog::options(parser, error)->maxBytes, 20 * 1048576);
        QVERIFY(parser.parse({u"vorta-cal"_s, u"--log"_s, m_path, u"--log-max-mb"_s, u"3"_s}));
        const TrafficLog::Options options = TrafficLog::options(parser, error).value();
        QCOMPARE(QPair(options.path, options.maxBytes), QPair(m_path, qint64(3 * 1048576)));
        QCOMPARE(TrafficLog::line(3600007, TrafficLog::Kind::Sent, "80"), "   3600.007 TX 80\n");
    }

    // Each flush that would pass the cap moves the file to FILE.1, replacing the older one;
    // every file starts with the header.
    void cap_rotatesToDotOne_newFileStartsWithHeader()
    {
        TrafficLog log(m_path, 30, u"vorta-cal 1.0"_s, u"Comm Port 2 (/dev/ttyS1)"_s);
        for (const char* text : {"first", "second", "third"}) {
            log.event(QString::fromLatin1(text));
            log.flush();
        }
        QCOMPARE(records(m_path + u".1"_s).value(1), u"EV second"_s);
        const QStringList last = records(m_path);
        QCOMPARE(last.value(1), u"EV third"_s);
        QVERIFY(last.first().endsWith(u", vorta-cal 1.0, Comm Port 2 (/dev/ttyS1)"_s));
    }
};

QTEST_GUILESS_MAIN(TestTrafficLog)
#include "tst_TrafficLog.moc"
