#include "DialGauge.h"

#include "ParameterTable.h"
#include "RoundHalfEven.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QStyle>
#include <QStyleOptionFocusRect>
#include <QToolTip>
#include <QtMath>

#include <algorithm>
#include <cmath>

namespace {

QPointF polar(const QPointF& centre, double radius, double degrees)
{
    const double radians = qDegreesToRadians(degrees);
    return centre + QPointF(radius * std::cos(radians), -radius * std::sin(radians));
}

QString windowText(const DialGauge& gauge)
{
    const QString window =
        gauge.windowShown()
            ? QStringLiteral("Window %1 to %2 PSI").arg(gauge.windowLow()).arg(gauge.windowHigh())
            : QStringLiteral("No pressure window");
    if (gauge.readingCurrent())
        return window;
    return window + QStringLiteral("; not live: the last reading before the stream stopped");
}

// A faded needle or band: the same colour, mostly see-through.
QColor faded(QColor colour, bool current)
{
    if (!current)
        colour.setAlphaF(colour.alphaF() * 0.3f);
    return colour;
}

// What screen readers see of a dial: its caption as the name, the needle as a value on
// the 0 to 100 scale and the marked pressure window as the description.
class DialGaugeAccessible : public QAccessibleWidget, public QAccessibleValueInterface
{
public:
    explicit DialGaugeAccessible(DialGauge* gauge) : QAccessibleWidget(gauge, QAccessible::Dial) {}

    void* interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::ValueInterface)
            return static_cast<QAccessibleValueInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    QString text(QAccessible::Text t) const override
    {
        switch (t) {
        case QAccessible::Name:
            return gauge()->accessibleName().isEmpty() ? gauge()->caption()
                                                       : gauge()->accessibleName();
        case QAccessible::Description:
            return windowText(*gauge());
        case QAccessible::Value:
            return QString::number(gauge()->needleValue(), 'f', 1);
        default:
            return QAccessibleWidget::text(t);
        }
    }

    QVariant currentValue() const override { return gauge()->needleValue(); }

    // A value set by an assistive tool counts as a released drag on a trip dial.
    void setCurrentValue(const QVariant& value) override
    {
        if (!gauge()->needleMouseControl())
            return;
        gauge()->setNeedleValue(
            std::clamp<double>(value.toDouble(), DialGauge::ScaleMinimum, HighestTripPressure));
        Q_EMIT gauge()->MouseUp();
    }

    QVariant maximumValue() const override { return DialGauge::ScaleMaximum; }
    QVariant minimumValue() const override { return DialGauge::ScaleMinimum; }
    QVariant minimumStepSize() const override { return 1.0; }

private:
    DialGauge* gauge() const { return static_cast<DialGauge*>(widget()); }
};

QAccessibleInterface* dialGaugeAccessibleFactory(const QString& className, QObject* object)
{
    if (className == QLatin1String("DialGauge")) {
        if (auto* gauge = qobject_cast<DialGauge*>(object))
            return new DialGaugeAccessible(gauge);
    }
    return nullptr;
}

} // namespace

DialGauge::DialGauge(QWidget* parent) : QWidget(parent)
{
    static const bool factoryInstalled = [] {
        QAccessible::installFactory(&dialGaugeAccessibleFactory);
        return true;
    }();
    Q_UNUSED(factoryInstalled);

    setFocusPolicy(Qt::StrongFocus);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
}

void DialGauge::setCaption(const QString& caption)
{
    if (caption == m_caption)
        return;
    m_caption = caption;
    m_face = QPixmap();
    update();
    QAccessibleEvent event(this, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&event);
}

void DialGauge::setNeedleValue(double value)
{
    if (std::isnan(value))
        return;
    value = std::clamp(value, ScaleMinimum, ScaleMaximum);
    if (value == m_needle)
        return;
    // Only the needle moves: what it covered and will cover is redrawn. The area grows
    // until the next paint, so it stays one rectangle, which the face is copied into fast.
    const Face f = face();
    m_needleArea |= needleArea(f, m_needle) | needleArea(f, value);
    m_needle = value;
    update(m_needleArea);
    Q_EMIT needleValueChanged(m_needle);
    QAccessibleValueChangeEvent event(this, m_needle);
    QAccessible::updateAccessibility(&event);
}

void DialGauge::setWindowHigh(int value)
{
    if (value == m_windowHigh)
        return;
    m_windowHigh = value;
    notifyWindowChanged();
}

void DialGauge::setWindowLow(int value)
{
    if (value == m_windowLow)
        return;
    m_windowLow = value;
    notifyWindowChanged();
}

void DialGauge::setReadingCurrent(bool current)
{
    if (current == m_readingCurrent)
        return;
    m_readingCurrent = current;
    notifyWindowChanged();
}

