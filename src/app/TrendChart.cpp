#include "TrendChart.h"

#include "TrendColumns.h"

#include <QDateTime>
#include <QKeyEvent>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace {

// The shortest stretch a zoom shows: a few frames.
constexpr qint64 NarrowestZoom = 5'000;
constexpr int LeftMargin = 30;
constexpr int TopMargin = 34;
constexpr int RightMargin = 74;
constexpr int BottomMargin = 16;
// A drag shorter than this is a click.
constexpr int LeastDrag = 4;

const QColor TraceColor(20, 60, 160);
const QColor BandColor(120, 180, 255, 60);

QString clockText(qint64 timeUs, const char* format)
{
    return QDateTime::fromMSecsSinceEpoch(timeUs / 1000).toString(QString::fromLatin1(format));
}

int yOf(const QRect& plot, double psi)
{
    return plot.bottom() -
           static_cast<int>(std::lround(psi * plot.height() / TrendChart::TopPressure));
}

} // namespace

TrendChart::TrendChart(const PressureRecorder& recorder, std::function<TrendLevels()> levels,
                       QWidget* parent)
    : QWidget(parent), m_recorder(recorder), m_levels(std::move(levels))
{
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    setMinimumSize(320, 160);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setToolTip(QStringLiteral("Drag across a stretch, or turn the wheel, to zoom into it; Space "
                              "pauses, + and - zoom, Left and Right move back and forth, Esc "
                              "follows the live pressure again"));
    connect(&m_redraw, &QTimer::timeout, this, &TrendChart::redrawIfMoving);
    adjustRedraw();
}

void TrendChart::setSpanSeconds(int seconds)
{
    m_span = qint64(seconds) * 1'000'000;
    m_zoom.reset();
    adjustRedraw();
    update();
}

void TrendChart::setPaused(bool paused)
{
    if (paused == this->paused())
        return;
    if (paused) {
        m_heldEnd = visibleRange().second;
    } else {
        m_heldEnd.reset();
        m_zoom.reset();
    }
    update();
    Q_EMIT pausedChanged(paused);
}

void TrendChart::zoomTo(qint64 fromUs, qint64 toUs)
{
    if (toUs - fromUs < NarrowestZoom) {
        const qint64 middle = fromUs + (toUs - fromUs) / 2;
        fromUs = middle - NarrowestZoom / 2;
        toUs = fromUs + NarrowestZoom;
    }
    setPaused(true);
    m_zoom = {fromUs, toUs};
    update();
}

void TrendChart::followLive()
{
    setPaused(false);
}

std::pair<qint64, qint64> TrendChart::visibleRange() const
{
    if (m_zoom)
        return *m_zoom;
    // A column takes the frames from its start up to its end, not including it: the frame
    // that arrived just now belongs in the last one.
    const qint64 end = m_heldEnd.value_or(m_recorder.now() + 1);
    return {end - m_span, end};
}

void TrendChart::setCursorX(std::optional<int> x)
{
    m_cursorX = x;
    update();
}

QRect TrendChart::plotArea(const QRect& area) const
{
    return area.adjusted(LeftMargin, TopMargin, -RightMargin, -BottomMargin);
}

qint64 TrendChart::timeAt(const QRect& plot, int x) const
{
    const auto [from, to] = visibleRange();
    const int column = std::clamp(x - plot.left(), 0, plot.width());
    return TrendColumns::columnStart(from, to, std::max(plot.width(), 1), column);
}

QImage TrendChart::picture(const QSize& size) const
{
    QImage image(size, QImage::Format_RGB32);
    QPainter painter(&image);
    render(painter, image.rect());
    return image;
}

void TrendChart::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    render(painter, rect());
}

