#include "DialGauge.h"

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
        if (event->type() == QEvent::Paint)
            ++paints;
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

private Q_SLOTS:
    void init();
    void cleanup();

    void valueAt_pointOnTheDial_givesScaleValue_data();
    void valueAt_pointOnTheDial_givesScaleValue();
    void dragOnTripDial_movesNeedle_andRaisesMouseUpOnce();
    void dragReleasedBesideTheDial_stillRaisesMouseUp();
    void liveDial_ignoresDrag_butReportsRelease();
    void setNeedleValue_outsideScale_isPinnedToItsEnds_data();
    void setNeedleValue_outsideScale_isPinnedToItsEnds();
    void unchangedValues_neitherRepaintNorNotify_data();
    void unchangedValues_neitherRepaintNorNotify();
    void arrowKeysOnTripDial_stepToWholeNumbers_andRaiseMouseUp_data();
    void arrowKeysOnTripDial_stepToWholeNumbers_andRaiseMouseUp();
    void arrowKeysOnLiveDial_changeNothing();
    void accessibleInterface_givesCaptionValueAndWindow();
    void painting_drawsNeedleWhereTheValueSays_data();
    void painting_drawsNeedleWhereTheValueSays();
    void painting_marksAnOpenWindowOnly();

private:
    std::unique_ptr<DialGauge> m_gauge;
};

void TestDialGauge::init()
{
    m_gauge = std::make_unique<DialGauge>();
    m_gauge->setCaption(QStringLiteral("Static Trip"));
    m_gauge->resize(TripSize);
    m_gauge->setNeedleMouseControl(true);
}

void TestDialGauge::cleanup()
{
    m_gauge.reset();
}

void TestDialGauge::valueAt_pointOnTheDial_givesScaleValue_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QPointF>("point");
    QTest::addColumn<double>("expected");

    QTest::newRow("trip dial, straight up") << TripSize << QPointF(56.5, 3) << 50.0;
    QTest::newRow("trip dial, below the left end") << TripSize << QPointF(0, 80) << 0.0;
    QTest::newRow("trip dial, below the right end") << TripSize << QPointF(112, 80) << 100.0;
    QTest::newRow("live dial, straight up") << LiveSize << QPointF(136.5, 3) << 50.0;
    QTest::newRow("live dial, opening left of middle") << LiveSize << QPointF(130, 248) << 0.0;
    QTest::newRow("live dial, opening right of middle") << LiveSize << QPointF(143, 248) << 100.0;
}

void TestDialGauge::valueAt_pointOnTheDial_givesScaleValue()
{
    QFETCH(QSize, size);
    QFETCH(QPointF, point);
    QFETCH(double, expected);

    m_gauge->resize(size);
    QCOMPARE(m_gauge->valueAt(point), expected);
}

void TestDialGauge::dragOnTripDial_movesNeedle_andRaisesMouseUpOnce()
{
    m_gauge->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_gauge.get()));
    QSignalSpy mouseUp(m_gauge.get(), &DialGauge::MouseUp);

    QTest::mousePress(m_gauge.get(), Qt::LeftButton, {}, QPoint(56, 3));
    QVERIFY(qAbs(m_gauge->needleValue() - 50.0) < 1.0);
    QTest::mouseMove(m_gauge.get(), QPoint(112, 80));
    QCOMPARE(m_gauge->needleValue(), 100.0);
    QCOMPARE(mouseUp.count(), 0);

    QTest::mouseRelease(m_gauge.get(), Qt::LeftButton, {}, QPoint(112, 80));
    QCOMPARE(m_gauge->needleValue(), 100.0);
    QCOMPARE(mouseUp.count(), 1);
}

