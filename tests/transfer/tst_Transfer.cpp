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

class TestTransfer : public QObject
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
        QTest::newRow("last step takes address 7, not a late address 9")
            << 8 << P::DynamicFaultCount
            << BuildReadReply(P::StaticFaultCount, 4) + BuildReadReply(P::DynamicFaultCount, 5)
            << 5;
        QTest::newRow("only another step's reply")
            << 1 << P::WarningCountSP << BuildReadReply(P::ActualCount, 1235) << -1;
    }

    void uploadStep_replyBatch_setsOnlyItsParameter()
    {
        QFETCH(int, step);
        QFETCH(Parameter, parameter);
        QFETCH(QByteArray, batch);
        QFETCH(int, value);
        m_port.feed(batch);
        upload(step);
        ParameterSet expected = exampleValues();
        if (value >= 0)
            expected.assign(parameter, value);
        QCOMPARE(m_set, expected);
        QCOMPARE(m_comm.CommCount, step + (value >= 0 ? 1 : 0));
        QCOMPARE(m_port.inBufferCount(), 0);
    }

    // A frame goes out only in a tick with four bytes or more waiting: bytes of the live
    // stream still arriving send the first row, an acknowledgement moves on to the next row,
    // anything else repeats the row. A next row of -1: the download is complete and nothing
    // more is written; -2: nothing is written at all.
    void download_answerToARow_decidesWhatIsWrittenNext_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<int>("next");
        QTest::addColumn<QString>("status");
        const auto row = [](const char* name, int row, const char* answer, int next,
                            const char* status) {
            QTest::newRow(name) << row << hexBytes(answer) << next << QString::fromLatin1(status);
        };
        const char* statuses[] = {"Writing SD SP",      "Writing Warning SP",   "Writing Count",
                                  "Writing Static SP",  "Writing Static Timer", "Writing Count SP",
                                  "Writing Dynamic SP", "Writing DF Count",     "Writing SF Count"};
        row("three bytes send nothing", 0, "00 01 02", -2, "Downloading Data");
        row("live bytes send the first row", 0, "80 07 D0 39 70", 0, statuses[0]);
        for (int acked = 0; acked < 8; ++acked)
            QTest::addRow("row %d acknowledged", acked)
                << acked << Ack << acked + 1 << QString::fromLatin1(statuses[acked + 1]);
        row("last row acknowledged", 8, "80 04 E0 9C", -1, "Download Complete");
        row("noise repeats the row", 2, "12 34 56 78", 2, "Writing Count");
        row("duplicate acks advance one row only", 5, "80 04 E0 9C 80 04 E0 9C", 6,
            "Writing Dynamic SP");
        row("value too wide for its frame", 3, "80 04 E0 9C", 4, "");
    }

    void download_answerToARow_decidesWhatIsWrittenNext()
    {
        QFETCH(int, row);
        QFETCH(QByteArray, answer);
        QFETCH(int, next);
        QFETCH(QString, status);
        startDownload(m_comm, m_view);
        QVERIFY(m_view.timerOn && !m_view.connectEnabled && !m_view.downloadEnabled);
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
        QCOMPARE(m_comm.CommWriteState, next == -2 ? row : std::max(next, 0));
        QCOMPARE(m_comm.CommAction, next == -1 ? 1 : 2);
        const QList<int> progress{0, 12, 25, 38, 50, 62, 75, 88, 100};
        QCOMPARE(m_view.progress.last(), next < 0 ? 0 : progress[next]);
        QCOMPARE(m_view.downloadEnabled, next == -1);
    }
};

QTEST_APPLESS_MAIN(TestTransfer)
#include "tst_Transfer.moc"
