#include "FrmTrend.h"

#include "CompactFont.h"

#include <QButtonGroup>
#include <QCloseEvent>
#include <QDir>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSettings>
#include <QVBoxLayout>

namespace {
const QString GeometryKey = QStringLiteral("trend/geometry");
} // namespace

FrmTrend::FrmTrend(PressureRecorder& recorder, std::function<TrendLevels()> levels,
                   RecordStart startRecording, QWidget* parent)
    : QWidget(parent, Qt::Window), m_recorder(recorder), m_startRecording(std::move(startRecording))
{
    setWindowTitle(QStringLiteral("Pressure Trend"));
    setFont(compactFont(font()));
    m_chart = new TrendChart(recorder, std::move(levels), this);

    auto* buttons = new QHBoxLayout;
    auto* spans = new QButtonGroup(this);
    const std::pair<const char*, int> choices[] = {{"1&0 s", 10}, {"&1 min", 60}, {"10 &min", 600}};
    for (int i = 0; i < 3; ++i) {
        CmdSpan[i] = new QPushButton(QString::fromUtf8(choices[i].first), this);
        CmdSpan[i]->setCheckable(true);
        CmdSpan[i]->setToolTip(QStringLiteral("Follow the last %1 of the live pressure")
                                   .arg(CmdSpan[i]->text().remove(u'&')));
        spans->addButton(CmdSpan[i], choices[i].second);
        buttons->addWidget(CmdSpan[i]);
    }
    CmdSpan[1]->setChecked(true);
    connect(spans, &QButtonGroup::idClicked, this, [this](int seconds) {
        m_chart->setSpanSeconds(seconds);
        m_chart->followLive();
    });
    CmdPause = new QPushButton(QStringLiteral("&Pause"), this);
    CmdPause->setCheckable(true);
    CmdPause->setToolTip(QStringLiteral("Hold the picture; the recording goes on (Space)"));
    connect(CmdPause, &QPushButton::toggled, m_chart, &TrendChart::setPaused);
    connect(m_chart, &TrendChart::pausedChanged, CmdPause, &QPushButton::setChecked);
    CmdLive = new QPushButton(QStringLiteral("&Live"), this);
    CmdLive->setToolTip(QStringLiteral("Leave the zoom and follow the live pressure (Esc)"));
    connect(CmdLive, &QPushButton::clicked, m_chart, &TrendChart::followLive);
    CmdRecord = new QPushButton(QStringLiteral("&Record..."), this);
    CmdRecord->setCheckable(true);
    CmdRecord->setToolTip(QStringLiteral(
        "Write every pressure frame and event from now on into a CSV file (time,psi,event)"));
    connect(CmdRecord, &QPushButton::clicked, this, &FrmTrend::CmdRecord_Click);
    m_recordingNote = new QLabel(this);
    m_recordingNote->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // A long path must not widen the window: the label cuts it, its tooltip shows it whole.
    m_recordingNote->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    for (QPushButton* button : {CmdPause, CmdLive, CmdRecord}) {
        button->setAutoDefault(false);
        buttons->addWidget(button);
    }
    buttons->addWidget(m_recordingNote, 1);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addLayout(buttons);
    layout->addWidget(m_chart, 1);
    setFocusProxy(m_chart);

    resize(720, 380);
    m_rememberedPlace = restoreGeometry(QSettings().value(GeometryKey).toByteArray());
    showRecording();
}

FrmTrend::~FrmTrend()
{
    QSettings().setValue(GeometryKey, saveGeometry());
}

void FrmTrend::closeEvent(QCloseEvent* event)
{
    QSettings().setValue(GeometryKey, saveGeometry());
    event->accept();
}

void FrmTrend::CmdRecord_Click()
{
    if (m_recorder.recording()) {
        m_recorder.stopRecording();
        showRecording();
        return;
    }
    const QString path =
        QFileDialog::getSaveFileName(this, QStringLiteral("Record the pressure to"),
                                     QDir::home().filePath(QStringLiteral("pressure.csv")),
                                     QStringLiteral("Pressure recordings (*.csv)"));
    QString error;
    const bool started = !path.isEmpty() && m_startRecording(path, error);
    showRecording();
    if (!path.isEmpty() && !started)
        m_recordingNote->setText(
            QStringLiteral("Cannot record to %1: %2").arg(QDir::toNativeSeparators(path), error));
}

void FrmTrend::showRecording()
{
    const RecordingFile* file = m_recorder.recording();
    CmdRecord->setChecked(file != nullptr);
    CmdRecord->setText(file ? QStringLiteral("Stop &Recording") : QStringLiteral("&Record..."));
    m_recordingNote->setText(
        file ? QStringLiteral("Recording to %1").arg(QDir::toNativeSeparators(file->path()))
             : QString());
    m_recordingNote->setToolTip(m_recordingNote->text());
}