void TrendChart::render(QPainter& painter, const QRect& area) const
{
    painter.save();
    painter.setFont(font());
    painter.fillRect(area, palette().window());
    const QRect plot = plotArea(area);
    painter.fillRect(plot, Qt::white);
    const auto [from, to] = visibleRange();
    const TrendLevels levels = m_levels();
    const QFontMetrics metrics(painter.font());

    // The scale, every 20 PSI.
    painter.setPen(QColor(225, 225, 225));
    for (int psi = 0; psi <= TopPressure; psi += 20) {
        const int y = yOf(plot, psi);
        painter.drawLine(plot.left(), y, plot.right(), y);
        painter.setPen(palette().color(QPalette::WindowText));
        painter.drawText(QRect(area.left(), y - 8, LeftMargin - 4, 16),
                         Qt::AlignRight | Qt::AlignVCenter, QString::number(psi));
        painter.setPen(QColor(225, 225, 225));
    }
    if (levels.window) {
        const auto [low, high] = *levels.window;
        painter.fillRect(
            QRect(QPoint(plot.left(), yOf(plot, high)), QPoint(plot.right(), yOf(plot, low))),
            BandColor);
    }

    // The pointer's line goes beneath the frames, so that it hides no spike.
    if (m_cursorX && plot.contains(*m_cursorX, plot.center().y())) {
        painter.setPen(QPen(Qt::gray, 1, Qt::DotLine));
        painter.drawLine(*m_cursorX, plot.top(), *m_cursorX, plot.bottom());
    }

    // The frames, one column each, and the line through the columns' latest frames.
    const int width = std::max(plot.width(), 1);
    const auto columns = TrendColumns::thin(m_recorder.history(), from, to, width);
    std::optional<PressureHistory::Range> visible;
    QPainterPath line;
    painter.setPen(TraceColor);
    for (int c = 0; c < width; ++c) {
        const auto& column = columns[static_cast<std::size_t>(c)];
        if (!column)
            continue;
        const int x = plot.left() + c;
        painter.drawLine(x, yOf(plot, column->low), x, yOf(plot, column->high));
        // Through the middle of the column's pixel, where its range is drawn.
        const QPointF last(x + 0.5, yOf(plot, column->last) + 0.5);
        if (line.elementCount() == 0)
            line.moveTo(last);
        else
            line.lineTo(last);
        visible = visible ? PressureHistory::Range{std::min(visible->low, column->low),
                                                   std::max(visible->high, column->high)}
                          : PressureHistory::Range{column->low, column->high};
    }
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(TraceColor.darker(150), 1.2));
    painter.drawPath(line);
    painter.restore();

    // The trip pressures.
    const struct
    {
        const char* name;
        int psi;
        QColor color;
    } trips[] = {{"Static", levels.staticTrip, QColor(200, 30, 30)},
                 {"Count", levels.countTrip, QColor(220, 120, 0)},
                 {"Dynamic", levels.dynamicTrip, QColor(130, 40, 170)}};
    for (const auto& trip : trips) {
        const int y = yOf(plot, std::clamp(trip.psi, 0, TopPressure));
        painter.setPen(QPen(trip.color, 1.5));
        painter.drawLine(plot.left(), y, plot.right(), y);
        painter.drawText(QRect(plot.right() + 4, y - 8, RightMargin - 4, 16),
                         Qt::AlignLeft | Qt::AlignVCenter,
                         QStringLiteral("%1 %2").arg(QLatin1String(trip.name)).arg(trip.psi));
    }

    // The events, labelled in two rows so that neighbours do not overlap.
    int row = 0;
    for (const PressureHistory::Marker& marker : m_recorder.history().markers()) {
        if (marker.timeUs < from || marker.timeUs > to)
            continue;
        const int x = plot.left() + static_cast<int>((marker.timeUs - from) * width / (to - from));
        painter.setPen(QPen(QColor(90, 90, 90), 1, Qt::DashLine));
        painter.drawLine(x, plot.top(), x, plot.bottom());
        painter.setPen(palette().color(QPalette::WindowText));
        painter.drawText(x + 2, plot.top() + metrics.ascent() + 1 + row * metrics.height(),
                         marker.label);
        row = 1 - row;
    }

    // The times at both ends, and what is in view.
    painter.setPen(palette().color(QPalette::WindowText));
    const QRect bottom(plot.left(), plot.bottom() + 1, plot.width(), BottomMargin);
    painter.drawText(bottom, Qt::AlignLeft | Qt::AlignVCenter, clockText(from, "HH:mm:ss.zzz"));
    painter.drawText(bottom, Qt::AlignRight | Qt::AlignVCenter, clockText(to, "HH:mm:ss.zzz"));
    painter.drawText(bottom, Qt::AlignHCenter | Qt::AlignVCenter,
                     QStringLiteral("%1 s").arg(double(to - from) / 1e6, 0, 'g', 3));
    QString head = visible ? QStringLiteral("In view: lowest %1 PSI, highest %2 PSI")
                                 .arg(visible->low)
                                 .arg(visible->high)
                           : QStringLiteral("In view: no pressure");
    if (m_zoom)
        head += QStringLiteral("   ZOOMED");
    else if (paused())
        head += QStringLiteral("   PAUSED");
    const QRect top(plot.left(), area.top() + 2, plot.width() + RightMargin, metrics.height());
    painter.drawText(top, Qt::AlignLeft | Qt::AlignVCenter, head);

    if (m_cursorX && plot.contains(*m_cursorX, plot.center().y())) {
        const int x = *m_cursorX;
        const auto& column = columns[static_cast<std::size_t>(x - plot.left())];
        const QString pressure =
            !column ? QStringLiteral("no frame")
            : column->low == column->high
                ? QStringLiteral("%1 PSI").arg(column->low)
                : QStringLiteral("%1 to %2 PSI").arg(column->low).arg(column->high);
        const QRect readout(plot.left(), area.top() + 2 + metrics.height(), plot.width(),
                            metrics.height());
        painter.setPen(Qt::black);
        painter.drawText(
            readout, Qt::AlignLeft | Qt::AlignVCenter,
            QStringLiteral("At %1: %2").arg(clockText(timeAt(plot, x), "HH:mm:ss.zzz"), pressure));
    }
    painter.setPen(Qt::gray);
    painter.drawRect(plot.adjusted(0, 0, -1, -1));
    if (m_dragFrom && m_cursorX) {
        painter.fillRect(QRect(QPoint(*m_dragFrom, plot.top()), QPoint(*m_cursorX, plot.bottom())),
                         QColor(0, 0, 0, 30));
    }
    painter.restore();
}

