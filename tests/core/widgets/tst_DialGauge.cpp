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

    // The needle stands at 30: (37, 36) lies on it, (56, 3) on the band near 50. Only a press
    // on the needle or the band of a trip dial takes hold; a null move point releases without
    // moving first, and a drag released beside the dial still counts. The live dial ignores
    // the mouse but for MouseUp.
    void press_takesHoldOnlyOfNeedleOrBand_data()
    {
        QTest::addColumn<bool>("trip");
        QTest::addColumn<QPoint>("press");
        QTest::addColumn<QPoint>("move");
        QTest::addColumn<QPoint>("release");
        QTest::addColumn<double>("after");
        QTest::addColumn<int>("mouseUps");
        const auto row = [](const char* name, bool trip, QPoint press, QPoint move, QPoint release,
                            double after, int mouseUps) {
            QTest::newRow(name) << trip << press << move << release << after << mouseUps;
        };
        row("band, dragged to the right end", true, {56, 3}, {112, 80}, {112, 80}, 100, 1);
        row("band, released beside the dial", true, {56, 3}, {}, {-40, 200}, 0, 1);
        row("needle, dragged", true, {37, 36}, {56, 3}, {56, 3}, 50, 1);
        row("needle, released in place", true, {37, 36}, {}, {37, 36}, 30, 1);
        row("caption, released on the band", true, {56, 70}, {}, {56, 3}, 30, 0);
        row("centre", true, {56, 58}, {}, {56, 58}, 30, 0);
        row("live dial", false, {56, 3}, {112, 80}, {112, 80}, 30, 1);
    }

    void press_takesHoldOnlyOfNeedleOrBand()
    {
        QFETCH(bool, trip);
        QFETCH(QPoint, press);
        QFETCH(QPoint, move);
        QFETCH(QPoint, release);
        QFETCH(double, after);
        QFETCH(int, mouseUps);
        m_gauge->setNeedleMouseControl(trip);
        m_gauge->setNeedleValue(30);
        m_gauge->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_gauge.get()));
        QSignalSpy mouseUp(m_gauge.get(), &DialGauge::MouseUp);
        QTest::mousePress(m_gauge.get(), Qt::LeftButton, {}, press);
        if (!move.isNull())
            QTest::mouseMove(m_gauge.get(), move);
        QCOMPARE(mouseUp.count(), 0);
        QTest::mouseRelease(m_gauge.get(), Qt::LeftButton, {}, release);
        QVERIFY2(qAbs(m_gauge->needleValue() - after) < 0.5,
                 qPrintable(QString::number(m_gauge->needleValue())));
        QCOMPARE(mouseUp.count(), mouseUps);
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
        QCOMPARE(iface->text(QAccessible::Value), QString::number(expected, 'f', 1));
        QCOMPARE(mouseUp.count(), trip ? 1 : 0);
    }
};

QTEST_MAIN(TestDialGauge)
#include "tst_DialGauge.moc"
