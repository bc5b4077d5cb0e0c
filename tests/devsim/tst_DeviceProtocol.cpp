#include "DeviceFrames.h"
#include "DeviceProtocol.h"
#include "TestSupport.h"

#include <QTest>

#include <memory>

class TestDeviceProtocol : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();

    void readRequest_isAnsweredWithStoredValue_data();
    void readRequest_isAnsweredWithStoredValue();
    void writeRequest_isStoredAndAcknowledgedOnce_data();
    void writeRequest_isStoredAndAcknowledgedOnce();
    void framesThatAreNoRequest_areIgnored_data();
    void framesThatAreNoRequest_areIgnored();
    void requestSplitAcrossChunks_isAnsweredWhenComplete_data();
    void requestSplitAcrossChunks_isAnsweredWhenComplete();
    void answeredRequest_isNotAnsweredAgainByLaterBytes();
    void requestsAmongNoise_areAnsweredInLineOrder();
    void endlessNoise_keepsNoMoreThanOneUnfinishedFrame();
    void discardPending_forgetsAHalfReceivedRequest();
    void duplicateAcks_sendEveryAckTwiceButRepliesOnce();
    void deviceThatSendsNothing_stillStoresWrites_data();
    void deviceThatSendsNothing_stillStoresWrites();
    void corruptAll_spoilsEveryChecksumButKeepsTheFrameShape();
    void dropHalf_dropsRoughlyHalfTheAnswers();
    void pressureFrame_isAValidLiveFrame_data();
    void pressureFrame_isAValidLiveFrame();

private:
    DeviceProtocol& protocol();

    FaultSettings m_faults;
    std::mt19937 m_random;
    std::unique_ptr<DeviceMemory> m_memory;
    std::unique_ptr<DeviceProtocol> m_protocol;
};

namespace {

ParameterSet sampleValues()
{
    ParameterSet values;
    values.ShutDownCountSP = 9999999;
    values.WarningCountSP = 0;
    values.ActualCount = 123456;
    values.StaticTripSP = 100;
    values.StaticTripTimer = 200;
    values.DynamicTripSP = 0;
    values.CountTripSP = 45;
    values.StaticFaultCount = 40000;
    values.DynamicFaultCount = 1000;
    return values;
}

const QByteArray Ack = hexBytes("80 04 E0 9C");

} // namespace

void TestDeviceProtocol::init()
{
    m_faults = FaultSettings{};
    m_random.seed(7);
    m_memory = std::make_unique<DeviceMemory>(sampleValues());
    m_protocol.reset();
}

DeviceProtocol& TestDeviceProtocol::protocol()
{
    if (!m_protocol)
        m_protocol = std::make_unique<DeviceProtocol>(*m_memory, m_faults, m_random);
    return *m_protocol;
}

void TestDeviceProtocol::readRequest_isAnsweredWithStoredValue_data()
{
    QTest::addColumn<Parameter>("parameter");
    QTest::addColumn<std::int32_t>("stored");
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<std::int32_t>("toolReads");
    QTest::newRow("count at its limit")
        << Parameter::ShutDownCountSP << 9999999 << hexBytes("80 07 01 98 96 7F CB") << 9999999;
    QTest::newRow("count past the limit is sent as stored")
        << Parameter::ShutDownCountSP << 10000000 << hexBytes("80 07 01 98 96 80 CA") << 0;
    QTest::newRow("zero count") << Parameter::WarningCountSP << 0
                                << hexBytes("80 07 11 00 00 00 68") << 0;
    QTest::newRow("actual count") << Parameter::ActualCount << 123456
                                  << hexBytes("80 07 21 01 E2 40 35") << 123456;
    QTest::newRow("trip set-point above 99")
        << Parameter::StaticTripSP << 100 << hexBytes("80 05 31 64 E6") << 99;
    QTest::newRow("timer keeps any byte")
        << Parameter::StaticTripTimer << 200 << hexBytes("80 05 41 C8 72") << 200;
    QTest::newRow("count trip at address 5")
        << Parameter::CountTripSP << 45 << hexBytes("80 05 51 2D FD") << 45;
    QTest::newRow("dynamic trip at address 6")
        << Parameter::DynamicTripSP << 0 << hexBytes("80 05 61 00 1A") << 0;
    QTest::newRow("dynamic fault count at address 7")
        << Parameter::DynamicFaultCount << 1000 << hexBytes("80 06 71 03 E8 1E") << 1000;
    QTest::newRow("static fault count at address 9")
        << Parameter::StaticFaultCount << 40000 << hexBytes("80 06 91 9C 40 0D") << 40000;
}

