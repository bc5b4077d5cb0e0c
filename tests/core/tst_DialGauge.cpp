#include "DialGauge.h"
#include "TestSupport.h"

#include <QAccessible>
#include <QAccessibleValueInterface>
#include <QImage>
#include <QSignalSpy>
#include <QTest>

#include <limits>
#include <memory>

namespace {

constexpr QSize TripSize(113, 81);
constexpr QSize LiveSize(273, 249);

// Counts the paint events a widget receives.
class PaintCounter : public QObject
{
public:
    int paints = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        paints += event->type() == QEvent::Paint;
        return false;
    }
};

// The strongest needle red found on a short horizontal run of device pixels.
bool hasNeedleRed(const QImage& image, int centreX, int y)
{
    for (int x = centreX - 2; x <= centreX + 2; ++x) {
        const QColor c = image.pixelColor(x, y);
        if (c.red() > 150 && c.green() < 110 && c.blue() < 110)
            return true;
    }
    return false;
}

} // namespace

class TestDialGauge : public QObject
{
    Q_OBJECT

    std::unique_ptr<DialGauge> m_gauge;

    QImage rendered(qreal ratio = 1) const
    {
        QImage image(TripSize * ratio, QImage::Format_ARGB32_Premultiplied);
        image.setDevicePixelRatio(ratio);
        image.fill(Qt::white);
        m_gauge->render(&image);
        return image;
    }

private Q_SLOTS:
    void init()
    {
        m_gauge = std::make_unique<DialGauge>();
        m_gauge->setCaption(u"Static Trip"_s);
        m_gauge->resize(TripSize);
        m_gauge->setNeedleMouseControl(true);
    }

    void cleanup() { m_gauge.reset(); }

