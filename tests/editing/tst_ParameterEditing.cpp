#include "AutoCalibration.h"
#include "ParameterOrigin.h"
#include "TestSupport.h"

#include <QTest>

#include <limits>

class TestParameterEditing : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // No trips: the window is refused and the set left as it was.
    void autoCal_pressureWindow_givesTripsAndClearsCounters_orIsRefused_data()
    {
        QTest::addColumn<int>("maxPressure");
        QTest::addColumn<int>("minPressure");
        QTest::addColumn<QList<int>>("trips"); // static, count, dynamic
        const auto row = [](const char* name, int max, int min, QList<int> trips) {
            QTest::newRow(name) << max << min << trips;
        };
        row("60/20 whole results", 60, 20, {40, 30, 15});
        row("26/21 half to even upward", 26, 21, {24, 22, 16});
        row("10/5 narrowest usable", 10, 5, {8, 6, 4});
        row("99/94 top of the dial", 99, 94, {96, 95, 70});
        row("width 4", 10, 6, {});
        row("constant pressure", 50, 50, {});
        row("right after connect", 0, 99, {});
        row("high end at zero", 0, -10, {});
        row("too wide for 16 bits", std::numeric_limits<std::int16_t>::max(),
            std::numeric_limits<std::int16_t>::min(), {});
    }

    void autoCal_pressureWindow_givesTripsAndClearsCounters_orIsRefused()
    {
        QFETCH(int, maxPressure);
        QFETCH(int, minPressure);
        QFETCH(QList<int>, trips);
        ParameterSet set = exampleValues();
        QCOMPARE(applyAutoCalibration(set, std::int16_t(maxPressure), std::int16_t(minPressure)),
                 !trips.isEmpty());
        const auto trip = [&](int i) { return std::int16_t(trips.value(i)); };
        const ParameterSet expected =
            trips.isEmpty() ? exampleValues()
                            : ParameterSet{5000, 4500, 0, trip(0), 10, trip(2), trip(1), 0, 0};
        QCOMPARE(set, expected);
    }

    // What Connect and Exit learn about the set after each of the events that keep or change
    // it: whether no device holds it, the file it came from, the rows Exit would lose.
    void origin_eachEvent_tellsWhatIsKeptWhere_data()
    {
        QTest::addColumn<QString>("events");
        QTest::addColumn<QString>("expected");
        QTest::newRow("start") << u""_s << u"in device, , "_s;
        QTest::newRow("read") << u"read"_s << u"not in device, PRESS1.PRS, "_s;
        QTest::newRow("read, edit")
            << u"read edit"_s
            << u"not in device, PRESS1.PRS, Overcount S.P.|Static Trip Pressure"_s;
        QTest::newRow("edit, save") << u"edit save"_s << u"not in device, , "_s;
        QTest::newRow("read, upload") << u"read upload"_s << u"in device, , "_s;
        QTest::newRow("upload, edit, one row written")
            << u"upload edit write"_s << u"not in device, , Overcount S.P."_s;
    }

    void origin_eachEvent_tellsWhatIsKeptWhere()
    {
        QFETCH(QString, events);
        QFETCH(QString, expected);
        ParameterSet set;
        ParameterOrigin origin(set);
        for (const QString& event : events.split(u' ', Qt::SkipEmptyParts)) {
            if (event == u"read") {
                set = exampleValues();
                origin.fileRead(u"C:\\DATA\\PRESS1.PRS"_s, set);
            } else if (event == u"edit") {
                set.ShutDownCountSP = 7;
                set.StaticTripSP = 9;
            } else if (event == u"save") {
                origin.fileSaved(set);
            } else {
                for (int p = 0; p < ParameterCount; ++p) {
                    const auto parameter = Parameter(p);
                    if (event == u"upload" || parameter == Parameter::StaticTripSP)
                        origin.deviceHolds(parameter, set.value(parameter));
                }
            }
        }
        const QString told = origin.notInDevice(set) ? u"not in device"_s : u"in device"_s;
        QCOMPARE(
            QStringList({told, origin.fileName(), origin.unkeptRows(set).join(u'|')}).join(u", "_s),
            expected);
    }
};

QTEST_GUILESS_MAIN(TestParameterEditing)
#include "tst_ParameterEditing.moc"
