#include "FrmPressureMonitor.h"

#include "AutoCalibration.h"
#include "ButtonIcons.h"
#include "CompactFont.h"
#include "DialGauge.h"
#include "ElidedLabel.h"
#include "FrmCalibrationRecord.h"
#include "FrmFileBrowse.h"
#include "FrmTrend.h"
#include "OutOfRangeRows.h"
#include "ParamFileOperations.h"
#include "ParameterSync.h"
#include "PortChoice.h"
#include "SpreadGrid.h"
#include "TrafficLog.h"
#include "WindowPlacement.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QCursor>
#include <QDateTime>
#include <QDir>
#include <QGroupBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QShortcut>
#include <QToolButton>

#include <utility>

namespace {

DialGauge* makeGauge(QWidget* parent, const QString& caption, const QRect& place, bool draggable)
{
    auto* gauge = new DialGauge(parent);
    gauge->setCaption(caption);
    gauge->setGeometry(place);
    gauge->setNeedleMouseControl(draggable);
    // The live dial only shows: screen readers still find it, the Tab key passes it by.
    gauge->setFocusPolicy(draggable ? Qt::StrongFocus : Qt::NoFocus);
    gauge->setAccessibleName(caption);
    return gauge;
}

QToolButton* makePictureButton(QWidget* parent, const QString& caption, const QIcon& icon,
                               const QRect& place)
{
    auto* button = new QToolButton(parent);
    button->setText(caption);
    button->setIcon(icon);
    button->setIconSize(QSize(32, 32));
    button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    button->setGeometry(place);
    button->setFocusPolicy(Qt::StrongFocus);
    return button;
}

QPushButton* makeButton(QWidget* parent, const QString& caption, const QRect& place)
{
    auto* button = new QPushButton(caption, parent);
    button->setGeometry(place);
    button->setAutoDefault(false);
    return button;
}

} // namespace

FrmPressureMonitor::FrmPressureMonitor(std::unique_ptr<SerialLink> port, MessageBoxes& messages,
                                       const PortNames& names, TrafficLog* log, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      m_port(std::move(port)), m_messages(messages), m_cycle(*m_port, ModVars, *this, messages),
      m_log(log), m_activity(log)
{
    m_cycle.setTrafficLog(log);
    m_cycle.setPressureRecorder(&m_recorder);
    m_recordMaxBytes = TrafficLog::DefaultMaxBytes;
    m_cycle.setPortNames(names);
    setWindowTitle(QString::fromLatin1(ApplicationTitle));
    setFont(compactFont(font()));
    setWindowIcon(ButtonIcons::application());
    setFixedSize(405, 496);
    createControls();
    m_portChoice = new PortChoice(OptComm, names, this);
    setTabOrder();
    for (QWidget* tipped : std::initializer_list<QWidget*>{CmdAutoSet, CmdDownload, GaugePressure})
        tipped->installEventFilter(this);
    updateTips();
    auto* trendKey = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_T), this);
    connect(trendKey, &QShortcut::activated, this, &FrmPressureMonitor::showTrend);
    // Started from the menu, the program has no terminal to say this on.
    if (m_log) {
        const auto noteLogFailure = [this, path = m_log->path()](const QString& why) {
            LblStatus->setNote(QStringLiteral("The traffic log %1 cannot be written: %2")
                                   .arg(QDir::toNativeSeparators(path), why));
        };
        if (!m_log->failure().isEmpty())
            noteLogFailure(m_log->failure());
        m_log->setFailureHandler(noteLogFailure);
    }

    RefreshGrid();
    Form_Load();
}

FrmPressureMonitor::~FrmPressureMonitor()
{
    if (m_log)
        m_log->setFailureHandler({});
    delete m_fileBrowse;
    delete m_trend;
}