    void valueAt_pointOnTheDial_givesScaleValue_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QPointF>("point");
        QTest::addColumn<double>("expected");
        QTest::newRow("trip dial, straight up") << TripSize << QPointF(56.5, 3) << 50.0;
        QTest::newRow("trip dial, below the left end") << TripSize << QPointF(0, 80) << 0.0;
        QTest::newRow("trip dial, below the right end") << TripSize << QPointF(112, 80) << 100.0;
        QTest::newRow("live dial, straight up") << LiveSize << QPointF(136.5, 3) << 50.0;
        QTest::newRow("live dial, opening left of middle") << LiveSize << QPointF(130, 248) << 0.0;
        QTest::newRow("live dial, opening right of middle")
            << LiveSize << QPointF(143, 248) << 100.0;
    }

    void valueAt_pointOnTheDial_givesScaleValue()
    {
        QFETCH(QSize, size);
        QFETCH(QPointF, point);
        QFETCH(double, expected);
        m_gauge->resize(size);
        QCOMPARE(m_gauge->valueAt(point), expected);
    }

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

    void setNeedleValue_outsideScale_isPinnedToItsEnds_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<double>("expected");
        QTest::newRow("within") << 42.6 << 42.6;
        QTest::newRow("above the scale") << 150.0 << 100.0;
        QTest::newRow("below the scale") << -5.0 << 0.0;
        QTest::newRow("not a number") << std::numeric_limits<double>::quiet_NaN() << 12.0;
    }

    void setNeedleValue_outsideScale_isPinnedToItsEnds()
    {
        QFETCH(double, value);
        QFETCH(double, expected);
        m_gauge->setNeedleValue(12);
        m_gauge->setNeedleValue(value);
        QCOMPARE(m_gauge->needleValue(), expected);
    }

    void unchangedValues_neitherRepaintNorNotify_data()
    {
        QTest::addColumn<QByteArray>("property");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QVariant>("other");
        QTest::newRow("needle") << QByteArray("NeedleValue") << QVariant(42.0) << QVariant(43.0);
        QTest::newRow("window high") << QByteArray("WindowHigh") << QVariant(60) << QVariant(61);
        QTest::newRow("window low") << QByteArray("WindowLow") << QVariant(20) << QVariant(21);
        QTest::newRow("caption") << QByteArray("caption") << QVariant(u"Static Trip"_s)
                                 << QVariant(u"Count Trip"_s);
    }

    void unchangedValues_neitherRepaintNorNotify()
    {
        QFETCH(QByteArray, property);
        QFETCH(QVariant, value);
        QFETCH(QVariant, other);
        m_gauge->setProperty(property, value);
        m_gauge->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_gauge.get()));
        QCoreApplication::processEvents();
        PaintCounter counter;
        m_gauge->installEventFilter(&counter);
        QSignalSpy needleChanged(m_gauge.get(), &DialGauge::needleValueChanged);

        m_gauge->setProperty(property, value);
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
        QCOMPARE(counter.paints, 0);
        QCOMPARE(needleChanged.count(), 0);

        // The same flush does deliver the repaint of a real change.
        m_gauge->setProperty(property, other);
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
        QCOMPARE(counter.paints, 1);
        m_gauge->removeEventFilter(&counter);
    }

    void keys_stepATripNeedleToWholeNumbers_andRaiseMouseUp_data()
    {
        QTest::addColumn<bool>("trip");
        QTest::addColumn<double>("start");
        QTest::addColumn<int>("key");
        QTest::addColumn<double>("expected");
        QTest::newRow("up from between") << true << 42.6 << int(Qt::Key_Up) << 43.0;
        QTest::newRow("up from whole") << true << 42.0 << int(Qt::Key_Up) << 43.0;
        QTest::newRow("down from between") << true << 42.6 << int(Qt::Key_Down) << 42.0;
        QTest::newRow("down at the bottom") << true << 0.0 << int(Qt::Key_Down) << 0.0;
        QTest::newRow("up stops at the highest trip") << true << 99.0 << int(Qt::Key_Up) << 99.0;
        QTest::newRow("end") << true << 10.0 << int(Qt::Key_End) << 99.0;
        QTest::newRow("page down") << true << 5.0 << int(Qt::Key_PageDown) << 0.0;
        QTest::newRow("live dial ignores keys") << false << 40.0 << int(Qt::Key_Up) << 40.0;
    }

    void keys_stepATripNeedleToWholeNumbers_andRaiseMouseUp()
    {
        QFETCH(bool, trip);
        QFETCH(double, start);
        QFETCH(int, key);
        QFETCH(double, expected);
        m_gauge->setNeedleMouseControl(trip);
        m_gauge->setNeedleValue(start);
        QSignalSpy mouseUp(m_gauge.get(), &DialGauge::MouseUp);
        QTest::keyClick(m_gauge.get(), static_cast<Qt::Key>(key));
        QCOMPARE(m_gauge->needleValue(), expected);
        QCOMPARE(mouseUp.count(), trip ? 1 : 0);
    }

    void accessibleInterface_givesCaptionValueAndWindow()
    {
        m_gauge->setNeedleValue(42);
        m_gauge->setWindowHigh(60);
        m_gauge->setWindowLow(20);

        QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(m_gauge.get());
        QVERIFY(iface);
        QCOMPARE(iface->role(), QAccessible::Dial);
        QCOMPARE(iface->text(QAccessible::Name), u"Static Trip"_s);
        QCOMPARE(iface->text(QAccessible::Description), u"Window 20 to 60 PSI"_s);
        QAccessibleValueInterface* value = iface->valueInterface();
        QVERIFY(value);
        QCOMPARE(value->currentValue().toDouble(), 42.0);
        QCOMPARE(value->minimumValue().toDouble(), 0.0);
        QCOMPARE(value->maximumValue().toDouble(), 100.0);

        QSignalSpy mouseUp(m_gauge.get(), &DialGauge::MouseUp);
        value->setCurrentValue(120.0);
        QCOMPARE(m_gauge->needleValue(), 99.0);
        QCOMPARE(mouseUp.count(), 1);
    }

    void painting_drawsNeedleWhereTheValueSays_data()
    {
        QTest::addColumn<qreal>("ratio");
        QTest::newRow("standard screen") << qreal(1);
        QTest::newRow("high density screen") << qreal(2);
    }

    void painting_drawsNeedleWhereTheValueSays()
    {
        QFETCH(qreal, ratio);
        const int centreX = qRound(TripSize.width() * ratio / 2);
        const int upperY = qRound(TripSize.height() * ratio * 0.35);
        m_gauge->setNeedleValue(50);
        QVERIFY(hasNeedleRed(rendered(ratio), centreX, upperY));
        m_gauge->setNeedleValue(0);
        QVERIFY(!hasNeedleRed(rendered(ratio), centreX, upperY));
    }

    void painting_marksAnOpenWindowOnly()
    {
        const QImage plain = rendered();
        // The window as Connect leaves it, low above high, is not drawn.
        m_gauge->setWindowLow(99);
        QCOMPARE(rendered(), plain);
        m_gauge->setWindowHigh(60);
        m_gauge->setWindowLow(20);
        QVERIFY(rendered() != plain);
    }

    // The trip needle stands at 30: (37, 36) lies on it, (56, 3) on the band near 50.
    void press_takesHoldOnlyOfNeedleOrBand_data()
    {
        QTest::addColumn<QPoint>("press");
        QTest::addColumn<QPoint>("release");
        QTest::addColumn<double>("after");
        QTest::addColumn<int>("mouseUps");
        QTest::newRow("band") << QPoint(56, 3) << QPoint(56, 3) << 50.0 << 1;
        QTest::newRow("needle, dragged") << QPoint(37, 36) << QPoint(56, 3) << 50.0 << 1;
        QTest::newRow("needle, released in place") << QPoint(37, 36) << QPoint(37, 36) << 30.0 << 1;
        QTest::newRow("caption, released on the band")
            << QPoint(56, 70) << QPoint(56, 3) << 30.0 << 0;
        QTest::newRow("centre") << QPoint(56, 58) << QPoint(56, 58) << 30.0 << 0;
        QTest::newRow("outside the dial") << QPoint(3, 3) << QPoint(3, 3) << 30.0 << 0;
    }

    void press_takesHoldOnlyOfNeedleOrBand()
    {
        QFETCH(QPoint, press);
        QFETCH(QPoint, release);
        QFETCH(double, after);
        QFETCH(int, mouseUps);
        m_gauge->setNeedleValue(30);
        QSignalSpy mouseUp(m_gauge.get(), &DialGauge::MouseUp);
        QTest::mousePress(m_gauge.get(), Qt::LeftButton, {}, press);
        QTest::mouseRelease(m_gauge.get(), Qt::LeftButton, {}, release);
        QVERIFY(qAbs(m_gauge->needleValue() - after) < 0.5);
        QCOMPARE(mouseUp.count(), mouseUps);
    }
};

QTEST_MAIN(TestDialGauge)
#include "tst_DialGauge.moc"
