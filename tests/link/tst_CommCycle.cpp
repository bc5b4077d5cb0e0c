#include "CommCycle.h"
#include "DeviceFrames.h"
#include "DeviceProtocol.h"
#include "FakeSerialLink.h"
#include "LoggingSerialLink.h"
#include "RecordingCommView.h"
#include "TestSupport.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

// The cycle without a window: a scripted session against the simulated device's protocol on
// an in-memory line, its every view call, message and traffic-log record kept in one
// transcript and compared with the kept copy in tests/data.
class TestCommCycle : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

private Q_SLOTS:
    void session_matchesTheKeptTranscript()
    {
        DeviceMemory memory(exampleValues());
        std::mt19937 random;
        DeviceProtocol device(memory, FaultSettings{}, random);
        const QString logPath = m_dir.filePath(u"session.log"_s);
        auto log = std::make_unique<TrafficLog>(logPath);
        auto* fake = new FakeSerialLink;
        LoggingSerialLink link(std::unique_ptr<SerialLink>(fake), *log);
        bool dropAnswer = false;
        bool silent = false;
        fake->onOutput = [&](const QByteArray& frame) {
            for (const QByteArray& answer : device.receive(frame).answers)
                if (!silent && !std::exchange(dropAnswer, false))
                    fake->feed(answer);
        };
        RecordingCommView view;
        ParameterSet set;
        CommCycle cycle(link, set, view, view);
        cycle.setTrafficLog(log.get());
        qint64 now = 0;
        cycle.setClock([&now] { return now; });
        fake->setSettings(u"57600,n,8,1"_s); // as a program before left the line
        QStringList& lines = view.lines;
        const auto ticks = [&](int count) {
            for (int i = 0; i < count; ++i) {
                cycle.tick();
                const QString timer = cycle.timer().isActive()
                                          ? u"next in %1 ms"_s.arg(cycle.timer().interval())
                                          : u"timer off"_s;
                lines << u"-- tick, %1, the line wakes at %2 bytes"_s.arg(timer).arg(
                    fake->readThreshold);
            }
        };
        const auto feed = [&](const QByteArray& bytes) {
            lines << u"== line brings "_s + hexText(bytes);
            fake->feed(bytes);
        };

        lines << u"== Connect Comm Port 1 and Disconnect before the first tick"_s;
        cycle.connect(1);
        cycle.disconnect();
        lines << u"== Connect Comm Port 1, which cannot be taken"_s;
        fake->failCommPort = true;
        cycle.connect(1);
        fake->failCommPort = false;
        lines << u"== Connect Comm Port 2, the first reply lost"_s;
        cycle.connect(2);
        dropAnswer = true;
        ticks(12);
        feed(BuildPressureFrame(0) + '\0');
        ticks(1);
        feed(BuildPressureFrame(42) + '\0');
        ticks(1);
        feed(BuildPressureFrame(20) + BuildPressureFrame(120) + BuildPressureFrame(57));
        ticks(1);
        feed(hexBytes("80 07 D0 39 10 55 66"));
        ticks(1);
        feed(BuildPressureFrame(30));
        ticks(1);

        lines << u"== Download with Static Trip Pressure 33, an acknowledgement lost"_s;
        set.StaticTripSP = 33;
        cycle.startDownload(2);
        feed(BuildPressureFrame(31));
        ticks(1);
        lines << u"== Overcount S.P. edited after its row was written"_s;
        set.ShutDownCountSP = 77;
        ticks(2);
        dropAnswer = true;
        ticks(1);
        feed(hexBytes("12 34 56 78"));
        ticks(8);
        feed(BuildPressureFrame(32) + '\0');
        ticks(1);

        lines << u"== Read back, the device stored Static Trip Pressure 34"_s;
        memory.store(Parameter::StaticTripSP, 34);
        cycle.readBack(2);
        ticks(10);
        feed(BuildPressureFrame(33) + '\0');
        ticks(1);
        lines << u"== Read back from a device that falls silent"_s;
        cycle.readBack(2);
        silent = true;
        ticks(1);
        now += CommCycle::SilenceHintAfter;
        ticks(1);
        silent = false;

        lines << u"== Download with a timer too wide for its frame"_s;
        set.StaticTripTimer = 300;
        cycle.startDownload(2);
        feed(BuildPressureFrame(31));
        ticks(6);

        lines << u"== Connect Comm Port 1, the line fails during the upload"_s;
        cycle.connect(1);
        ticks(2);
        fake->failOutput = true;
        ticks(1);
        lines << u"== Download on Comm Port 2 with Overcount S.P. 78, unacknowledged, silence"_s;
        set.StaticTripTimer = 10;
        set.ShutDownCountSP = 78;
        fake->failOutput = false;
        cycle.startDownload(2);
        dropAnswer = true;
        feed(hexBytes("12 34 56 78"));
        ticks(1);
        now += CommCycle::SilenceHintAfter;
        QCOMPARE(cycle.silentFor(), CommCycle::SilenceHintAfter);
        ticks(1);
        cycle.disconnect();
        lines << u"== Connect Comm Port 2, which cannot be opened"_s;
        fake->failOutput = false;
        fake->failOpen = true;
        cycle.connect(2);
        ticks(1);
        lines << u"== Disconnect"_s;
        cycle.disconnect();
        lines << u"-- the line wakes at %1 bytes"_s.arg(fake->readThreshold);

        lines << u"== traffic log, without times and the first line"_s;
        log.reset();
        const QStringList records =
            QString::fromUtf8(fileContents(logPath)).split(u'\n', Qt::SkipEmptyParts).mid(1);
        for (const QString& record : records)
            lines << record.mid(12);
        lines << u"== device memory"_s << QString::fromLatin1(memory.dumpText()).split(u'\n');

        const QString kept = keptFile("comm_cycle_session.txt");
        const QString actual =
            QDir(QCoreApplication::applicationDirPath()).filePath(u"comm_cycle_session.txt"_s);
        const QByteArray transcript = lines.join(u'\n').toUtf8() + '\n';
        if (transcript != fileContents(kept)) {
            QVERIFY(writeFile(actual, transcript));
            QFAIL(qPrintable(u"the session differs from %1; this run's is %2"_s.arg(kept, actual)));
        }
    }
};

QTEST_GUILESS_MAIN(TestCommCycle)
#include "tst_CommCycle.moc"
