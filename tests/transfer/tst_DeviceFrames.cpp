#include "DeviceFrames.h"
#include "TestSupport.h"

#include <QTest>

using P = Parameter;

namespace {

template <typename T> QList<int> asList(const std::vector<T>& values)
{
    return QList<int>(values.begin(), values.end());
}

} // namespace

class TestDeviceFrames : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void checksum_makesFrameSumAMultipleOf256_data()
    {
        QTest::addColumn<QByteArray>("leading");
        QTest::addColumn<int>("checksum");
        QTest::newRow("read request address 0") << hexBytes("80 04 00") << 0x7C;
        QTest::newRow("sum a multiple of 256 gives 0") << hexBytes("80 00 D0 B0") << 0;
        QTest::newRow("live frame 57 PSI") << hexBytes("80 07 D0 39") << 112;
        QTest::newRow("empty") << QByteArray() << 0;
    }

    void checksum_makesFrameSumAMultipleOf256()
    {
        QFETCH(QByteArray, leading);
        QFETCH(int, checksum);
        QCOMPARE(int(FrameChecksum(leading)), checksum);
    }

    void readRequests_matchTheDeviceTable_data()
    {
        QTest::addColumn<Parameter>("parameter");
        QTest::addColumn<QByteArray>("frame");
        QTest::newRow("ShutDownCountSP") << P::ShutDownCountSP << hexBytes("80 04 00 7C");
        QTest::newRow("WarningCountSP") << P::WarningCountSP << hexBytes("80 04 10 6C");
        QTest::newRow("ActualCount") << P::ActualCount << hexBytes("80 04 20 5C");
        QTest::newRow("StaticTripSP") << P::StaticTripSP << hexBytes("80 04 30 4C");
        QTest::newRow("StaticTripTimer") << P::StaticTripTimer << hexBytes("80 04 40 3C");
        QTest::newRow("CountTripSP") << P::CountTripSP << hexBytes("80 04 50 2C");
        QTest::newRow("DynamicTripSP") << P::DynamicTripSP << hexBytes("80 04 60 1C");
        QTest::newRow("DynamicFaultCount") << P::DynamicFaultCount << hexBytes("80 04 70 0C");
        QTest::newRow("StaticFaultCount") << P::StaticFaultCount << hexBytes("80 04 90 EC");
    }

    void readRequests_matchTheDeviceTable()
    {
        QFETCH(Parameter, parameter);
        QFETCH(QByteArray, frame);
        QCOMPARE(hexText(BuildReadRequest(parameter)), hexText(frame));
    }

    // An empty frame: the value does not fit its data bytes, and nothing is built.
    void writeRequests_encodeValueMostSignificantFirst_orFail_data()
    {
        QTest::addColumn<Parameter>("parameter");
        QTest::addColumn<int>("value");
        QTest::addColumn<QByteArray>("frame");
        QTest::newRow("count 123456")
            << P::ShutDownCountSP << 123456 << hexBytes("80 07 02 01 E2 40 54");
        QTest::newRow("static trip 45") << P::StaticTripSP << 45 << hexBytes("80 05 32 2D 1C");
        QTest::newRow("static faults 1000")
            << P::StaticFaultCount << 1000 << hexBytes("80 06 92 03 E8 FD");
        QTest::newRow("actual count -1 sends low 24 bits")
            << P::ActualCount << -1 << hexBytes("80 07 22 FF FF FF 5A");
        QTest::newRow("count 16777216 is cut to 24 bits")
            << P::WarningCountSP << 16777216 << hexBytes("80 07 12 00 00 00 67");
        QTest::newRow("dynamic faults at address 7")
            << P::DynamicFaultCount << 65535 << hexBytes("80 06 72 FF FF 0A");
        QTest::newRow("timer 255") << P::StaticTripTimer << 255 << hexBytes("80 05 42 FF 3A");
        QTest::newRow("count trip at address 5")
            << P::CountTripSP << 0 << hexBytes("80 05 52 00 29");
        QTest::newRow("one byte 256") << P::StaticTripSP << 256 << QByteArray();
        QTest::newRow("one byte -1") << P::StaticTripTimer << -1 << QByteArray();
        QTest::newRow("timer 300") << P::StaticTripTimer << 300 << QByteArray();
        QTest::newRow("two bytes 65536") << P::DynamicFaultCount << 65536 << QByteArray();
        QTest::newRow("two bytes -1") << P::StaticFaultCount << -1 << QByteArray();
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

    void readReplies_decodeAndLimit_data()
    {
        QTest::addColumn<Parameter>("parameter");
        QTest::addColumn<QByteArray>("batch");
        QTest::addColumn<int>("count");
        QTest::addColumn<QList<int>>("values");
        const QByteArray maxCount = hexBytes("80 07 01 98 96 7F CB");
        QTest::newRow("9999999 kept") << P::ShutDownCountSP << maxCount << 7 << QList<int>{9999999};
        QTest::newRow("10000000 becomes 0")
            << P::ShutDownCountSP << hexBytes("80 07 01 98 96 80 CA") << 7 << QList<int>{0};
        QTest::newRow("trip 100 held at 99")
            << P::StaticTripSP << hexBytes("80 05 31 64 E6") << 5 << QList<int>{99};
        QTest::newRow("static faults 40000")
            << P::StaticFaultCount << hexBytes("80 06 91 9C 40 0D") << 6 << QList<int>{40000};
        QTest::newRow("timer 200 kept")
            << P::StaticTripTimer << hexBytes("80 05 41 C8 72") << 5 << QList<int>{200};
        QTest::newRow("count trip 200 held at 99")
            << P::CountTripSP << hexBytes("80 05 51 C8 62") << 5 << QList<int>{99};
        QTest::newRow("warning FF FF FF becomes 0")
            << P::WarningCountSP << hexBytes("80 07 11 FF FF FF 6B") << 7 << QList<int>{0};
        QTest::newRow("warning 00 00 00")
            << P::WarningCountSP << hexBytes("80 07 11 00 00 00 68") << 7 << QList<int>{0};
        QTest::newRow("dynamic faults FF FF")
            << P::DynamicFaultCount << hexBytes("80 06 71 FF FF 0B") << 6 << QList<int>{65535};
        QTest::newRow("frame at the very end")
            << P::ShutDownCountSP << hexBytes("11 22 80 33") + maxCount << 11
            << QList<int>{9999999};
        QTest::newRow("cut by one byte")
            << P::ShutDownCountSP << hexBytes("00") + maxCount << 7 << QList<int>{};
        QTest::newRow("bytes beyond count not examined")
            << P::ShutDownCountSP << maxCount << 6 << QList<int>{};
        QTest::newRow("two replies, both decoded in order")
            << P::StaticTripTimer << hexBytes("80 05 41 0A 30 80 05 41 14 26") << 10
            << QList<int>{10, 20};
        QTest::newRow("wrong length byte accepted")
            << P::StaticTripSP << hexBytes("80 09 31 2D 19") << 5 << QList<int>{45};
        QTest::newRow("other parameter ignored")
            << P::ActualCount << hexBytes("80 07 11 00 00 01 67") << 7 << QList<int>{};
        QTest::newRow("wrong checksum ignored")
            << P::StaticTripSP << hexBytes("80 05 31 2D 1C") << 5 << QList<int>{};
        QTest::newRow("overlapping candidates: start byte inside a frame")
            << P::StaticTripSP << hexBytes("80 05 31 80 CA 31 2D 58") << 8 << QList<int>{99, 45};
        QTest::newRow("count larger than the batch")
            << P::StaticTripSP << hexBytes("80 05 31 2D 1D") << 50 << QList<int>{45};
    }

    void readReplies_decodeAndLimit()
    {
        QFETCH(Parameter, parameter);
        QFETCH(QByteArray, batch);
        QFETCH(int, count);
        QFETCH(QList<int>, values);
        QCOMPARE(asList(ScanReadReplies(batch, count, parameter)), values);
    }

    // Every batch goes through both scanners: an acknowledgement is no pressure frame and
    // a pressure frame no acknowledgement.
    void acksAndPressureFrames_foundByStartCommandAndChecksum_data()
    {
        QTest::addColumn<QByteArray>("batch");
        QTest::addColumn<int>("acks");
        QTest::addColumn<QList<int>>("pressures");
        QTest::newRow("one ack") << hexBytes("80 04 E0 9C") << 1 << QList<int>{};
        QTest::newRow("noise around an ack")
            << hexBytes("13 80 11 80 04 E0 9C 00 FF") << 1 << QList<int>{};
        QTest::newRow("two acks") << hexBytes("80 04 E0 9C 80 04 E0 9C") << 2 << QList<int>{};
        QTest::newRow("ack, any length byte") << hexBytes("80 00 E0 A0") << 1 << QList<int>{};
        QTest::newRow("ack, bad checksum") << hexBytes("80 04 E0 9D") << 0 << QList<int>{};
        QTest::newRow("other command") << hexBytes("80 04 E1 9B") << 0 << QList<int>{};
        QTest::newRow("ack cut") << hexBytes("00 80 04 E0") << 0 << QList<int>{};
        QTest::newRow("57 PSI") << hexBytes("80 07 D0 39 70") << 0 << QList<int>{57};
        QTest::newRow("57, wrong checksum") << hexBytes("80 07 D0 39 10") << 0 << QList<int>{};
        QTest::newRow("150 unclamped here") << hexBytes("80 00 D0 96 1A") << 0 << QList<int>{150};
        QTest::newRow("checksum 0") << hexBytes("80 00 D0 B0 00") << 0 << QList<int>{176};
        QTest::newRow("two frames")
            << hexBytes("80 07 D0 39 70 80 07 D0 3A 6F") << 0 << QList<int>{57, 58};
        QTest::newRow("start byte as pressure")
            << hexBytes("80 00 D0 80 30") << 0 << QList<int>{128};
    }

    void acksAndPressureFrames_foundByStartCommandAndChecksum()
    {
        QFETCH(QByteArray, batch);
        QFETCH(int, acks);
        QFETCH(QList<int>, pressures);
        QCOMPARE(CountWriteAcks(batch, int(batch.size())), acks);
        QCOMPARE(asList(ScanPressureFrames(batch, int(batch.size()))), pressures);
    }
};

QTEST_APPLESS_MAIN(TestDeviceFrames)
#include "tst_DeviceFrames.moc"
