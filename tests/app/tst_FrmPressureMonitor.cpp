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
#include <QScreen>
#include <QTest>
#include <QToolButton>

#include <memory>

namespace {

const QString CommError = u"A Comm Port Error Has Occured"_s;

} // namespace

class TestFrmPressureMonitor : public QObject
{
    Q_OBJECT

    FakeSerialLink* m_port = nullptr;
    RecordingMessageBoxes m_messages;
    std::unique_ptr<FrmPressureMonitor> m_window;

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
        QCOMPARE(m_window->LblStatus->text(), u"Waiting for data"_s);
    }

    QStringList cells() const
    {
        QStringList shown;
        for (int row = 1; row <= ParameterCount; ++row)
            shown << m_window->SpdEEPROM->cellText(row);
        return shown;
    }

    QList<double> tripNeedles() const
    {
        const FrmPressureMonitor& w = *m_window;
        return {w.GaugeStaticTrip->needleValue(), w.GaugeCountTrip->needleValue(),
                w.GaugeDynamicTrip->needleValue()};
    }

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
        m_messages.shown.clear();
        auto port = std::make_unique<FakeSerialLink>();
        m_port = port.get();
        // The fake device answers every read request from the example values and every
        // write request with one acknowledgement, at once.
        m_port->onOutput = [this](const QByteArray& frame) {
            for (int i = 0; i < ParameterCount; ++i) {
                if (frame == BuildReadRequest(Parameter(i)))
                    m_port->feed(readReplyFrame(Parameter(i), exampleValues().value(Parameter(i))));
            }
            if (frame.size() > 2 && (frame[2] & 0x0F) == 2)
                m_port->feed(hexBytes("80 04 E0 9C"));
        };
        PortNames names;
        names.setOverride(2, u"/dev/ttyUSB0"_s);
        m_window = std::make_unique<FrmPressureMonitor>(std::move(port), m_messages, names);
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    }

    void cleanup() { m_window.reset(); }

    // Every control lies within the window and clear of the others (the connection buttons
    // share one row of pixels, as the window was designed), and every caption fits.
    void startUp_idleCentredWindowWithEveryControlInPlace()
    {
        FrmPressureMonitor& w = *m_window;
        QCOMPARE(w.windowTitle(), u"VORTA Calibration Tool"_s);
        QCOMPARE(w.minimumSize(), QSize(405, 496));
        QCOMPARE(w.maximumSize(), QSize(405, 496));
        const QPoint offCentre = w.frameGeometry().center() - w.screen()->geometry().center();
        QVERIFY(qAbs(offCentre.x()) <= 1 && qAbs(offCentre.y()) <= 1);
        QCOMPARE(w.LblStatus->text(), u"Select Port & Press CONNECT"_s);
        QVERIFY(w.OptComm[0]->isChecked());
        QVERIFY(w.OptComm[0]->toolTip().startsWith(u"/dev/ttyS0 (not present)\n"_s));
        QVERIFY(w.OptComm[1]->toolTip().startsWith(u"/dev/ttyUSB0"_s));
        QCOMPARE(cells(), QStringList(ParameterCount, u"0"_s));
        QCOMPARE(w.PrgComm->value(), 0);
        QVERIFY(!w.TmrComm.isActive());
        QCOMPARE(m_port->openCount, 0);

        const QList<QWidget*> controls = w.findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
        QCOMPARE(controls.size(), 15);
        for (qsizetype i = 0; i < controls.size(); ++i) {
            const QString name = controls[i]->objectName();
            QVERIFY2(controls[i]->isEnabled() && w.rect().contains(controls[i]->geometry()),
                     qPrintable(name));
            for (qsizetype j = i + 1; j < controls.size(); ++j) {
                const QRect both = controls[i]->geometry() & controls[j]->geometry();
                QVERIFY2(both.isEmpty() || qMin(both.width(), both.height()) <= 1,
                         qPrintable(name + " " + controls[j]->objectName()));
            }
        }
        for (QAbstractButton* button : w.findChildren<QAbstractButton*>()) {
            const bool picture = qobject_cast<QToolButton*>(button);
            QVERIFY2(button->sizeHint().width() <= button->width() &&
                         (!picture || button->sizeHint().height() <= button->height()),
                     qPrintable(button->text()));
        }
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
            m_port->feed(hexBytes("80 05 D0 0A A1"));
            ticks(5);
            QCOMPARE(m_port->writes.size(), 9 + 4);
        } else {
            QTest::mouseClick(w.CmdConnect, Qt::LeftButton);
            w.TmrComm_Timer();
            m_port->failOutput = cause == u"send";
            ticks(2);
        }
        QCOMPARE(m_messages.texts(), QStringList{CommError});
        QCOMPARE(m_messages.shown.first().icon, MessageIcon::Warning);
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
        QCOMPARE(m_messages.shown.size(), 1);
    }

    void disconnectBeforeFirstTick_stopsTheCycle()
    {
        QTest::mouseClick(m_window->CmdConnect, Qt::LeftButton);
        QTest::mouseClick(m_window->CmdDisconnect, Qt::LeftButton);
        QCOMPARE(m_window->LblStatus->text(), u"Disconnected"_s);
        QVERIFY(!m_window->TmrComm.isActive());
        QCOMPARE(connectControls(), QList<bool>(3, true));
        QCOMPARE(m_port->openCount, 0);
    }

    // Each batch, frames and bytes parted by a bar, arrives before one tick of the live
    // stream. The dials mark the window once its high end is above zero.
    void live_batches_setStatusNeedleAndWindow_data()
    {
        QTest::addColumn<QStringList>("batches");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QList<int>>("needleHighLowLeft");
        const auto row = [](const char* name, const char* batches, const char* shown,
                            QList<int> needleHighLowLeft) {
            QTest::newRow(name) << QString::fromLatin1(batches).split(u'|')
                                << QString::fromLatin1(shown) << needleHighLowLeft;
        };
        row("five bytes wait for the next tick", "80 05 D0 2A 81", "Waiting for data",
            {0, 0, 99, 5});
        row("a sixth byte lets them in", "80 05 D0 2A 81|00", "Pressure = 42 PSI", {42, 42, 42, 0});
        row("the last frame is shown, the window spans all",
            "80 05 D0 14 97 80 05 D0 3D 6E 80 05 D0 39 72", "Pressure = 57 PSI", {57, 61, 20, 0});
        row("above 99 is shown as 99", "80 00 D0 96 1A 00", "Pressure = 99 PSI", {99, 99, 99, 0});
        row("no valid frame drops the needle, keeps the status",
            "80 05 D0 3C 6F 80 05 D0 19 92|80 07 D0 39 10 55 66", "Pressure = 25 PSI",
            {0, 60, 25, 0});
        row("zero pressures leave the window unmarked", "80 05 D0 00 AB 80 05 D0 00 AB",
            "Pressure = 0 PSI", {0, 0, 0, 0});
    }

    void live_batches_setStatusNeedleAndWindow()
    {
        QFETCH(QStringList, batches);
        QFETCH(QString, shown);
        QFETCH(QList<int>, needleHighLowLeft);
        connectAndUpload();
        for (const QString& batch : batches) {
            m_port->feed(hexBytes(batch.toLatin1()));
            m_window->TmrComm_Timer();
        }
        QCOMPARE(m_port->settings(), u"57600,n,8,1"_s);
        QCOMPARE(m_window->LblStatus->text(), shown);
        const CommState& comm = m_window->commState();
        QCOMPARE((QList<int>{int(m_window->GaugePressure->needleValue()), comm.MaxPressure,
                             comm.MinPressure, m_port->inBufferCount()}),
                 needleHighLowLeft);
        const QPair<int, int> marked = comm.MaxPressure > 0
                                           ? QPair<int, int>(comm.MaxPressure, comm.MinPressure)
                                           : QPair(0, 0);
        for (DialGauge* g : m_window->findChildren<DialGauge*>())
            QCOMPARE(QPair(g->windowHigh(), g->windowLow()), marked);
    }

    // From the set {1, 2, 9, 5, 12, 5, 5, 8, 7} and a pressure window of 60 to 20 PSI. A trip
    // dial is dragged from the top of its scale to its end, past the highest trip.
    void editing_keepsSetGridAndTripNeedlesInStep_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("cells");
        QTest::addColumn<QList<double>>("needles");
        const auto row = [](const char* action, const char* cells, QList<double> needles) {
            QTest::newRow(action) << QString::fromLatin1(action) << QString::fromLatin1(cells)
                                  << needles;
        };
        row("grid edit", "1 2 9 5 12 5 37 8 7", {5, 5, 37});
        row("GaugeStaticTrip", "1 2 9 99 12 5 5 8 7", {99, 5, 5});
        row("GaugeCountTrip", "1 2 9 5 12 99 5 8 7", {5, 99, 5});
        row("GaugeDynamicTrip", "1 2 9 5 12 5 99 8 7", {5, 5, 99});
        row("Auto Cal", "1 2 0 40 12 30 15 0 0", {40, 30, 15});
        row("Auto Cal, narrow window", "1 2 9 5 12 5 5 8 7", {5, 5, 5});
        row("restore", "777 2 9 5 12 61 5 8 7", {5, 61, 5});
    }

    void editing_keepsSetGridAndTripNeedlesInStep()
    {
        QFETCH(QString, action);
        QFETCH(QString, cells);
        QFETCH(QList<double>, needles);
        FrmPressureMonitor& w = *m_window;
        static_cast<ParameterSet&>(ModVars) = ParameterSet{1, 2, 9, 5, 12, 5, 5, 8, 7};
        w.RefreshGrid();
        w.RefreshTripNeedles();
        w.commState().MaxPressure = 60;
        w.commState().MinPressure = action.contains(u"narrow") ? 58 : 20;
        if (action == u"grid edit") {
            QVERIFY(w.SpdEEPROM->enterText(7, u"37"_s));
        } else if (action.startsWith(u"Gauge")) {
            auto* gauge = w.findChild<DialGauge*>(action);
            QTest::mousePress(gauge, Qt::LeftButton, {}, QPoint(gauge->width() / 2, 3));
            QTest::mouseMove(gauge, QPoint(gauge->width() - 1, gauge->height() - 1));
            QTest::mouseRelease(gauge, Qt::LeftButton, {}, gauge->rect().bottomRight());
        } else if (action.startsWith(u"Auto Cal")) {
            QTest::mouseClick(w.CmdAutoSet, Qt::LeftButton);
        } else {
            w.setWindowState(Qt::WindowMinimized);
            ModVars.CountTripSP = 61;
            ModVars.ShutDownCountSP = 777;
            w.setWindowState(Qt::WindowNoState);
        }
        QCOMPARE(this->cells().join(u' '), cells);
        QCOMPARE(tripNeedles(), needles);
        QCOMPARE(m_messages.texts(),
                 action.contains(u"narrow")
                     ? QStringList{u"Pressure Window too narrow for Auto-Calibration"_s}
                     : QStringList());
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
