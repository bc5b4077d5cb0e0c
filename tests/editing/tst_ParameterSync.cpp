#include "ParameterSync.h"

#include <QTest>

#include <memory>

using P = Parameter;

namespace {

// Nine values that differ from each other, so that a value in the wrong row shows.
const ParameterSet Distinct{1000001, 1000002, 1000003, 44, 55, 66, 77, 60008, 60009};

} // namespace

class TestParameterSync : public QObject
{
    Q_OBJECT

    std::unique_ptr<SpreadGrid> m_grid;
    std::unique_ptr<DialGauge> m_staticTrip;
    std::unique_ptr<DialGauge> m_countTrip;
    std::unique_ptr<DialGauge> m_dynamicTrip;
    ParameterSet m_set;

    TripGauges trips() { return {*m_staticTrip, *m_countTrip, *m_dynamicTrip}; }

    // Wired as the main window wires its handlers.
    void connectHandlers()
    {
        connect(m_grid.get(), &SpreadGrid::CellEdited, this, [this] {
            readGridBack(*m_grid, m_set);
            refreshTripNeedles(trips(), m_set);
        });
        connect(m_staticTrip.get(), &DialGauge::MouseUp, this, [this] {
            m_set.StaticTripSP = takeNeedleSetPoint(*m_staticTrip);
            refreshGrid(*m_grid, m_set);
        });
    }

private Q_SLOTS:
    void init()
    {
        m_grid = std::make_unique<SpreadGrid>();
        m_grid->setRows(gridRowSpecs());
        for (auto* gauge : {&m_staticTrip, &m_countTrip, &m_dynamicTrip}) {
            *gauge = std::make_unique<DialGauge>();
            (*gauge)->setNeedleMouseControl(true);
        }
        m_set = Distinct;
        refreshGrid(*m_grid, m_set);
        refreshTripNeedles(trips(), m_set);
    }

    void cleanup()
    {
        m_grid.reset();
        m_staticTrip.reset();
        m_countTrip.reset();
        m_dynamicTrip.reset();
    }

    void refreshGrid_showsEachParameterInItsRow()
    {
        QStringList captions, units, values;
        for (int row = 1; row <= 9; ++row) {
            captions << m_grid->verticalHeaderItem(row - 1)->text();
            units << m_grid->item(row - 1, SpreadGrid::UnitsColumn)->text();
            values << m_grid->cellText(row);
        }
        QCOMPARE(captions, (QStringList{"Overcount S.P.", "Warning S.P.", "Actual Count",
                                        "Static Trip Pressure", "Static Pressure Timer",
                                        "Count Trip Pressure", "Dynamic Trip Pressure",
                                        "Static Fault Count", "Dynamic Fault Count"}));
        QCOMPARE(units, (QStringList{"Count", "Count", "Count", "PSI", "Seconds", "PSI", "PSI",
                                     "Count", "Count"}));
        // Row 6 shows the count trip, row 7 the dynamic trip.
        QCOMPARE(values, (QStringList{"1000001", "1000002", "1000003", "44", "55", "77", "66",
                                      "60008", "60009"}));
    }

    void gridEdit_landsInTheRowsParameter_andMovesOnlyItsNeedle_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<Parameter>("parameter");
        QTest::addColumn<int>("value");
        QTest::newRow("1") << 1 << P::ShutDownCountSP << 9999999;
        QTest::newRow("2") << 2 << P::WarningCountSP << 2;
        QTest::newRow("3") << 3 << P::ActualCount << 0;
        QTest::newRow("4 static trip") << 4 << P::StaticTripSP << 33;
        QTest::newRow("5") << 5 << P::StaticTripTimer << 255;
        QTest::newRow("6 count trip") << 6 << P::CountTripSP << 33;
        QTest::newRow("7 dynamic trip") << 7 << P::DynamicTripSP << 33;
        QTest::newRow("8") << 8 << P::StaticFaultCount << 65535;
        QTest::newRow("9") << 9 << P::DynamicFaultCount << 1;
    }

    void gridEdit_landsInTheRowsParameter_andMovesOnlyItsNeedle()
    {
        QFETCH(int, row);
        QFETCH(Parameter, parameter);
        QFETCH(int, value);
        connectHandlers();

        QVERIFY(m_grid->enterText(row, QString::number(value)));

        ParameterSet expected = Distinct;
        expected.assign(parameter, value);
        QCOMPARE(m_set, expected);
        QCOMPARE(m_staticTrip->needleValue(), double(expected.StaticTripSP));
        QCOMPARE(m_countTrip->needleValue(), double(expected.CountTripSP));
        QCOMPARE(m_dynamicTrip->needleValue(), double(expected.DynamicTripSP));
    }

    void gridEdit_readsBackAllNineCells()
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

    void gridEdit_putsNeedleLeftBetweenNumbersOnItsSetPoint()
    {
        connectHandlers();
        m_staticTrip->setNeedleValue(42.6);
        Q_EMIT m_staticTrip->MouseUp();
        QCOMPARE(m_set.StaticTripSP, 43);
        QCOMPARE(m_grid->cellText(4), QStringLiteral("43"));
        QCOMPARE(m_staticTrip->needleValue(), 42.6);

        QVERIFY(m_grid->enterText(1, QStringLiteral("5000")));

        QCOMPARE(m_staticTrip->needleValue(), 43.0);
    }

    void refreshTripNeedles_setsStaticThenCountThenDynamic()
    {
        QStringList order;
        for (const auto& [gauge, name] : {std::pair{m_staticTrip.get(), "static"},
                                          {m_countTrip.get(), "count"},
                                          {m_dynamicTrip.get(), "dynamic"}})
            connect(gauge, &DialGauge::needleValueChanged, this, [&order, name] { order << name; });

        refreshTripNeedles(trips(), ParameterSet{0, 0, 0, 10, 0, 30, 20, 0, 0});

        QCOMPARE(order, QStringList({"static", "count", "dynamic"}));
        QCOMPARE(m_staticTrip->needleValue(), 10.0);
        QCOMPARE(m_countTrip->needleValue(), 20.0);
        QCOMPARE(m_dynamicTrip->needleValue(), 30.0);
    }

    void needleReleased_givesRoundedSetPoint_data()
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

    void needleReleased_givesRoundedSetPoint()
    {
        QFETCH(double, released);
        QFETCH(int, setPoint);
        QFETCH(double, needleAfter);
        m_countTrip->setNeedleValue(released);
        QCOMPARE(takeNeedleSetPoint(*m_countTrip), static_cast<std::int16_t>(setPoint));
        QCOMPARE(m_countTrip->needleValue(), needleAfter);
    }
};

QTEST_MAIN(TestParameterSync)
#include "tst_ParameterSync.moc"
