#pragma once

#include <QPixmap>
#include <QPointF>
#include <QRectF>
#include <QWidget>

// A round dial with a caption, a 0 to 100 scale, one needle and the marked pressure
// window (a band from WindowLow to WindowHigh). With needleMouseControl on, the user
// drags the needle, taking hold of it or of the scale's band; the release ends the drag
// with MouseUp. Without it, releasing the mouse button over the dial raises MouseUp.
class DialGauge : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(QString caption READ caption WRITE setCaption)
    Q_PROPERTY(double NeedleValue READ needleValue WRITE setNeedleValue NOTIFY needleValueChanged)
    Q_PROPERTY(int WindowHigh READ windowHigh WRITE setWindowHigh)
    Q_PROPERTY(int WindowLow READ windowLow WRITE setWindowLow)
    Q_PROPERTY(bool NeedleMouseControl READ needleMouseControl WRITE setNeedleMouseControl)

public:
    static constexpr double ScaleMinimum = 0.0;
    static constexpr double ScaleMaximum = 100.0;

    explicit DialGauge(QWidget* parent = nullptr);

    QString caption() const { return m_caption; }
    void setCaption(const QString& caption);

    double needleValue() const { return m_needle; }
    // The needle stays on the dial: values beyond the scale are pinned to its ends.
    void setNeedleValue(double value);

    int windowHigh() const { return m_windowHigh; }
    void setWindowHigh(int value);
    int windowLow() const { return m_windowLow; }
    void setWindowLow(int value);

    // The window is marked once it has opened: WindowHigh above zero and not below
    // WindowLow. The reset state (both zero, or low above high) shows no band.
    bool windowShown() const;

    // A needle and window that are no longer live (the stream that moved them has stopped)
    // are drawn faded, and screen readers hear so, until they are current again.
    bool readingCurrent() const { return m_readingCurrent; }
    void setReadingCurrent(bool current);

    bool needleMouseControl() const { return m_needleMouseControl; }
    void setNeedleMouseControl(bool on);

    // The scale value under a point of the widget, for dragging (and for tests).
    double valueAt(const QPointF& position) const;

Q_SIGNALS:
    void needleValueChanged(double value);
    void MouseUp();

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    // Where the parts of the dial go in the current widget size. Angles are in degrees,
    // counter-clockwise from three o'clock; the scale runs clockwise from startAngle.
    struct Face
    {
        QPointF centre;
        double radius = 0.0;
        double startAngle = 0.0;
        double span = 0.0;
        double stroke = 0.0;
        double tickLength = 0.0;
        int labelPixels = 0;
        int captionPixels = 0;
        int labelStep = 0;
        int minorStep = 0;
        double hub = 0.0;
        double needleWidth = 0.0;
        double needleLength = 0.0;
        QRectF captionRect;
    };

    enum class Grip
    {
        None,
        Needle,
        Band
    };

    Face face() const;
    static double angleFor(const Face& face, double value);
    // What the needle at this value and the hub cover.
    static QRect needleArea(const Face& face, double value);
    void notifyWindowChanged();
    // What a press at this point takes hold of: the needle, the scale's band or nothing.
    Grip gripAt(const QPointF& position) const;
    // A drag sets the needle to the pointer, once the pointer has left the press point.
    void followPointer(const QPointF& position);
    // The band, the scale, its numbers and the caption change only with the pressure window,
    // size, caption, font or palette, so they are drawn once into a pixmap; each paint adds
    // the needle. An antialiased shape as long as the band is filled on Qt's pooled threads,
    // which costs more in waking them than the drawing itself.
    const QPixmap& cachedFace(const Face& f);
    void drawFace(QPainter& painter, const Face& f) const;

    QString m_caption;
    double m_needle = 0.0;
    int m_windowHigh = 0;
    int m_windowLow = 0;
    bool m_needleMouseControl = false;
    bool m_readingCurrent = true;
    bool m_dragging = false;
    bool m_movedSincePress = false;
    QPointF m_pressPosition;
    QPixmap m_face;
    // Where the needle has moved since the last paint.
    QRect m_needleArea;
};
