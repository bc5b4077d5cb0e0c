#include "DeviceFrames.h"
#include "DialGauge.h"
#include "FakeSerialLink.h"
#include "FrmPressureMonitor.h"
#include "RecordingMessageBoxes.h"
#include "SpreadGrid.h"
#include "TestSupport.h"

#include <QGroupBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QToolButton>

#include <memory>

namespace {

const QString CommError = QStringLiteral("A Comm Port Error Has Occured");

// The device's memory as the fake device answers from it.
const ParameterSet DeviceValues{5000, 4500, 1234, 45, 10, 60, 50, 3, 2};

QByteArray pressureFrame(int pressure)
{
    QByteArray frame = hexBytes("80 05 D0");
    frame.append(static_cast<char>(pressure));
    frame.append(static_cast<char>(FrameChecksum(frame)));
    return frame;
}

Parameter parameterAtAddress(int address)
{
    for (int i = 0; i < ParameterCount; ++i) {
        const auto p = static_cast<Parameter>(i);
        if (BuildReadRequest(p).at(2) == static_cast<char>(address * 16))
            return p;
    }
    return Parameter::ShutDownCountSP;
}

} // namespace

class TestFrmPressureMonitor : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void startUp_showsIdleWindowAndSendsNothing();
    void controls_standAtTheirPlaces_data();
    void controls_standAtTheirPlaces();
    void captions_fitTheirControls();

    void connect_uploadsNineValues_thenLiveThenDownload();
    void connect_withPort2_usesPort2AtParameterSpeed();
    void silentDevice_uploadRepeatsRequestForever();
    void portCannotOpen_oneMessageAndButtonsBack();
    void disconnectBeforeFirstTick_stopsTheCycle();
    void connectAfterErrorLeftPortOpen_closesItFirst();
    void uploadLastStep_refreshesGridEveryTick();

    void live_fiveBytesWaiting_areLeftForTheNextTick();
    void live_pressureAbove99_isShownAs99();
    void live_noValidFrame_dropsNeedleKeepsStatus();
    void live_zeroPressuresOnly_leaveWindowUnmarked();

    void download_valueTooWide_endsInCommError();
    void autoCal_setsTripsFromPressureWindow();
    void autoCal_narrowWindow_warnsAndChangesNothing();
    void gridEdit_rowsSixAndSeven_landInTheirParameters();
    void needleReleased_setsParameterAndGrid();
    void restoreAfterMinimise_redrawsFromParameterSet();
    void exit_closesAnOpenPort();

private:
    void connectAndUpload();
    void ticks(int n)
    {
        // As the real timer would: no tick once the cycle has switched it off.
        for (int i = 0; i < n && m_window->TmrComm.isActive(); ++i)
            m_window->TmrComm_Timer();
    }

    FakeSerialLink* m_port = nullptr;
    std::unique_ptr<RecordingMessageBoxes> m_messages;
    std::unique_ptr<FrmPressureMonitor> m_window;
    bool m_deviceAnswers = true;
};

void TestFrmPressureMonitor::init()
{
    ModVars.reset();
    m_deviceAnswers = true;
    m_messages = std::make_unique<RecordingMessageBoxes>();
    auto port = std::make_unique<FakeSerialLink>();
    m_port = port.get();
    // The fake device answers every read request from its memory and every write request
    // with one acknowledgement, at once.
    m_port->onOutput = [this](const QByteArray& frame) {
        if (!m_deviceAnswers || frame.size() < 3)
            return;
        const int address = (static_cast<std::uint8_t>(frame[2]) >> 4);
        const int function = static_cast<std::uint8_t>(frame[2]) & 0x0F;
        if (function == 0) {
            const Parameter p = parameterAtAddress(address);
            m_port->feed(readReplyFrame(p, DeviceValues.value(p)));
        } else if (function == 2) {
            m_port->feed(hexBytes("80 04 E0 9C"));
        }
    };
    m_window = std::make_unique<FrmPressureMonitor>(std::move(port), *m_messages);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
}

void TestFrmPressureMonitor::cleanup()
{
    m_window.reset();
    m_messages.reset();
}

void TestFrmPressureMonitor::connectAndUpload()
{
    QTest::mouseClick(m_window->CmdConnect, Qt::LeftButton);
    ticks(10);
    QCOMPARE(m_window->LblStatus->text(), QStringLiteral("Waiting for data"));
}

