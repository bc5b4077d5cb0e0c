#pragma once

#include "CalibrationRecord.h"

#include <QDateTime>
#include <QRectF>
#include <QString>

#include <functional>

class QPainter;
class QPagedPaintDevice;

// The calibration report: one A4 page drawn from the record, for a PDF file or a printer.
class CalibrationReport
{
public:
    // Draws a picture of the session (such as the pressure trend) into its place on the page.
    using Picture = std::function<void(QPainter&, const QRectF&)>;

    CalibrationReport(const CalibrationRecord& record, const QDateTime& at);

    // Where a picture of the session goes; without one the page leaves out its place.
    void setPicture(Picture picture) { m_picture = std::move(picture); }
    // Draws the page on a device already set to A4.
    void paint(QPagedPaintDevice& device) const;
    // The whole PDF appears under path or nothing does; false with the reason in error.
    bool savePdf(const QString& path, QString* error) const;

private:
    const CalibrationRecord& m_record;
    QDateTime m_at;
    Picture m_picture;
};
