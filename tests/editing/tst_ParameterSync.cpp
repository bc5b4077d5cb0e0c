#include "ParameterSync.h"

#include <QSignalSpy>
#include <QTest>

#include <memory>

namespace {

// Nine values that differ from each other, so that a value in the wrong row shows.
const ParameterSet Distinct{1000001, 1000002, 1000003, 44, 55, 66, 77, 60008, 60009};

} // namespace

class TestParameterSync : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void refreshGrid_showsEachParameterInItsRow_data();
    void refreshGrid_showsEachParameterInItsRow();
    void gridEdit_landsInTheRowsParameter_data();
    void gridEdit_landsInTheRowsParameter();
    void gridEdit_readsBackAllNineCells();
    void gridEdit_movesTheMatchingNeedle_data();
    void gridEdit_movesTheMatchingNeedle();
    void gridEdit_putsNeedleLeftBetweenNumbersOnItsSetPoint();
    void refreshTripNeedles_setsStaticThenCountThenDynamic();
    void needleReleased_givesRoundedSetPoint_data();
    void needleReleased_givesRoundedSetPoint();
    void needleDraggedPast99_isPutBackAt99_andGridShows99();

private:
    // Wired as the main window wires its handlers.
    void connectHandlers();

    std::unique_ptr<SpreadGrid> m_grid;
    std::unique_ptr<DialGauge> m_staticTrip;
    std::unique_ptr<DialGauge> m_countTrip;
    std::unique_ptr<DialGauge> m_dynamicTrip;
    ParameterSet m_set;
};

void TestParameterSync::init()
{
    m_grid = std::make_unique<SpreadGrid>();
    m_grid->setRows(gridRowSpecs());
    m_grid->resize(273, 161);
    for (auto* gauge : {&m_staticTrip, &m_countTrip, &m_dynamicTrip}) {
        *gauge = std::make_unique<DialGauge>();
        (*gauge)->resize(113, 81);
        (*gauge)->setNeedleMouseControl(true);
    }
    m_set = Distinct;
    refreshGrid(*m_grid, m_set);
    refreshTripNeedles({*m_staticTrip, *m_countTrip, *m_dynamicTrip}, m_set);
}

void TestParameterSync::cleanup()
{
    m_grid.reset();
    m_staticTrip.reset();
    m_countTrip.reset();
    m_dynamicTrip.reset();
}

void TestParameterSync::connectHandlers()
{
    connect(m_grid.get(), &SpreadGrid::CellEdited, this, [this] {
        readGridBack(*m_grid, m_set);
        refreshTripNeedles({*m_staticTrip, *m_countTrip, *m_dynamicTrip}, m_set);
    });
    connect(m_staticTrip.get(), &DialGauge::MouseUp, this, [this] {
        m_set.StaticTripSP = takeNeedleSetPoint(*m_staticTrip);
        refreshGrid(*m_grid, m_set);
    });
}

void TestParameterSync::refreshGrid_showsEachParameterInItsRow_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("units");
    QTest::addColumn<QString>("value");

    QTest::newRow("1") << 1 << "Overcount S.P."
                       << "Count"
                       << "1000001";
    QTest::newRow("2") << 2 << "Warning S.P."
                       << "Count"
                       << "1000002";
    QTest::newRow("3") << 3 << "Actual Count"
                       << "Count"
                       << "1000003";
    QTest::newRow("4") << 4 << "Static Trip Pressure"
                       << "PSI"
                       << "44";
    QTest::newRow("5") << 5 << "Static Pressure Timer"
                       << "Seconds"
                       << "55";
    QTest::newRow("6 count trip") << 6 << "Count Trip Pressure"
                                  << "PSI"
                                  << "77";
    QTest::newRow("7 dynamic trip") << 7 << "Dynamic Trip Pressure"
                                    << "PSI"
                                    << "66";
    QTest::newRow("8") << 8 << "Static Fault Count"
                       << "Count"
                       << "60008";
    QTest::newRow("9") << 9 << "Dynamic Fault Count"
                       << "Count"
                       << "60009";
}

void TestParameterSync::refreshGrid_showsEachParameterInItsRow()
{
    QFETCH(int, row);
    QFETCH(QString, caption);
    QFETCH(QString, units);
    QFETCH(QString, value);

    QCOMPARE(m_grid->verticalHeaderItem(row - 1)->text(), caption);
    QCOMPARE(m_grid->item(row - 1, SpreadGrid::UnitsColumn)->text(), units);
    QCOMPARE(m_grid->cellText(row), value);
}

void TestParameterSync::gridEdit_landsInTheRowsParameter_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("parameter");
    QTest::addColumn<int>("value");

    QTest::newRow("1") << 1 << int(Parameter::ShutDownCountSP) << 9999999;
    QTest::newRow("2") << 2 << int(Parameter::WarningCountSP) << 2;
    QTest::newRow("3") << 3 << int(Parameter::ActualCount) << 0;
    QTest::newRow("4") << 4 << int(Parameter::StaticTripSP) << 99;
    QTest::newRow("5") << 5 << int(Parameter::StaticTripTimer) << 255;
    QTest::newRow("6 count trip") << 6 << int(Parameter::CountTripSP) << 33;
    QTest::newRow("7 dynamic trip") << 7 << int(Parameter::DynamicTripSP) << 22;
    QTest::newRow("8") << 8 << int(Parameter::StaticFaultCount) << 65535;
    QTest::newRow("9") << 9 << int(Parameter::DynamicFaultCount) << 1;
}

void TestParameterSync::gridEdit_landsInTheRowsParameter()
{
    QFETCH(int, row);
    QFETCH(int, parameter);
    QFETCH(int, value);
    connectHandlers();

    QVERIFY(m_grid->enterText(row, QString::number(value)));

    ParameterSet expected = Distinct;
    expected.assign(static_cast<Parameter>(parameter), value);
    QCOMPARE(m_set, expected);
}

