#include "CalibrationReport.h"

#include "MessageBoxes.h"
#include "ParameterTable.h"

#include <QCoreApplication>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>

namespace {

// Local time with its offset from UTC written out, "+00:00" included, as a sheet is read
// far from where it was made.
QString withOffset(const QDateTime& time)
{
    const QDateTime local = time.toLocalTime();
    const int minutes = local.offsetFromUtc() / 60;
    return QStringLiteral("%1 %2%3:%4")
        .arg(local.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")),
             minutes < 0 ? QStringLiteral("-") : QStringLiteral("+"))
        .arg(qAbs(minutes) / 60, 2, 10, QLatin1Char('0'))
        .arg(qAbs(minutes) % 60, 2, 10, QLatin1Char('0'));
}

constexpr int Resolution = 300; // dots per inch of the PDF
constexpr double Margin = 0.06; // of the page's width

QString valueText(const std::optional<std::int32_t>& value, const QString& missing)
{
    return value ? QString::number(*value) : missing;
}

} // namespace

CalibrationReport::CalibrationReport(const CalibrationRecord& record, const QDateTime& at)
    : m_record(record), m_at(at)
{}

void CalibrationReport::paint(QPagedPaintDevice& device) const
{
    QPainter painter(&device);
    const double width = device.width();
    const double margin = width * Margin;
    const double right = width - margin;
    const double line = device.height() / 60.0;
    double y = margin;
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(int(line * 0.62));
    QFont bold = font;
    bold.setBold(true);
    QFont title = bold;
    title.setPixelSize(int(line * 1.1));

    const auto text = [&](double x, double w, const QString& s, int flags = Qt::AlignLeft) {
        painter.drawText(QRectF(x, y, w, line), flags | Qt::AlignVCenter, s);
    };
    const auto field = [&](const QString& label, const QString& value) {
        painter.setFont(bold);
        text(margin, width * 0.25, label);
        painter.setFont(font);
        text(margin + width * 0.25, right - margin - width * 0.25, value);
        y += line;
    };

    painter.setFont(title);
    text(margin, right - margin, QStringLiteral("Calibration record"));
    painter.setFont(font);
    text(margin, right - margin,
         QStringLiteral("%1 %2").arg(QString::fromLatin1(ApplicationTitle),
                                     QCoreApplication::applicationVersion()),
         Qt::AlignRight);
    y += line * 1.6;
    field(QStringLiteral("Date and time"), withOffset(m_at));
    field(QStringLiteral("Press"), m_record.press);
    field(QStringLiteral("Location"), m_record.location);
    field(QStringLiteral("Technician"), m_record.technician);
    field(QStringLiteral("Port"), QStringLiteral("%1, %2").arg(m_record.port(), m_record.device()));
    field(QStringLiteral("As found"), m_record.asFoundTime() ? withOffset(*m_record.asFoundTime())
                                                             : QStringLiteral("not read"));
    field(QStringLiteral("As left"), m_record.readBackResult());
    if (m_record.readBackTime())
        field(QString(), withOffset(*m_record.readBackTime()));
    field(QStringLiteral("Pressure window"), m_record.pressureWindowText());
    field(QStringLiteral("File"), m_record.fileText());
    y += line * 0.6;

    const double columns[] = {0.0, 0.36, 0.48, 0.62, 0.76, 0.88};
    const QStringList heads{QStringLiteral("Parameter"), QStringLiteral("Unit"),
                            QStringLiteral("As found"),  QStringLiteral("As left"),
                            QStringLiteral("Change"),    QString()};
    const double tableWidth = right - margin;
    painter.setFont(bold);
    for (int c = 0; c < 5; ++c)
        text(margin + columns[c] * tableWidth, (columns[c + 1] - columns[c]) * tableWidth, heads[c],
             c < 2 ? Qt::AlignLeft : Qt::AlignRight);
    y += line;
    painter.drawLine(QPointF(margin, y), QPointF(right, y));
    for (const RecordRow& row : m_record.rows()) {
        const ParameterInfo& info = parameterInfo(row.parameter);
        const bool differs = row.state == RecordRowState::ReadBackDifferent;
        const bool changed = row.change().value_or(0) != 0;
        if (differs || changed)
            painter.fillRect(QRectF(margin, y, tableWidth, line),
                             differs ? QColor(255, 215, 215) : QColor(255, 243, 200));
        painter.setFont(changed || differs ? bold : font);
        const QString cells[] = {
            QString::fromLatin1(info.grid.caption),
            QString::fromLatin1(info.grid.units),
            valueText(row.asFound, QStringLiteral("-")),
            valueText(row.asLeft(), QStringLiteral("not read back")),
            row.change() ? QString::number(*row.change()) : QString(),
        };
        for (int c = 0; c < 5; ++c)
            text(margin + columns[c] * tableWidth, (columns[c + 1] - columns[c]) * tableWidth,
                 cells[c], c < 2 ? Qt::AlignLeft : Qt::AlignRight);
        y += line;
        if (differs) {
            painter.setFont(font);
            text(margin + columns[1] * tableWidth, (1 - columns[1]) * tableWidth,
                 QStringLiteral("%1 %2, the device holds %3")
                     .arg(row.written ? QStringLiteral("written") : QStringLiteral("expected"))
                     .arg(*row.expected)
                     .arg(*row.readBack),
                 Qt::AlignRight);
            y += line;
        }
        painter.setPen(QColor(190, 190, 190));
        painter.drawLine(QPointF(margin, y), QPointF(right, y));
        painter.setPen(Qt::black);
    }
    y += line;
    if (m_picture) {
        const QRectF place(margin, y, tableWidth, line * 12);
        m_picture(painter, place);
        y += place.height() + line;
    }
    painter.setFont(bold);
    text(margin, tableWidth, QStringLiteral("Remarks"));
    y += line * 1.4;
    for (int i = 0; i < 4; ++i) {
        painter.drawLine(QPointF(margin, y), QPointF(right, y));
        y += line * 1.4;
    }
    y += line;
    text(margin, tableWidth * 0.5, QStringLiteral("Signature"));
    text(margin + tableWidth * 0.55, tableWidth * 0.45, QStringLiteral("Date"));
    y += line * 2;
    painter.drawLine(QPointF(margin, y), QPointF(margin + tableWidth * 0.45, y));
    painter.drawLine(QPointF(margin + tableWidth * 0.55, y), QPointF(right, y));
}

bool CalibrationReport::savePdf(const QString& path, QString* error) const
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        *error = file.errorString();
        return false;
    }
    {
        QPdfWriter writer(&file);
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setResolution(Resolution);
        writer.setTitle(QStringLiteral("Calibration record %1").arg(m_record.press));
        writer.setCreator(QString::fromLatin1(ApplicationTitle));
        paint(writer);
    }
    if (!file.commit()) {
        *error = file.errorString();
        return false;
    }
    return true;
}