void DialGauge::notifyWindowChanged()
{
    m_face = QPixmap();
    update();
    QAccessibleEvent event(this, QAccessible::DescriptionChanged);
    QAccessible::updateAccessibility(&event);
}

bool DialGauge::windowShown() const
{
    return m_windowHigh > 0 && m_windowHigh >= m_windowLow;
}

void DialGauge::setNeedleMouseControl(bool on)
{
    if (on == m_needleMouseControl)
        return;
    m_needleMouseControl = on;
    m_dragging = false;
    if (on)
        setCursor(Qt::PointingHandCursor);
    else
        unsetCursor();
}

DialGauge::Face DialGauge::face() const
{
    constexpr double margin = 2.0;
    const double width = std::max(1.0, static_cast<double>(this->width()) - 2 * margin);
    const double height = std::max(1.0, static_cast<double>(this->height()) - 2 * margin);
    Face f;

    // A near-square widget gets a three-quarter dial with the caption in the opening at
    // the bottom; a wide, low one gets a half dial with the caption below it, which
    // gives the larger scale in either shape.
    if (height >= 0.8 * width) {
        f.span = 270.0;
        f.captionPixels = qRound(std::clamp(height * 0.065, 9.0, 16.0));
        f.labelPixels = qRound(std::clamp(height * 0.05, 8.0, 13.0));
        const double below = std::sin(qDegreesToRadians((f.span - 180.0) / 2.0));
        f.radius = std::min(width / 2.0, height / (1.0 + below));
        const double spare = height - f.radius * (1.0 + below);
        f.centre = QPointF(margin + width / 2.0, margin + f.radius + spare / 2.0);
        const double captionHeight = f.captionPixels * 1.4;
        f.captionRect = QRectF(f.centre.x() - f.radius * 0.6, f.centre.y() + f.radius * 0.3,
                               f.radius * 1.2, captionHeight);
    } else {
        f.span = 180.0;
        f.captionPixels = qRound(std::clamp(height * 0.13, 10.0, 14.0));
        f.labelPixels = qRound(std::clamp(height * 0.1, 9.0, 12.0));
        const double captionHeight = f.captionPixels * 1.3;
        const double labelBelow = f.labelPixels * 0.6;
        f.radius = std::max(1.0, std::min(width / 2.0, height - labelBelow - captionHeight));
        const double spare = height - f.radius - labelBelow - captionHeight;
        f.centre = QPointF(margin + width / 2.0, margin + f.radius + spare / 2.0);
        f.captionRect =
            QRectF(margin, f.centre.y() + labelBelow, this->width() - 2 * margin, captionHeight);
    }
    f.startAngle = 90.0 + f.span / 2.0;
    f.stroke = std::max(1.5, f.radius * 0.02);
    f.tickLength = std::max(4.0, f.radius * 0.09);
    const bool large = f.radius >= 80.0;
    f.labelStep = large ? 10 : 20;
    f.minorStep = large ? 2 : 5;
    f.hub = std::max(2.5, f.radius * 0.05);
    f.needleWidth = std::max(1.5, f.radius * 0.025);
    f.needleLength = f.radius - f.stroke - f.tickLength * 0.3;
    return f;
}

double DialGauge::angleFor(const Face& face, double value)
{
    const double fraction = (std::clamp(value, ScaleMinimum, ScaleMaximum) - ScaleMinimum) /
                            (ScaleMaximum - ScaleMinimum);
    return face.startAngle - face.span * fraction;
}

double DialGauge::valueAt(const QPointF& position) const
{
    const Face f = face();
    const QPointF offset = position - f.centre;
    const double angle = qRadiansToDegrees(std::atan2(-offset.y(), offset.x()));
    // Clockwise distance from the start of the scale; a point in the opening below the
    // scale belongs to the nearer end.
    double along = std::fmod(f.startAngle - angle + 720.0, 360.0);
    if (along > f.span)
        along = along > f.span + (360.0 - f.span) / 2.0 ? 0.0 : f.span;
    return ScaleMinimum + (ScaleMaximum - ScaleMinimum) * along / f.span;
}

QRect DialGauge::needleArea(const Face& f, double value)
{
    const double angle = angleFor(f, value);
    const QRectF line(polar(f.centre, -f.radius * 0.08, angle),
                      polar(f.centre, f.needleLength, angle));
    // The line passes the hub's centre; the round cap, the hub and a pixel of antialiasing.
    const double reach = std::max(f.needleWidth / 2.0, f.hub) + 2.0;
    return line.normalized().adjusted(-reach, -reach, reach, reach).toAlignedRect();
}

