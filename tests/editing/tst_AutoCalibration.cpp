#include "AutoCalibration.h"
#include "ParameterSync.h"

#include <QTest>

#include <limits>

namespace {

const ParameterSet Before{5000, 4500, 1234, 45, 10, 60, 50, 3, 2};

} // namespace

class TestAutoCalibration : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void usableWindow_givesTripPressures_data();
    void usableWindow_givesTripPressures();
    void unusableWindow_isRefused_data();
    void unusableWindow_isRefused();
    void apply_setsTripsAndClearsCounters_keepsTheRest();
    void apply_onUnusableWindow_changesNothing();
    void apply_thenRefresh_showsNewTripsAndClearedCounters();
};

void TestAutoCalibration::usableWindow_givesTripPressures_data()
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
}

void TestAutoCalibration::usableWindow_givesTripPressures()
{
    QFETCH(int, maxPressure);
    QFETCH(int, minPressure);
    QFETCH(int, staticTrip);
    QFETCH(int, countTrip);
    QFETCH(int, dynamicTrip);

    const auto trips = autoCalibrate(static_cast<std::int16_t>(maxPressure),
                                     static_cast<std::int16_t>(minPressure));

    QVERIFY(trips.has_value());
    QCOMPARE(trips->staticTrip, staticTrip);
    QCOMPARE(trips->countTrip, countTrip);
    QCOMPARE(trips->dynamicTrip, dynamicTrip);
}

void TestAutoCalibration::unusableWindow_isRefused_data()
{
    QTest::addColumn<int>("maxPressure");
    QTest::addColumn<int>("minPressure");

    QTest::newRow("width 2") << 40 << 38;
    QTest::newRow("width 4") << 10 << 6;
    QTest::newRow("constant pressure") << 50 << 50;
    QTest::newRow("right after connect") << 0 << 99;
    QTest::newRow("never connected") << 0 << 0;
    QTest::newRow("high end at zero") << 0 << -10;
    QTest::newRow("too wide for 16 bits") << int(std::numeric_limits<std::int16_t>::max())
                                          << int(std::numeric_limits<std::int16_t>::min());
}

void TestAutoCalibration::unusableWindow_isRefused()
{
    QFETCH(int, maxPressure);
    QFETCH(int, minPressure);

    QVERIFY(!autoCalibrate(static_cast<std::int16_t>(maxPressure),
                           static_cast<std::int16_t>(minPressure))
                 .has_value());
}

void TestAutoCalibration::apply_setsTripsAndClearsCounters_keepsTheRest()
{
    ParameterSet set = Before;

    QVERIFY(applyAutoCalibration(set, 60, 20));

    ParameterSet expected = Before;
    expected.StaticTripSP = 40;
    expected.CountTripSP = 30;
    expected.DynamicTripSP = 15;
    expected.ActualCount = 0;
    expected.StaticFaultCount = 0;
    expected.DynamicFaultCount = 0;
    QCOMPARE(set, expected);
}

void TestAutoCalibration::apply_onUnusableWindow_changesNothing()
{
    ParameterSet set = Before;

    QVERIFY(!applyAutoCalibration(set, 40, 38));

    QCOMPARE(set, Before);
}

void TestAutoCalibration::apply_thenRefresh_showsNewTripsAndClearedCounters()
{
    SpreadGrid grid;
    grid.setRows(gridRowSpecs());
    DialGauge staticTrip, countTrip, dynamicTrip;
    ParameterSet set = Before;
    refreshGrid(grid, set);

    QVERIFY(applyAutoCalibration(set, 26, 21));
    refreshGrid(grid, set);
    refreshTripNeedles({staticTrip, countTrip, dynamicTrip}, set);

    QCOMPARE(grid.cellText(3), QStringLiteral("0"));
    QCOMPARE(grid.cellText(4), QStringLiteral("24"));
    QCOMPARE(grid.cellText(6), QStringLiteral("22"));
    QCOMPARE(grid.cellText(7), QStringLiteral("16"));
    QCOMPARE(grid.cellText(8), QStringLiteral("0"));
    QCOMPARE(grid.cellText(9), QStringLiteral("0"));
    QCOMPARE(grid.cellText(1), QStringLiteral("5000"));
    QCOMPARE(grid.cellText(5), QStringLiteral("10"));
    QCOMPARE(staticTrip.needleValue(), 24.0);
    QCOMPARE(countTrip.needleValue(), 22.0);
    QCOMPARE(dynamicTrip.needleValue(), 16.0);
}

QTEST_MAIN(TestAutoCalibration)
#include "tst_AutoCalibration.moc"
