#include "DeviceFrames.h"
#include "DeviceProtocol.h"
#include "TestSupport.h"

#include <QTest>

#include <memory>

Q_DECLARE_METATYPE(ParameterSet)

using P = Parameter;

namespace {

const ParameterSet Sample{9999999, 0, 123456, 100, 200, 0, 45, 40000, 1000};
const QByteArray Ack = hexBytes("80 04 E0 9C");

ParameterSet sampleWith(Parameter p, std::int32_t value)
{
    ParameterSet values = Sample;
    values.assign(p, value);
    return values;
}

} // namespace

class TestDeviceProtocol : public QObject
{
    Q_OBJECT

    FaultSettings m_faults;
    std::mt19937 m_random;
    std::unique_ptr<DeviceMemory> m_memory;
    std::unique_ptr<DeviceProtocol> m_protocol;

    // Made on first use, so that a test can set its faults first.
    DeviceProtocol& protocol()
    {
        if (!m_protocol)
            m_protocol = std::make_unique<DeviceProtocol>(*m_memory, m_faults, m_random);
        return *m_protocol;
    }

private Q_SLOTS:
    void init()
    {
        m_faults = FaultSettings{};
        m_random.seed(7);
        m_memory = std::make_unique<DeviceMemory>(Sample);
        m_protocol.reset();
    }

