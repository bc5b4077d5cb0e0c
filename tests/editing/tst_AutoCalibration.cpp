#include "AutoCalibration.h"

#include <QTest>

#include <limits>

namespace {

const ParameterSet Before{5000, 4500, 1234, 45, 10, 60, 50, 3, 2};

} // namespace

class TestAutoCalibration : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // A static trip of -1: the window is refused.
    void pressureWindow_givesTripsAndClearsCounters_orIsRefused_data()
    {
        QTest::addColumn<int>("maxPressure");
        QTest::addColumn<int>("minPressure");
        QTest::addColumn<int>("staticTrip");
        QTest::addColumn<int>("countTrip");
        QTest::addColumn<int>("dynamicTrip");
        QTest::newRow("60/20 whole results") << 60 << 20 << 40 << 30 << 15;
        QTest::newRow("25/20 half to even") << 25 << 20 << 22 << 21 << 15;
        QTest::newRow("26/21 half to even upward") << 26 << 21 << 24 << 22 << 16;
        QTest::newRow("10/5 narrowest usable") << 10 << 5 << 8 << 6 << 4;
        QTest::newRow("99/94 top of the dial") << 99 << 94 << 96 << 95 << 70;
        QTest::newRow("99/0 widest") << 99 << 0 << 50 << 25 << 0;
        QTest::newRow("width 2") << 40 << 38 << -1 << 0 << 0;
        QTest::newRow("width 4") << 10 << 6 << -1 << 0 << 0;
        QTest::newRow("constant pressure") << 50 << 50 << -1 << 0 << 0;
        QTest::newRow("right after connect") << 0 << 99 << -1 << 0 << 0;
        QTest::newRow("never connected") << 0 << 0 << -1 << 0 << 0;
        QTest::newRow("high end at zero") << 0 << -10 << -1 << 0 << 0;
        QTest::newRow("too wide for 16 bits")
            << int(std::numeric_limits<std::int16_t>::max())
            << int(std::numeric_limits<std::int16_t>::min()) << -1 << 0 << 0;
    }

    void pressureWindow_givesTripsAndClearsCounters_orIsRefused()
    {
        QFETCH(int, maxPressure);
        QFETCH(int, minPressure);
        QFETCH(int, staticTrip);
        QFETCH(int, countTrip);
        QFETCH(int, dynamicTrip);
        const auto max = static_cast<std::int16_t>(maxPressure);
        const auto min = static_cast<std::int16_t>(minPressure);
        const bool usable = staticTrip >= 0;

        const auto trips = autoCalibrate(max, min);
        QCOMPARE(trips.has_value(), usable);
        ParameterSet set = Before;
        QCOMPARE(applyAutoCalibration(set, max, min), usable);

        // Auto Cal sets the three trips and clears the counters; a refusal changes nothing.
        ParameterSet expected = Before;
        if (usable) {
            QCOMPARE((QList<int>{trips->staticTrip, trips->countTrip, trips->dynamicTrip}),
                     (QList<int>{staticTrip, countTrip, dynamicTrip}));
            expected = {5000,
                        4500,
                        0,
                        std::int16_t(staticTrip),
                        10,
                        std::int16_t(dynamicTrip),
                        std::int16_t(countTrip),
                        0,
                        0};
        }
        QCOMPARE(set, expected);
    }
};

QTEST_APPLESS_MAIN(TestAutoCalibration)
#include "tst_AutoCalibration.moc"