void DialGauge::paintEvent(QPaintEvent*)
{
    m_needleArea = QRect();
    const Face f = face();
    QPainter painter(this);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
    const QColor ink = palette().color(QPalette::WindowText);

    painter.drawPixmap(0, 0, cachedFace(f));

    const double angle = angleFor(f, m_needle);
    painter.setPen(QPen(faded(QColor(205, 30, 30), m_readingCurrent), f.needleWidth, Qt::SolidLine,
                        Qt::RoundCap));
    painter.drawLine(polar(f.centre, -f.radius * 0.08, angle),
                     polar(f.centre, f.needleLength, angle));
    painter.setPen(Qt::NoPen);
    painter.setBrush(ink);
    painter.drawEllipse(f.centre, f.hub, f.hub);

    if (hasFocus()) {
        QStyleOptionFocusRect option;
        option.initFrom(this);
        option.backgroundColor = palette().color(QPalette::Window);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
    }
}

const QPixmap& DialGauge::cachedFace(const Face& f)
{
    const qreal ratio = devicePixelRatioF();
    if (m_face.isNull() || m_face.devicePixelRatio() != ratio ||
        m_face.deviceIndependentSize() != QSizeF(size())) {
        // Rendered at the screen's own pixel density, so the cached face stays crisp.
        m_face = QPixmap(size() * ratio);
        m_face.setDevicePixelRatio(ratio);
        m_face.fill(Qt::transparent);
        QPainter painter(&m_face);
        painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
        drawFace(painter, f);
    }
    return m_face;
}

void DialGauge::drawFace(QPainter& painter, const Face& f) const
{
    // The band lies under the scale.
    if (windowShown()) {
        const double bandRadius = f.radius - f.stroke - f.tickLength / 2.0;
        const QRectF bandRect(f.centre.x() - bandRadius, f.centre.y() - bandRadius, 2 * bandRadius,
                              2 * bandRadius);
        const double from = angleFor(f, m_windowLow);
        // A window that has not opened beyond a single value still gets a visible mark.
        const double to = std::min(angleFor(f, m_windowHigh), from - 1.5);
        painter.setPen(QPen(faded(QColor(255, 150, 0, 190), m_readingCurrent), f.tickLength,
                            Qt::SolidLine, Qt::FlatCap));
        painter.drawArc(bandRect, qRound(from * 16), qRound((to - from) * 16));
    }

    const QColor ink = palette().color(QPalette::WindowText);
    const double scaleRadius = f.radius - f.stroke / 2.0;
    const QRectF scaleRect(f.centre.x() - scaleRadius, f.centre.y() - scaleRadius, 2 * scaleRadius,
                           2 * scaleRadius);
    painter.setPen(QPen(ink, f.stroke, Qt::SolidLine, Qt::FlatCap));
    painter.drawArc(scaleRect, qRound(f.startAngle * 16), qRound(-f.span * 16));

    const QPen majorPen(ink, std::max(1.2, f.stroke * 0.9), Qt::SolidLine, Qt::FlatCap);
    const QPen minorPen(ink, 1.0, Qt::SolidLine, Qt::FlatCap);
    const double tickOuter = f.radius - f.stroke;
    for (int value = static_cast<int>(ScaleMinimum); value <= static_cast<int>(ScaleMaximum);
         value += f.minorStep) {
        const bool major = value % 10 == 0;
        const double length = major ? f.tickLength : f.tickLength * 0.55;
        const double angle = angleFor(f, value);
        painter.setPen(major ? majorPen : minorPen);
        painter.drawLine(polar(f.centre, tickOuter, angle),
                         polar(f.centre, tickOuter - length, angle));
    }

    QFont labelFont = font();
    labelFont.setPixelSize(f.labelPixels);
    painter.setFont(labelFont);
    painter.setPen(ink);
    const QFontMetricsF labelMetrics(labelFont);
    const double tickInner = tickOuter - f.tickLength - 1.0;
    for (int value = static_cast<int>(ScaleMinimum); value <= static_cast<int>(ScaleMaximum);
         value += f.labelStep) {
        const QString text = QString::number(value);
        const QSizeF size(labelMetrics.horizontalAdvance(text), labelMetrics.ascent());
        // Each number sits just inside the ticks, however wide it is along the radius.
        const double angle = qDegreesToRadians(angleFor(f, value));
        const double reach = std::abs(std::cos(angle)) * size.width() / 2 +
                             std::abs(std::sin(angle)) * size.height() / 2;
        const QPointF at = polar(f.centre, tickInner - reach, angleFor(f, value));
        painter.drawText(QRectF(at - QPointF(size.width() / 2, size.height() / 2), size),
                         Qt::AlignCenter, text);
    }

    QFont captionFont = font();
    captionFont.setPixelSize(f.captionPixels);
    painter.setFont(captionFont);
    const QString caption =
        QFontMetricsF(captionFont).elidedText(m_caption, Qt::ElideRight, f.captionRect.width());
    painter.drawText(f.captionRect, Qt::AlignCenter, caption);
}