void TestFrmPressureMonitor::startUp_showsIdleWindowAndSendsNothing()
{
    FrmPressureMonitor& w = *m_window;
    QCOMPARE(w.windowTitle(), QStringLiteral("VORTA Calibration Tool"));
    QCOMPARE(w.size(), QSize(405, 496));
    QCOMPARE(w.minimumSize(), w.maximumSize());
    QVERIFY(!(w.windowFlags() & Qt::WindowMinimizeButtonHint));
    QVERIFY(!(w.windowFlags() & Qt::WindowMaximizeButtonHint));
    QCOMPARE(w.LblStatus->text(), QStringLiteral("Select Port & Press CONNECT"));
    QVERIFY(w.OptComm[0]->isChecked());
    QVERIFY(!w.OptComm[1]->isChecked());
    for (QWidget* control : std::initializer_list<QWidget*>{
             w.CmdConnect, w.CmdDisconnect, w.CmdDownload, w.CmdOpen, w.CmdSave, w.CmdAutoSet,
             w.CmdExit, w.FrmComm, w.OptComm[0], w.OptComm[1]})
        QVERIFY2(control->isEnabled(), qPrintable(control->objectName()));
    for (int row = 1; row <= 9; ++row)
        QCOMPARE(w.SpdEEPROM->cellText(row), QStringLiteral("0"));
    for (DialGauge* g : {w.GaugeStaticTrip, w.GaugeCountTrip, w.GaugeDynamicTrip, w.GaugePressure})
        QCOMPARE(g->needleValue(), 0.0);
    QVERIFY(!w.TmrComm.isActive());
    QCOMPARE(w.TmrComm.interval(), 50);
    QVERIFY(!m_port->portOpen());
    QCOMPARE(m_port->openCount, 0);
    QVERIFY(m_port->writes.isEmpty());
    QCOMPARE(w.PrgComm->value(), 0);
}

void TestFrmPressureMonitor::controls_standAtTheirPlaces_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("place");
    QTest::newRow("GaugePressure") << QStringLiteral("GaugePressure") << QRect(8, 4, 273, 249);
    QTest::newRow("GaugeStaticTrip") << QStringLiteral("GaugeStaticTrip") << QRect(284, 4, 113, 81);
    QTest::newRow("GaugeCountTrip") << QStringLiteral("GaugeCountTrip") << QRect(284, 88, 113, 81);
    QTest::newRow("GaugeDynamicTrip")
        << QStringLiteral("GaugeDynamicTrip") << QRect(284, 172, 113, 81);
    QTest::newRow("SpdEEPROM") << QStringLiteral("SpdEEPROM") << QRect(8, 264, 273, 161);
    QTest::newRow("FrmComm") << QStringLiteral("FrmComm") << QRect(288, 256, 105, 45);
    QTest::newRow("LblStatus") << QStringLiteral("LblStatus") << QRect(288, 304, 105, 17);
    QTest::newRow("CmdConnect") << QStringLiteral("CmdConnect") << QRect(288, 324, 109, 25);
    QTest::newRow("CmdDisconnect") << QStringLiteral("CmdDisconnect") << QRect(288, 348, 109, 25);
    QTest::newRow("CmdDownload") << QStringLiteral("CmdDownload") << QRect(288, 376, 109, 25);
    QTest::newRow("PrgComm") << QStringLiteral("PrgComm") << QRect(288, 404, 109, 21);
    QTest::newRow("CmdOpen") << QStringLiteral("CmdOpen") << QRect(24, 432, 81, 61);
    QTest::newRow("CmdSave") << QStringLiteral("CmdSave") << QRect(116, 432, 81, 61);
    QTest::newRow("CmdAutoSet") << QStringLiteral("CmdAutoSet") << QRect(208, 432, 81, 61);
    QTest::newRow("CmdExit") << QStringLiteral("CmdExit") << QRect(300, 432, 81, 61);
}

void TestFrmPressureMonitor::controls_standAtTheirPlaces()
{
    QFETCH(QString, name);
    QFETCH(QRect, place);
    auto* control = m_window->findChild<QWidget*>(name);
    QVERIFY2(control, qPrintable(name));
    QCOMPARE(control->geometry(), place);
}

