#include "DeviceFrames.h"
#include "DialGauge.h"
#include "FakeSerialLink.h"
#include "FrmPressureMonitor.h"
#include "ParameterSync.h"
#include "RecordingMessageBoxes.h"
#include "TestSupport.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
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

    QList<double> tripNeedles() const
    {
        const FrmPressureMonitor& w = *m_window;
        return {w.GaugeStaticTrip->needleValue(), w.GaugeCountTrip->needleValue(),
                w.GaugeDynamicTrip->needleValue()};
    }

    QStringList cells() const
    {
        QStringList shown;
        for (int row = 1; row <= ParameterCount; ++row)
            shown << m_window->SpdEEPROM->cellText(row);
        return shown;
    }

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
        PortNames names;
        names.setOverride(2, u"/dev/ttyUSB0"_s);
        m_window = std::make_unique<FrmPressureMonitor>(std::move(port), *m_messages, names);
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    }

    void cleanup()
    {
        m_window.reset();
        m_messages.reset();
    }

    void startUp_showsIdleCentredWindowAndSendsNothing()
    {
        FrmPressureMonitor& w = *m_window;
        QCOMPARE(w.windowTitle(), u"VORTA Calibration Tool"_s);
        QCOMPARE(w.size(), QSize(405, 496));
        QCOMPARE(w.minimumSize(), w.maximumSize());
        QVERIFY(qAbs((w.frameGeometry().center() - w.screen()->geometry().center()).x()) <= 1);
        QVERIFY(qAbs((w.frameGeometry().center() - w.screen()->geometry().center()).y()) <= 1);
        QCOMPARE(status(), u"Select Port & Press CONNECT"_s);
        QVERIFY(w.OptComm[0]->isChecked());
        QCOMPARE(w.OptComm[0]->toolTip(), u"/dev/ttyS0"_s);
        QCOMPARE(w.OptComm[1]->toolTip(), u"/dev/ttyUSB0"_s);
        for (QWidget* control : w.findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            QVERIFY2(control->isEnabled(), qPrintable(control->objectName()));
        QCOMPARE(cells(), QStringList(ParameterCount, u"0"_s));
        for (DialGauge* g : dials())
            QCOMPARE(g->needleValue(), 0.0);
        QVERIFY(!w.TmrComm.isActive());
        QCOMPARE(m_port->openCount, 0);
        QVERIFY(m_port->writes.isEmpty());
    }

    // Every control lies within the window and clear of the others, every caption fits its
    // control, and the grid shows all nine rows without scrolling.
    void layout_controlsFitWithoutOverlap()
    {
        FrmPressureMonitor& w = *m_window;
        const QList<QWidget*> controls = w.findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
        QCOMPARE(controls.size(), 15);
        for (qsizetype i = 0; i < controls.size(); ++i) {
            QVERIFY2(w.rect().contains(controls[i]->geometry()),
                     qPrintable(controls[i]->objectName()));
            // The connection buttons share one row of pixels, as the window was designed.
            for (qsizetype j = i + 1; j < controls.size(); ++j) {
                const QRect both = controls[i]->geometry() & controls[j]->geometry();
                QVERIFY2(both.isEmpty() || qMin(both.width(), both.height()) <= 1,
                         qPrintable(controls[i]->objectName() + " " + controls[j]->objectName()));
            }
        }
        for (QAbstractButton* button : w.findChildren<QAbstractButton*>()) {
            const bool picture = qobject_cast<QToolButton*>(button);
            QVERIFY2(button->sizeHint().width() <= button->width() &&
                         (!picture || button->sizeHint().height() <= button->height()),
                     qPrintable(button->text()));
        }
        QVERIFY(!w.SpdEEPROM->verticalScrollBar()->isVisible());
        QVERIFY(!w.SpdEEPROM->horizontalScrollBar()->isVisible());
    }

    // Each failure inside a tick gives one message and the buttons back; the next Connect
    // closes a port the failure left open before it takes the new port number.
    void commError_oneMessageButtonsBack_thenConnectStartsClean_data()
    {
        QTest::addColumn<QString>("cause");
        QTest::newRow("port cannot open") << u"open"_s;
        QTest::newRow("request cannot be sent") << u"send"_s;
        QTest::newRow("timer too wide for its download frame") << u"download"_s;
    }

    void commError_oneMessageButtonsBack_thenConnectStartsClean()
    {
        QFETCH(QString, cause);
        FrmPressureMonitor& w = *m_window;
        m_port->failOpen = cause == u"open";
        if (cause == u"download") {
            connectAndUpload();
            ModVars.StaticTripTimer = 300;
            QTest::mouseClick(w.CmdDownload, Qt::LeftButton);
            QCOMPARE(connectControls(), QList<bool>(3, false));
            m_port->feed(pressureFrame(10));
            ticks(5);
            QCOMPARE(m_port->writes.size(), 9 + 4);
        } else {
            QTest::mouseClick(w.CmdConnect, Qt::LeftButton);
            w.TmrComm_Timer();
            m_port->failOutput = cause == u"send";
            ticks(2);
        }
        QCOMPARE(m_messages->texts(), QStringList{CommError});
        QCOMPARE(m_messages->shown.first().icon, MessageIcon::Warning);
        QCOMPARE(m_messages->shown.first().buttons, MessageButtons::Ok);
        QVERIFY(!w.TmrComm.isActive());
        QCOMPARE(connectControls(), QList<bool>(3, true));
        QCOMPARE(m_port->portOpen(), cause != u"open");

        m_port->failOpen = m_port->failOutput = false;
        QTest::mouseClick(w.OptComm[1], Qt::LeftButton);
        QTest::mouseClick(w.CmdConnect, Qt::LeftButton);
        QVERIFY(!m_port->portOpen());
        QCOMPARE(m_port->commPort(), 2);
        QCOMPARE(m_port->settings(), u"9600,n,8,1"_s);
        connectAndUpload();
        QCOMPARE(m_messages->shown.size(), 1);
    }

    void disconnectBeforeFirstTick_stopsTheCycle()
    {
        QTest::mouseClick(m_window->CmdConnect, Qt::LeftButton);
        QTest::mouseClick(m_window->CmdDisconnect, Qt::LeftButton);
        QCOMPARE(status(), u"Disconnected"_s);
        QVERIFY(!m_window->TmrComm.isActive());
        QCOMPARE(connectControls(), QList<bool>(3, true));
        QCOMPARE(m_port->openCount, 0);
    }

    // A silent device keeps the upload on its last step, with no time limit.
    void uploadLastStep_refreshesGridEveryTick_andWaitsForever()
    {
        QTest::mouseClick(m_window->CmdConnect, Qt::LeftButton);
        m_deviceAnswers = false;
        m_window->commState().CommCount = 8;
        ModVars.StaticTripSP = 33;
        m_window->TmrComm_Timer();
        QCOMPARE(cells().at(3), u"33"_s);
        QCOMPARE(m_window->GaugeStaticTrip->needleValue(), 33.0);
        ModVars.StaticTripSP = 34;
        ticks(20);
        QCOMPARE(cells().at(3), u"34"_s);
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
        QTest::newRow("the last frame is shown, the window spans all")
            << QList{pressureFrame(20) + pressureFrame(61) + pressureFrame(57)}
            << u"Pressure = 57 PSI"_s << 57 << 61 << 20 << 0;
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
        QCOMPARE(m_port->settings(), u"57600,n,8,1"_s);
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

    void autoCal_narrowWindowWarns_usableWindowSetsTripsAndClearsCounters()
    {
        static_cast<ParameterSet&>(ModVars) = ParameterSet{1, 2, 9, 5, 12, 5, 5, 8, 7};
        m_window->RefreshGrid();
        m_window->commState().MaxPressure = 40;
        m_window->commState().MinPressure = 38;
        QTest::mouseClick(m_window->CmdAutoSet, Qt::LeftButton);
        QCOMPARE(m_messages->texts(),
                 QStringList{u"Pressure Window too narrow for Auto-Calibration"_s});
        QCOMPARE(m_messages->shown.first().icon, MessageIcon::Warning);
        QCOMPARE(cells().at(3), u"5"_s);

        m_window->commState().MaxPressure = 60;
        m_window->commState().MinPressure = 20;
        QTest::mouseClick(m_window->CmdAutoSet, Qt::LeftButton);
        QCOMPARE(m_messages->shown.size(), 1);
        QCOMPARE(cells(), (QStringList{"1", "2", "0", "40", "12", "30", "15", "0", "0"}));
        QCOMPARE(tripNeedles(), (QList<double>{40, 30, 15}));
    }

    // Pressed straight up, at 50 on the scale, dragged to 30, released.
    void tripDialDragged_setsItsSetPointAndGrid_data()
    {
        QTest::addColumn<QString>("dial");
        QTest::addColumn<int>("row");
        QTest::newRow("static") << u"GaugeStaticTrip"_s << 4;
        QTest::newRow("count") << u"GaugeCountTrip"_s << 6;
        QTest::newRow("dynamic") << u"GaugeDynamicTrip"_s << 7;
    }

    void tripDialDragged_setsItsSetPointAndGrid()
    {
        QFETCH(QString, dial);
        QFETCH(int, row);
        auto* gauge = m_window->findChild<DialGauge*>(dial);
        QVERIFY(gauge);
        const QPoint top(gauge->width() / 2, 3);
        QPoint at30 = top;
        while (gauge->valueAt(at30) > 30)
            at30 -= QPoint(1, -1);
        QTest::mousePress(gauge, Qt::LeftButton, {}, top);
        QTest::mouseMove(gauge, at30);
        QTest::mouseRelease(gauge, Qt::LeftButton, {}, at30);
        const int setPoint = qRound(gauge->needleValue());
        QVERIFY(setPoint > 25 && setPoint <= 30);
        QCOMPARE(cells().at(row - 1), QString::number(setPoint));
        QCOMPARE(ModVars.value(GridRows[std::size_t(row - 1)].parameter), setPoint);
    }

    // Any edit takes the grid into the set and moves the trip needles; a restored window
    // is redrawn from the set.
    void gridEditAndRestore_keepSetGridAndNeedlesInStep()
    {
        QVERIFY(m_window->SpdEEPROM->enterText(7, u"37"_s));
        QCOMPARE(ModVars.DynamicTripSP, 37);
        QCOMPARE(tripNeedles(), (QList<double>{0, 0, 37}));
        m_window->setWindowState(Qt::WindowMinimized);
        ModVars.CountTripSP = 61;
        ModVars.ShutDownCountSP = 777;
        m_window->setWindowState(Qt::WindowNoState);
        QCOMPARE(cells().mid(0, 1) + cells().mid(5, 2), (QStringList{"777", "61", "37"}));
        QCOMPARE(tripNeedles(), (QList<double>{0, 61, 37}));
    }

    void exitOrCloseBox_closesAnOpenPort_data()
    {
        QTest::addColumn<bool>("closeBox");
        QTest::newRow("Exit") << false;
        QTest::newRow("close box") << true;
    }

    void exitOrCloseBox_closesAnOpenPort()
    {
        QFETCH(bool, closeBox);
        connectAndUpload();
        if (closeBox)
            m_window->close();
        else
            QTest::mouseClick(m_window->CmdExit, Qt::LeftButton);
        QVERIFY(!m_port->portOpen());
        QVERIFY(!m_window->TmrComm.isActive());
        QVERIFY(!m_window->isVisible());
    }
};

QTEST_MAIN(TestFrmPressureMonitor)
#include "tst_FrmPressureMonitor.moc"