void DialGauge::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    switch (event->type()) {
    case QEvent::FontChange:
    case QEvent::PaletteChange:
    case QEvent::StyleChange:
        m_face = QPixmap();
        break;
    default:
        break;
    }
}

DialGauge::Grip DialGauge::gripAt(const QPointF& position) const
{
    const Face f = face();
    const QPointF offset = position - f.centre;
    const double distance = std::hypot(offset.x(), offset.y());
    const double pointAngle = std::atan2(-offset.y(), offset.x());

    // The band runs from a little inside the ticks to a little beyond the rim, and a little
    // past either end of the scale.
    const double margin = std::max(3.0, f.tickLength * 0.5);
    const double endSlack = qRadiansToDegrees(margin / f.radius);
    const double along = std::fmod(f.startAngle - qRadiansToDegrees(pointAngle) + 720.0, 360.0);
    const bool besideScale = along <= f.span + endSlack || along >= 360.0 - endSlack;
    if (besideScale && distance >= f.radius - f.stroke - f.tickLength - margin &&
        distance <= f.radius + margin)
        return Grip::Band;

    // The needle from the rim of the hub to its tip; within the hub the angle means nothing.
    const double turn = pointAngle - qDegreesToRadians(angleFor(f, m_needle));
    const double lengthwise = distance * std::cos(turn);
    const double across = std::abs(distance * std::sin(turn));
    if (lengthwise >= f.hub && lengthwise <= f.needleLength &&
        across <= std::max(4.0, 2 * f.needleWidth))
        return Grip::Needle;
    return Grip::None;
}

void DialGauge::followPointer(const QPointF& position)
{
    m_movedSincePress = m_movedSincePress || position != m_pressPosition;
    if (!m_movedSincePress)
        return;
    setNeedleValue(valueAt(position));
    // While the needle is dragged, the value a release would set shows beside the pointer.
    if (m_dragging) {
        const int setPoint = roundHalfEven(std::min<double>(m_needle, HighestTripPressure));
        QToolTip::showText(mapToGlobal(position.toPoint()),
                           QStringLiteral("%1: %2 PSI").arg(m_caption).arg(setPoint), this);
    }
}

void DialGauge::mousePressEvent(QMouseEvent* event)
{
    if (m_needleMouseControl && event->button() == Qt::LeftButton) {
        // A press on the caption, the face or beside the scale takes hold of nothing, so a
        // stray click never sets a trip pressure. The needle taken hold of stays where it is
        // until the pointer moves; a press on the band moves it there at once.
        const Grip grip = gripAt(event->position());
        m_dragging = grip != Grip::None;
        m_movedSincePress = grip == Grip::Band;
        m_pressPosition = event->position();
        if (m_dragging)
            followPointer(event->position());
        event->accept();
        return;
    }
    QWidget::mousePressEvent(event);
}

void DialGauge::mouseMoveEvent(QMouseEvent* event)
{
    if (m_dragging) {
        followPointer(event->position());
        event->accept();
        return;
    }
    QWidget::mouseMoveEvent(event);
}

void DialGauge::mouseReleaseEvent(QMouseEvent* event)
{
    // A drag always ends with MouseUp, even when the button is released beside the dial,
    // so that the needle's new position is always taken as the set-point. On a trip dial
    // nothing else raises it from the mouse.
    if (m_dragging && event->button() == Qt::LeftButton) {
        m_dragging = false;
        followPointer(event->position());
        Q_EMIT MouseUp();
        return;
    }
    if (!m_needleMouseControl && rect().contains(event->position().toPoint()))
        Q_EMIT MouseUp();
}

void DialGauge::keyPressEvent(QKeyEvent* event)
{
    if (!m_needleMouseControl) {
        QWidget::keyPressEvent(event);
        return;
    }
    double target = m_needle;
    switch (event->key()) {
    case Qt::Key_Up:
    case Qt::Key_Right:
        target = std::floor(m_needle) + 1.0;
        break;
    case Qt::Key_Down:
    case Qt::Key_Left:
        target = std::ceil(m_needle) - 1.0;
        break;
    case Qt::Key_PageUp:
        target = std::floor(m_needle) + 10.0;
        break;
    case Qt::Key_PageDown:
        target = std::ceil(m_needle) - 10.0;
        break;
    case Qt::Key_Home:
        target = ScaleMinimum;
        break;
    case Qt::Key_End:
        target = HighestTripPressure;
        break;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    // Keys set the needle only where a released drag may leave it.
    setNeedleValue(std::clamp<double>(target, ScaleMinimum, HighestTripPressure));
    Q_EMIT MouseUp();
}