void TestFrmPressureMonitor::captions_fitTheirControls()
{
    FrmPressureMonitor& w = *m_window;
    for (QRadioButton* option : w.OptComm)
        QVERIFY2(option->sizeHint().width() <= option->width(),
                 qPrintable(QStringLiteral("%1 needs %2 px")
                                .arg(option->text())
                                .arg(option->sizeHint().width())));
    for (QPushButton* button : {w.CmdConnect, w.CmdDisconnect, w.CmdDownload})
        QVERIFY2(button->fontMetrics().horizontalAdvance(button->text()) < button->width() - 8,
                 qPrintable(button->text()));
    for (QToolButton* button : {w.CmdOpen, w.CmdSave, w.CmdAutoSet, w.CmdExit})
        QVERIFY2(button->sizeHint().width() <= button->width() &&
                     button->sizeHint().height() <= button->height(),
                 qPrintable(button->text()));
}

void TestFrmPressureMonitor::connect_uploadsNineValues_thenLiveThenDownload()
{
    FrmPressureMonitor& w = *m_window;
    QTest::mouseClick(w.CmdConnect, Qt::LeftButton);
    QCOMPARE(w.LblStatus->text(), QStringLiteral("Connecting"));
    QVERIFY(w.TmrComm.isActive());
    QVERIFY(!w.CmdConnect->isEnabled());
    QVERIFY(!w.CmdDownload->isEnabled());
    QVERIFY(!w.FrmComm->isEnabled());
    QVERIFY(w.CmdDisconnect->isEnabled());
    QVERIFY(!m_port->portOpen());

    QList<int> progress;
    for (int tick = 0; tick < 9; ++tick) {
        w.TmrComm_Timer();
        progress.append(w.PrgComm->value());
    }
    QCOMPARE(progress, (QList<int>{0, 11, 22, 33, 44, 55, 66, 77, 88}));
    QCOMPARE(static_cast<const ParameterSet&>(ModVars), DeviceValues);
    QCOMPARE(w.SpdEEPROM->cellText(6), QStringLiteral("50"));
    QCOMPARE(w.SpdEEPROM->cellText(7), QStringLiteral("60"));
    QCOMPARE(w.GaugeCountTrip->needleValue(), 50.0);
    QVERIFY(!w.CmdDownload->isEnabled());

    w.TmrComm_Timer();
    QCOMPARE(w.LblStatus->text(), QStringLiteral("Waiting for data"));
    QCOMPARE(w.PrgComm->value(), 100);
    QVERIFY(w.CmdDownload->isEnabled());
    QCOMPARE(w.commState().CommAction, 1);

    m_port->feed(pressureFrame(20) + pressureFrame(61) + pressureFrame(57));
    w.TmrComm_Timer();
    QCOMPARE(m_port->settings(), QStringLiteral("57600,n,8,1"));
    QCOMPARE(w.LblStatus->text(), QStringLiteral("Pressure = 57 PSI"));
    QCOMPARE(w.GaugePressure->needleValue(), 57.0);
    for (DialGauge* g :
         {w.GaugePressure, w.GaugeStaticTrip, w.GaugeCountTrip, w.GaugeDynamicTrip}) {
        QCOMPARE(g->windowHigh(), 61);
        QCOMPARE(g->windowLow(), 20);
    }

    m_port->writes.clear();
    QTest::mouseClick(w.CmdDownload, Qt::LeftButton);
    QCOMPARE(w.PrgComm->value(), 0);
    QVERIFY(!w.CmdDownload->isEnabled());
    m_port->feed(pressureFrame(40));
    progress.clear();
    for (int tick = 0; tick < 10; ++tick) {
        w.TmrComm_Timer();
        progress.append(w.PrgComm->value());
    }
    QCOMPARE(w.TmrComm.interval(), 150);
    QCOMPARE(m_port->writes.size(), 9);
    QCOMPARE(hexText(m_port->writes.first()),
             hexText(BuildWriteRequest(Parameter::ShutDownCountSP, 5000)));
    QCOMPARE(hexText(m_port->writes.last()),
             hexText(BuildWriteRequest(Parameter::StaticFaultCount, 3)));
    QCOMPARE(progress, (QList<int>{0, 12, 25, 38, 50, 62, 75, 88, 100, 100}));
    QCOMPARE(w.LblStatus->text(), QStringLiteral("Download Complete"));
    QVERIFY(w.CmdDownload->isEnabled());
    QVERIFY(!w.CmdConnect->isEnabled());

    m_port->feed(pressureFrame(30) + pressureFrame(31));
    w.TmrComm_Timer();
    QCOMPARE(w.TmrComm.interval(), 50);
    QCOMPARE(w.LblStatus->text(), QStringLiteral("Pressure = 31 PSI"));
    QCOMPARE(w.commState().MaxPressure, 61);
    QCOMPARE(w.commState().MinPressure, 20);
    QVERIFY(m_messages->shown.isEmpty());
}

