#include "FrmCalibrationRecord.h"

#include "ParameterTable.h"

#include <QDir>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QSettings>
#include <QStandardPaths>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

const QString TechnicianKey = QStringLiteral("record/technician");

QTableWidgetItem* cell(const QString& text, bool number)
{
    auto* item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsEnabled);
    if (number)
        item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return item;
}

} // namespace

FrmCalibrationRecord::FrmCalibrationRecord(CalibrationRecord& record, MessageBoxes& messages,
                                           QWidget* parent)
    : QWidget(parent, Qt::Window), m_record(record), m_messages(messages)
{
    setWindowTitle(QStringLiteral("Calibration Record"));
    TxtPress = new QLineEdit(m_record.press);
    TxtPress->setPlaceholderText(QStringLiteral("name or number"));
    TxtLocation = new QLineEdit(m_record.location);
    if (m_record.technician.isEmpty())
        m_record.technician = QSettings().value(TechnicianKey).toString();
    TxtTechnician = new QLineEdit(m_record.technician);
    connect(TxtPress, &QLineEdit::textEdited, this,
            [this](const QString& t) { m_record.press = t; });
    connect(TxtLocation, &QLineEdit::textEdited, this,
            [this](const QString& t) { m_record.location = t; });
    connect(TxtTechnician, &QLineEdit::textEdited, this, [this](const QString& t) {
        m_record.technician = t;
        QSettings().setValue(TechnicianKey, t);
    });
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("&Press:"), TxtPress);
    form->addRow(QStringLiteral("&Location:"), TxtLocation);
    form->addRow(QStringLiteral("&Technician:"), TxtTechnician);

    SpdRecord = new QTableWidget(ParameterCount, 5);
    SpdRecord->setHorizontalHeaderLabels({QStringLiteral("Parameter"), QStringLiteral("Unit"),
                                          QStringLiteral("As found"), QStringLiteral("As left"),
                                          QStringLiteral("Change")});
    SpdRecord->verticalHeader()->hide();
    SpdRecord->setSelectionMode(QAbstractItemView::NoSelection);
    SpdRecord->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    SpdRecord->horizontalHeader()->setStretchLastSection(true);
    SpdRecord->setAccessibleName(QStringLiteral("Record"));

    m_details = new QLabel;
    m_details->setTextInteractionFlags(Qt::TextSelectableByMouse);
    LblResult = new QLabel;

    CmdReadBack = new QPushButton(QStringLiteral("&Read back"));
    CmdReadBack->setToolTip(
        QStringLiteral("Reads the nine values from the device again and compares them with "
                       "what was written; the grid and the dials keep theirs"));
    CmdSavePdf = new QPushButton(QStringLiteral("Save P&DF..."));
    CmdSavePdf->setToolTip(QStringLiteral("Saves the calibration report as a PDF file"));
    CmdPrint = new QPushButton(QStringLiteral("Pr&int..."));
    CmdPrint->setToolTip(QStringLiteral("Prints the calibration report"));
    auto* close = new QPushButton(QStringLiteral("&Close"));
    connect(CmdReadBack, &QPushButton::clicked, this, &FrmCalibrationRecord::readBackRequested);
    connect(CmdSavePdf, &QPushButton::clicked, this, &FrmCalibrationRecord::CmdSavePdf_Click);
    connect(CmdPrint, &QPushButton::clicked, this, &FrmCalibrationRecord::CmdPrint_Click);
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    auto* buttons = new QHBoxLayout;
    for (QPushButton* button : {CmdReadBack, CmdSavePdf, CmdPrint, close}) {
        button->setAutoDefault(false);
        buttons->addWidget(button);
    }

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(SpdRecord);
    layout->addWidget(LblResult);
    layout->addWidget(m_details);
    layout->addLayout(buttons);
    refresh();
    resize(520, 500);
}