void TestDeviceProtocol::readRequest_isAnsweredWithStoredValue()
{
    QFETCH(Parameter, parameter);
    QFETCH(std::int32_t, stored);
    QFETCH(QByteArray, reply);
    QFETCH(std::int32_t, toolReads);

    m_memory->store(parameter, stored);
    const DeviceProtocol::Outcome outcome = protocol().receive(BuildReadRequest(parameter));

    QCOMPARE(outcome.answers, QList<QByteArray>{reply});
    QCOMPARE(outcome.stored, 0);
    const auto decoded = ScanReadReplies(reply, int(reply.size()), parameter);
    QCOMPARE(decoded, std::vector<std::int32_t>{toolReads});
}

void TestDeviceProtocol::writeRequest_isStoredAndAcknowledgedOnce_data()
{
    QTest::addColumn<Parameter>("parameter");
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<std::int32_t>("stored");
    QTest::newRow("three data bytes")
        << Parameter::ShutDownCountSP << hexBytes("80 07 02 01 E2 40 54") << 123456;
    QTest::newRow("all 24 bits set")
        << Parameter::ActualCount << hexBytes("80 07 22 FF FF FF 5A") << 16777215;
    QTest::newRow("one data byte") << Parameter::StaticTripSP << hexBytes("80 05 32 2D 1C") << 45;
    QTest::newRow("two data bytes at address 9")
        << Parameter::StaticFaultCount << hexBytes("80 06 92 03 E8 FD") << 1000;
    QTest::newRow("wrong length byte still accepted")
        << Parameter::CountTripSP << hexBytes("80 09 52 07 1E") << 7;
}

void TestDeviceProtocol::writeRequest_isStoredAndAcknowledgedOnce()
{
    QFETCH(Parameter, parameter);
    QFETCH(QByteArray, request);
    QFETCH(std::int32_t, stored);

    const DeviceProtocol::Outcome outcome = protocol().receive(request);

    QCOMPARE(outcome.answers, QList<QByteArray>{Ack});
    QCOMPARE(outcome.stored, 1);
    QCOMPARE(m_memory->value(parameter), stored);
    QCOMPARE(CountWriteAcks(Ack, int(Ack.size())), 1);
}

void TestDeviceProtocol::framesThatAreNoRequest_areIgnored_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("read request, bad checksum") << hexBytes("80 04 00 7D");
    QTest::newRow("write request, bad checksum") << hexBytes("80 05 32 2D 1D");
    QTest::newRow("read request for address 8") << hexBytes("80 04 80 FC");
    QTest::newRow("write request for address 8") << hexBytes("80 05 82 01 F8");
    QTest::newRow("a read reply") << hexBytes("80 05 31 64 E6");
    QTest::newRow("an acknowledgement") << hexBytes("80 04 E0 9C");
    QTest::newRow("a pressure frame") << hexBytes("80 07 D0 39 70");
    QTest::newRow("no start byte") << hexBytes("81 04 00 7B");
}

void TestDeviceProtocol::framesThatAreNoRequest_areIgnored()
{
    QFETCH(QByteArray, bytes);
    const DeviceProtocol::Outcome outcome = protocol().receive(bytes);
    QVERIFY(outcome.answers.isEmpty());
    QCOMPARE(outcome.stored, 0);
    QCOMPARE(m_memory->values(), sampleValues());
}