void TestFrmPressureMonitor::connect_withPort2_usesPort2AtParameterSpeed()
{
    QTest::mouseClick(m_window->OptComm[1], Qt::LeftButton);
    QVERIFY(m_window->OptComm[1]->isChecked());
    QTest::mouseClick(m_window->CmdConnect, Qt::LeftButton);
    QCOMPARE(m_port->commPort(), 2);
    QCOMPARE(m_port->settings(), QStringLiteral("9600,n,8,1"));
    QCOMPARE(m_window->LblStatus->text(), QStringLiteral("Connecting"));
}

void TestFrmPressureMonitor::silentDevice_uploadRepeatsRequestForever()
{
    m_deviceAnswers = false;
    QTest::mouseClick(m_window->CmdConnect, Qt::LeftButton);
    ticks(20);
    QCOMPARE(m_port->writes.size(), 20);
    for (const QByteArray& w : m_port->writes)
        QCOMPARE(hexText(w), QStringLiteral("80 04 00 7C"));
    QCOMPARE(m_window->LblStatus->text(), QStringLiteral("Uploading SDC"));
    QCOMPARE(m_window->commState().CommCount, 0);
    QVERIFY(m_window->TmrComm.isActive());
}

void TestFrmPressureMonitor::portCannotOpen_oneMessageAndButtonsBack()
{
    m_port->failOn(FakeSerialLink::Operation::Open);
    QTest::mouseClick(m_window->CmdConnect, Qt::LeftButton);
    m_window->TmrComm_Timer();
    QCOMPARE(m_messages->texts(), QStringList{CommError});
    QCOMPARE(m_messages->shown.first().icon, MessageIcon::Warning);
    QCOMPARE(m_messages->shown.first().buttons, MessageButtons::Ok);
    QVERIFY(!m_window->TmrComm.isActive());
    QVERIFY(m_window->CmdConnect->isEnabled());
    QVERIFY(m_window->CmdDownload->isEnabled());
    QVERIFY(m_window->FrmComm->isEnabled());
    QCOMPARE(m_window->LblStatus->text(), QStringLiteral("Connecting"));

    m_port->failOn(FakeSerialLink::Operation::Open, false);
    connectAndUpload();
}

void TestFrmPressureMonitor::disconnectBeforeFirstTick_stopsTheCycle()
{
    QTest::mouseClick(m_window->CmdConnect, Qt::LeftButton);
    QTest::mouseClick(m_window->CmdDisconnect, Qt::LeftButton);
    QCOMPARE(m_window->LblStatus->text(), QStringLiteral("Disconnected"));
    QVERIFY(!m_window->TmrComm.isActive());
    QVERIFY(m_window->CmdConnect->isEnabled());
    QVERIFY(m_window->CmdDownload->isEnabled());
    QVERIFY(m_window->FrmComm->isEnabled());
    QTest::qWait(120);
    QCOMPARE(m_port->openCount, 0);
}

void TestFrmPressureMonitor::connectAfterErrorLeftPortOpen_closesItFirst()
{
    QTest::mouseClick(m_window->CmdConnect, Qt::LeftButton);
    m_window->TmrComm_Timer();
    m_port->failOn(FakeSerialLink::Operation::Output);
    m_window->TmrComm_Timer();
    QCOMPARE(m_messages->texts(), QStringList{CommError});
    QVERIFY(m_port->portOpen());

    m_port->failOn(FakeSerialLink::Operation::Output, false);
    QTest::mouseClick(m_window->OptComm[1], Qt::LeftButton);
    QTest::mouseClick(m_window->CmdConnect, Qt::LeftButton);
    QVERIFY(!m_port->portOpen());
    QCOMPARE(m_port->closeCount, 1);
    QCOMPARE(m_port->commPort(), 2);
    ticks(10);
    QCOMPARE(m_window->LblStatus->text(), QStringLiteral("Waiting for data"));
}

