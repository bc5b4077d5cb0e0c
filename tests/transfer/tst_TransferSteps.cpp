#include "DeviceFrames.h"
#include "DownloadStep.h"
#include "FakeSerialLink.h"
#include "RecordingCommView.h"
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

class TestTransferSteps : public QObject
{
    Q_OBJECT

    FakeSerialLink m_port;
    CommState m_comm;
    ParameterSet m_set;
    RecordingCommView m_view;

    QByteArray rowFrame(int row) const
    {
        return BuildWriteRequest(RowOrder[row], m_set.value(RowOrder[row]));
    }

    void upload(int step)
    {
        m_comm.CommCount = static_cast<std::int16_t>(step);
        UploadStep(step, m_port, m_comm, m_set, m_view);
    }

private Q_SLOTS:
    void init()
    {
        m_port = FakeSerialLink();
        m_port.setPortOpen(true);
        m_comm = CommState();
        m_set = exampleValues();
        m_view = RecordingCommView();
    }

    // Steps 6 and 7 show the same text, and the fault counts are read address 9 first.
    void uploadStep_unanswered_repeatsItsRequestWithoutAdvancing_data()
    {
        QTest::addColumn<int>("step");
        QTest::addColumn<QString>("status");
        QTest::addColumn<QByteArray>("request");
        const char* requests[] = {"80 04 00 7C", "80 04 10 6C", "80 04 20 5C",
                                  "80 04 30 4C", "80 04 40 3C", "80 04 50 2C",
                                  "80 04 60 1C", "80 04 90 EC", "80 04 70 0C"};
        const char* statuses[] = {
            "Uploading SDC",      "Uploading WC",           "Uploading Count",
            "Uploading Static P", "Uploading Static Timer", "Uploading Count SP",
            "Uploading DT SP",    "Uploading DT SP",        "Uploading ST SP"};
        for (int step = 0; step < 9; ++step)
            QTest::addRow("step %d", step)
                << step << QString::fromLatin1(statuses[step]) << hexBytes(requests[step]);
    }

    void uploadStep_unanswered_repeatsItsRequestWithoutAdvancing()
    {
        QFETCH(int, step);
        QFETCH(QString, status);
        QFETCH(QByteArray, request);
        m_port.feed(request.left(3));
        for (int tick = 0; tick < 3; ++tick)
            upload(step);
        QCOMPARE(m_port.settingsHistory, QStringList(3, u"9600,n,8,1"_s));
        QCOMPARE(m_view.status(), status);
        QCOMPARE(hexText(m_port.allWritten()), hexText(request.repeated(3)));
        QCOMPARE(m_comm.CommCount, step);
        QCOMPARE(m_set, exampleValues());
        // Fewer bytes than a reply are left waiting for the next tick.
        QCOMPARE(m_port.inBufferCount(), 3);
    }

    // A value of -1: the step takes nothing and does not advance.
    void uploadStep_replyBatch_setsOnlyItsParameter_data()
    {
        QTest::addColumn<int>("step");
        QTest::addColumn<Parameter>("parameter");
        QTest::addColumn<QByteArray>("batch");
        QTest::addColumn<int>("value");
        QTest::newRow("stale reply of the previous step dropped")
            << 2 << P::ActualCount
            << readReplyFrame(P::WarningCountSP, 4501) + readReplyFrame(P::ActualCount, 1235)
            << 1235;
        QTest::newRow("last step takes address 7, not a late address 9")
            << 8 << P::DynamicFaultCount
            << readReplyFrame(P::StaticFaultCount, 4) + readReplyFrame(P::DynamicFaultCount, 5)
            << 5;
        QTest::newRow("count beyond the device range becomes 0")
            << 0 << P::ShutDownCountSP << readReplyFrame(P::ShutDownCountSP, 12345678) << 0;
        QTest::newRow("trip above 99 is held at 99")
            << 3 << P::StaticTripSP << readReplyFrame(P::StaticTripSP, 150) << 99;
        QTest::newRow("only another step's reply")
            << 1 << P::WarningCountSP << readReplyFrame(P::ActualCount, 1235) << -1;
        QTest::newRow("a reply in two batches")
            << 0 << P::ShutDownCountSP << readReplyFrame(P::ShutDownCountSP, 77) << 77;
    }