void TrendChart::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        m_dragFrom = event->position().toPoint().x();
}

void TrendChart::mouseMoveEvent(QMouseEvent* event)
{
    setCursorX(event->position().toPoint().x());
}

void TrendChart::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !m_dragFrom)
        return;
    const int from = std::min(*m_dragFrom, event->position().toPoint().x());
    const int to = std::max(*m_dragFrom, event->position().toPoint().x());
    m_dragFrom.reset();
    const QRect plot = plotArea(rect());
    if (to - from >= LeastDrag)
        zoomTo(timeAt(plot, from), timeAt(plot, to));
    update();
}

void TrendChart::wheelEvent(QWheelEvent* event)
{
    const int steps = event->angleDelta().y() / 120;
    if (steps != 0)
        zoomAround(event->position().toPoint().x(), std::pow(0.8, steps));
}

void TrendChart::keyPressEvent(QKeyEvent* event)
{
    const int middle = m_cursorX.value_or(plotArea(rect()).center().x());
    switch (event->key()) {
    case Qt::Key_Space:
        setPaused(!paused());
        break;
    case Qt::Key_Plus:
    case Qt::Key_Equal:
        zoomAround(middle, 0.5);
        break;
    case Qt::Key_Minus:
        zoomAround(middle, 2.0);
        break;
    case Qt::Key_Left:
        pan(-0.25);
        break;
    case Qt::Key_Right:
        pan(0.25);
        break;
    case Qt::Key_Escape:
        followLive();
        break;
    default:
        QWidget::keyPressEvent(event);
    }
}

void TrendChart::zoomAround(int x, double factor)
{
    const QRect plot = plotArea(rect());
    const auto [from, to] = visibleRange();
    const qint64 centre = timeAt(plot, x);
    zoomTo(centre - static_cast<qint64>((centre - from) * factor),
           centre + static_cast<qint64>((to - centre) * factor));
}

void TrendChart::pan(double fraction)
{
    const auto [from, to] = visibleRange();
    const auto shift = static_cast<qint64>((to - from) * fraction);
    zoomTo(from + shift, to + shift);
}

void TrendChart::leaveEvent(QEvent*)
{
    setCursorX(std::nullopt);
}

void TrendChart::showEvent(QShowEvent*)
{
    m_redraw.start();
}

void TrendChart::hideEvent(QHideEvent*)
{
    m_redraw.stop();
}

void TrendChart::resizeEvent(QResizeEvent*)
{
    adjustRedraw();
}

void TrendChart::redrawIfMoving()
{
    if (!paused() && isVisible() && !window()->isMinimized())
        update();
}

void TrendChart::adjustRedraw()
{
    // The picture moves by a column every span / width: more redraws would show the same.
    const qint64 perColumn = m_span / 1000 / std::max(plotArea(rect()).width(), 1);
    m_redraw.setInterval(static_cast<int>(std::max<qint64>(FastestRedraw, perColumn)));
}