void TestDeviceProtocol::requestSplitAcrossChunks_isAnsweredWhenComplete_data()
{
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<int>("split");
    const QByteArray write = hexBytes("80 07 02 01 E2 40 54");
    for (int split = 1; split < write.size(); ++split)
        QTest::addRow("write, %d bytes first", split) << write << split;
    const QByteArray read = hexBytes("80 04 30 4C");
    for (int split = 1; split < read.size(); ++split)
        QTest::addRow("read, %d bytes first", split) << read << split;
}

void TestDeviceProtocol::requestSplitAcrossChunks_isAnsweredWhenComplete()
{
    QFETCH(QByteArray, request);
    QFETCH(int, split);

    QVERIFY(protocol().receive(hexBytes("55 80") + request.left(split)).answers.isEmpty());
    const DeviceProtocol::Outcome outcome = protocol().receive(request.mid(split));
    QCOMPARE(outcome.answers.size(), 1);
    QCOMPARE(protocol().pendingSize(), 0);
}

void TestDeviceProtocol::answeredRequest_isNotAnsweredAgainByLaterBytes()
{
    QCOMPARE(protocol().receive(BuildReadRequest(Parameter::StaticTripSP)).answers.size(), 1);
    QVERIFY(protocol().receive(hexBytes("00")).answers.isEmpty());
    QVERIFY(protocol().receive(hexBytes("11 22 33 44 55 66 77")).answers.isEmpty());
}

void TestDeviceProtocol::requestsAmongNoise_areAnsweredInLineOrder()
{
    const QByteArray bytes = hexBytes("80 80 12") + BuildReadRequest(Parameter::StaticTripSP) +
                             hexBytes("FF 80 04") +
                             BuildWriteRequest(Parameter::StaticFaultCount, 65535) +
                             BuildReadRequest(Parameter::ShutDownCountSP) + hexBytes("80 04");

    const DeviceProtocol::Outcome outcome = protocol().receive(bytes);

    const QList<QByteArray> expected{
        DeviceProtocol::readReply(Parameter::StaticTripSP, 100), Ack,
        DeviceProtocol::readReply(Parameter::ShutDownCountSP, 9999999)};
    QCOMPARE(outcome.answers, expected);
    QCOMPARE(m_memory->value(Parameter::StaticFaultCount), 65535);
    QCOMPARE(protocol().pendingSize(), 2);
}

void TestDeviceProtocol::endlessNoise_keepsNoMoreThanOneUnfinishedFrame()
{
    std::mt19937 noise(3);
    std::uniform_int_distribution<int> byte(0, 255);
    for (int chunk = 0; chunk < 500; ++chunk) {
        QByteArray bytes;
        for (int i = 0; i < 1 + chunk % 40; ++i)
            bytes.append(static_cast<char>(byte(noise)));
        protocol().receive(bytes);
        QVERIFY2(protocol().pendingSize() <= 6, qPrintable(QString::number(chunk)));
    }
}

void TestDeviceProtocol::discardPending_forgetsAHalfReceivedRequest()
{
    const QByteArray request = BuildReadRequest(Parameter::ActualCount);
    protocol().receive(request.left(2));
    protocol().discardPending();
    QVERIFY(protocol().receive(request.mid(2)).answers.isEmpty());
}

void TestDeviceProtocol::duplicateAcks_sendEveryAckTwiceButRepliesOnce()
{
    m_faults.duplicateAcks = true;
    const DeviceProtocol::Outcome outcome = protocol().receive(
        BuildWriteRequest(Parameter::StaticTripSP, 45) + BuildReadRequest(Parameter::StaticTripSP));

    const QList<QByteArray> expected{Ack, Ack,
                                     DeviceProtocol::readReply(Parameter::StaticTripSP, 45)};
    QCOMPARE(outcome.answers, expected);
    QCOMPARE(outcome.stored, 1);
    const QByteArray line = outcome.answers.join();
    QCOMPARE(CountWriteAcks(line, int(line.size())), 2);
}

