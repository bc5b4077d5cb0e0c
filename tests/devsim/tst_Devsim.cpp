#include "DeviceFrames.h"
#include "DeviceProtocol.h"
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
};

QTEST_GUILESS_MAIN(TestDevsim)
#include "tst_Devsim.moc"
