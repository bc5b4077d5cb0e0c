#pragma once

#include "CalibrationRecord.h"
#include "CalibrationReport.h"
#include "MessageBoxes.h"

#include <QWidget>

#include <functional>

class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

// The calibration record in a window of its own: the press and the technician typed in, the
// nine rows as found and as left, and the read-back and the report.
class FrmCalibrationRecord : public QWidget
{
    Q_OBJECT

public:
    FrmCalibrationRecord(CalibrationRecord& record, MessageBoxes& messages,
                         QWidget* parent = nullptr);

    // Shows the record as it stands.
    void refresh();
    // Read back is possible while the device is connected and no transfer runs.
    void setReadBackEnabled(bool enabled);
    // A picture of the session for the report, where there is one.
    void setReportPicture(CalibrationReport::Picture picture) { m_picture = std::move(picture); }
    // The report as a PDF under path, replacing a file there; a failure is told and false.
    bool saveReport(const QString& path);
    // A read-back has ended: the report that waited for it is made now.
    void readBackEnded();

    QLineEdit* TxtPress;
    QLineEdit* TxtLocation;
    QLineEdit* TxtTechnician;
    QTableWidget* SpdRecord;
    QLabel* LblResult;
    QPushButton* CmdReadBack;
    QPushButton* CmdSavePdf;
    QPushButton* CmdPrint;

Q_SIGNALS:
    void readBackRequested();

private:
    void CmdSavePdf_Click();
    void CmdPrint_Click();
    // A download newer than the last read-back: asks to read back first, and when the answer
    // is Yes the report waits for the read-back.
    bool readyForReport(std::function<void()> report);
    void printReport();

    CalibrationRecord& m_record;
    MessageBoxes& m_messages;
    CalibrationReport::Picture m_picture;
    QLabel* m_details;
    std::function<void()> m_waitingReport;
};