    void requests_areAnsweredAndWritesStored_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QList<QByteArray>>("answers");
        QTest::addColumn<ParameterSet>("memory");
        const auto read = [](Parameter p) { return BuildReadRequest(p); };
        QTest::newRow("read count at its limit")
            << read(P::ShutDownCountSP) << QList{hexBytes("80 07 01 98 96 7F CB")} << Sample;
        QTest::newRow("read zero count")
            << read(P::WarningCountSP) << QList{hexBytes("80 07 11 00 00 00 68")} << Sample;
        QTest::newRow("read actual count")
            << read(P::ActualCount) << QList{hexBytes("80 07 21 01 E2 40 35")} << Sample;
        QTest::newRow("read trip set-point above 99")
            << read(P::StaticTripSP) << QList{hexBytes("80 05 31 64 E6")} << Sample;
        QTest::newRow("read timer, any byte")
            << read(P::StaticTripTimer) << QList{hexBytes("80 05 41 C8 72")} << Sample;
        QTest::newRow("read count trip at address 5")
            << read(P::CountTripSP) << QList{hexBytes("80 05 51 2D FD")} << Sample;
        QTest::newRow("read dynamic trip at address 6")
            << read(P::DynamicTripSP) << QList{hexBytes("80 05 61 00 1A")} << Sample;
        QTest::newRow("read dynamic fault count at address 7")
            << read(P::DynamicFaultCount) << QList{hexBytes("80 06 71 03 E8 1E")} << Sample;
        QTest::newRow("read static fault count at address 9")
            << read(P::StaticFaultCount) << QList{hexBytes("80 06 91 9C 40 0D")} << Sample;
        QTest::newRow("count past the limit is sent as stored")
            << BuildWriteRequest(P::ShutDownCountSP, 10000000) + read(P::ShutDownCountSP)
            << QList{Ack, hexBytes("80 07 01 98 96 80 CA")}
            << sampleWith(P::ShutDownCountSP, 10000000);
        QTest::newRow("write, three data bytes") << hexBytes("80 07 02 01 E2 40 54") << QList{Ack}
                                                 << sampleWith(P::ShutDownCountSP, 123456);
        QTest::newRow("write, all 24 bits set") << hexBytes("80 07 22 FF FF FF 5A") << QList{Ack}
                                                << sampleWith(P::ActualCount, 16777215);
        QTest::newRow("write, one data byte")
            << hexBytes("80 05 32 2D 1C") << QList{Ack} << sampleWith(P::StaticTripSP, 45);
        QTest::newRow("write, two data bytes at address 9")
            << hexBytes("80 06 92 03 E8 FD") << QList{Ack} << sampleWith(P::StaticFaultCount, 1000);
        QTest::newRow("write, wrong length byte still accepted")
            << hexBytes("80 09 52 07 1E") << QList{Ack} << sampleWith(P::CountTripSP, 7);
        const QList<QByteArray> none;
        QTest::newRow("read request, bad checksum") << hexBytes("80 04 00 7D") << none << Sample;
        QTest::newRow("write request, bad checksum")
            << hexBytes("80 05 32 2D 1D") << none << Sample;
        QTest::newRow("read request for address 8") << hexBytes("80 04 80 FC") << none << Sample;
        QTest::newRow("write request for address 8")
            << hexBytes("80 05 82 01 F8") << none << Sample;
        QTest::newRow("a read reply") << hexBytes("80 05 31 64 E6") << none << Sample;
        QTest::newRow("an acknowledgement") << Ack << none << Sample;
        QTest::newRow("a pressure frame") << hexBytes("80 07 D0 39 70") << none << Sample;
        QTest::newRow("no start byte") << hexBytes("81 04 00 7B") << none << Sample;
    }

    void requests_areAnsweredAndWritesStored()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QList<QByteArray>, answers);
        QFETCH(ParameterSet, memory);
        const DeviceProtocol::Outcome outcome = protocol().receive(bytes);
        QCOMPARE(outcome.answers, answers);
        QCOMPARE(outcome.stored, int(answers.count(Ack)));
        QCOMPARE(m_memory->values(), memory);
    }

    void requestSplitAcrossChunks_isAnsweredWhenComplete_data()
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

    void requestSplitAcrossChunks_isAnsweredWhenComplete()
    {
        QFETCH(QByteArray, request);
        QFETCH(int, split);
        QVERIFY(protocol().receive(hexBytes("55 80") + request.left(split)).answers.isEmpty());
        QCOMPARE(protocol().receive(request.mid(split)).answers.size(), 1);
        QCOMPARE(protocol().pendingSize(), 0);
    }

    void answeredOrDiscardedRequest_isNotAnsweredByLaterBytes()
    {
        QCOMPARE(protocol().receive(BuildReadRequest(P::StaticTripSP)).answers.size(), 1);
        QVERIFY(protocol().receive(hexBytes("00")).answers.isEmpty());
        QVERIFY(protocol().receive(hexBytes("11 22 33 44 55 66 77")).answers.isEmpty());

        const QByteArray request = BuildReadRequest(P::ActualCount);
        protocol().receive(request.left(2));
        protocol().discardPending();
        QVERIFY(protocol().receive(request.mid(2)).answers.isEmpty());
    }

    void requestsAmongNoise_areAnsweredInLineOrder()
    {
        const QByteArray bytes = hexBytes("80 80 12") + BuildReadRequest(P::StaticTripSP) +
                                 hexBytes("FF 80 04") +
                                 BuildWriteRequest(P::StaticFaultCount, 65535) +
                                 BuildReadRequest(P::ShutDownCountSP) + hexBytes("80 04");
        const DeviceProtocol::Outcome outcome = protocol().receive(bytes);
        QCOMPARE(outcome.answers,
                 (QList{hexBytes("80 05 31 64 E6"), Ack, hexBytes("80 07 01 98 96 7F CB")}));
        QCOMPARE(m_memory->value(P::StaticFaultCount), 65535);
        QCOMPARE(protocol().pendingSize(), 2);
    }

    void endlessNoise_keepsNoMoreThanOneUnfinishedFrame()
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

    void duplicateAcks_sendEveryAckTwiceButRepliesOnce()
    {
        m_faults.duplicateAcks = true;
        const DeviceProtocol::Outcome outcome = protocol().receive(
            BuildWriteRequest(P::StaticTripSP, 45) + BuildReadRequest(P::StaticTripSP));
        QCOMPARE(outcome.answers, (QList{Ack, Ack, hexBytes("80 05 31 2D 1D")}));
        QCOMPARE(outcome.stored, 1);
    }

    void deviceThatSendsNothing_stillStoresWrites_data()
    {
        QTest::addColumn<double>("drop");
        QTest::addColumn<bool>("silent");
        QTest::newRow("every answer dropped") << 1.0 << false;
        QTest::newRow("silent") << 0.0 << true;
    }

    void deviceThatSendsNothing_stillStoresWrites()
    {
        QFETCH(double, drop);
        QFETCH(bool, silent);
        m_faults.dropFraction = drop;
        m_faults.silent = silent;
        QByteArray bytes;
        for (int i = 0; i < 20; ++i)
            bytes += BuildReadRequest(P::ActualCount) + BuildWriteRequest(P::ActualCount, i);
        const DeviceProtocol::Outcome outcome = protocol().receive(bytes);
        QVERIFY(outcome.answers.isEmpty());
        QCOMPARE(outcome.stored, 20);
        QCOMPARE(m_memory->value(P::ActualCount), 19);
    }

    void corruptAll_spoilsEveryChecksumButKeepsTheFrameShape()
    {
        m_faults.corruptFraction = 1.0;
        const DeviceProtocol::Outcome outcome = protocol().receive(
            BuildReadRequest(P::StaticFaultCount) + BuildWriteRequest(P::StaticTripSP, 45));
        QCOMPARE(outcome.answers.size(), 2);
        const QByteArray reply = outcome.answers[0];
        const QByteArray ack = outcome.answers[1];
        QCOMPARE(reply.left(5), hexBytes("80 06 91 9C 40"));
        QVERIFY(ScanReadReplies(reply, int(reply.size()), P::StaticFaultCount).empty());
        QCOMPARE(ack.left(3), hexBytes("80 04 E0"));
        QCOMPARE(CountWriteAcks(ack, int(ack.size())), 0);
        QCOMPARE(m_memory->value(P::StaticTripSP), 45);

        const QByteArray live = protocol().pressureFrame(57);
        QCOMPARE(live.size(), 5);
        QVERIFY(ScanPressureFrames(live, int(live.size())).empty());
    }

    void dropHalf_dropsRoughlyHalfTheAnswers()
    {
        m_faults.dropFraction = 0.5;
        const QByteArray bytes = BuildReadRequest(P::CountTripSP).repeated(1000);
        const qsizetype answered = protocol().receive(bytes).answers.size();
        QVERIFY2(answered > 400 && answered < 600, qPrintable(QString::number(answered)));
    }

    void pressureFrame_isAValidLiveFrame_data()
    {
        QTest::addColumn<int>("psi");
        QTest::addColumn<QByteArray>("frame");
        QTest::newRow("57 PSI") << 57 << hexBytes("80 05 D0 39 72");
        QTest::newRow("zero") << 0 << hexBytes("80 05 D0 00 AB");
        QTest::newRow("full byte") << 255 << hexBytes("80 05 D0 FF AC");
    }

    void pressureFrame_isAValidLiveFrame()
    {
        QFETCH(int, psi);
        QFETCH(QByteArray, frame);
        QCOMPARE(protocol().pressureFrame(static_cast<std::uint8_t>(psi)), frame);
        QCOMPARE(ScanPressureFrames(frame, int(frame.size())),
                 std::vector<std::uint8_t>{static_cast<std::uint8_t>(psi)});
    }
};

QTEST_GUILESS_MAIN(TestDeviceProtocol)
#include "tst_DeviceProtocol.moc"