void TestFrmPressureMonitor::uploadLastStep_refreshesGridEveryTick()
{
    QTest::mouseClick(m_window->CmdConnect, Qt::LeftButton);
    m_deviceAnswers = false;
    m_window->commState().CommCount = 8;
    ModVars.StaticTripSP = 33;
    m_window->TmrComm_Timer();
    QCOMPARE(m_window->SpdEEPROM->cellText(4), QStringLiteral("33"));
    QCOMPARE(m_window->GaugeStaticTrip->needleValue(), 33.0);
    ModVars.StaticTripSP = 34;
    m_window->TmrComm_Timer();
    QCOMPARE(m_window->SpdEEPROM->cellText(4), QStringLiteral("34"));
    QCOMPARE(m_window->commState().CommCount, 8);
}

void TestFrmPressureMonitor::live_fiveBytesWaiting_areLeftForTheNextTick()
{
    connectAndUpload();
    const QByteArray frame = pressureFrame(42);
    m_port->feed(frame);
    m_window->TmrComm_Timer();
    QCOMPARE(m_port->inBufferCount(), 5);
    QCOMPARE(m_window->LblStatus->text(), QStringLiteral("Waiting for data"));
    m_port->feed(hexBytes("00"));
    m_window->TmrComm_Timer();
    QCOMPARE(m_port->inBufferCount(), 0);
    QCOMPARE(m_window->LblStatus->text(), QStringLiteral("Pressure = 42 PSI"));
}

void TestFrmPressureMonitor::live_pressureAbove99_isShownAs99()
{
    connectAndUpload();
    m_port->feed(hexBytes("80 00 D0 96 1A 00"));
    m_window->TmrComm_Timer();
    QCOMPARE(m_window->LblStatus->text(), QStringLiteral("Pressure = 99 PSI"));
    QCOMPARE(m_window->commState().MaxPressure, 99);
    QCOMPARE(m_window->GaugePressure->needleValue(), 99.0);
}

void TestFrmPressureMonitor::live_noValidFrame_dropsNeedleKeepsStatus()
{
    connectAndUpload();
    m_port->feed(pressureFrame(60) + pressureFrame(25));
    m_window->TmrComm_Timer();
    m_port->feed(hexBytes("80 07 D0 39 10 55 66"));
    m_window->TmrComm_Timer();
    QCOMPARE(m_window->GaugePressure->needleValue(), 0.0);
    QCOMPARE(m_window->LblStatus->text(), QStringLiteral("Pressure = 25 PSI"));
    QCOMPARE(m_window->GaugeDynamicTrip->windowHigh(), 60);
    QCOMPARE(m_window->GaugeDynamicTrip->windowLow(), 25);
}

void TestFrmPressureMonitor::live_zeroPressuresOnly_leaveWindowUnmarked()
{
    connectAndUpload();
    m_port->feed(pressureFrame(0) + pressureFrame(0));
    m_window->TmrComm_Timer();
    QCOMPARE(m_window->commState().MinPressure, 0);
    QCOMPARE(m_window->commState().MaxPressure, 0);
    QCOMPARE(m_window->GaugePressure->windowHigh(), 0);
    QCOMPARE(m_window->GaugePressure->windowLow(), 0);
}

void TestFrmPressureMonitor::download_valueTooWide_endsInCommError()
{
    connectAndUpload();
    ModVars.StaticTripTimer = 300;
    QTest::mouseClick(m_window->CmdDownload, Qt::LeftButton);
    m_port->feed(pressureFrame(10));
    ticks(10);
    QCOMPARE(m_messages->texts(), QStringList{CommError});
    QVERIFY(!m_window->TmrComm.isActive());
    QCOMPARE(m_port->writes.size(), 9 + 4);
    QVERIFY(m_window->CmdConnect->isEnabled());
}

