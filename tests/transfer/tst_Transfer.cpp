#include "DeviceFrames.h"
#include "DownloadStep.h"
#include "FakeSerialLink.h"
#include "ParameterTable.h"
#include "TestSupport.h"
#include "UploadStep.h"

#include <QTest>

using P = Parameter;

// One tick of a step with the bytes that arrived before it. The whole order of both
// transfers is run in the cycle's kept session.
class TestTransfer : public QObject
{
    Q_OBJECT

    FakeSerialLink m_port;
    ParameterSet m_set;

private Q_SLOTS:
    void init()
    {
        m_port = FakeSerialLink();
        m_port.setPortOpen(true);
        m_port.setSettings(u"57600,n,8,1"_s);
        m_set = exampleValues();
    }

    // Each tick sends the step's read request; fewer bytes than a reply wait for the next.
    void uploadStep_takesOnlyItsOwnReply_data()
    {
        QTest::addColumn<int>("step");
        QTest::addColumn<QByteArray>("arrived");
        QTest::addColumn<UploadResult>("result");
        QTest::addColumn<ParameterSet>("expected");
        QTest::addColumn<int>("left");
        ParameterSet fault = exampleValues();
        fault.DynamicFaultCount = 5;
        QTest::newRow("part of a reply waits") << 3 << BuildReadReply(P::StaticTripSP, 9).left(4)
                                               << UploadResult::Requested << exampleValues() << 4;
        QTest::newRow("last step takes address 7, not a late address 9")
            << 8 << BuildReadReply(P::StaticFaultCount, 4) + BuildReadReply(P::DynamicFaultCount, 5)
            << UploadResult::Stored << fault << 0;
        QTest::newRow("only another step's reply")
            << 1 << BuildReadReply(P::ActualCount, 1235) << UploadResult::Requested
            << exampleValues() << 0;
    }

    void uploadStep_takesOnlyItsOwnReply()
    {
        QFETCH(int, step);
        QFETCH(QByteArray, arrived);
        QFETCH(UploadResult, result);
        QFETCH(ParameterSet, expected);
        QFETCH(int, left);
        m_port.feed(arrived);
        QCOMPARE(UploadStep(step, m_port, m_set), result);
        QCOMPARE(m_port.writes, QList{BuildReadRequest(uploadParameter(step))});
        QCOMPARE(m_port.settings(), u"9600,n,8,1"_s);
        QCOMPARE(m_set, expected);
        QCOMPARE(m_port.inBufferCount(), left);
    }

    // A frame goes out only in a tick with four bytes or more waiting: an acknowledgement
    // moves on to the next row, anything else, bytes of the live stream too, repeats the row.
    // The kept session of the cycle runs every row.
    void downloadStep_answerToARow_decidesWhatIsWrittenNext_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<QByteArray>("arrived");
        QTest::addColumn<DownloadResult>("result");
        const auto row = [](const char* name, int row, const char* arrived, DownloadResult result) {
            QTest::newRow(name) << row << hexBytes(arrived) << result;
        };
        row("three bytes send nothing", 0, "00 01 02", DownloadResult::Waiting);
        row("live bytes send the first row again", 0, "80 07 D0 39 70", DownloadResult::Repeated);
        row("duplicate acks advance one row only", 5, "80 04 E0 9C 80 04 E0 9C",
            DownloadResult::Advanced);
    }

    void downloadStep_answerToARow_decidesWhatIsWrittenNext()
    {
        QFETCH(int, row);
        QFETCH(QByteArray, arrived);
        QFETCH(DownloadResult, result);
        m_port.feed(arrived);
        QCOMPARE(DownloadStep(row, m_port, m_set), result);
        QList<QByteArray> sent;
        if (result == DownloadResult::Advanced || result == DownloadResult::Repeated) {
            const Parameter p =
                downloadParameter(result == DownloadResult::Advanced ? row + 1 : row);
            sent.append(BuildWriteRequest(p, m_set.value(p)));
        }
        QCOMPARE(m_port.writes, sent);
        QCOMPARE(m_port.settings(), u"9600,n,8,1"_s);
    }
};

QTEST_APPLESS_MAIN(TestTransfer)
#include "tst_Transfer.moc"
