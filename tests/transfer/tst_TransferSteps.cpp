#include "DeviceFrames.h"
#include "DownloadStep.h"
#include "FakeSerialLink.h"
#include "RecordingCommView.h"
#include "TestSupport.h"
#include "UploadStep.h"

#include <QTest>

namespace {
const QByteArray Ack = hexBytes("80 04 E0 9C");
} // namespace

class TestTransferSteps : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();

    void uploadStep_sendsItsRequestEveryTick_data();
    void uploadStep_sendsItsRequestEveryTick();
    void uploadStep_unanswered_repeatsWithoutAdvancing();
    void uploadStep_fewerBytesThanAReply_leavesThemWaiting();
    void uploadStep_staleReplyOfPreviousStep_isDropped();
    void uploadStep_twoReplies_laterValueStays();
    void uploadStep_lastStep_takesAddress7NotALateAddress9();
    void uploadStep_valuesBeyondDeviceRange_areLimited();
    void uploadProgress_isWholePartOfNinths();

    void download_acknowledgingDevice_writesNineRowsInOrder();
    void download_nothingArrives_sendsNothing();
    void download_noiseWithoutAck_repeatsTheRow();
    void download_badAck_repeatsTheRow_data();
    void download_badAck_repeatsTheRow();
    void download_duplicateAcksInOneBatch_advanceOneRowOnly();
    void download_stateBeyondNine_completes();
    void download_valueTooWideForItsFrame_throwsAndSendsNothing();

private:
    FakeSerialLink m_port;
    CommState m_comm;
    ParameterSet m_set;
    RecordingCommView m_view;
};

void TestTransferSteps::init()
{
    m_port = FakeSerialLink();
    m_port.setPortOpen(true);
    m_comm = CommState();
    m_set = ParameterSet();
    m_view = RecordingCommView();
}

void TestTransferSteps::uploadStep_sendsItsRequestEveryTick_data()
{
    QTest::addColumn<int>("step");
    QTest::addColumn<QString>("status");
    QTest::addColumn<QByteArray>("request");
    const char* requests[] = {"80 04 00 7C", "80 04 10 6C", "80 04 20 5C",
                              "80 04 30 4C", "80 04 40 3C", "80 04 50 2C",
                              "80 04 60 1C", "80 04 90 EC", "80 04 70 0C"};
    const char* statuses[] = {"Uploading SDC",      "Uploading WC",           "Uploading Count",
                              "Uploading Static P", "Uploading Static Timer", "Uploading Count SP",
                              "Uploading DT SP",    "Uploading DT SP",        "Uploading ST SP"};
    for (int step = 0; step < 9; ++step)
        QTest::addRow("step %d", step)
            << step << QString::fromLatin1(statuses[step]) << hexBytes(requests[step]);
}

void TestTransferSteps::uploadStep_sendsItsRequestEveryTick()
{
    QFETCH(int, step);
    QFETCH(QString, status);
    QFETCH(QByteArray, request);
    m_comm.CommCount = static_cast<std::int16_t>(step);
    UploadStep(step, m_port, m_comm, m_set, m_view);
    QCOMPARE(m_port.settingsHistory, QStringList{QStringLiteral("9600,n,8,1")});
    QCOMPARE(m_view.status(), status);
    QCOMPARE(hexText(m_port.allWritten()), hexText(request));
}

void TestTransferSteps::uploadStep_unanswered_repeatsWithoutAdvancing()
{
    for (int tick = 0; tick < 5; ++tick)
        UploadStep(0, m_port, m_comm, m_set, m_view);
    QCOMPARE(m_port.writes.size(), 5);
    QCOMPARE(hexText(m_port.writes.last()), QStringLiteral("80 04 00 7C"));
    QCOMPARE(m_comm.CommCount, 0);
    QCOMPARE(m_view.status(), QStringLiteral("Uploading SDC"));
}

void TestTransferSteps::uploadStep_fewerBytesThanAReply_leavesThemWaiting()
{
    const QByteArray reply = readReplyFrame(Parameter::ShutDownCountSP, 5000);
    m_port.feed(reply.left(6));
    UploadStep(0, m_port, m_comm, m_set, m_view);
    QCOMPARE(m_port.inBufferCount(), 6);
    QCOMPARE(m_comm.CommCount, 0);

    m_port.feed(reply.mid(6));
    UploadStep(0, m_port, m_comm, m_set, m_view);
    QCOMPARE(m_port.inBufferCount(), 0);
    QCOMPARE(m_set.ShutDownCountSP, 5000);
    QCOMPARE(m_comm.CommCount, 1);
}