void TestDeviceProtocol::deviceThatSendsNothing_stillStoresWrites_data()
{
    QTest::addColumn<double>("drop");
    QTest::addColumn<bool>("silent");
    QTest::newRow("every answer dropped") << 1.0 << false;
    QTest::newRow("silent") << 0.0 << true;
}

void TestDeviceProtocol::deviceThatSendsNothing_stillStoresWrites()
{
    QFETCH(double, drop);
    QFETCH(bool, silent);
    m_faults.dropFraction = drop;
    m_faults.silent = silent;

    QByteArray bytes;
    for (int i = 0; i < 20; ++i)
        bytes +=
            BuildReadRequest(Parameter::ActualCount) + BuildWriteRequest(Parameter::ActualCount, i);
    const DeviceProtocol::Outcome outcome = protocol().receive(bytes);

    QVERIFY(outcome.answers.isEmpty());
    QCOMPARE(outcome.stored, 20);
    QCOMPARE(m_memory->value(Parameter::ActualCount), 19);
}

void TestDeviceProtocol::corruptAll_spoilsEveryChecksumButKeepsTheFrameShape()
{
    m_faults.corruptFraction = 1.0;
    const DeviceProtocol::Outcome outcome =
        protocol().receive(BuildReadRequest(Parameter::StaticFaultCount) +
                           BuildWriteRequest(Parameter::StaticTripSP, 45));

    QCOMPARE(outcome.answers.size(), 2);
    const QByteArray reply = outcome.answers[0];
    const QByteArray ack = outcome.answers[1];
    QCOMPARE(reply.left(5), hexBytes("80 06 91 9C 40"));
    QVERIFY(ScanReadReplies(reply, int(reply.size()), Parameter::StaticFaultCount).empty());
    QCOMPARE(ack.left(3), hexBytes("80 04 E0"));
    QCOMPARE(CountWriteAcks(ack, int(ack.size())), 0);
    QCOMPARE(m_memory->value(Parameter::StaticTripSP), 45);

    const QByteArray live = protocol().pressureFrame(57);
    QCOMPARE(live.size(), 5);
    QVERIFY(ScanPressureFrames(live, int(live.size())).empty());
}

void TestDeviceProtocol::dropHalf_dropsRoughlyHalfTheAnswers()
{
    m_faults.dropFraction = 0.5;
    QByteArray bytes;
    for (int i = 0; i < 1000; ++i)
        bytes += BuildReadRequest(Parameter::CountTripSP);
    const qsizetype answered = protocol().receive(bytes).answers.size();
    QVERIFY2(answered > 400 && answered < 600, qPrintable(QString::number(answered)));
}

void TestDeviceProtocol::pressureFrame_isAValidLiveFrame_data()
{
    QTest::addColumn<int>("psi");
    QTest::addColumn<QByteArray>("frame");
    QTest::newRow("57 PSI") << 57 << hexBytes("80 05 D0 39 72");
    QTest::newRow("zero") << 0 << hexBytes("80 05 D0 00 AB");
    QTest::newRow("full byte") << 255 << hexBytes("80 05 D0 FF AC");
}

void TestDeviceProtocol::pressureFrame_isAValidLiveFrame()
{
    QFETCH(int, psi);
    QFETCH(QByteArray, frame);
    QCOMPARE(protocol().pressureFrame(static_cast<std::uint8_t>(psi)), frame);
    QCOMPARE(ScanPressureFrames(frame, int(frame.size())),
             std::vector<std::uint8_t>{static_cast<std::uint8_t>(psi)});
}

QTEST_GUILESS_MAIN(TestDeviceProtocol)
#include "tst_DeviceProtocol.moc"
