#include "DeviceFrames.h"
#include "TestSupport.h"

#include <QTest>

using P = Parameter;

class TestDeviceFrames : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // An empty frame: the value does not fit its data bytes, and nothing is built.
    void writeRequests_encodeValueMostSignificantFirst_orFail_data()
    {
        QTest::addColumn<Parameter>("parameter");
        QTest::addColumn<int>("value");
        QTest::addColumn<QByteArray>("frame");
        const auto row = [](const char* name, Parameter p, int value, const char* frame) {
            QTest::newRow(name) << p << value << hexBytes(frame);
        };
        row("count 123456", P::ShutDownCountSP, 123456, "80 07 02 01 E2 40 54");
        row("static trip 45", P::StaticTripSP, 45, "80 05 32 2D 1C");
        row("static faults 1000 at address 9", P::StaticFaultCount, 1000, "80 06 92 03 E8 FD");
        row("actual count -1 sends low 24 bits", P::ActualCount, -1, "80 07 22 FF FF FF 5A");
        row("count 16777216 is cut to 24 bits", P::WarningCountSP, 16777216,
            "80 07 12 00 00 00 67");
        row("dynamic faults at address 7", P::DynamicFaultCount, 65535, "80 06 72 FF FF 0A");
        row("count trip at address 5", P::CountTripSP, 0, "80 05 52 00 29");
        row("one byte 256", P::StaticTripSP, 256, "");
        row("one byte -1", P::StaticTripTimer, -1, "");
        row("two bytes 65536", P::DynamicFaultCount, 65536, "");
        row("two bytes -1", P::StaticFaultCount, -1, "");
    }

    void writeRequests_encodeValueMostSignificantFirst_orFail()
    {
        QFETCH(Parameter, parameter);
        QFETCH(int, value);
        QFETCH(QByteArray, frame);
        if (frame.isEmpty())
            QVERIFY_THROWS_EXCEPTION(FrameError, BuildWriteRequest(parameter, value));
        else
            QCOMPARE(hexText(BuildWriteRequest(parameter, value)), hexText(frame));
    }

    // Every position is examined, also inside a frame; bytes beyond the count are not.
    void readReplies_decodeAndLimit_data()
    {
        QTest::addColumn<Parameter>("parameter");
        QTest::addColumn<QByteArray>("batch");
        QTest::addColumn<int>("count");
        QTest::addColumn<QList<int>>("values");
        const auto row = [](const char* name, Parameter p, const char* batch, QList<int> values,
                            int count = -1) {
            const QByteArray bytes = hexBytes(batch);
            QTest::newRow(name) << p << bytes << (count < 0 ? int(bytes.size()) : count) << values;
        };
        row("9999999 kept", P::ShutDownCountSP, "80 07 01 98 96 7F CB", {9999999});
        row("10000000 becomes 0", P::ShutDownCountSP, "80 07 01 98 96 80 CA", {0});
        row("FF FF FF becomes 0", P::WarningCountSP, "80 07 11 FF FF FF 6B", {0});
        row("trip 100 held at 99", P::StaticTripSP, "80 05 31 64 E6", {99});
        row("count trip 200 held at 99", P::CountTripSP, "80 05 51 C8 62", {99});
        row("timer 200 kept", P::StaticTripTimer, "80 05 41 C8 72", {200});
        row("dynamic faults FF FF", P::DynamicFaultCount, "80 06 71 FF FF 0B", {65535});
        row("frame at the very end", P::StaticTripSP, "11 22 80 33 80 05 31 2D 1D", {45});
        row("bytes beyond count not examined", P::StaticTripSP, "80 05 31 2D 1D", {}, 4);
        row("count larger than the batch", P::StaticTripSP, "80 05 31 2D 1D", {45}, 50);
        row("two replies in order", P::StaticTripTimer, "80 05 41 0A 30 80 05 41 14 26", {10, 20});
        row("wrong length byte accepted", P::StaticTripSP, "80 09 31 2D 19", {45});
        row("other parameter ignored", P::ActualCount, "80 07 11 00 00 01 67", {});
        row("wrong checksum ignored", P::StaticTripSP, "80 05 31 2D 1C", {});
        row("start byte inside a frame", P::StaticTripSP, "80 05 31 80 CA 31 2D 58", {99, 45});
    }

    void readReplies_decodeAndLimit()
    {
        QFETCH(Parameter, parameter);
        QFETCH(QByteArray, batch);
        QFETCH(int, count);
        QFETCH(QList<int>, values);
        const std::vector<std::int32_t> found = ScanReadReplies(batch, count, parameter);
        QCOMPARE(QList<int>(found.begin(), found.end()), values);
    }

    // Every batch goes through both scanners: an acknowledgement is no pressure frame and
    // a pressure frame no acknowledgement.
    void acksAndPressureFrames_foundByStartCommandAndChecksum_data()
    {
        QTest::addColumn<QByteArray>("batch");
        QTest::addColumn<int>("acks");
        QTest::addColumn<QList<int>>("pressures");
        const auto row = [](const char* name, const char* batch, int acks, QList<int> pressures) {
            QTest::newRow(name) << hexBytes(batch) << acks << pressures;
        };
        row("noise around an ack", "13 80 11 80 04 E0 9C 00 FF", 1, {});
        row("two acks", "80 04 E0 9C 80 04 E0 9C", 2, {});
        row("ack, any length byte", "80 00 E0 A0", 1, {});
        row("ack, bad checksum", "80 04 E0 9D", 0, {});
        row("other command", "80 04 E1 9B", 0, {});
        row("ack cut", "00 80 04 E0", 0, {});
        row("57 PSI", "80 07 D0 39 70", 0, {57});
        row("57, wrong checksum", "80 07 D0 39 10", 0, {});
        row("150 unclamped here", "80 00 D0 96 1A", 0, {150});
        row("checksum 0", "80 00 D0 B0 00", 0, {176});
        row("two frames", "80 07 D0 39 70 80 07 D0 3A 6F", 0, {57, 58});
        row("start byte as pressure", "80 00 D0 80 30", 0, {128});
    }

    void acksAndPressureFrames_foundByStartCommandAndChecksum()
    {
        QFETCH(QByteArray, batch);
        QFETCH(int, acks);
        QFETCH(QList<int>, pressures);
        QCOMPARE(CountWriteAcks(batch, int(batch.size())), acks);
        const std::vector<std::uint8_t> found = ScanPressureFrames(batch, int(batch.size()));
        QCOMPARE(QList<int>(found.begin(), found.end()), pressures);
    }
};

QTEST_APPLESS_MAIN(TestDeviceFrames)
#include "tst_DeviceFrames.moc"