void TestTransferSteps::uploadStep_staleReplyOfPreviousStep_isDropped()
{
    m_set.WarningCountSP = 7;
    m_comm.CommCount = 2;
    m_port.feed(readReplyFrame(Parameter::WarningCountSP, 4500) +
                readReplyFrame(Parameter::ActualCount, 1234));
    UploadStep(2, m_port, m_comm, m_set, m_view);
    QCOMPARE(m_set.ActualCount, 1234);
    QCOMPARE(m_set.WarningCountSP, 7);
    QCOMPARE(m_comm.CommCount, 3);
}

void TestTransferSteps::uploadStep_twoReplies_laterValueStays()
{
    m_comm.CommCount = 4;
    m_port.feed(readReplyFrame(Parameter::StaticTripTimer, 10) +
                readReplyFrame(Parameter::StaticTripTimer, 20));
    UploadStep(4, m_port, m_comm, m_set, m_view);
    QCOMPARE(m_set.StaticTripTimer, 20);
    QCOMPARE(m_comm.CommCount, 5);
}

void TestTransferSteps::uploadStep_lastStep_takesAddress7NotALateAddress9()
{
    m_comm.CommCount = 8;
    m_port.feed(readReplyFrame(Parameter::StaticFaultCount, 3) +
                readReplyFrame(Parameter::DynamicFaultCount, 4));
    UploadStep(8, m_port, m_comm, m_set, m_view);
    QCOMPARE(m_set.DynamicFaultCount, 4);
    QCOMPARE(m_set.StaticFaultCount, 0);
    QCOMPARE(m_comm.CommCount, 9);
}

void TestTransferSteps::uploadStep_valuesBeyondDeviceRange_areLimited()
{
    m_port.feed(readReplyFrame(Parameter::ShutDownCountSP, 12345678));
    UploadStep(0, m_port, m_comm, m_set, m_view);
    QCOMPARE(m_set.ShutDownCountSP, 0);
    QCOMPARE(m_comm.CommCount, 1);

    m_port.feed(readReplyFrame(Parameter::StaticTripSP, 150));
    UploadStep(3, m_port, m_comm, m_set, m_view);
    QCOMPARE(m_set.StaticTripSP, 99);
    QCOMPARE(m_comm.CommCount, 4);
}

void TestTransferSteps::uploadProgress_isWholePartOfNinths()
{
    QList<int> shown;
    for (int count = 0; count <= 9; ++count)
        shown.append(uploadProgress(count));
    QCOMPARE(shown, (QList<int>{0, 11, 22, 33, 44, 55, 66, 77, 88, 100}));
}

void TestTransferSteps::download_acknowledgingDevice_writesNineRowsInOrder()
{
    m_set = ParameterSet{5000, 4500, 1234, 45, 10, 60, 50, 3, 2};
    startDownload(m_comm, m_view);
    QCOMPARE(m_comm.CommAction, 2);
    QVERIFY(m_view.timerOn);
    QVERIFY(!m_view.connectEnabled);
    QVERIFY(!m_view.downloadEnabled);

    // Bytes of the live stream still arriving serve as the trigger for the first frame.
    m_port.feed(hexBytes("80 07 D0 39 70"));
    for (int tick = 0; tick < 10; ++tick) {
        DownloadStep(m_port, m_comm, m_set, m_view);
        m_port.feed(Ack);
    }
    const QList<Parameter> order{
        Parameter::ShutDownCountSP, Parameter::WarningCountSP,    Parameter::ActualCount,
        Parameter::StaticTripSP,    Parameter::StaticTripTimer,   Parameter::CountTripSP,
        Parameter::DynamicTripSP,   Parameter::DynamicFaultCount, Parameter::StaticFaultCount};
    QCOMPARE(m_port.writes.size(), 9);
    for (int row = 0; row < 9; ++row)
        QCOMPARE(hexText(m_port.writes[row]),
                 hexText(BuildWriteRequest(order[row], m_set.value(order[row]))));
    QCOMPARE(m_view.progress, (QList<int>{0, 0, 12, 25, 38, 50, 62, 75, 88, 100}));
    QCOMPARE(m_view.status(), QStringLiteral("Download Complete"));
    QVERIFY(m_view.statuses.contains(QStringLiteral("Writing SF Count")));
    QCOMPARE(m_comm.CommAction, 1);
    QCOMPARE(m_comm.CommWriteState, 0);
    QVERIFY(m_view.downloadEnabled);
    QVERIFY(!m_view.connectEnabled);
}

