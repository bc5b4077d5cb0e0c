#include "DeviceFrames.h"
#include "DeviceProtocol.h"
#include "ParamFileFormat.h"
#include "PressureProfile.h"
#include "SimOptions.h"
#include "TestSupport.h"

#include <QTemporaryDir>
#include <QTest>

#include <cmath>
#include <memory>

Q_DECLARE_METATYPE(ParameterSet)

using P = Parameter;

namespace {

const ParameterSet Sample{9999999, 0, 123456, 100, 200, 0, 45, 40000, 1000};
// Within the limits of a parameter file, with a shorter dump than Sample's.
const ParameterSet Distinct{1000001, 900002, 3, 44, 5, 66, 77, 65530, 9};
const QByteArray Ack = hexBytes("80 04 E0 9C");

ParameterSet sampleWith(Parameter p, std::int32_t value)
{
    ParameterSet values = Sample;
    values.assign(p, value);
    return values;
}

// The answers as hex, one frame from the next parted by a bar.
QString shown(const QList<QByteArray>& answers)
{
    QStringList frames;
    for (const QByteArray& frame : answers)
        frames.append(hexText(frame));
    return frames.join(u" | "_s);
}

} // namespace

// The device's side of the line: its memory, the frames it answers and the pressure they carry.
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

    void writeDump_replacesTheFileWithNineLines_orFailsWithReason()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"memory.txt"_s);
        QString error;
        QVERIFY(DeviceMemory(Sample).writeDump(path, &error));
        QVERIFY(DeviceMemory(Distinct).writeDump(path, &error));
        QCOMPARE(fileContents(path), QByteArray("ShutDownCountSP=1000001\nWarningCountSP=900002\n"
                                                "ActualCount=3\nStaticTripSP=44\n"
                                                "StaticTripTimer=5\nDynamicTripSP=66\n"
                                                "CountTripSP=77\nStaticFaultCount=65530\n"
                                                "DynamicFaultCount=9\n"));

        const QString missing = dir.filePath(u"missing/memory.txt"_s);
        QVERIFY(!DeviceMemory().writeDump(missing, &error));
        QVERIFY2(error.contains(missing), qPrintable(error));
    }

    // Empty contents: no file at all.
    void parameterFile_givesItsValuesOrIsRefusedWithReason_data()
    {
        QTest::addColumn<QByteArray>("contents");
        QTest::addColumn<bool>("good");
        const QByteArray saved = ParamFileFormat::contents(Distinct, u"C:\\PRESS1.PRS"_s);
        QTest::newRow("saved by the tool") << saved << true;
        QTest::newRow("missing file") << QByteArray() << false;
        QTest::newRow("not a parameter file") << QByteArray("hello\r\nworld\r\n") << false;
        QTest::newRow("value that is no number")
            << QByteArray(saved).replace(",1000001", ",12x") << false;
    }

    void parameterFile_givesItsValuesOrIsRefusedWithReason()
    {
        QFETCH(QByteArray, contents);
        QFETCH(bool, good);
        QTemporaryDir dir;
        const QString path = dir.filePath(u"PRESS1.PRS"_s);
        QVERIFY(contents.isEmpty() || writeFile(path, contents));
        QString error;
        const auto values = DeviceMemory::loadParameterFile(path, &error);
        QCOMPARE(values.has_value(), good);
        QVERIFY2(good ? *values == Distinct : error.contains(path), qPrintable(error));
    }

    void requests_areAnsweredAndWritesStored_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("answers");
        QTest::addColumn<ParameterSet>("memory");
        const auto row = [](const char* name, const QByteArray& bytes, const char* answers,
                            const ParameterSet& memory = Sample) {
            QTest::newRow(name) << bytes << QString::fromLatin1(answers) << memory;
        };
        const auto read = [](Parameter p) { return BuildReadRequest(p); };
        row("read count at its limit", read(P::ShutDownCountSP), "80 07 01 98 96 7F CB");
        row("read zero count", read(P::WarningCountSP), "80 07 11 00 00 00 68");
        row("read actual count", read(P::ActualCount), "80 07 21 01 E2 40 35");
        row("read trip set-point above 99", read(P::StaticTripSP), "80 05 31 64 E6");
        row("read timer, any byte", read(P::StaticTripTimer), "80 05 41 C8 72");
        row("read count trip at address 5", read(P::CountTripSP), "80 05 51 2D FD");
        row("read dynamic trip at address 6", read(P::DynamicTripSP), "80 05 61 00 1A");
        row("read dynamic fault count at 7", read(P::DynamicFaultCount), "80 06 71 03 E8 1E");
        row("read static fault count at 9", read(P::StaticFaultCount), "80 06 91 9C 40 0D");
        row("count past the limit is sent as stored",
            BuildWriteRequest(P::ShutDownCountSP, 10000000) + read(P::ShutDownCountSP),
            "80 04 E0 9C | 80 07 01 98 96 80 CA", sampleWith(P::ShutDownCountSP, 10000000));
        row("write, three data bytes", hexBytes("80 07 02 01 E2 40 54"), "80 04 E0 9C",
            sampleWith(P::ShutDownCountSP, 123456));
        row("write, all 24 bits set", hexBytes("80 07 22 FF FF FF 5A"), "80 04 E0 9C",
            sampleWith(P::ActualCount, 16777215));
        row("write, one data byte", hexBytes("80 05 32 2D 1C"), "80 04 E0 9C",
            sampleWith(P::StaticTripSP, 45));
        row("write, two data bytes at address 9", hexBytes("80 06 92 03 E8 FD"), "80 04 E0 9C",
            sampleWith(P::StaticFaultCount, 1000));
        row("write, wrong length byte still accepted", hexBytes("80 09 52 07 1E"), "80 04 E0 9C",
            sampleWith(P::CountTripSP, 7));
        row("requests among noise, in line order",
            hexBytes("80 80 12") + read(P::StaticTripSP) + hexBytes("FF 80 04") +
                BuildWriteRequest(P::StaticFaultCount, 65535) + read(P::ShutDownCountSP) +
                hexBytes("80 04"),
            "80 05 31 64 E6 | 80 04 E0 9C | 80 07 01 98 96 7F CB",
            sampleWith(P::StaticFaultCount, 65535));
        row("read request, bad checksum", hexBytes("80 04 00 7D"), "");
        row("write request, bad checksum", hexBytes("80 05 32 2D 1D"), "");
        row("read request for address 8", hexBytes("80 04 80 FC"), "");
        row("write request for address 8", hexBytes("80 05 82 01 F8"), "");
        row("a read reply", hexBytes("80 05 31 64 E6"), "");
        row("an acknowledgement", Ack, "");
        row("a pressure frame", hexBytes("80 07 D0 39 70"), "");
        row("no start byte", hexBytes("81 04 00 7B"), "");
    }

    void requests_areAnsweredAndWritesStored()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, answers);
        QFETCH(ParameterSet, memory);
        const DeviceProtocol::Outcome outcome = protocol().receive(bytes);
        QCOMPARE(shown(outcome.answers), answers);
        QCOMPARE(outcome.stored, int(outcome.answers.count(Ack)));
        QCOMPARE(m_memory->values(), memory);
    }

    void requestSplitAcrossChunks_isAnsweredWhenComplete_data()
    {
        QTest::addColumn<QByteArray>("request");
        QTest::addColumn<int>("split");
        for (const char* request : {"80 07 02 01 E2 40 54", "80 04 30 4C"}) {
            for (int split = 1; split < hexBytes(request).size(); ++split)
                QTest::addRow("%s, %d bytes first", request, split) << hexBytes(request) << split;
        }
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

    // The fault options as the command line gives them.
    void faults_changeWhatIsSentButNotWhatIsStored_data()
    {
        QTest::addColumn<QString>("options");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("answers");
        QTest::addColumn<ParameterSet>("memory");
        const QByteArray writeRead =
            BuildWriteRequest(P::StaticTripSP, 45) + BuildReadRequest(P::StaticTripSP);
        QByteArray twenty;
        for (int i = 0; i < 20; ++i)
            twenty += BuildReadRequest(P::ActualCount) + BuildWriteRequest(P::ActualCount, i);
        QTest::newRow("duplicate acks")
            << u"--duplicate-acks"_s << writeRead << u"80 04 E0 9C | 80 04 E0 9C | 80 05 31 2D 1D"_s
            << sampleWith(P::StaticTripSP, 45);
        QTest::newRow("every checksum spoilt")
            << u"--corrupt 1"_s << writeRead << u"80 04 E0 9D | 80 05 31 2D 1E"_s
            << sampleWith(P::StaticTripSP, 45);
        QTest::newRow("every answer dropped")
            << u"--drop 1"_s << twenty << QString() << sampleWith(P::ActualCount, 19);
        QTest::newRow("silent") << u"--silent"_s << twenty << QString()
                                << sampleWith(P::ActualCount, 19);
    }

    void faults_changeWhatIsSentButNotWhatIsStored()
    {
        QFETCH(QString, options);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, answers);
        QFETCH(ParameterSet, memory);
        QString error;
        const auto parsed = SimOptions::parse(("vorta-devsim " + options).split(u' '), error);
        QVERIFY2(parsed, qPrintable(error));
        m_faults = parsed->faults;
        QCOMPARE(shown(protocol().receive(bytes).answers), answers);
        QCOMPARE(m_memory->values(), memory);
    }

    void dropHalf_dropsRoughlyHalfTheAnswers()
    {
        m_faults.dropFraction = 0.5;
        const QByteArray bytes = BuildReadRequest(P::CountTripSP).repeated(1000);
        const qsizetype answered = protocol().receive(bytes).answers.size();
        QVERIFY2(answered > 400 && answered < 600, qPrintable(QString::number(answered)));
    }

    void pressureFrame_isALiveFrame_data()
    {
        QTest::addColumn<int>("psi");
        QTest::addColumn<double>("corrupt");
        QTest::addColumn<QByteArray>("frame");
        QTest::newRow("57 PSI") << 57 << 0.0 << hexBytes("80 05 D0 39 72");
        QTest::newRow("zero") << 0 << 0.0 << hexBytes("80 05 D0 00 AB");
        QTest::newRow("full byte") << 255 << 0.0 << hexBytes("80 05 D0 FF AC");
        QTest::newRow("spoilt checksum") << 57 << 1.0 << hexBytes("80 05 D0 39 73");
    }

    void pressureFrame_isALiveFrame()
    {
        QFETCH(int, psi);
        QFETCH(double, corrupt);
        QFETCH(QByteArray, frame);
        m_faults.corruptFraction = corrupt;
        QCOMPARE(protocol().pressureFrame(static_cast<std::uint8_t>(psi)), frame);
        QCOMPARE(ScanPressureFrames(frame, int(frame.size())),
                 std::vector<std::uint8_t>(corrupt > 0 ? 0 : 1, std::uint8_t(psi)));
    }

    void pressureSamples_strokeFromBaseToPeakWidenedByNoise_data()
    {
        QTest::addColumn<double>("base");
        QTest::addColumn<double>("peak");
        QTest::addColumn<double>("period");
        QTest::addColumn<double>("noise");
        QTest::newRow("noise below zero is held at 0") << 0.0 << 10.0 << 1.0 << 3.0;
        QTest::newRow("noise above 255 is held at 255") << 250.0 << 255.0 << 0.5 << 5.0;
        QTest::newRow("flat line without noise") << 40.0 << 40.0 << 1.0 << 0.0;
        QTest::newRow("flat line with noise") << 50.0 << 50.0 << 1.0 << 3.0;
        QTest::newRow("fast strokes, wide noise") << 30.0 << 90.0 << 0.05 << 10.0;
    }

    void pressureSamples_strokeFromBaseToPeakWidenedByNoise()
    {
        QFETCH(double, base);
        QFETCH(double, peak);
        QFETCH(double, period);
        QFETCH(double, noise);
        const PressureProfile profile({base, peak, period, noise});
        QCOMPARE(profile.stroke(period * 2.5), peak);
        QCOMPARE(profile.stroke(period * 3), base);

        std::mt19937 random(11);
        int lowest = 255;
        int highest = 0;
        for (int ms = 0; ms < 5000; ++ms) {
            const int psi = profile.sample(ms / 1000.0, random);
            QVERIFY2(psi >= std::max(0.0, std::floor(base - noise)) &&
                         psi <= std::min(255.0, std::ceil(peak + noise)),
                     qPrintable(u"%1 ms: %2"_s.arg(ms).arg(psi)));
            lowest = std::min(lowest, psi);
            highest = std::max(highest, psi);
        }
        // The strokes reach down to the base and up to the peak, and noise goes both ways.
        QVERIFY(lowest <= std::max(0.0, std::ceil(base - noise / 2)));
        QVERIFY(highest >= std::min(255.0, std::floor(peak + noise / 2)));
    }
};

QTEST_GUILESS_MAIN(TestDeviceProtocol)
#include "tst_DeviceProtocol.moc"