void TestDialGauge::dragReleasedBesideTheDial_stillRaisesMouseUp()
{
    m_gauge->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_gauge.get()));
    QSignalSpy mouseUp(m_gauge.get(), &DialGauge::MouseUp);

    QTest::mousePress(m_gauge.get(), Qt::LeftButton, {}, QPoint(56, 3));
    QTest::mouseRelease(m_gauge.get(), Qt::LeftButton, {}, QPoint(-40, 200));

    QCOMPARE(mouseUp.count(), 1);
    QCOMPARE(m_gauge->needleValue(), 0.0);
}

void TestDialGauge::liveDial_ignoresDrag_butReportsRelease()
{
    m_gauge->setNeedleMouseControl(false);
    m_gauge->setNeedleValue(30);
    m_gauge->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_gauge.get()));
    QSignalSpy mouseUp(m_gauge.get(), &DialGauge::MouseUp);

    QTest::mousePress(m_gauge.get(), Qt::LeftButton, {}, QPoint(56, 3));
    QTest::mouseMove(m_gauge.get(), QPoint(112, 80));
    QTest::mouseRelease(m_gauge.get(), Qt::LeftButton, {}, QPoint(112, 80));

    QCOMPARE(m_gauge->needleValue(), 30.0);
    QCOMPARE(mouseUp.count(), 1);
}

void TestDialGauge::setNeedleValue_outsideScale_isPinnedToItsEnds_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<double>("expected");

    QTest::newRow("within") << 42.6 << 42.6;
    QTest::newRow("above the scale") << 150.0 << 100.0;
    QTest::newRow("below the scale") << -5.0 << 0.0;
    QTest::newRow("not a number") << std::numeric_limits<double>::quiet_NaN() << 12.0;
}

void TestDialGauge::setNeedleValue_outsideScale_isPinnedToItsEnds()
{
    QFETCH(double, value);
    QFETCH(double, expected);

    m_gauge->setNeedleValue(12);
    m_gauge->setNeedleValue(value);
    QCOMPARE(m_gauge->needleValue(), expected);
}

void TestDialGauge::unchangedValues_neitherRepaintNorNotify_data()
{
    QTest::addColumn<QString>("property");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QVariant>("other");

    QTest::newRow("needle") << QStringLiteral("NeedleValue") << QVariant(42.0) << QVariant(43.0);
    QTest::newRow("window high") << QStringLiteral("WindowHigh") << QVariant(60) << QVariant(61);
    QTest::newRow("window low") << QStringLiteral("WindowLow") << QVariant(20) << QVariant(21);
    QTest::newRow("caption") << QStringLiteral("caption") << QVariant(QStringLiteral("Static Trip"))
                             << QVariant(QStringLiteral("Count Trip"));
}

void TestDialGauge::unchangedValues_neitherRepaintNorNotify()
{
    QFETCH(QString, property);
    QFETCH(QVariant, value);
    QFETCH(QVariant, other);
    const QByteArray name = property.toLatin1();

    m_gauge->setProperty(name.constData(), value);
    m_gauge->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_gauge.get()));
    QCoreApplication::processEvents();
    PaintCounter counter;
    m_gauge->installEventFilter(&counter);
    QSignalSpy needleChanged(m_gauge.get(), &DialGauge::needleValueChanged);

    m_gauge->setProperty(name.constData(), value);
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
    QCOMPARE(counter.paints, 0);
    QCOMPARE(needleChanged.count(), 0);

    // The same flush does deliver the repaint of a real change.
    m_gauge->setProperty(name.constData(), other);
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
    QCOMPARE(counter.paints, 1);
    m_gauge->removeEventFilter(&counter);
}

