#include "ParameterSync.h"
#include "TestSupport.h"

#include <QTest>

#include <memory>

class TestParameterSync : public QObject
{
    Q_OBJECT

    std::unique_ptr<SpreadGrid> m_grid;

private Q_SLOTS:
    void init()
    {
        m_grid = std::make_unique<SpreadGrid>();
        m_grid->setRows(gridRowSpecs());
    }

    void cleanup() { m_grid.reset(); }

    // Row 6 shows the count trip and row 7 the dynamic trip, the reverse of the canonical
    // order; reading back takes all nine cells, whichever one changed.
    void rows_showAndReadBackTheirParameters()
    {
        const ParameterSet distinct{1000001, 1000002, 1000003, 44, 55, 66, 77, 60008, 60009};
        refreshGrid(*m_grid, distinct);
        QStringList shown;
        for (int row = 1; row <= ParameterCount; ++row)
            shown << m_grid->cellText(row);
        QCOMPARE(shown, (QStringList{"1000001", "1000002", "1000003", "44", "55", "77", "66",
                                     "60008", "60009"}));
        QCOMPARE(m_grid->verticalHeaderItem(5)->text(), u"Count Trip Pressure"_s);
        ParameterSet back;
        readGridBack(*m_grid, back);
        QCOMPARE(back, distinct);
    }

    // Set-points start at 2; a trip pressure goes to 99, the timer to 255, fault counts to
    // 65535 and the other counts to 9999999.
    void rowRanges_refuseValuesTheDeviceCannotHold_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("lowest");
        QTest::addColumn<int>("highest");
        const QList<QList<int>> ranges{{2, 9999999}, {2, 9999999}, {0, 9999999},
                                       {0, 99},      {0, 255},     {0, 99},
                                       {0, 99},      {0, 65535},   {0, 65535}};
        for (int row = 1; row <= ParameterCount; ++row)
            QTest::addRow("row %d", row) << row << ranges[row - 1][0] << ranges[row - 1][1];
    }

    void rowRanges_refuseValuesTheDeviceCannotHold()
    {
        QFETCH(int, row);
        QFETCH(int, lowest);
        QFETCH(int, highest);
        QVERIFY(!m_grid->enterText(row, QString::number(lowest - 1)));
        QVERIFY(!m_grid->enterText(row, QString::number(highest + 1)));
        QVERIFY(m_grid->enterText(row, QString::number(lowest)));
        QVERIFY(m_grid->enterText(row, QString::number(highest)));
    }

    void needleReleased_givesRoundedSetPoint_data()
    {
        QTest::addColumn<double>("released");
        QTest::addColumn<int>("setPoint");
        QTest::addColumn<double>("needleAfter");
        for (const auto& [released, setPoint, after] :
             std::initializer_list<std::tuple<double, int, double>>{{99.7, 99, 99.0},
                                                                    {99.0, 99, 99.0},
                                                                    {42.5, 42, 42.5},
                                                                    {43.5, 44, 43.5},
                                                                    {42.6, 43, 42.6},
                                                                    {0.5, 0, 0.5}})
            QTest::addRow("%.1f", released) << released << setPoint << after;
    }

    void needleReleased_givesRoundedSetPoint()
    {
        QFETCH(double, released);
        QFETCH(int, setPoint);
        QFETCH(double, needleAfter);
        DialGauge gauge;
        gauge.setNeedleValue(released);
        QCOMPARE(takeNeedleSetPoint(gauge), static_cast<std::int16_t>(setPoint));
        QCOMPARE(gauge.needleValue(), needleAfter);
    }
};

QTEST_MAIN(TestParameterSync)
#include "tst_ParameterSync.moc"
