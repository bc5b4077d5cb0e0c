#include "CalibrationRecord.h"
#include "TestSupport.h"

#include <QTest>

// The record of one device's calibration, followed through one row: the static trip, found
// at 45 PSI (the example set).
class TestCalibrationRecord : public QObject
{
    Q_OBJECT

    const QDateTime m_at{QDate(2026, 12, 7), QTime(14, 32, 5)};

private Q_SLOTS:
    // written 0: never written; readBack 0: none, -1: failed; set: the grid's value.
    void staticTripRow_afterTheSession_showsAsFoundAndAsLeft_data()
    {
        QTest::addColumn<int>("written");
        QTest::addColumn<int>("readBack");
        QTest::addColumn<bool>("writtenAgain");
        QTest::addColumn<int>("set");
        QTest::addColumn<int>("state");
        QTest::addColumn<int>("asLeft"); // -1: none
        QTest::addColumn<QString>("result");
        const auto none = int(RecordRowState::NotReadBack);
        const auto equal = int(RecordRowState::ReadBackEqual);
        const auto different = int(RecordRowState::ReadBackDifferent);
        QTest::newRow("as found") << 0 << 0 << false << 45 << none << -1 << u"not read back"_s;
        QTest::newRow("written") << 60 << 0 << false << 60 << none << -1 << u"not read back"_s;
        QTest::newRow("read back equal")
            << 60 << 60 << false << 60 << equal << 60 << u"Read back: all nine equal"_s;
        QTest::newRow("read back different") << 60 << 61 << false << 60 << different << 61
                                             << u"Read back: Static Trip Pressure differs"_s;
        QTest::newRow("not read back: written after the read-back")
            << 60 << 60 << true << 62 << none << -1 << u"Read back: all nine equal"_s;
        QTest::newRow("never written, the grid edited")
            << 0 << 45 << false << 50 << different << 45
            << u"Read back: Static Trip Pressure differs"_s;
        QTest::newRow("read back failed")
            << 60 << -1 << false << 60 << none << -1 << u"read back failed at 14:32:05"_s;
    }

    void staticTripRow_afterTheSession_showsAsFoundAndAsLeft()
    {
        QFETCH(int, written);
        QFETCH(int, readBack);
        QFETCH(bool, writtenAgain);
        QFETCH(int, set);
        QFETCH(int, state);
        QFETCH(int, asLeft);
        QFETCH(QString, result);
        CalibrationRecord record;
        record.connected(u"Comm Port 1"_s, u"/dev/ttyUSB0"_s);
        record.uploadFinished(exampleValues(), m_at);
        if (written)
            record.writeAcknowledged(Parameter::StaticTripSP, written);
        ParameterSet grid = exampleValues();
        grid.StaticTripSP = std::int16_t(set);
        ParameterSet device = exampleValues();
        device.StaticTripSP = std::int16_t(readBack);
        if (readBack > 0)
            record.readBackFinished(device, grid, m_at);
        else if (readBack < 0)
            record.readBackFailed(m_at);
        if (writtenAgain)
            record.writeAcknowledged(Parameter::StaticTripSP, 62);

        const RecordRow row = record.rows().at(3); // the grid's fourth row
        QCOMPARE(row.parameter, Parameter::StaticTripSP);
        QCOMPARE(row.asFound, std::optional<std::int32_t>(45));
        QCOMPARE(int(row.state), state);
        QCOMPARE(row.asLeft().value_or(-1), asLeft);
        QCOMPARE(row.change().value_or(-1), asLeft < 0 ? -1 : asLeft - 45);
        QCOMPARE(record.readBackResult(), result);
        QCOMPARE(record.writtenSinceReadBack(), written && (readBack <= 0 || writtenAgain));
    }

    void connectToAnotherDevice_startsAfresh_keepingTheTechnician()
    {
        CalibrationRecord record;
        record.technician = u"A. Smith"_s;
        record.press = u"Line 3/Press #7"_s;
        record.connected(u"Comm Port 1"_s, u"/dev/ttyUSB0"_s);
        record.uploadFinished(exampleValues(), m_at);
        QCOMPARE(record.reportFileName(m_at), u"Line_3_Press_7_2026-12-07_1432.pdf"_s);
        record.connected(u"Comm Port 1"_s, u"/dev/ttyUSB0"_s);
        record.uploadFinished(ParameterSet{}, m_at);
        QCOMPARE(record.rows().at(0).asFound, std::optional<std::int32_t>(5000));
        record.connected(u"Comm Port 2"_s, u"/dev/ttyUSB1"_s);
        QVERIFY(!record.rows().at(0).asFound && record.press.isEmpty());
        QCOMPARE(record.technician, u"A. Smith"_s);
    }
};

QTEST_GUILESS_MAIN(TestCalibrationRecord)
#include "tst_CalibrationRecord.moc"
