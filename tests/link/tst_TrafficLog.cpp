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

    void options_capGivenInMebibytes()
    {
        QCommandLineParser parser;
        TrafficLog::addOptions(parser);
        QVERIFY(parser.parse({u"vorta-cal"_s, u"--log"_s, m_path, u"--log-max-mb"_s, u"3"_s}));
        QString error;
        const std::optional<TrafficLog::Options> options = TrafficLog::options(parser, error);
        QVERIFY(options && options->path == m_path);
        QCOMPARE(options->maxBytes, 3 * 1048576);
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