void FrmPressureMonitor::createControls()
{
    GaugePressure =
        makeGauge(this, QStringLiteral("Live Pressure"), twips(120, 60, 4095, 3735), false);
    GaugeStaticTrip =
        makeGauge(this, QStringLiteral("Static Trip"), twips(4260, 60, 1695, 1215), true);
    GaugeCountTrip =
        makeGauge(this, QStringLiteral("Count Trip"), twips(4260, 1320, 1695, 1215), true);
    GaugeDynamicTrip =
        makeGauge(this, QStringLiteral("Dynamic Trip"), twips(4260, 2580, 1695, 1215), true);

    SpdEEPROM = new SpreadGrid(this);
    SpdEEPROM->setRows(gridRowSpecs());
    SpdEEPROM->setGeometry(twips(120, 3960, 4095, 2415));
    SpdEEPROM->setAccessibleName(QStringLiteral("Parameters"));

    FrmComm = new QGroupBox(this);
    FrmComm->setGeometry(twips(4320, 3840, 1575, 675));
    FrmComm->setAccessibleName(QStringLiteral("Serial port"));
    OptComm[0] = new QRadioButton(QStringLiteral("Comm Port 1"), FrmComm);
    OptComm[0]->setGeometry(twips(180, 180, 1215, 195));
    OptComm[0]->setChecked(true);
    OptComm[1] = new QRadioButton(QStringLiteral("Comm Port 2"), FrmComm);
    OptComm[1]->setGeometry(twips(180, 420, 1215, 195));
    // A smaller mark and gap than the style's own keep "Comm Port 1" whole in its place.
    FrmComm->setStyleSheet(QStringLiteral(
        "QRadioButton { spacing: 3px; } QRadioButton::indicator { width: 11px; height: 11px; }"));

    LblStatus = new ElidedLabel(QStringLiteral("STATUS"), this);
    LblStatus->setGeometry(twips(4320, 4560, 1575, 255));
    // Of a fixed size, the line asks the window for no new layout at each new status.
    LblStatus->setFixedSize(LblStatus->size());
    LblStatus->setTextFormat(Qt::PlainText);

    CmdConnect = makeButton(this, QStringLiteral("&Connect"), twips(4320, 4860, 1635, 375));
    CmdDisconnect = makeButton(this, QStringLiteral("&Disconnect"), twips(4320, 5220, 1635, 375));
    CmdDownload = makeButton(this, QStringLiteral("Do&wnload"), twips(4320, 5640, 1635, 375));

    PrgComm = new QProgressBar(this);
    PrgComm->setGeometry(twips(4320, 6060, 1635, 315));
    PrgComm->setRange(0, 100);
    PrgComm->setValue(0);
    PrgComm->setTextVisible(false);
    PrgComm->setAccessibleName(QStringLiteral("Progress"));

    CmdOpen = makePictureButton(this, QStringLiteral("&Open File"), ButtonIcons::openFile(),
                                twips(360, 6480, 1215, 915));
    CmdOpen->setToolTip(QStringLiteral("Load File"));
    CmdSave = makePictureButton(this, QStringLiteral("&Save File"), ButtonIcons::saveFile(),
                                twips(1740, 6480, 1215, 915));
    CmdSave->setToolTip(QStringLiteral("Save File"));
    CmdAutoSet = makePictureButton(this, QStringLiteral("&Auto Cal"), ButtonIcons::autoCal(),
                                   twips(3120, 6480, 1215, 915));
    CmdExit = makePictureButton(this, QStringLiteral("&Exit"), ButtonIcons::exit(),
                                twips(4500, 6480, 1215, 915));
    // In the corner the live dial leaves free.
    CmdRecord = new QToolButton(this);
    CmdRecord->setIcon(ButtonIcons::record());
    CmdRecord->setIconSize(QSize(18, 18));
    CmdRecord->setGeometry(twips(150, 90, 390, 390));
    CmdRecord->setAutoRaise(true);
    CmdRecord->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_R));
    CmdRecord->setToolTip(QStringLiteral(
        "Calibration record (Ctrl+R): the values as found and as left, read back, and the report"));
    CmdRecord->setAccessibleName(QStringLiteral("Calibration record"));

    const QList<QPair<QWidget*, const char*>> names{{GaugePressure, "GaugePressure"},
                                                    {GaugeStaticTrip, "GaugeStaticTrip"},
                                                    {GaugeCountTrip, "GaugeCountTrip"},
                                                    {GaugeDynamicTrip, "GaugeDynamicTrip"},
                                                    {SpdEEPROM, "SpdEEPROM"},
                                                    {FrmComm, "FrmComm"},
                                                    {OptComm[0], "OptComm0"},
                                                    {OptComm[1], "OptComm1"},
                                                    {LblStatus, "LblStatus"},
                                                    {CmdConnect, "CmdConnect"},
                                                    {CmdDisconnect, "CmdDisconnect"},
                                                    {CmdDownload, "CmdDownload"},
                                                    {PrgComm, "PrgComm"},
                                                    {CmdOpen, "CmdOpen"},
                                                    {CmdSave, "CmdSave"},
                                                    {CmdAutoSet, "CmdAutoSet"},
                                                    {CmdExit, "CmdExit"},
                                                    {CmdRecord, "CmdRecord"}};
    for (const auto& [control, name] : names)
        control->setObjectName(QString::fromLatin1(name));

    connect(CmdConnect, &QPushButton::clicked, this, &FrmPressureMonitor::CmdConnect_Click);
    connect(CmdDisconnect, &QPushButton::clicked, this, &FrmPressureMonitor::CmdDisconnect_Click);
    connect(CmdDownload, &QPushButton::clicked, this, &FrmPressureMonitor::CmdDownload_Click);
    connect(CmdAutoSet, &QToolButton::clicked, this, &FrmPressureMonitor::CmdAutoSet_Click);
    connect(CmdOpen, &QToolButton::clicked, this, &FrmPressureMonitor::CmdOpen_Click);
    connect(CmdSave, &QToolButton::clicked, this, &FrmPressureMonitor::CmdSave_Click);
    connect(CmdExit, &QToolButton::clicked, this, &FrmPressureMonitor::CmdExit_Click);
    connect(CmdRecord, &QToolButton::clicked, this, &FrmPressureMonitor::CmdRecord_Click);
    connect(SpdEEPROM, &SpreadGrid::CellEdited, this, &FrmPressureMonitor::SpdEEPROM_CellEdited);
    connect(GaugeStaticTrip, &DialGauge::MouseUp, this,
            &FrmPressureMonitor::GaugeStaticTrip_MouseUp);
    connect(GaugeCountTrip, &DialGauge::MouseUp, this, &FrmPressureMonitor::GaugeCountTrip_MouseUp);
    connect(GaugeDynamicTrip, &DialGauge::MouseUp, this,
            &FrmPressureMonitor::GaugeDynamicTrip_MouseUp);
}

