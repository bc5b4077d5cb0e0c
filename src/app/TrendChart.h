#pragma once

#include "PressureRecorder.h"

#include <QTimer>
#include <QWidget>

#include <functional>
#include <optional>

// The levels the trend draws across the pressures: the three trip pressures, and the
// pressure window since Connect where there is one.
struct TrendLevels
{
    int staticTrip = 0;
    int countTrip = 0;
    int dynamicTrip = 0;
    std::optional<std::pair<int, int>> window; // lowest, highest
};

// Pressure over time from the recorder's history: every pixel column draws the lowest and
// highest frame within it, a line joins the columns' latest frames, the trip pressures
// are labelled lines, the pressure window a shaded band and the events marked lines.
//
// It follows the live stream over a span of ten seconds to ten minutes, or holds a picture
// (pause) or a stretch chosen with the mouse or the keys (zoom), while the recording goes
// on. Hovering shows the time and pressure under the pointer; the top line tells the
// lowest and highest pressure in view. While following it redraws as often as the picture
// moves by a column, at most 30 times a second, and not at all while hidden or minimised.
class TrendChart : public QWidget
{
    Q_OBJECT

public:
    static constexpr int FastestRedraw = 33; // milliseconds
    static constexpr int TopPressure = 100;  // PSI, the top of the scale

    TrendChart(const PressureRecorder& recorder, std::function<TrendLevels()> levels,
               QWidget* parent = nullptr);

    // Seconds the picture spans while it follows the stream.
    void setSpanSeconds(int seconds);
    int spanSeconds() const { return static_cast<int>(m_span / 1'000'000); }
    void setPaused(bool paused);
    bool paused() const { return m_heldEnd.has_value(); }
    // Shows the stretch from one time to the other, holding the picture.
    void zoomTo(qint64 fromUs, qint64 toUs);
    // Follows the stream again over the chosen span.
    void followLive();
    // The times at the left and right edges of the picture, microseconds since 1970 UTC.
    std::pair<qint64, qint64> visibleRange() const;
    // Where the pointer reads the time and pressure; nothing takes the readout away.
    void setCursorX(std::optional<int> x);

    // The picture as it stands, drawn into any painter at any size: a report can carry it.
    void render(QPainter& painter, const QRect& area) const;
    QImage picture(const QSize& size) const;

Q_SIGNALS:
    // The view stopped or started following the stream.
    void pausedChanged(bool paused);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QRect plotArea(const QRect& area) const;
    qint64 timeAt(const QRect& plot, int x) const;
    // Zooms by the factor around the time at the plot's x.
    void zoomAround(int x, double factor);
    void pan(double fraction);
    void redrawIfMoving();
    void adjustRedraw();

    const PressureRecorder& m_recorder;
    std::function<TrendLevels()> m_levels;
    qint64 m_span = 60'000'000;
    std::optional<qint64> m_heldEnd;
    std::optional<std::pair<qint64, qint64>> m_zoom;
    std::optional<int> m_cursorX;
    std::optional<int> m_dragFrom;
    QTimer m_redraw;
};