    void uploadStep_replyBatch_setsOnlyItsParameter()
    {
        QFETCH(int, step);
        QFETCH(Parameter, parameter);
        QFETCH(QByteArray, batch);
        QFETCH(int, value);
        const bool split = QByteArray(QTest::currentDataTag()).contains("two batches");
        m_port.feed(split ? batch.left(6) : batch);
        upload(step);
        if (split) {
            QCOMPARE(m_comm.CommCount, step);
            m_port.feed(batch.mid(6));
            UploadStep(step, m_port, m_comm, m_set, m_view);
        }
        ParameterSet expected = exampleValues();
        if (value >= 0)
            expected.assign(parameter, value);
        QCOMPARE(m_set, expected);
        QCOMPARE(m_comm.CommCount, step + (value >= 0 ? 1 : 0));
        QCOMPARE(m_port.inBufferCount(), 0);
    }

    // Bytes of the live stream still arriving serve as the trigger for the first frame; a
    // tick with fewer than four bytes waiting sends nothing.
    void download_acknowledgingDevice_writesNineRowsInOrder()
    {
        startDownload(m_comm, m_view);
        QVERIFY(m_view.timerOn && !m_view.connectEnabled && !m_view.downloadEnabled);
        m_port.feed(hexBytes("00 01 02"));
        DownloadStep(m_port, m_comm, m_set, m_view);
        QVERIFY(m_port.writes.isEmpty());
        QCOMPARE(m_view.status(), u"Downloading Data"_s);

        m_port.feed(hexBytes("80 07 D0 39 70"));
        for (int tick = 0; tick < 10; ++tick) {
            DownloadStep(m_port, m_comm, m_set, m_view);
            m_port.feed(Ack);
        }
        QCOMPARE(m_port.writes.size(), 9);
        for (int row = 0; row < 9; ++row)
            QCOMPARE(hexText(m_port.writes[row]), hexText(rowFrame(row)));
        QCOMPARE(m_view.progress, (QList<int>{0, 0, 12, 25, 38, 50, 62, 75, 88, 100}));
        QCOMPARE(m_view.statuses.mid(m_view.statuses.size() - 3),
                 (QStringList{"Writing DF Count", "Writing SF Count", "Download Complete"}));
        QCOMPARE(m_comm.CommAction, 1);
        QCOMPARE(m_comm.CommWriteState, 0);
        QVERIFY(m_view.downloadEnabled && !m_view.connectEnabled);
    }

    // A next row of -1: the download is complete and nothing more is written.
    void download_answerToARow_decidesWhatIsWrittenNext_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<int>("next");
        QTest::addColumn<QString>("status");
        QTest::newRow("ack") << 1 << Ack << 2 << u"Writing Count"_s;
        QTest::newRow("noise repeats the row")
            << 2 << hexBytes("12 34 56 78") << 2 << u"Writing Count"_s;
        QTest::newRow("noise around a good ack")
            << 3 << hexBytes("55 80 04 E0 9C AA 80") << 4 << u"Writing Static Timer"_s;
        QTest::newRow("duplicate acks advance one row only")
            << 5 << Ack + Ack << 6 << u"Writing Dynamic SP"_s;
        QTest::newRow("duplicate acks on the last row complete")
            << 8 << Ack + Ack << -1 << u"Download Complete"_s;
        QTest::newRow("row beyond nine completes")
            << 12 << hexBytes("00 00 00 00") << -1 << u"Download Complete"_s;
        QTest::newRow("value too wide for its frame") << 3 << Ack << 4 << QString();
    }

    void download_answerToARow_decidesWhatIsWrittenNext()
    {
        QFETCH(int, row);
        QFETCH(QByteArray, answer);
        QFETCH(int, next);
        QFETCH(QString, status);
        m_comm.CommAction = 2;
        m_comm.CommWriteState = static_cast<std::int16_t>(row);
        m_port.feed(answer);
        if (status.isEmpty()) {
            m_set.StaticTripTimer = 300;
            QVERIFY_THROWS_EXCEPTION(FrameError, DownloadStep(m_port, m_comm, m_set, m_view));
            QVERIFY(m_port.writes.isEmpty());
            return;
        }
        DownloadStep(m_port, m_comm, m_set, m_view);
        QCOMPARE(m_view.status(), status);
        QCOMPARE(m_port.writes, next < 0 ? QList<QByteArray>{} : QList{rowFrame(next)});
        QCOMPARE(m_comm.CommWriteState, std::max(next, 0));
        QCOMPARE(m_comm.CommAction, next < 0 ? 1 : 2);
    }
};

QTEST_APPLESS_MAIN(TestTransferSteps)
#include "tst_TransferSteps.moc"
