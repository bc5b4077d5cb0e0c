#pragma once

#include "TrendChart.h"

#include <QWidget>

class QLabel;
class QPushButton;

// The pressure trend, a window beside the main one: the chart with the span to follow,
// Pause, Live and Record above it. Record writes every frame and event from then on into
// a CSV file the user chooses. The window keeps its size and place for the next time.
class FrmTrend : public QWidget
{
    Q_OBJECT

public:
    // Starts a recording into the file, or tells why it cannot.
    using RecordStart = std::function<bool(const QString& path, QString& error)>;

    // The recorder is the main window's, and so is the start of a recording.
    FrmTrend(PressureRecorder& recorder, std::function<TrendLevels()> levels,
             RecordStart startRecording, QWidget* parent = nullptr);
    ~FrmTrend() override;

    TrendChart& chart() const { return *m_chart; }
    // Whether the window came back to the size and place it had last time.
    bool hasRememberedPlace() const { return m_rememberedPlace; }
    // Shows whether a recording is being written, and where.
    void showRecording();

    QPushButton* CmdSpan[3];
    QPushButton* CmdPause;
    QPushButton* CmdLive;
    QPushButton* CmdRecord;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void CmdRecord_Click();

    PressureRecorder& m_recorder;
    RecordStart m_startRecording;
    TrendChart* m_chart;
    QLabel* m_recordingNote;
    bool m_rememberedPlace = false;
};