void FrmCalibrationRecord::refresh()
{
    if (!TxtPress->hasFocus())
        TxtPress->setText(m_record.press);
    if (!TxtLocation->hasFocus())
        TxtLocation->setText(m_record.location);
    const QList<RecordRow> rows = m_record.rows();
    for (int r = 0; r < rows.size(); ++r) {
        const RecordRow& row = rows[r];
        const ParameterInfo& info = parameterInfo(row.parameter);
        const auto left = row.asLeft();
        const auto change = row.change();
        QTableWidgetItem* items[] = {
            cell(QString::fromLatin1(info.grid.caption), false),
            cell(QString::fromLatin1(info.grid.units), false),
            cell(row.asFound ? QString::number(*row.asFound) : QString(), true),
            cell(left ? QString::number(*left) : QStringLiteral("not read back"), true),
            cell(change ? QString::number(*change) : QString(), true),
        };
        const bool differs = row.state == RecordRowState::ReadBackDifferent;
        for (int c = 0; c < 5; ++c) {
            if (differs || change.value_or(0) != 0) {
                QFont font = items[c]->font();
                font.setBold(true);
                items[c]->setFont(font);
                items[c]->setBackground(differs ? QColor(255, 215, 215) : QColor(255, 243, 200));
            }
            if (differs)
                items[c]->setToolTip(
                    QStringLiteral("%1 %2, the device holds %3")
                        .arg(row.written ? QStringLiteral("Written") : QStringLiteral("Expected"))
                        .arg(*row.expected)
                        .arg(*row.readBack));
            SpdRecord->setItem(r, c, items[c]);
        }
    }
    const QString time = m_record.readBackTime()
                             ? m_record.readBackTime()->toString(QStringLiteral(" 'at' HH:mm:ss"))
                             : QString();
    LblResult->setText(m_record.readBackResult() + time);
    const QString none = QStringLiteral("none");
    m_details->setText(
        QStringLiteral("Port: %1\nAs found: %2\nPressure window: %3\nFile: %4")
            .arg(m_record.port().isEmpty()
                     ? none
                     : QStringLiteral("%1, %2").arg(m_record.port(), m_record.device()),
                 m_record.asFoundTime()
                     ? m_record.asFoundTime()->toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))
                     : QStringLiteral("not read"),
                 m_record.pressureWindowText().isEmpty() ? none : m_record.pressureWindowText(),
                 m_record.fileText().isEmpty() ? none : m_record.fileText()));
}

void FrmCalibrationRecord::setReadBackEnabled(bool enabled)
{
    CmdReadBack->setEnabled(enabled);
}

bool FrmCalibrationRecord::saveReport(const QString& path)
{
    CalibrationReport report(m_record, QDateTime::currentDateTime());
    report.setPicture(m_picture);
    QString error;
    if (report.savePdf(path, &error))
        return true;
    m_messages.showDetailed(
        QStringLiteral("The report %1 cannot be written").arg(QDir::toNativeSeparators(path)),
        error, MessageIcon::Warning, MessageButtons::Ok);
    return false;
}

void FrmCalibrationRecord::readBackEnded()
{
    refresh();
    if (auto report = std::exchange(m_waitingReport, {}))
        report();
}

bool FrmCalibrationRecord::readyForReport(std::function<void()> report)
{
    if (!m_record.writtenSinceReadBack() || !CmdReadBack->isEnabled())
        return true;
    const MessageAnswer answer = m_messages.show(
        QStringLiteral("Values were written since the last read-back. Read them back from the "
                       "device now, before the report?"),
        MessageIcon::Warning, MessageButtons::YesNo, MessageAnswer::Yes);
    if (answer != MessageAnswer::Yes)
        return true;
    m_waitingReport = std::move(report);
    Q_EMIT readBackRequested();
    return false;
}

void FrmCalibrationRecord::CmdSavePdf_Click()
{
    if (!readyForReport([this] { CmdSavePdf_Click(); }))
        return;
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    const QString path = QFileDialog::getSaveFileName(
        this, QStringLiteral("Save the calibration report"),
        QDir(folder).filePath(m_record.reportFileName(QDateTime::currentDateTime())),
        QStringLiteral("PDF files (*.pdf)"));
    if (path.isEmpty())
        return;
    saveReport(path);
}

void FrmCalibrationRecord::CmdPrint_Click()
{
    if (!readyForReport([this] { CmdPrint_Click(); }))
        return;
    printReport();
}

void FrmCalibrationRecord::printReport()
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageSize(QPageSize(QPageSize::A4));
    QPrintDialog dialog(&printer, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    CalibrationReport report(m_record, QDateTime::currentDateTime());
    report.setPicture(m_picture);
    report.paint(printer);
}