void TestDialGauge::arrowKeysOnTripDial_stepToWholeNumbers_andRaiseMouseUp_data()
{
    QTest::addColumn<double>("start");
    QTest::addColumn<int>("key");
    QTest::addColumn<double>("expected");

    QTest::newRow("up from between") << 42.6 << int(Qt::Key_Up) << 43.0;
    QTest::newRow("up from whole") << 42.0 << int(Qt::Key_Up) << 43.0;
    QTest::newRow("down from between") << 42.6 << int(Qt::Key_Down) << 42.0;
    QTest::newRow("down at the bottom") << 0.0 << int(Qt::Key_Down) << 0.0;
    QTest::newRow("up stops at the highest trip") << 99.0 << int(Qt::Key_Up) << 99.0;
    QTest::newRow("end") << 10.0 << int(Qt::Key_End) << 99.0;
    QTest::newRow("page down") << 5.0 << int(Qt::Key_PageDown) << 0.0;
}

void TestDialGauge::arrowKeysOnTripDial_stepToWholeNumbers_andRaiseMouseUp()
{
    QFETCH(double, start);
    QFETCH(int, key);
    QFETCH(double, expected);

    m_gauge->setNeedleValue(start);
    QSignalSpy mouseUp(m_gauge.get(), &DialGauge::MouseUp);
    QTest::keyClick(m_gauge.get(), static_cast<Qt::Key>(key));

    QCOMPARE(m_gauge->needleValue(), expected);
    QCOMPARE(mouseUp.count(), 1);
}

void TestDialGauge::arrowKeysOnLiveDial_changeNothing()
{
    m_gauge->setNeedleMouseControl(false);
    m_gauge->setNeedleValue(40);
    QSignalSpy mouseUp(m_gauge.get(), &DialGauge::MouseUp);

    QTest::keyClick(m_gauge.get(), Qt::Key_Up);

    QCOMPARE(m_gauge->needleValue(), 40.0);
    QCOMPARE(mouseUp.count(), 0);
}

void TestDialGauge::accessibleInterface_givesCaptionValueAndWindow()
{
    m_gauge->setNeedleValue(42);
    m_gauge->setWindowHigh(60);
    m_gauge->setWindowLow(20);

    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(m_gauge.get());
    QVERIFY(iface);
    QCOMPARE(iface->role(), QAccessible::Dial);
    QCOMPARE(iface->text(QAccessible::Name), QStringLiteral("Static Trip"));
    QCOMPARE(iface->text(QAccessible::Description), QStringLiteral("Window 20 to 60 PSI"));
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

void TestDialGauge::painting_drawsNeedleWhereTheValueSays_data()
{
    QTest::addColumn<qreal>("ratio");
    QTest::newRow("standard screen") << qreal(1);
    QTest::newRow("high density screen") << qreal(2);
}

void TestDialGauge::painting_drawsNeedleWhereTheValueSays()
{
    QFETCH(qreal, ratio);

    QImage image(TripSize * ratio, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    const int centreX = qRound(TripSize.width() * ratio / 2);
    const int upperY = qRound(TripSize.height() * ratio * 0.35);

    m_gauge->setNeedleValue(50);
    image.fill(Qt::white);
    m_gauge->render(&image);
    QVERIFY(hasNeedleRed(image, centreX, upperY));

    m_gauge->setNeedleValue(0);
    image.fill(Qt::white);
    m_gauge->render(&image);
    QVERIFY(!hasNeedleRed(image, centreX, upperY));
}

void TestDialGauge::painting_marksAnOpenWindowOnly()
{
    QImage plain(TripSize, QImage::Format_ARGB32_Premultiplied);
    plain.fill(Qt::white);
    m_gauge->render(&plain);

    m_gauge->setWindowLow(99);
    QImage afterConnect(TripSize, QImage::Format_ARGB32_Premultiplied);
    afterConnect.fill(Qt::white);
    m_gauge->render(&afterConnect);
    QCOMPARE(afterConnect, plain);

    m_gauge->setWindowHigh(60);
    m_gauge->setWindowLow(20);
    QImage marked(TripSize, QImage::Format_ARGB32_Premultiplied);
    marked.fill(Qt::white);
    m_gauge->render(&marked);
    QVERIFY(marked != plain);
}

QTEST_MAIN(TestDialGauge)
#include "tst_DialGauge.moc"