void FrmPressureMonitor::setTabOrder()
{
    const QList<QWidget*> order{OptComm[0],      OptComm[1],     CmdConnect,       CmdDisconnect,
                                GaugeStaticTrip, GaugeCountTrip, GaugeDynamicTrip, SpdEEPROM,
                                CmdDownload,     CmdAutoSet,     CmdExit,          CmdSave,
                                CmdOpen,         CmdRecord};
    for (qsizetype i = 1; i < order.size(); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
}

void FrmPressureMonitor::Form_Load()
{
    setStatus(QStringLiteral("Select Port && Press CONNECT"));
}

void FrmPressureMonitor::Form_Resize()
{
    RefreshGrid();
    RefreshTripNeedles();
}

void FrmPressureMonitor::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (!m_centred)
        m_centred = centreOnScreen(*this);
}

void FrmPressureMonitor::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    Form_Resize();
}

void FrmPressureMonitor::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange)
        Form_Resize();
}

void FrmPressureMonitor::closeEvent(QCloseEvent* event)
{
    // Leaving mid-download leaves the device with some values new and some old.
    const QString question =
        m_cycle.downloadRunning()
            ? QStringLiteral("A download is in progress. Leave now and the device keeps a mix of "
                             "old and new values. Exit anyway?")
            : m_origin.exitQuestion(ModVars);
    if (!confirmed(question)) {
        event->ignore();
        return;
    }
    m_activity.exited();
    m_cycle.shutDown();
    if (m_fileBrowse)
        m_fileBrowse->close();
    event->accept();
    QCoreApplication::quit();
}

