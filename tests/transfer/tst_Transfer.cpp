#include "DeviceFrames.h"
#include "DownloadStep.h"
#include "FakeSerialLink.h"
#include "TestSupport.h"
#include "UploadStep.h"

#include <QTest>

using P = Parameter;

namespace {

const QByteArray Ack = hexBytes("80 04 E0 9C");

// The download writes the fault counts address 7 before address 9, the reverse of the upload.
const QList<Parameter> RowOrder{P::ShutDownCountSP, P::WarningCountSP,    P::ActualCount,
                                P::StaticTripSP,    P::StaticTripTimer,   P::CountTripSP,
                                P::DynamicTripSP,   P::DynamicFaultCount, P::StaticFaultCount};

} // namespace

class TestTransfer : public QObject
{
    Q_OBJECT

    FakeSerialLink m_port;
    ParameterSet m_set;

    QByteArray rowFrame(int row) const
    {
        return BuildWriteRequest(RowOrder[row], m_set.value(RowOrder[row]));
    }

private Q_SLOTS:
    void init()
    {
        m_port = FakeSerialLink();
        m_port.setPortOpen(true);
        m_set = exampleValues();
    }

    // The fault counts are read address 9 first.
    void uploadStep_unanswered_repeatsItsRequestWithoutStoring_data()
    {
        QTest::addColumn<int>("step");
        QTest::addColumn<QByteArray>("request");
        const char* requests[] = {"80 04 00 7C", "80 04 10 6C", "80 04 20 5C",
                                  "80 04 30 4C", "80 04 40 3C", "80 04 50 2C",
                                  "80 04 60 1C", "80 04 90 EC", "80 04 70 0C"};
        for (int step = 0; step < 9; ++step)
            QTest::addRow("step %d", step) << step << hexBytes(requests[step]);
    }

    void uploadStep_unanswered_repeatsItsRequestWithoutStoring()
    {
        QFETCH(int, step);
        QFETCH(QByteArray, request);
        m_port.feed(request.left(3));
        for (int tick = 0; tick < 3; ++tick)
            QCOMPARE(UploadStep(step, m_port, m_set), UploadResult::Requested);
        QCOMPARE(m_port.settingsHistory, QStringList(3, u"9600,n,8,1"_s));
        QCOMPARE(hexText(m_port.allWritten()), hexText(request.repeated(3)));
        QCOMPARE(m_set, exampleValues());
        // Fewer bytes than a reply are left waiting for the next tick.
        QCOMPARE(m_port.inBufferCount(), 3);
    }

    void uploadStep_replyBatch_setsOnlyItsParameter_data()
    {
        QTest::addColumn<int>("step");
        QTest::addColumn<QByteArray>("batch");
        QTest::addColumn<UploadResult>("result");
        QTest::addColumn<ParameterSet>("expected");
        ParameterSet fault = exampleValues();
        fault.DynamicFaultCount = 5;
        QTest::newRow("last step takes address 7, not a late address 9")
            << 8 << BuildReadReply(P::StaticFaultCount, 4) + BuildReadReply(P::DynamicFaultCount, 5)
            << UploadResult::Stored << fault;
        QTest::newRow("only another step's reply") << 1 << BuildReadReply(P::ActualCount, 1235)
                                                   << UploadResult::Requested << exampleValues();
    }

    void uploadStep_replyBatch_setsOnlyItsParameter()
    {
        QFETCH(int, step);
        QFETCH(QByteArray, batch);
        QFETCH(UploadResult, result);
        QFETCH(ParameterSet, expected);
        m_port.feed(batch);
        QCOMPARE(UploadStep(step, m_port, m_set), result);
        QCOMPARE(m_set, expected);
        QCOMPARE(m_port.inBufferCount(), 0);
    }

    // A frame goes out only in a tick with four bytes or more waiting: bytes of the live
    // stream still arriving send the first row again, an acknowledgement moves on to the next
    // row, anything else repeats the row.
    void downloadStep_answerToARow_decidesWhatIsWrittenNext_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<DownloadResult>("result");
        const auto row = [](const char* name, int row, const char* answer, DownloadResult result) {
            QTest::newRow(name) << row << hexBytes(answer) << result;
        };
        row("three bytes send nothing", 0, "00 01 02", DownloadResult::Waiting);
        row("live bytes send the first row", 0, "80 07 D0 39 70", DownloadResult::Repeated);
        for (int acked = 0; acked < 8; ++acked)
            QTest::addRow("row %d acknowledged", acked) << acked << Ack << DownloadResult::Advanced;
        row("last row acknowledged", 8, "80 04 E0 9C", DownloadResult::Finished);
        row("noise repeats the row", 2, "12 34 56 78", DownloadResult::Repeated);
        row("duplicate acks advance one row only", 5, "80 04 E0 9C 80 04 E0 9C",
            DownloadResult::Advanced);
    }

    void downloadStep_answerToARow_decidesWhatIsWrittenNext()
    {
        QFETCH(int, row);
        QFETCH(QByteArray, answer);
        QFETCH(DownloadResult, result);
        m_port.feed(answer);
        QCOMPARE(DownloadStep(row, m_port, m_set), result);
        const int sent = result == DownloadResult::Advanced ? row + 1 : row;
        const bool sends = result == DownloadResult::Advanced || result == DownloadResult::Repeated;
        QCOMPARE(m_port.writes, sends ? QList{rowFrame(sent)} : QList<QByteArray>{});
        QCOMPARE(m_port.settingsHistory, QStringList{u"9600,n,8,1"_s});
    }

    void downloadStep_valueTooWideForItsFrame_throwsAndSendsNothing()
    {
        m_set.StaticTripTimer = 300;
        m_port.feed(Ack);
        QVERIFY_THROWS_EXCEPTION(FrameError, DownloadStep(3, m_port, m_set));
        QVERIFY(m_port.writes.isEmpty());
    }
};

QTEST_APPLESS_MAIN(TestTransfer)
#include "tst_Transfer.moc"
