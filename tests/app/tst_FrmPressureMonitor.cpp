#include "DeviceFrames.h"
#include "DialGauge.h"
#include "ElidedLabel.h"
#include "FakeSerialLink.h"
#include "FrmPressureMonitor.h"
#include "RecordingMessageBoxes.h"
#include "SpreadGrid.h"
#include "TestSupport.h"

#include <QAccessible>
#include <QGroupBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QToolButton>

#include <memory>

namespace {

const QString CommError = u"A Comm Port Error Has Occured"_s;

// The device's memory as the fake device answers from it.
const ParameterSet DeviceValues{5000, 4500, 1234, 45, 10, 60, 50, 3, 2};

QByteArray pressureFrame(int pressure)
{
    QByteArray frame = hexBytes("80 05 D0");
    frame.append(static_cast<char>(pressure));
    frame.append(static_cast<char>(FrameChecksum(frame)));
    return frame;
}

} // namespace

class TestFrmPressureMonitor : public QObject
{
    Q_OBJECT

    FakeSerialLink* m_port = nullptr;
    std::unique_ptr<RecordingMessageBoxes> m_messages;
    std::unique_ptr<FrmPressureMonitor> m_window;
    bool m_deviceAnswers = true;

    // As the real timer would: no tick once the cycle has switched it off.
    void ticks(int n)
    {
        for (int i = 0; i < n && m_window->TmrComm.isActive(); ++i)
            m_window->TmrComm_Timer();
    }

    void connectAndUpload()
    {
        QTest::mouseClick(m_window->CmdConnect, Qt::LeftButton);
        ticks(10);
        QCOMPARE(status(), u"Waiting for data"_s);
    }

    QList<DialGauge*> dials() const
    {
        const FrmPressureMonitor& w = *m_window;
        return {w.GaugePressure, w.GaugeStaticTrip, w.GaugeCountTrip, w.GaugeDynamicTrip};
    }

    QString cell(int row) const { return m_window->SpdEEPROM->cellText(row); }
    QString status() const { return m_window->LblStatus->text(); }

    // Connect, Download and the port choice, which the cycle takes away and gives back.
    QList<bool> connectControls() const
    {
        const FrmPressureMonitor& w = *m_window;
        return {w.CmdConnect->isEnabled(), w.CmdDownload->isEnabled(), w.FrmComm->isEnabled()};
    }

private Q_SLOTS:
    void init()
    {
        ModVars.reset();
        m_deviceAnswers = true;
        m_messages = std::make_unique<RecordingMessageBoxes>();
        auto port = std::make_unique<FakeSerialLink>();
        m_port = port.get();
        // The fake device answers every read request from its memory and every write
        // request with one acknowledgement, at once.
        m_port->onOutput = [this](const QByteArray& frame) {
            if (!m_deviceAnswers)
                return;
            for (int i = 0; i < ParameterCount; ++i) {
                const auto p = static_cast<Parameter>(i);
                if (frame == BuildReadRequest(p))
                    m_port->feed(readReplyFrame(p, DeviceValues.value(p)));
            }
            if (frame.size() > 2 && (frame[2] & 0x0F) == 2)
                m_port->feed(hexBytes("80 04 E0 9C"));
        };
        m_window = std::make_unique<FrmPressureMonitor>(std::move(port), *m_messages);
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    }

    void cleanup()
    {
        m_window.reset();
        m_messages.reset();
    }

