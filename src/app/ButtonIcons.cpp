#include "ButtonIcons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <functional>

namespace {

// Every picture is drawn on a 32 x 32 design grid and rendered at 1x, 2x and 3x.
QIcon drawnIcon(const std::function<void(QPainter&)>& draw)
{
    QIcon icon;
    for (int scale : {1, 2, 3}) {
        QPixmap pixmap(32 * scale, 32 * scale);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(scale, scale);
        draw(p);
        p.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

const QColor Outline(40, 48, 60);

void drawDial(QPainter& p, const QRectF& face, double needleDegrees)
{
    p.setPen(QPen(Outline, 1.6));
    p.setBrush(QColor(245, 246, 240));
    p.drawEllipse(face);
    p.setPen(QPen(QColor(200, 40, 40), 2.0, Qt::SolidLine, Qt::RoundCap));
    const QPointF centre = face.center();
    const double radius = face.width() / 2 - 3;
    QLineF needle = QLineF::fromPolar(radius, needleDegrees);
    needle.translate(centre);
    p.drawLine(needle);
    p.setPen(Qt::NoPen);
    p.setBrush(Outline);
    p.drawEllipse(centre, 2.0, 2.0);
}

} // namespace

QIcon ButtonIcons::openFile()
{
    return drawnIcon([](QPainter& p) {
        p.setPen(QPen(Outline, 1.4));
        p.setBrush(QColor(222, 180, 80));
        QPainterPath back;
        back.moveTo(3, 8);
        back.lineTo(12, 8);
        back.lineTo(14, 11);
        back.lineTo(27, 11);
        back.lineTo(27, 26);
        back.lineTo(3, 26);
        back.closeSubpath();
        p.drawPath(back);
        p.setBrush(QColor(246, 208, 110));
        QPainterPath front;
        front.moveTo(3, 26);
        front.lineTo(8, 15);
        front.lineTo(30, 15);
        front.lineTo(27, 26);
        front.closeSubpath();
        p.drawPath(front);
    });
}

QIcon ButtonIcons::saveFile()
{
    return drawnIcon([](QPainter& p) {
        p.setPen(QPen(Outline, 1.4));
        p.setBrush(QColor(60, 100, 170));
        QPainterPath body;
        body.moveTo(4, 4);
        body.lineTo(24, 4);
        body.lineTo(28, 8);
        body.lineTo(28, 28);
        body.lineTo(4, 28);
        body.closeSubpath();
        p.drawPath(body);
        p.setBrush(QColor(235, 238, 242));
        p.drawRect(QRectF(9, 4, 13, 8));
        p.drawRect(QRectF(8, 17, 16, 11));
        p.setPen(QPen(QColor(150, 150, 160), 1.0));
        p.drawLine(QPointF(11, 21), QPointF(21, 21));
        p.drawLine(QPointF(11, 24), QPointF(21, 24));
    });
}

QIcon ButtonIcons::autoCal()
{
    return drawnIcon([](QPainter& p) {
        drawDial(p, QRectF(3, 5, 22, 22), 60);
        p.setPen(QPen(QColor(40, 140, 60), 2.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(Qt::NoBrush);
        QPainterPath tick;
        tick.moveTo(19, 22);
        tick.lineTo(23, 27);
        tick.lineTo(30, 16);
        p.drawPath(tick);
    });
}

QIcon ButtonIcons::exit()
{
    return drawnIcon([](QPainter& p) {
        p.setPen(QPen(Outline, 1.4));
        p.setBrush(QColor(150, 105, 70));
        p.drawRect(QRectF(5, 3, 14, 26));
        p.setBrush(QColor(235, 210, 120));
        p.drawEllipse(QPointF(16, 17), 1.3, 1.3);
        p.setPen(QPen(QColor(200, 40, 40), 2.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawLine(QPointF(20, 16), QPointF(30, 16));
        p.drawLine(QPointF(26, 12), QPointF(30, 16));
        p.drawLine(QPointF(26, 20), QPointF(30, 16));
    });
}

QIcon ButtonIcons::record()
{
    return drawnIcon([](QPainter& p) {
        p.setPen(QPen(Outline, 1.4));
        p.setBrush(QColor(150, 105, 70));
        p.drawRoundedRect(QRectF(5, 4, 22, 26), 2, 2);
        p.setBrush(Qt::white);
        p.drawRect(QRectF(8, 8, 16, 19));
        p.setBrush(QColor(170, 170, 170));
        p.drawRect(QRectF(11, 2, 10, 5));
        p.setPen(QPen(QColor(30, 140, 60), 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        for (double y : {13.0, 19.0}) {
            p.drawLine(QPointF(10, y), QPointF(12, y + 2));
            p.drawLine(QPointF(12, y + 2), QPointF(15, y - 2));
        }
        p.setPen(QPen(Outline, 1.2));
        p.drawLine(QPointF(17, 13), QPointF(22, 13));
        p.drawLine(QPointF(17, 19), QPointF(22, 19));
    });
}

QIcon ButtonIcons::application()
{
    // The pictures installed for the desktop, so that the window looks like its menu entry.
    QIcon icon;
    for (const char* file : {":/vorta-cal-48.png", ":/vorta-cal-256.png"})
        icon.addFile(QString::fromLatin1(file));
    return icon;
}