void TestFrmPressureMonitor::autoCal_setsTripsFromPressureWindow()
{
    ModVars.ActualCount = 9;
    ModVars.StaticFaultCount = 8;
    ModVars.DynamicFaultCount = 7;
    ModVars.StaticTripTimer = 12;
    m_window->commState().MaxPressure = 60;
    m_window->commState().MinPressure = 20;
    QTest::mouseClick(m_window->CmdAutoSet, Qt::LeftButton);
    QVERIFY(m_messages->shown.isEmpty());
    QCOMPARE(m_window->SpdEEPROM->cellText(4), QStringLiteral("40"));
    QCOMPARE(m_window->SpdEEPROM->cellText(6), QStringLiteral("30"));
    QCOMPARE(m_window->SpdEEPROM->cellText(7), QStringLiteral("15"));
    for (int row : {3, 8, 9})
        QCOMPARE(m_window->SpdEEPROM->cellText(row), QStringLiteral("0"));
    QCOMPARE(m_window->SpdEEPROM->cellText(5), QStringLiteral("12"));
    QCOMPARE(m_window->GaugeStaticTrip->needleValue(), 40.0);
    QCOMPARE(m_window->GaugeCountTrip->needleValue(), 30.0);
    QCOMPARE(m_window->GaugeDynamicTrip->needleValue(), 15.0);
}

void TestFrmPressureMonitor::autoCal_narrowWindow_warnsAndChangesNothing()
{
    ModVars.StaticTripSP = 5;
    m_window->RefreshGrid();
    m_window->commState().MaxPressure = 40;
    m_window->commState().MinPressure = 38;
    QTest::mouseClick(m_window->CmdAutoSet, Qt::LeftButton);
    QCOMPARE(m_messages->texts(),
             QStringList{QStringLiteral("Pressure Window too narrow for Auto-Calibration")});
    QCOMPARE(m_messages->shown.first().icon, MessageIcon::Warning);
    QCOMPARE(ModVars.StaticTripSP, 5);
    QCOMPARE(m_window->SpdEEPROM->cellText(4), QStringLiteral("5"));
}

void TestFrmPressureMonitor::gridEdit_rowsSixAndSeven_landInTheirParameters()
{
    QVERIFY(m_window->SpdEEPROM->enterText(6, QStringLiteral("21")));
    QCOMPARE(ModVars.CountTripSP, 21);
    QCOMPARE(m_window->GaugeCountTrip->needleValue(), 21.0);
    QVERIFY(m_window->SpdEEPROM->enterText(7, QStringLiteral("37")));
    QCOMPARE(ModVars.DynamicTripSP, 37);
    QCOMPARE(ModVars.CountTripSP, 21);
    QCOMPARE(m_window->GaugeDynamicTrip->needleValue(), 37.0);
}

void TestFrmPressureMonitor::needleReleased_setsParameterAndGrid()
{
    m_window->GaugeCountTrip->setNeedleValue(43.5);
    Q_EMIT m_window->GaugeCountTrip->MouseUp();
    QCOMPARE(ModVars.CountTripSP, 44);
    QCOMPARE(m_window->SpdEEPROM->cellText(6), QStringLiteral("44"));
    QCOMPARE(m_window->GaugeCountTrip->needleValue(), 43.5);
}

void TestFrmPressureMonitor::restoreAfterMinimise_redrawsFromParameterSet()
{
    m_window->setWindowState(Qt::WindowMinimized);
    ModVars.DynamicTripSP = 61;
    ModVars.ShutDownCountSP = 777;
    m_window->setWindowState(Qt::WindowNoState);
    QCOMPARE(m_window->SpdEEPROM->cellText(1), QStringLiteral("777"));
    QCOMPARE(m_window->GaugeDynamicTrip->needleValue(), 61.0);
}

void TestFrmPressureMonitor::exit_closesAnOpenPort()
{
    connectAndUpload();
    QVERIFY(m_port->portOpen());
    QTest::mouseClick(m_window->CmdExit, Qt::LeftButton);
    QVERIFY(!m_port->portOpen());
    QVERIFY(!m_window->TmrComm.isActive());
    QVERIFY(!m_window->isVisible());
}

QTEST_MAIN(TestFrmPressureMonitor)
#include "tst_FrmPressureMonitor.moc"