void TestTransferSteps::download_nothingArrives_sendsNothing()
{
    startDownload(m_comm, m_view);
    for (int tick = 0; tick < 3; ++tick)
        DownloadStep(m_port, m_comm, m_set, m_view);
    QVERIFY(m_port.writes.isEmpty());
    QCOMPARE(m_view.status(), QStringLiteral("Downloading Data"));
    QCOMPARE(m_view.progress, QList<int>{0});

    m_port.feed(hexBytes("00 01 02"));
    DownloadStep(m_port, m_comm, m_set, m_view);
    QVERIFY(m_port.writes.isEmpty());
}

void TestTransferSteps::download_noiseWithoutAck_repeatsTheRow()
{
    m_set.ActualCount = 77;
    m_comm.CommAction = 2;
    m_comm.CommWriteState = 1;
    m_port.feed(Ack);
    DownloadStep(m_port, m_comm, m_set, m_view);
    QCOMPARE(m_view.status(), QStringLiteral("Writing Count"));
    m_port.feed(hexBytes("12 34 56 78"));
    DownloadStep(m_port, m_comm, m_set, m_view);
    QCOMPARE(m_port.writes.size(), 2);
    QCOMPARE(m_port.writes[0], m_port.writes[1]);
    QCOMPARE(m_view.progress, (QList<int>{25, 25}));
    QCOMPARE(m_comm.CommWriteState, 2);
}

void TestTransferSteps::download_badAck_repeatsTheRow_data()
{
    QTest::addColumn<QByteArray>("answer");
    QTest::addColumn<int>("rowAfter");
    QTest::newRow("wrong checksum") << hexBytes("80 04 E0 9D") << 3;
    QTest::newRow("wrong command") << hexBytes("80 04 E1 9B") << 3;
    QTest::newRow("noise around a good ack") << hexBytes("55 80 04 E0 9C AA 80") << 4;
}

void TestTransferSteps::download_badAck_repeatsTheRow()
{
    QFETCH(QByteArray, answer);
    QFETCH(int, rowAfter);
    m_comm.CommAction = 2;
    m_comm.CommWriteState = 3;
    m_port.feed(answer);
    DownloadStep(m_port, m_comm, m_set, m_view);
    QCOMPARE(int(m_comm.CommWriteState), rowAfter);
}

void TestTransferSteps::download_duplicateAcksInOneBatch_advanceOneRowOnly()
{
    m_set.StaticTripSP = 45;
    m_comm.CommAction = 2;
    m_comm.CommWriteState = 2;
    m_port.feed(Ack + Ack);
    DownloadStep(m_port, m_comm, m_set, m_view);
    QCOMPARE(m_comm.CommWriteState, 3);
    QCOMPARE(hexText(m_port.writes.last()), QStringLiteral("80 05 32 2D 1C"));

    // From the last row, two acknowledgements complete the download, never pass it by.
    m_comm.CommWriteState = 8;
    m_port.feed(Ack + Ack);
    DownloadStep(m_port, m_comm, m_set, m_view);
    QCOMPARE(m_view.status(), QStringLiteral("Download Complete"));
    QCOMPARE(m_comm.CommAction, 1);
}

void TestTransferSteps::download_stateBeyondNine_completes()
{
    m_comm.CommAction = 2;
    m_comm.CommWriteState = 12;
    m_port.feed(hexBytes("00 00 00 00"));
    DownloadStep(m_port, m_comm, m_set, m_view);
    QVERIFY(m_port.writes.isEmpty());
    QCOMPARE(m_view.status(), QStringLiteral("Download Complete"));
    QCOMPARE(m_comm.CommWriteState, 0);
    QCOMPARE(m_comm.CommAction, 1);
}

void TestTransferSteps::download_valueTooWideForItsFrame_throwsAndSendsNothing()
{
    m_set.StaticTripTimer = 300;
    m_comm.CommAction = 2;
    m_comm.CommWriteState = 3;
    m_port.feed(Ack);
    QVERIFY_THROWS_EXCEPTION(FrameError, DownloadStep(m_port, m_comm, m_set, m_view));
    QVERIFY(m_port.writes.isEmpty());
}

QTEST_APPLESS_MAIN(TestTransferSteps)
#include "tst_TransferSteps.moc"
