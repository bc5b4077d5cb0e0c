#include "DeviceFrames.h"
#include "DeviceProtocol.h"
#include "PressureReplay.h"
#include "SimOptions.h"
#include "TestSupport.h"

#include <QTest>

// What the end-to-end run cannot see: that each line fault of the simulated device happens.
class TestDevsim : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // The answers to a write of 45 and a read of the static trip, as hex, and what is stored.
    void faults_changeWhatIsSentOrStored_data()
    {
        QTest::addColumn<QString>("options");
        QTest::addColumn<QByteArray>("answers");
        QTest::addColumn<int>("liveFrames");
        QTest::addColumn<int>("stored");
        QTest::newRow("none") << QString() << hexBytes("80 04 E0 9C 80 05 31 2D 1D") << 1 << 45;
        QTest::newRow("duplicate acks")
            << u"--duplicate-acks"_s << hexBytes("80 04 E0 9C 80 04 E0 9C 80 05 31 2D 1D") << 1
            << 45;
        QTest::newRow("every checksum spoilt")
            << u"--corrupt 1"_s << hexBytes("80 04 E0 9D 80 05 31 2D 1E") << 0 << 45;
        QTest::newRow("every answer dropped") << u"--drop 1"_s << QByteArray() << 1 << 45;
        QTest::newRow("silent") << u"--silent"_s << QByteArray() << 1 << 45;
        QTest::newRow("stored wrong")
            << u"--store-wrong 3"_s << hexBytes("80 04 E0 9C 80 05 31 2E 1C") << 1 << 46;
        QTest::newRow("stored wrong elsewhere")
            << u"--store-wrong 9"_s << hexBytes("80 04 E0 9C 80 05 31 2D 1D") << 1 << 45;
    }

    void faults_changeWhatIsSentOrStored()
    {
        QFETCH(QString, options);
        QFETCH(QByteArray, answers);
        QFETCH(int, liveFrames);
        QFETCH(int, stored);
        QString error;
        const auto parsed =
            SimOptions::parse(("vorta-devsim " + options).split(u' ', Qt::SkipEmptyParts), error);
        QVERIFY2(parsed, qPrintable(error));
        DeviceMemory memory;
        std::mt19937 random(7);
        DeviceProtocol protocol(memory, parsed->faults, random);
        const QByteArray bytes = BuildWriteRequest(Parameter::StaticTripSP, 45) +
                                 BuildReadRequest(Parameter::StaticTripSP);
        const QByteArray sent = protocol.receive(bytes).answers.join();
        QCOMPARE(hexText(sent), hexText(answers));
        QCOMPARE(memory.value(Parameter::StaticTripSP), stored);
        const QByteArray live = protocol.pressureFrame(57);
        QCOMPARE(int(ScanPressureFrames(live, int(live.size())).size()), liveFrames);
    }

    // A replay gives the recording's pressures in order, each when its time has come at
    // the chosen speed, and starts over at the end unless it plays once.
    void replay_givesTheRecordedPressuresInOrderAtTheirPace_data()
    {
        QTest::addColumn<double>("speed");
        QTest::addColumn<bool>("once");
        QTest::newRow("recorded pace, over and over") << 1.0 << false;
        QTest::newRow("twice as fast, once") << 2.0 << true;
    }
    void replay_givesTheRecordedPressuresInOrderAtTheirPace()
    {
        QFETCH(double, speed);
        QFETCH(bool, once);
        QString error;
        const auto recording = PressureRecording::read("# field\ntime,psi,event\n"
                                                       "2026-12-07T19:00:00.000Z,,Connect\n"
                                                       "2026-12-07T19:00:00.100Z,20,\n"
                                                       "2026-12-07T19:00:00.100Z,99,\n"
                                                       "2026-12-07T19:00:00.300Z,255,Auto Cal\n",
                                                       error);
        QVERIFY2(recording, qPrintable(error));
        auto replay = PressureReplay::fromRecording(*recording, speed, once, error);
        QVERIFY(replay);
        QList<int> played;
        // Every millisecond of two rounds, noting the time of each frame.
        QList<int> at;
        for (int ms = 0; ms <= 1000; ++ms) {
            while (const auto psi = replay->next(ms / 1000.0)) {
                played.append(*psi);
                at.append(ms);
            }
        }
        const int round = int(std::ceil((200 + 0.868) / speed));
        QList<int> expected{20, 99, 255};
        QList<int> times{0, 0, int(std::ceil(200 / speed))};
        for (int start = round; !once && start <= 1000; start += round) {
            expected += {20, 99};
            times += {start, start};
            if (start + 200 / speed <= 1000) {
                expected += 255;
                times += int(std::ceil(start + 200 / speed));
            }
        }
        QCOMPARE(played, expected);
        QCOMPARE(at, times);
        QCOMPARE(replay->finished(), once);
    }
};

QTEST_GUILESS_MAIN(TestDevsim)
#include "tst_Devsim.moc"