    void startUp_showsIdleWindowAndSendsNothing()
    {
        FrmPressureMonitor& w = *m_window;
        QCOMPARE(w.windowTitle(), u"VORTA Calibration Tool"_s);
        QCOMPARE(w.size(), QSize(405, 496));
        QCOMPARE(w.minimumSize(), w.maximumSize());
        QVERIFY(!(w.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
        QCOMPARE(status(), u"Select Port & Press CONNECT"_s);
        QVERIFY(w.OptComm[0]->isChecked());
        QVERIFY(!w.OptComm[1]->isChecked());
        for (QWidget* control : std::initializer_list<QWidget*>{
                 w.CmdConnect, w.CmdDisconnect, w.CmdDownload, w.CmdOpen, w.CmdSave, w.CmdAutoSet,
                 w.CmdExit, w.FrmComm, w.OptComm[0], w.OptComm[1]})
            QVERIFY2(control->isEnabled(), qPrintable(control->objectName()));
        for (int row = 1; row <= 9; ++row)
            QCOMPARE(cell(row), u"0"_s);
        for (DialGauge* g : dials())
            QCOMPARE(g->needleValue(), 0.0);
        QVERIFY(!w.TmrComm.isActive());
        QCOMPARE(w.TmrComm.interval(), 50);
        QVERIFY(!m_port->portOpen());
        QCOMPARE(m_port->openCount, 0);
        QVERIFY(m_port->writes.isEmpty());
        QCOMPARE(w.PrgComm->value(), 0);
    }

    // Each row is named after its control.
    void controls_standAtTheirPlaces_data()
    {
        QTest::addColumn<QRect>("place");
        QTest::newRow("GaugePressure") << QRect(8, 4, 273, 249);
        QTest::newRow("GaugeStaticTrip") << QRect(284, 4, 113, 81);
        QTest::newRow("GaugeCountTrip") << QRect(284, 88, 113, 81);
        QTest::newRow("GaugeDynamicTrip") << QRect(284, 172, 113, 81);
        QTest::newRow("SpdEEPROM") << QRect(8, 264, 273, 161);
        QTest::newRow("FrmComm") << QRect(288, 256, 105, 45);
        QTest::newRow("LblStatus") << QRect(288, 304, 105, 17);
        QTest::newRow("CmdConnect") << QRect(288, 324, 109, 25);
        QTest::newRow("CmdDisconnect") << QRect(288, 348, 109, 25);
        QTest::newRow("CmdDownload") << QRect(288, 376, 109, 25);
        QTest::newRow("PrgComm") << QRect(288, 404, 109, 21);
        QTest::newRow("CmdOpen") << QRect(24, 432, 81, 61);
        QTest::newRow("CmdSave") << QRect(116, 432, 81, 61);
        QTest::newRow("CmdAutoSet") << QRect(208, 432, 81, 61);
        QTest::newRow("CmdExit") << QRect(300, 432, 81, 61);
    }

    void controls_standAtTheirPlaces()
    {
        QFETCH(QRect, place);
        auto* control = m_window->findChild<QWidget*>(QString::fromLatin1(QTest::currentDataTag()));
        QVERIFY(control);
        QCOMPARE(control->geometry(), place);
    }

    void captions_fitTheirControls()
    {
        FrmPressureMonitor& w = *m_window;
        for (QRadioButton* option : w.OptComm)
            QVERIFY2(option->sizeHint().width() <= option->width(), qPrintable(option->text()));
        for (QPushButton* button : {w.CmdConnect, w.CmdDisconnect, w.CmdDownload})
            QVERIFY2(button->fontMetrics().horizontalAdvance(button->text()) < button->width() - 8,
                     qPrintable(button->text()));
        for (QToolButton* button : {w.CmdOpen, w.CmdSave, w.CmdAutoSet, w.CmdExit})
            QVERIFY2(button->sizeHint().width() <= button->width() &&
                         button->sizeHint().height() <= button->height(),
                     qPrintable(button->text()));
    }

    void connect_uploadsNineValues_thenLiveThenDownload()
    {
        FrmPressureMonitor& w = *m_window;
        QTest::mouseClick(w.CmdConnect, Qt::LeftButton);
        QCOMPARE(status(), u"Connecting"_s);
        QVERIFY(w.TmrComm.isActive());
        QCOMPARE(connectControls(), QList<bool>(3, false));
        QVERIFY(w.CmdDisconnect->isEnabled());
        QVERIFY(!m_port->portOpen());

        QList<int> progress;
        for (int tick = 0; tick < 9; ++tick) {
            w.TmrComm_Timer();
            progress.append(w.PrgComm->value());
        }
        QCOMPARE(progress, (QList<int>{0, 11, 22, 33, 44, 55, 66, 77, 88}));
        QCOMPARE(static_cast<const ParameterSet&>(ModVars), DeviceValues);
        QCOMPARE(cell(6), u"50"_s);
        QCOMPARE(cell(7), u"60"_s);
        QCOMPARE(w.GaugeCountTrip->needleValue(), 50.0);
        QVERIFY(!w.CmdDownload->isEnabled());

        w.TmrComm_Timer();
        QCOMPARE(status(), u"Waiting for data"_s);
        QCOMPARE(w.PrgComm->value(), 100);
        QVERIFY(w.CmdDownload->isEnabled());
        QCOMPARE(w.commState().CommAction, 1);

        m_port->feed(pressureFrame(20) + pressureFrame(61) + pressureFrame(57));
        w.TmrComm_Timer();
        QCOMPARE(m_port->settings(), u"57600,n,8,1"_s);
        QCOMPARE(status(), u"Pressure = 57 PSI"_s);
        QCOMPARE(w.GaugePressure->needleValue(), 57.0);
        for (DialGauge* g : dials())
            QCOMPARE(QPair(g->windowHigh(), g->windowLow()), QPair(61, 20));

        // The rows' frames and progress are the download step's own; here the window runs it.
        m_port->writes.clear();
        QTest::mouseClick(w.CmdDownload, Qt::LeftButton);
        QCOMPARE(w.PrgComm->value(), 0);
        QVERIFY(!w.CmdDownload->isEnabled());
        m_port->feed(pressureFrame(40));
        ticks(10);
        QCOMPARE(w.TmrComm.interval(), 150);
        QCOMPARE(m_port->writes.size(), 9);
        QCOMPARE(w.PrgComm->value(), 100);
        QCOMPARE(status(), u"Download Complete"_s);
        QVERIFY(w.CmdDownload->isEnabled());
        QVERIFY(!w.CmdConnect->isEnabled());

        m_port->feed(pressureFrame(30) + pressureFrame(31));
        w.TmrComm_Timer();
        QCOMPARE(w.TmrComm.interval(), 50);
        QCOMPARE(status(), u"Pressure = 31 PSI"_s);
        QCOMPARE(w.commState().MaxPressure, 61);
        QCOMPARE(w.commState().MinPressure, 20);
        QVERIFY(m_messages->shown.isEmpty());
    }

    void connect_withPort2_usesPort2AtParameterSpeed()
    {
        QTest::mouseClick(m_window->OptComm[1], Qt::LeftButton);
        QVERIFY(m_window->OptComm[1]->isChecked());
        QTest::mouseClick(m_window->CmdConnect, Qt::LeftButton);
        QCOMPARE(m_port->commPort(), 2);
        QCOMPARE(m_port->settings(), u"9600,n,8,1"_s);
        QCOMPARE(status(), u"Connecting"_s);
    }

    void portCannotOpen_oneMessageAndButtonsBack()
    {
        m_port->failOn(FakeSerialLink::Operation::Open);
        QTest::mouseClick(m_window->CmdConnect, Qt::LeftButton);
        m_window->TmrComm_Timer();
        QCOMPARE(m_messages->texts(), QStringList{CommError});
        QCOMPARE(m_messages->shown.first().icon, MessageIcon::Warning);
        QCOMPARE(m_messages->shown.first().buttons, MessageButtons::Ok);
        QVERIFY(!m_window->TmrComm.isActive());
        QCOMPARE(connectControls(), QList<bool>(3, true));
        QCOMPARE(status(), u"Connecting"_s);

        m_port->failOn(FakeSerialLink::Operation::Open, false);
        connectAndUpload();
    }

    void disconnectBeforeFirstTick_stopsTheCycle()
    {
        QTest::mouseClick(m_window->CmdConnect, Qt::LeftButton);
        QTest::mouseClick(m_window->CmdDisconnect, Qt::LeftButton);
        QCOMPARE(status(), u"Disconnected"_s);
        QVERIFY(!m_window->TmrComm.isActive());
        QCOMPARE(connectControls(), QList<bool>(3, true));
        QTest::qWait(120);
        QCOMPARE(m_port->openCount, 0);
    }

    void connectAfterErrorLeftPortOpen_closesItFirst()
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
        QCOMPARE(status(), u"Waiting for data"_s);
    }

    // A silent device keeps the upload on its last step, with no time limit.
    void uploadLastStep_refreshesGridEveryTick_andWaitsForever()
    {
        QTest::mouseClick(m_window->CmdConnect, Qt::LeftButton);
        m_deviceAnswers = false;
        m_window->commState().CommCount = 8;
        ModVars.StaticTripSP = 33;
        m_window->TmrComm_Timer();
        QCOMPARE(cell(4), u"33"_s);
        QCOMPARE(m_window->GaugeStaticTrip->needleValue(), 33.0);
        ModVars.StaticTripSP = 34;
        ticks(20);
        QCOMPARE(cell(4), u"34"_s);
        QCOMPARE(m_window->commState().CommCount, 8);
        QVERIFY(m_window->TmrComm.isActive());
        QCOMPARE(m_port->writes, QList<QByteArray>(21, hexBytes("80 04 70 0C")));
    }

    // Each batch arrives before one tick of the live stream.
    void live_batches_setStatusNeedleAndWindow_data()
    {
        QTest::addColumn<QList<QByteArray>>("batches");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<int>("needle");
        QTest::addColumn<int>("high");
        QTest::addColumn<int>("low");
        QTest::addColumn<int>("left");
        const QByteArray p42 = pressureFrame(42);
        QTest::newRow("five bytes wait for the next tick")
            << QList{p42} << u"Waiting for data"_s << 0 << 0 << 99 << 5;
        QTest::newRow("a sixth byte lets them in")
            << QList{p42, hexBytes("00")} << u"Pressure = 42 PSI"_s << 42 << 42 << 42 << 0;
        QTest::newRow("above 99 is shown as 99") << QList{hexBytes("80 00 D0 96 1A 00")}
                                                 << u"Pressure = 99 PSI"_s << 99 << 99 << 99 << 0;
        QTest::newRow("no valid frame drops the needle, keeps the status")
            << QList{pressureFrame(60) + pressureFrame(25), hexBytes("80 07 D0 39 10 55 66")}
            << u"Pressure = 25 PSI"_s << 0 << 60 << 25 << 0;
        QTest::newRow("zero pressures only leave the window unmarked")
            << QList{pressureFrame(0) + pressureFrame(0)} << u"Pressure = 0 PSI"_s << 0 << 0 << 0
            << 0;
    }

    void live_batches_setStatusNeedleAndWindow()
    {
        QFETCH(QList<QByteArray>, batches);
        QFETCH(QString, shown);
        QFETCH(int, needle);
        QFETCH(int, high);
        QFETCH(int, low);
        QFETCH(int, left);
        connectAndUpload();
        for (const QByteArray& batch : batches) {
            m_port->feed(batch);
            m_window->TmrComm_Timer();
        }
        QCOMPARE(status(), shown);
        QCOMPARE(m_window->GaugePressure->needleValue(), double(needle));
        QCOMPARE(m_window->commState().MaxPressure, high);
        QCOMPARE(m_window->commState().MinPressure, low);
        QCOMPARE(m_port->inBufferCount(), left);
        // The dials mark the window once its high end is above zero.
        for (DialGauge* g : dials())
            QCOMPARE(QPair(g->windowHigh(), g->windowLow()),
                     high > 0 ? QPair(high, low) : QPair(0, 0));
    }

    void download_valueTooWide_endsInCommError()
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

    void autoCal_narrowWindowWarns_usableWindowSetsTripsAndClearsCounters()
    {
        const ParameterSet before{1, 2, 9, 5, 12, 5, 5, 8, 7};
        static_cast<ParameterSet&>(ModVars) = before;
        m_window->RefreshGrid();
        m_window->commState().MaxPressure = 40;
        m_window->commState().MinPressure = 38;
        QTest::mouseClick(m_window->CmdAutoSet, Qt::LeftButton);
        QCOMPARE(m_messages->texts(),
                 QStringList{u"Pressure Window too narrow for Auto-Calibration"_s});
        QCOMPARE(m_messages->shown.first().icon, MessageIcon::Warning);
        QCOMPARE(static_cast<ParameterSet&>(ModVars), before);
        QCOMPARE(cell(4), u"5"_s);

        m_window->commState().MaxPressure = 60;
        m_window->commState().MinPressure = 20;
        QTest::mouseClick(m_window->CmdAutoSet, Qt::LeftButton);
        QCOMPARE(m_messages->shown.size(), 1);
        QStringList shown;
        for (int row = 1; row <= 9; ++row)
            shown << cell(row);
        QCOMPARE(shown, (QStringList{"1", "2", "0", "40", "12", "30", "15", "0", "0"}));
        QCOMPARE(m_window->GaugeStaticTrip->needleValue(), 40.0);
        QCOMPARE(m_window->GaugeCountTrip->needleValue(), 30.0);
        QCOMPARE(m_window->GaugeDynamicTrip->needleValue(), 15.0);
    }

    void gridEditAndNeedleRelease_updateParameterSetGridAndNeedles()
    {
        QVERIFY(m_window->SpdEEPROM->enterText(7, u"37"_s));
        QCOMPARE(ModVars.DynamicTripSP, 37);
        QCOMPARE(m_window->GaugeDynamicTrip->needleValue(), 37.0);

        m_window->GaugeCountTrip->setNeedleValue(43.5);
        Q_EMIT m_window->GaugeCountTrip->MouseUp();
        QCOMPARE(ModVars.CountTripSP, 44);
        QCOMPARE(cell(6), u"44"_s);
        QCOMPARE(m_window->GaugeCountTrip->needleValue(), 43.5);
        QCOMPARE(ModVars.DynamicTripSP, 37);
    }

    void restoreAfterMinimise_redrawsFromParameterSet()
    {
        m_window->setWindowState(Qt::WindowMinimized);
        ModVars.DynamicTripSP = 61;
        ModVars.ShutDownCountSP = 777;
        m_window->setWindowState(Qt::WindowNoState);
        QCOMPARE(cell(1), u"777"_s);
        QCOMPARE(m_window->GaugeDynamicTrip->needleValue(), 61.0);
    }

    void exit_closesAnOpenPort()
    {
        connectAndUpload();
        QVERIFY(m_port->portOpen());
        QTest::mouseClick(m_window->CmdExit, Qt::LeftButton);
        QVERIFY(!m_port->portOpen());
        QVERIFY(!m_window->TmrComm.isActive());
        QVERIFY(!m_window->isVisible());
    }

    void leaving_asksOnlyDuringDownload_data()
    {
        QTest::addColumn<bool>("downloading");
        QTest::addColumn<bool>("closeBox");
        QTest::addColumn<MessageAnswer>("answer");
        QTest::newRow("Exit during download, No") << true << false << MessageAnswer::No;
        QTest::newRow("close box during download, Yes") << true << true << MessageAnswer::Yes;
        QTest::newRow("close box while live") << false << true << MessageAnswer::No;
    }

    void leaving_asksOnlyDuringDownload()
    {
        QFETCH(bool, downloading);
        QFETCH(bool, closeBox);
        QFETCH(MessageAnswer, answer);
        connectAndUpload();
        if (downloading) {
            QTest::mouseClick(m_window->CmdDownload, Qt::LeftButton);
            m_port->feed(pressureFrame(40));
            ticks(2);
        }
        m_messages->answers = {answer};
        closeBox ? void(m_window->close()) : QTest::mouseClick(m_window->CmdExit, Qt::LeftButton);
        QCOMPARE(m_messages->texts(),
                 downloading ? QStringList{"A download is in progress. Leave now and the device "
                                           "keeps a mix of old and new values. Exit anyway?"}
                             : QStringList());
        QVERIFY(!downloading || m_messages->shown.first().defaultAnswer == MessageAnswer::No);
        const bool stays = downloading && answer == MessageAnswer::No;
        QCOMPARE(QPair(m_window->TmrComm.isActive(), m_window->isVisible()), QPair(stays, stays));
    }

    // Before the first upload nothing is marked; afterwards every value that differs from
    // the device's is, until a download has written it.
    void deviceValues_markTheGridValuesThatDiffer()
    {
        SpreadGrid& grid = *m_window->SpdEEPROM;
        const auto marked = [&grid] {
            QList<int> rows;
            for (int row = 1; row <= 9; ++row)
                if (grid.item(row - 1, SpreadGrid::ValueColumn)->font().bold())
                    rows.append(row);
            return rows;
        };
        grid.enterText(4, u"33"_s);
        QCOMPARE(marked(), QList<int>());
        connectAndUpload();
        grid.enterText(4, u"33"_s);
        QCOMPARE(marked(), QList{4});
        QCOMPARE(grid.item(3, SpreadGrid::ValueColumn)->toolTip(), u"0 to 99\nDevice holds 45"_s);
        grid.enterText(4, u"45"_s);
        QCOMPARE(marked(), QList<int>());
        static_cast<ParameterSet&>(ModVars) = exampleValues();
        m_window->setWindowState(Qt::WindowMinimized);
        m_window->setWindowState(Qt::WindowNoState);
        QCOMPARE(marked(), QList{9});
        // Row 1 is changed after the download has written it, so the device keeps 5000.
        QTest::mouseClick(m_window->CmdDownload, Qt::LeftButton);
        m_port->feed(pressureFrame(40));
        ticks(3);
        grid.enterText(1, u"77"_s);
        ticks(10);
        QCOMPARE(marked(), QList{1});
        QCOMPARE(grid.item(0, SpreadGrid::ValueColumn)->toolTip(),
                 u"2 to 9999999\nDevice holds 5000"_s);
    }

    void statusText_tooLongForItsLine_endsInEllipsis()
    {
        m_window->setStatus(u"Select Port && Press CONNECT"_s);
        const auto* label = qobject_cast<ElidedLabel*>(m_window->LblStatus);
        const QString whole = u"Select Port & Press CONNECT"_s;
        QVERIFY(label && label->shownText().endsWith(QChar(0x2026)));
        QVERIFY(whole.startsWith(label->shownText().chopped(1)));
        QCOMPARE(label->toolTip(), whole);
        QCOMPARE(
            QAccessible::queryAccessibleInterface(m_window->LblStatus)->text(QAccessible::Name),
            whole);
    }
};

QTEST_MAIN(TestFrmPressureMonitor)
#include "tst_FrmPressureMonitor.moc"