bool FrmPressureMonitor::eventFilter(QObject* watched, QEvent* event)
{
    // The pressure window and the port's device change while the program runs: a tooltip
    // tells how things stand when it shows.
    if (event->type() == QEvent::ToolTip)
        updateTips();
    // The big dial opens the trend of what it shows, by mouse and by keyboard.
    const auto* key = dynamic_cast<QKeyEvent*>(event);
    if (watched == GaugePressure &&
        (event->type() == QEvent::MouseButtonDblClick ||
         (event->type() == QEvent::KeyPress &&
          (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)))) {
        showTrend();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void FrmPressureMonitor::updateTips()
{
    const CommState& comm = m_cycle.state();
    CmdAutoSet->setToolTip(autoCalibrationTip(comm.MaxPressure, comm.MinPressure));
    const int port = chosenPortNumber();
    CmdDownload->setToolTip(QStringLiteral("Writes the nine values to Comm Port %1: %2")
                                .arg(port)
                                .arg(m_portChoice->describe(port)));
    GaugePressure->setToolTip(GaugePressure->windowShown()
                                  ? QStringLiteral("Pressure window: lowest %1 PSI, highest %2 PSI")
                                        .arg(GaugePressure->windowLow())
                                        .arg(GaugePressure->windowHigh())
                                  : QStringLiteral("Pressure window: none yet"));
    GaugePressure->setToolTip(
        GaugePressure->toolTip() +
        QStringLiteral("\nDouble-click, Enter or Ctrl+T: the pressure trend"));
}

// --- CommView ---------------------------------------------------------------------------

void FrmPressureMonitor::setStatus(const QString& text)
{
    // The line is narrow: a long text ends in an ellipsis there, and stays whole in the
    // tooltip and for screen readers.
    LblStatus->setCaption(text);
}

void FrmPressureMonitor::setProgress(int value)
{
    PrgComm->setValue(value);
}

void FrmPressureMonitor::setConnectControlsEnabled(bool enabled)
{
    CmdConnect->setEnabled(enabled);
    CmdDownload->setEnabled(enabled);
    FrmComm->setEnabled(enabled);
    refreshRecord();
}

void FrmPressureMonitor::setDownloadEnabled(bool enabled)
{
    CmdDownload->setEnabled(enabled);
    refreshRecord();
}

void FrmPressureMonitor::setLiveNeedle(int pressure)
{
    GaugePressure->setNeedleValue(pressure);
}

void FrmPressureMonitor::markPressureWindow(int high, int low)
{
    for (DialGauge* gauge : {GaugePressure, GaugeStaticTrip, GaugeCountTrip, GaugeDynamicTrip}) {
        gauge->setWindowHigh(high);
        gauge->setWindowLow(low);
    }
    m_record.pressureWindowSeen(high, low);
}

void FrmPressureMonitor::RefreshGrid()
{
    fillGrid(*SpdEEPROM, ModVars);
}

void FrmPressureMonitor::RefreshTripNeedles()
{
    setTripNeedles({*GaugeStaticTrip, *GaugeCountTrip, *GaugeDynamicTrip}, ModVars);
}

void FrmPressureMonitor::showDeviceValues(const ParameterSet& device)
{
    markDeviceValues(*SpdEEPROM, device);
}

void FrmPressureMonitor::noteDeviceValue(Parameter parameter, std::int32_t value)
{
    m_origin.deviceHolds(parameter, value);
}

void FrmPressureMonitor::showUnacknowledgedWrite(Parameter parameter, std::int32_t held,
                                                 std::int32_t written)
{
    markUnacknowledgedWrite(*SpdEEPROM, parameter, held, written);
}

void FrmPressureMonitor::setStatusHint(const QString& hint)
{
    LblStatus->setHint(hint);
}

void FrmPressureMonitor::setLiveReadingCurrent(bool current)
{
    GaugePressure->setReadingCurrent(current);
}

void FrmPressureMonitor::uploadFinished(const ParameterSet& device)
{
    m_record.uploadFinished(device, QDateTime::currentDateTime());
    refreshRecord();
}

void FrmPressureMonitor::writeAcknowledged(Parameter parameter, std::int32_t value)
{
    m_record.writeAcknowledged(parameter, value);
}

void FrmPressureMonitor::readBackFinished(const ParameterSet& device)
{
    m_record.readBackFinished(device, ModVars, QDateTime::currentDateTime());
    setStatus(m_record.readBackResult());
    m_activity.readBack(m_record.readBackResult());
    if (m_recordWindow)
        m_recordWindow->readBackEnded();
    const QString differences = m_record.differencesText();
    if (differences.isEmpty())
        return;
    // Shown after the tick: a message box waits for the user, and a tick must not.
    QMetaObject::invokeMethod(
        this,
        [this, differences] {
            m_messages.showDetailed(
                QStringLiteral("The device holds other values than were written:"), differences,
                MessageIcon::Warning, MessageButtons::Ok);
        },
        Qt::QueuedConnection);
}

void FrmPressureMonitor::readBackFailed()
{
    m_record.readBackFailed(QDateTime::currentDateTime());
    if (m_recordWindow)
        m_recordWindow->readBackEnded();
}

void FrmPressureMonitor::refreshRecord()
{
    if (!m_recordWindow)
        return;
    m_recordWindow->setReadBackEnabled(m_recordPort != 0 && CmdDownload->isEnabled() &&
                                       m_cycle.timer().isActive());
    m_recordWindow->refresh();
}

// --- Handlers -----------------------------------------------------------------------------

int FrmPressureMonitor::chosenPortNumber() const
{
    int portNumber = 0;
    for (int i = 0; i < 2; ++i) {
        if (OptComm[i]->isChecked())
            portNumber = i + 1;
    }
    return portNumber;
}

void FrmPressureMonitor::CmdConnect_Click()
{
    if (!confirmed(m_origin.connectQuestion(ModVars)))
        return;
    m_recordPort = chosenPortNumber();
    m_record.connected(OptComm[m_recordPort - 1]->text(), m_portChoice->describe(m_recordPort));
    m_cycle.connect(m_recordPort);
}

void FrmPressureMonitor::CmdRecord_Click()
{
    if (!m_recordWindow) {
        m_recordWindow = new FrmCalibrationRecord(m_record, m_messages, this);
        connect(m_recordWindow, &FrmCalibrationRecord::readBackRequested, this,
                &FrmPressureMonitor::CmdReadBack_Click);
        // The report carries the trend of the session with its trip lines, from its first
        // frame to its last, drawn at a screen's resolution and scaled onto the page.
        m_recordWindow->setReportPicture([this](QPainter& painter, const QRectF& place) {
            const PressureHistory& history = m_recorder.history();
            if (history.size() == 0)
                return;
            TrendChart chart(m_recorder, [this] { return trendLevels(); });
            chart.zoomTo(history.at(0).timeUs, history.last().timeUs);
            const int width = 900;
            const QSize size(width, qRound(width * place.height() / place.width()));
            painter.drawImage(place, chart.picture(size));
        });
    }
    refreshRecord();
    m_recordWindow->show();
    m_recordWindow->raise();
    m_recordWindow->activateWindow();
}

void FrmPressureMonitor::CmdReadBack_Click()
{
    m_cycle.readBack(m_recordPort);
}

bool FrmPressureMonitor::confirmed(const QString& question)
{
    return question.isEmpty() ||
           m_messages.show(question, MessageIcon::Warning, MessageButtons::YesNo,
                           MessageAnswer::No) == MessageAnswer::Yes;
}

void FrmPressureMonitor::CmdDisconnect_Click()
{
    m_cycle.disconnect();
}

void FrmPressureMonitor::CmdDownload_Click()
{
    // Values are not checked on their way out, but writing one the grid would refuse
    // deserves a second thought.
    if (!confirmed(outOfRangeQuestion(ModVars)))
        return;
    m_cycle.startDownload(chosenPortNumber());
}

void FrmPressureMonitor::CmdAutoSet_Click()
{
    const CommState& comm = m_cycle.state();
    const bool applied = applyAutoCalibration(ModVars, comm.MaxPressure, comm.MinPressure);
    m_activity.autoCalibrated(comm.MaxPressure, comm.MinPressure, applied, ModVars);
    if (!applied) {
        m_messages.show(QString::fromLatin1(PressureWindowTooNarrow), MessageIcon::Warning,
                        MessageButtons::Ok);
        return;
    }
    m_recorder.addMarker(QStringLiteral("Auto Cal"));
    RefreshGrid();
    RefreshTripNeedles();
}

void FrmPressureMonitor::SpdEEPROM_CellEdited()
{
    const ParameterSet before = ModVars;
    readGridBack(*SpdEEPROM, ModVars);
    m_activity.edited(QStringLiteral("Grid edit"), before, ModVars);
    RefreshTripNeedles();
}

void FrmPressureMonitor::GaugeStaticTrip_MouseUp()
{
    const ParameterSet before = ModVars;
    ModVars.StaticTripSP = takeNeedleSetPoint(*GaugeStaticTrip, Parameter::StaticTripSP);
    m_activity.edited(QStringLiteral("Needle edit"), before, ModVars);
    RefreshGrid();
}

void FrmPressureMonitor::GaugeCountTrip_MouseUp()
{
    const ParameterSet before = ModVars;
    ModVars.CountTripSP = takeNeedleSetPoint(*GaugeCountTrip, Parameter::CountTripSP);
    m_activity.edited(QStringLiteral("Needle edit"), before, ModVars);
    RefreshGrid();
}

void FrmPressureMonitor::GaugeDynamicTrip_MouseUp()
{
    const ParameterSet before = ModVars;
    ModVars.DynamicTripSP = takeNeedleSetPoint(*GaugeDynamicTrip, Parameter::DynamicTripSP);
    m_activity.edited(QStringLiteral("Needle edit"), before, ModVars);
    RefreshGrid();
}

void FrmPressureMonitor::CmdOpen_Click()
{
    showFileBrowse(FileAction::ReadFile);
}

void FrmPressureMonitor::CmdSave_Click()
{
    showFileBrowse(FileAction::SaveFile);
}

void FrmPressureMonitor::showFileBrowse(FileAction action)
{
    if (!m_fileBrowse) {
        m_fileBrowse = new FrmFileBrowse(this, action);
        connect(m_fileBrowse, &FrmFileBrowse::fileChosen, this, &FrmPressureMonitor::runFileAction);
        if (!m_retryFolder.isEmpty())
            m_fileBrowse->setFolder(std::exchange(m_retryFolder, {}));
    }
    m_fileBrowse->setFileAction(action);
    m_fileBrowse->show();
    m_fileBrowse->raise();
    m_fileBrowse->activateWindow();
    setWindowState(windowState() | Qt::WindowMinimized);
}

void FrmPressureMonitor::runFileAction(const QString& path, const QString& chosenName)
{
    ModVars.ParamFileName = path;
    ParamFileOperations operations(ModVars, m_messages, m_fileBrowse->mapper());
    operations.setChosenName(chosenName);
    operations.setBusyPointer([](bool busy) {
        if (busy)
            QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
        else
            QGuiApplication::restoreOverrideCursor();
    });
    const bool save = m_fileBrowse->fileAction() == FileAction::SaveFile;
    const bool done = save ? operations.CheckSavePath() : operations.ReadParamFile();
    m_retryFolder = done ? QString() : m_fileBrowse->currentFolder();
    if (done)
        m_record.fileUsed(QDir::toNativeSeparators(ModVars.ParamFileName), save);
    if (done && save) {
        m_origin.fileSaved(ModVars);
        m_activity.fileSaved(ModVars.ParamFileName);
    } else if (done) {
        m_origin.fileRead(ModVars.ParamFileName, ModVars);
        m_activity.fileRead(ModVars.ParamFileName);
        m_recorder.addMarker(QStringLiteral("File read"));
    }
    if (save)
        return;
    // Shown whatever the window's state: the restore that follows redraws only a window
    // that was still minimised.
    RefreshGrid();
    RefreshTripNeedles();
}

void FrmPressureMonitor::placeBeside(QWidget& window) const
{
    // On the side with more room, narrowed to fit it where it can be, else over the right
    // end of the screen.
    constexpr int Gap = 8;
    constexpr int Narrowest = 480;
    const QRect screen = this->screen()->availableGeometry();
    const QRect frame = frameGeometry();
    const int rightRoom = screen.right() - frame.right() - Gap;
    const int leftRoom = frame.left() - screen.left() - Gap;
    const int room = std::max(rightRoom, leftRoom);
    if (room >= Narrowest)
        window.resize(std::min(window.width(), room), window.height());
    const int width = window.width();
    int left = screen.right() - width;
    if (rightRoom >= width)
        left = frame.right() + Gap;
    else if (leftRoom >= width)
        left = frame.left() - Gap - width;
    window.move(std::max(left, screen.left()), frame.top());
}

TrendLevels FrmPressureMonitor::trendLevels() const
{
    const CommState& comm = m_cycle.state();
    TrendLevels shown{ModVars.StaticTripSP, ModVars.CountTripSP, ModVars.DynamicTripSP, {}};
    if (comm.MaxPressure > 0)
        shown.window = {comm.MinPressure, comm.MaxPressure};
    return shown;
}

FrmTrend* FrmPressureMonitor::trendWindow() const
{
    return m_trend;
}

void FrmPressureMonitor::showTrend()
{
    if (!m_trend) {
        const auto levels = [this] { return trendLevels(); };
        m_trend = new FrmTrend(m_recorder, levels, [this](const QString& path, QString& error) {
            return startRecording(path, error);
        });
        // Beside the main window, where it has no place of its own yet.
        if (!m_trend->hasRememberedPlace())
            placeBeside(*m_trend);
    }
    m_trend->show();
    m_trend->raise();
    m_trend->activateWindow();
}

bool FrmPressureMonitor::startRecording(const QString& path, QString& error)
{
    const int port = chosenPortNumber();
    const bool started = m_recorder.startRecording(
        path, m_recordMaxBytes,
        QStringLiteral("%1 %2").arg(QCoreApplication::applicationName(),
                                    QCoreApplication::applicationVersion()),
        QStringLiteral("Comm Port %1 (%2)").arg(port).arg(m_portChoice->describe(port)), error);
    if (m_trend)
        m_trend->showRecording();
    return started;
}

void FrmPressureMonitor::CmdExit_Click()
{
    // Closing stops the timer and closes the port, after the question a download calls for.
    close();
}
