#include "DialGauge.h"
#include "TestSupport.h"

#include <QAccessible>
#include <QAccessibleValueInterface>
#include <QSignalSpy>
#include <QTest>

#include <memory>

class TestDialGauge : public QObject
{
    Q_OBJECT

    std::unique_ptr<DialGauge> m_gauge;

private Q_SLOTS:
    void init()
    {
        m_gauge = std::make_unique<DialGauge>();
        m_gauge->setCaption(u"Static Trip"_s);
        m_gauge->resize(113, 81); // a trip dial on the main window
        m_gauge->setNeedleMouseControl(true);
    }

    void cleanup() { m_gauge.reset(); }

    // Every drag presses straight up, at 50 on the scale; a null move point releases without
    // moving first.
    void drag_movesOnlyATripNeedle_andRaisesMouseUpOnRelease_data()
    {
        QTest::addColumn<bool>("trip");
        QTest::addColumn<QPoint>("move");
        QTest::addColumn<QPoint>("release");
        QTest::addColumn<double>("after");
        QTest::newRow("trip dial to the right end")
            << true << QPoint(112, 80) << QPoint(112, 80) << 100.0;
        QTest::newRow("trip dial released beside the dial")
            << true << QPoint() << QPoint(-40, 200) << 0.0;
        QTest::newRow("live dial, left at 30")
            << false << QPoint(112, 80) << QPoint(112, 80) << 30.0;
    }

    void drag_movesOnlyATripNeedle_andRaisesMouseUpOnRelease()
    {
        QFETCH(bool, trip);
        QFETCH(QPoint, move);
        QFETCH(QPoint, release);
        QFETCH(double, after);
        m_gauge->setNeedleMouseControl(trip);
        m_gauge->setNeedleValue(30);
        m_gauge->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_gauge.get()));
        QSignalSpy mouseUp(m_gauge.get(), &DialGauge::MouseUp);
        QTest::mousePress(m_gauge.get(), Qt::LeftButton, {}, QPoint(56, 3));
        QVERIFY(qAbs(m_gauge->needleValue() - (trip ? 50.0 : 30.0)) < 1.0);
        if (!move.isNull()) {
            QTest::mouseMove(m_gauge.get(), move);
            QCOMPARE(m_gauge->needleValue(), after);
        }
        QCOMPARE(mouseUp.count(), 0);
        QTest::mouseRelease(m_gauge.get(), Qt::LeftButton, {}, release);
        QCOMPARE(m_gauge->needleValue(), after);
        QCOMPARE(mouseUp.count(), 1);
    }

    // Keys step a trip needle to whole numbers up to the highest trip, raising MouseUp; the
    // live dial ignores them. A screen reader sets the value the same way.
    void keysAndScreenReader_setATripNeedle_data()
    {
        QTest::addColumn<bool>("trip");
        QTest::addColumn<double>("start");
        QTest::addColumn<int>("key");
        QTest::addColumn<double>("expected");
        const auto row = [](const char* name, bool trip, double start, int key, double expected) {
            QTest::newRow(name) << trip << start << key << expected;
        };
        row("up from between", true, 42.6, Qt::Key_Up, 43.0);
        row("end", true, 10.0, Qt::Key_End, 99.0);
        row("page down", true, 15.5, Qt::Key_PageDown, 6.0);
        row("live dial ignores keys", false, 40.0, Qt::Key_Up, 40.0);
        row("screen reader beyond the highest trip", true, 40.0, 0, 99.0);
    }

    void keysAndScreenReader_setATripNeedle()
    {
        QFETCH(bool, trip);
        QFETCH(double, start);
        QFETCH(int, key);
        QFETCH(double, expected);
        m_gauge->setNeedleMouseControl(trip);
        m_gauge->setNeedleValue(start);
        m_gauge->setWindowHigh(60);
        m_gauge->setWindowLow(20);
        QSignalSpy mouseUp(m_gauge.get(), &DialGauge::MouseUp);
        QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(m_gauge.get());
        QVERIFY(iface && iface->valueInterface());
        QCOMPARE(iface->role(), QAccessible::Dial);
        QCOMPARE(iface->text(QAccessible::Name), u"Static Trip"_s);
        QCOMPARE(iface->text(QAccessible::Description), u"Window 20 to 60 PSI"_s);
        QCOMPARE(iface->valueInterface()->currentValue().toDouble(), start);
        if (key)
            QTest::keyClick(m_gauge.get(), static_cast<Qt::Key>(key));
        else
            iface->valueInterface()->setCurrentValue(120.0);
        QCOMPARE(m_gauge->needleValue(), expected);
        QCOMPARE(mouseUp.count(), trip ? 1 : 0);
    }
};

QTEST_MAIN(TestDialGauge)
#include "tst_DialGauge.moc"