void TestParameterSync::gridEdit_readsBackAllNineCells()
{
    connectHandlers();
    const ParameterSet shown{11, 12, 13, 14, 15, 16, 17, 18, 19};
    refreshGrid(*m_grid, shown);
    QCOMPARE(m_set, Distinct);

    QVERIFY(m_grid->enterText(5, QStringLiteral("200")));

    ParameterSet expected = shown;
    expected.StaticTripTimer = 200;
    QCOMPARE(m_set, expected);
}

void TestParameterSync::gridEdit_movesTheMatchingNeedle_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<double>("staticNeedle");
    QTest::addColumn<double>("countNeedle");
    QTest::addColumn<double>("dynamicNeedle");

    QTest::newRow("static trip") << 4 << 33.0 << 77.0 << 66.0;
    QTest::newRow("count trip") << 6 << 44.0 << 33.0 << 66.0;
    QTest::newRow("dynamic trip") << 7 << 44.0 << 77.0 << 33.0;
}

void TestParameterSync::gridEdit_movesTheMatchingNeedle()
{
    QFETCH(int, row);
    QFETCH(double, staticNeedle);
    QFETCH(double, countNeedle);
    QFETCH(double, dynamicNeedle);
    connectHandlers();

    QVERIFY(m_grid->enterText(row, QStringLiteral("33")));

    QCOMPARE(m_staticTrip->needleValue(), staticNeedle);
    QCOMPARE(m_countTrip->needleValue(), countNeedle);
    QCOMPARE(m_dynamicTrip->needleValue(), dynamicNeedle);
}

void TestParameterSync::gridEdit_putsNeedleLeftBetweenNumbersOnItsSetPoint()
{
    connectHandlers();
    m_staticTrip->setNeedleValue(42.6);
    Q_EMIT m_staticTrip->MouseUp();
    QCOMPARE(m_set.StaticTripSP, 43);
    QCOMPARE(m_staticTrip->needleValue(), 42.6);

    QVERIFY(m_grid->enterText(1, QStringLiteral("5000")));

    QCOMPARE(m_staticTrip->needleValue(), 43.0);
}

void TestParameterSync::refreshTripNeedles_setsStaticThenCountThenDynamic()
{
    QStringList order;
    connect(m_staticTrip.get(), &DialGauge::needleValueChanged, this,
            [&order] { order << QStringLiteral("static"); });
    connect(m_countTrip.get(), &DialGauge::needleValueChanged, this,
            [&order] { order << QStringLiteral("count"); });
    connect(m_dynamicTrip.get(), &DialGauge::needleValueChanged, this,
            [&order] { order << QStringLiteral("dynamic"); });

    refreshTripNeedles({*m_staticTrip, *m_countTrip, *m_dynamicTrip},
                       ParameterSet{0, 0, 0, 10, 0, 30, 20, 0, 0});

    QCOMPARE(order, QStringList({"static", "count", "dynamic"}));
    QCOMPARE(m_staticTrip->needleValue(), 10.0);
    QCOMPARE(m_countTrip->needleValue(), 20.0);
    QCOMPARE(m_dynamicTrip->needleValue(), 30.0);
}

void TestParameterSync::needleReleased_givesRoundedSetPoint_data()
{
    QTest::addColumn<double>("released");
    QTest::addColumn<int>("setPoint");
    QTest::addColumn<double>("needleAfter");

    QTest::newRow("past 99") << 99.7 << 99 << 99.0;
    QTest::newRow("top of the dial") << 100.0 << 99 << 99.0;
    QTest::newRow("exactly 99") << 99.0 << 99 << 99.0;
    QTest::newRow("half below even") << 42.5 << 42 << 42.5;
    QTest::newRow("half above odd") << 43.5 << 44 << 43.5;
    QTest::newRow("above half") << 42.6 << 43 << 42.6;
    QTest::newRow("below half") << 42.4 << 42 << 42.4;
    QTest::newRow("bottom of the dial") << 0.0 << 0 << 0.0;
    QTest::newRow("half above zero") << 0.5 << 0 << 0.5;
}

void TestParameterSync::needleReleased_givesRoundedSetPoint()
{
    QFETCH(double, released);
    QFETCH(int, setPoint);
    QFETCH(double, needleAfter);

    m_countTrip->setNeedleValue(released);

    QCOMPARE(takeNeedleSetPoint(*m_countTrip), static_cast<std::int16_t>(setPoint));
    QCOMPARE(m_countTrip->needleValue(), needleAfter);
}

void TestParameterSync::needleDraggedPast99_isPutBackAt99_andGridShows99()
{
    connectHandlers();
    m_staticTrip->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_staticTrip.get()));
    QSignalSpy mouseUp(m_staticTrip.get(), &DialGauge::MouseUp);

    QTest::mousePress(m_staticTrip.get(), Qt::LeftButton, {}, QPoint(56, 3));
    QTest::mouseMove(m_staticTrip.get(), QPoint(112, 80));
    QTest::mouseRelease(m_staticTrip.get(), Qt::LeftButton, {}, QPoint(112, 80));

    QCOMPARE(mouseUp.count(), 1);
    QCOMPARE(m_staticTrip->needleValue(), 99.0);
    QCOMPARE(m_set.StaticTripSP, 99);
    QCOMPARE(m_grid->cellText(4), QStringLiteral("99"));
    QCOMPARE(m_grid->cellText(6), QStringLiteral("77"));
}

QTEST_MAIN(TestParameterSync)
#include "tst_ParameterSync.moc"
