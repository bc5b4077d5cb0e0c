#include "DeviceFrames.h"
#include "DeviceProtocol.h"
#include "DialGauge.h"
#include "DosPathMapper.h"
#include "FakeSerialLink.h"
#include "FrmFileBrowse.h"
#include "FrmPressureMonitor.h"
#include "FrmTrend.h"
#include "ParamFileFormat.h"
#include "PathRules.h"
#include "RecordingMessageBoxes.h"
#include "SpreadGrid.h"
#include "TestSupport.h"
#include "TrendColumns.h"

#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>

#include <memory>

namespace {

constexpr int Deadline = 5000; // milliseconds

} // namespace

class TestFrmPressureMonitor : public QObject
{
    Q_OBJECT

    DeviceMemory m_memory{exampleValues()};
    std::mt19937 m_random;
    DeviceProtocol m_device{m_memory, FaultSettings{}, m_random};
    FakeSerialLink* m_port = nullptr;
    RecordingMessageBoxes m_messages;
    std::unique_ptr<FrmPressureMonitor> m_window;
    // The working folder, Data in a temporary tree, and its name box text: upper case and
    // ending in a backslash.
    std::unique_ptr<QTemporaryDir> m_tree;
    QString m_startFolder;
    QString m_dosData;

    // As the real timer would: no tick once the cycle has switched it off.
    void ticks(int n)
    {
        for (int i = 0; i < n && m_window->commCycle().timer().isActive(); ++i)
            m_window->commCycle().tick();
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

    FrmFileBrowse* browse() const { return m_window->fileBrowse(); }

    template <typename T> T* control(const char* name) const
    {
        T* found = browse()->findChild<T*>(QString::fromLatin1(name));
        QTEST_ASSERT(found);
        return found;
    }

    QLineEdit* nameBox() const { return control<QLineEdit>("TxtFileName"); }
    QStringList listed() const
    {
        const auto* list = control<QListWidget>("FilList");
        QStringList out;
        for (int i = 0; i < list->count(); ++i)
            out.append(list->item(i)->text());
        return out;
    }

    // Open or Save clicked; true once the dialog is the active window.
    bool openBrowser(bool save)
    {
        QTest::mouseClick(save ? m_window->CmdSave : m_window->CmdOpen, Qt::LeftButton);
        return browse() && QTest::qWaitFor([this] { return browse()->isActiveWindow(); }, Deadline);
    }

    // The file type picked from the keyboard, the way down the list.
    void pickFileType(int steps)
    {
        auto* type = control<QComboBox>("CmbFileType");
        type->setFocus();
        for (int i = 0; i < steps; ++i)
            QTest::keyClick(type, Qt::Key_Down);
    }

    // The picture equals the one kept under tests/data, each colour channel within a few
    // steps; otherwise this run's picture and one of the differing pixels are written beside
    // the build for a person to look at.
    static void expectKeptPicture(const QImage& shot, const char* name)
    {
        const QImage actual = shot.convertToFormat(QImage::Format_RGB32);
        const QImage kept = QImage(keptFile(name)).convertToFormat(QImage::Format_RGB32);
        QImage differences(actual.size(), QImage::Format_RGB32);
        differences.fill(Qt::white);
        const auto apart = [](QRgb a, QRgb k) {
            return qAbs(qRed(a) - qRed(k)) + qAbs(qGreen(a) - qGreen(k)) +
                   qAbs(qBlue(a) - qBlue(k));
        };
        int differing = 0;
        for (int y = 0; y < actual.height() && kept.size() == actual.size(); ++y) {
            for (int x = 0; x < actual.width(); ++x) {
                if (apart(actual.pixel(x, y), kept.pixel(x, y)) > 6) {
                    differences.setPixel(x, y, qRgb(255, 0, 0));
                    ++differing;
                }
            }
        }
        if (kept.size() == actual.size() && differing == 0)
            return;
        const QString base = QDir(QCoreApplication::applicationDirPath())
                                 .filePath(QString::fromLatin1(name).chopped(4));
        actual.save(base + u".png"_s);
        differences.save(base + u".diff.png"_s);
        QFAIL(qPrintable(
            u"%1 pixels differ from %2; see %3.png"_s.arg(differing).arg(keptFile(name), base)));
    }

    // Every control of the file dialog lies within it and clear of the others (a shared row
    // of pixels allowed), and every caption fits. The main window's are in its pictures.
    static void expectTidyLayout(const QWidget& form, int controlCount)
    {
        const QList<QWidget*> controls = form.findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
        QCOMPARE(controls.size(), controlCount);
        for (qsizetype i = 0; i < controls.size(); ++i) {
            const QString name = controls[i]->objectName();
            QVERIFY2(controls[i]->isEnabled() && form.rect().contains(controls[i]->geometry()),
                     qPrintable(name));
            for (qsizetype j = i + 1; j < controls.size(); ++j) {
                const QRect both = controls[i]->geometry() & controls[j]->geometry();
                QVERIFY2(both.isEmpty() || qMin(both.width(), both.height()) <= 1,
                         qPrintable(name + " " + controls[j]->objectName()));
            }
        }
        for (QAbstractButton* button : form.findChildren<QAbstractButton*>()) {
            const bool picture = qobject_cast<QToolButton*>(button);
            QVERIFY2(button->sizeHint().width() <= button->width() &&
                         (!picture || button->sizeHint().height() <= button->height()),
                     qPrintable(button->text()));
        }
    }

private Q_SLOTS:
    // The trend window keeps its place in the test's own settings.
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    // The big dial opens the trend, which follows the stream and draws the static trip
    // where the grid has just put it.
    void trend_opensFromTheDial_followsTheStream_movesATripLine()
    {
        FrmPressureMonitor& w = *m_window;
        connectAndUpload();
        QTest::mouseDClick(w.GaugePressure, Qt::LeftButton);
        QVERIFY(w.trendWindow() && w.trendWindow()->isVisible());
        m_port->feed(BuildPressureFrame(30) + BuildPressureFrame(75));
        w.commCycle().tick();
        const TrendChart& chart = w.trendWindow()->chart();
        const auto [from, to] = chart.visibleRange();
        const auto columns = TrendColumns::thin(w.pressureRecorder().history(), from, to, 100);
        const auto shown = std::ranges::find_if(columns.rbegin(), columns.rend(),
                                                [](const auto& c) { return c.has_value(); });
        QVERIFY(shown != columns.rend());
        QCOMPARE(std::pair((*shown)->high, (*shown)->last), std::pair(75, 75));

        // The rows of the picture's middle column drawn in the static trip's colour.
        const auto staticTripRows = [&chart] {
            const QImage picture = chart.picture({400, 200});
            QList<int> rows;
            for (int y = 0; y < picture.height(); ++y) {
                if (picture.pixelColor(200, y) == QColor(200, 30, 30))
                    rows.append(y);
            }
            return rows;
        };
        QVERIFY(w.SpdEEPROM->enterText(4, u"37"_s));
        const QList<int> low = staticTripRows();
        QVERIFY(w.SpdEEPROM->enterText(4, u"80"_s));
        const QList<int> high = staticTripRows();
        QVERIFY(!low.isEmpty() && !high.isEmpty());
        QVERIFY2(high.last() < low.first(),
                 qPrintable(u"%1 %2"_s.arg(high.last()).arg(low.first())));
    }

    void init()
    {
        m_tree = std::make_unique<QTemporaryDir>();
        QVERIFY(QDir(m_tree->path()).mkpath(u"Data/Sub"_s));
        QVERIFY(writeFile(m_tree->filePath(u"Data/press1.prs"_s),
                          ParamFileFormat::contents(exampleValues(), u"C:\\DATA\\PRESS1.PRS"_s)));
        for (const char* other : {"Data/notes.TXT", "Data/other.dat"})
            QVERIFY(writeFile(m_tree->filePath(QString::fromLatin1(other)), "other"));
        m_startFolder = QDir::currentPath();
        QVERIFY(QDir::setCurrent(m_tree->filePath(u"Data"_s)));
        m_dosData = PathRules::folderText(DosPathMapper().toDos(QDir::currentPath())).toUpper();
        m_messages = {};
        auto port = std::make_unique<FakeSerialLink>();
        m_port = port.get();
        // The simulated device answers at once, from the example values.
        m_port->onOutput = [this](const QByteArray& frame) {
            for (const QByteArray& answer : m_device.receive(frame).answers)
                m_port->feed(answer);
        };
        PortNames names;
        names.setOverride(2, u"/dev/ttyUSB0"_s);
        m_window = std::make_unique<FrmPressureMonitor>(std::move(port), m_messages, names);
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    }

    void cleanup()
    {
        m_window.reset();
        QDir::setCurrent(m_startFolder);
        m_tree.reset();
    }

    void startUp_idleCentredWindowWithEveryControlInPlace()
    {
        FrmPressureMonitor& w = *m_window;
        const QPoint offCentre = w.frameGeometry().center() - w.screen()->geometry().center();
        QVERIFY(qAbs(offCentre.x()) <= 1 && qAbs(offCentre.y()) <= 1);
        // A status too long for its line (in the picture) is whole in its tooltip.
        const QString status = u"Select Port & Press CONNECT"_s;
        QCOMPARE(w.LblStatus->toolTip(), status);
        QStringList ports;
        for (QRadioButton* option : w.OptComm)
            ports << option->text() + u' ' + option->toolTip().section(u'\n', 0, 0) +
                         (option->isChecked() ? u" *"_s : u""_s);
        QCOMPARE(ports, QStringList({u"Comm Port 1 /dev/ttyS0 (not present) *"_s,
                                     u"Comm Port 2 /dev/ttyUSB0 (not present)"_s}));
        QStringList named;
        for (QWidget* c :
             std::initializer_list<QWidget*>{w.GaugePressure, w.GaugeStaticTrip, w.GaugeCountTrip,
                                             w.GaugeDynamicTrip, w.SpdEEPROM, w.FrmComm, w.PrgComm})
            named << QAccessible::queryAccessibleInterface(c)->text(QAccessible::Name);
        QCOMPARE(named.join(u'|'), u"Live Pressure|Static Trip|Count Trip|Dynamic Trip|"
                                   u"Parameters|Serial port|Progress"_s);
        QVERIFY(!w.commCycle().timer().isActive());
        // Tab reaches the selected Comm Port only; the arrow keys move between the two.
        QStringList tabStops;
        for (QWidget* at = w.OptComm[0]; tabStops.size() < 12; at = at->nextInFocusChain())
            if (at->focusPolicy() & Qt::TabFocus)
                tabStops << at->objectName();
        QCOMPARE(tabStops.join(u' '), u"OptComm0 CmdConnect CmdDisconnect "
                                      u"GaugeStaticTrip GaugeCountTrip GaugeDynamicTrip "
                                      u"SpdEEPROM CmdDownload CmdAutoSet CmdExit "
                                      u"CmdSave CmdOpen"_s);
        expectKeptPicture(w.grab().toImage(), "monitor_window_start.png");
        // Shift+F10 opens the device menu of the Comm Port it is pressed on.
        QTest::keyClick(w.OptComm[0], Qt::Key_F10, Qt::ShiftModifier);
        QTRY_VERIFY(w.findChild<QMenu*>() && w.findChild<QMenu*>()->isVisible());
        QStringList entries;
        for (const QAction* action : w.findChild<QMenu*>()->actions())
            entries << action->text();
        QCOMPARE(entries.join(u'|'),
                 u"No serial port found on this computer|/dev/ttyS0 (not present)||"
                 u"Other device..."_s);
    }

    // A failure inside a tick gives one message and the buttons back; the next Connect
    // closes the port the failure left open before it takes the new port number.
    void commError_oneMessageButtonsBack_thenConnectStartsClean()
    {
        FrmPressureMonitor& w = *m_window;
        QTest::mouseClick(w.CmdConnect, Qt::LeftButton);
        QCOMPARE(connectControls(), QList<bool>(3, false));
        w.commCycle().tick();
        m_port->failOutput = true;
        ticks(2);
        QCOMPARE(m_messages.texts, QStringList{u"A Comm Port Error Has Occured"_s});
        QCOMPARE(m_messages.shown.first().icon, MessageIcon::Warning);
        QVERIFY(!w.commCycle().timer().isActive());
        QCOMPARE(connectControls(), QList<bool>(3, true));
        QVERIFY(m_port->portOpen());

        m_port->failOutput = false;
        QTest::mouseClick(w.OptComm[1], Qt::LeftButton);
        QTest::mouseClick(w.CmdConnect, Qt::LeftButton);
        QVERIFY(!m_port->portOpen());
        QCOMPARE(m_port->commPort(), 2);
        QCOMPARE(m_port->settings(), u"9600,n,8,1"_s);
        connectAndUpload();
        QCOMPARE(m_messages.shown.size(), 1);
        QTest::mouseClick(w.CmdDisconnect, Qt::LeftButton);
        QCOMPARE(w.LblStatus->text(), u"Disconnected"_s);
        m_window->close();
        QVERIFY(!m_port->portOpen() && !m_window->commCycle().timer().isActive());
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
        row("Download, Overcount S.P. out of range", "1 2 9 5 12 5 5 8 7", {5, 5, 5});
    }

    void editing_keepsSetGridAndTripNeedlesInStep()
    {
        QFETCH(QString, action);
        QFETCH(QString, cells);
        QFETCH(QList<double>, needles);
        FrmPressureMonitor& w = *m_window;
        connectAndUpload();
        m_port->feed(BuildPressureFrame(60) +
                     BuildPressureFrame(action.contains(u"narrow") ? 58 : 20));
        w.commCycle().tick();
        static_cast<ParameterSet&>(m_window->ModVars) = ParameterSet{1, 2, 9, 5, 12, 5, 5, 8, 7};
        w.RefreshGrid();
        w.RefreshTripNeedles();
        if (action == u"grid edit") {
            QVERIFY(w.SpdEEPROM->enterText(7, u"37"_s));
        } else if (action.startsWith(u"Gauge")) {
            auto* gauge = w.findChild<DialGauge*>(action);
            QTest::mousePress(gauge, Qt::LeftButton, {}, QPoint(gauge->width() / 2, 3));
            QTest::mouseMove(gauge, QPoint(gauge->width() - 1, gauge->height() - 1));
            QTest::mouseRelease(gauge, Qt::LeftButton, {}, gauge->rect().bottomRight());
        } else if (action.startsWith(u"Download")) {
            QCOMPARE(w.SpdEEPROM->item(0, 0)->toolTip(),
                     u"2 to 9999999: 1 is out of range\nDevice holds 5000"_s);
            QCOMPARE(w.SpdEEPROM->item(0, 0)->foreground().color(), QColor(Qt::red));
            m_messages.answers = {MessageAnswer::No};
            QTest::mouseClick(w.CmdDownload, Qt::LeftButton);
            QCOMPARE(m_messages.shown.value(0).defaultAnswer, MessageAnswer::No);
            QVERIFY(!w.commCycle().downloadRunning());
        } else if (action.startsWith(u"Auto Cal")) {
            w.activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(&w));
            QTest::mouseClick(w.CmdAutoSet, Qt::LeftButton);
            QVERIFY(w.CmdAutoSet->hasFocus());
        } else {
            w.setWindowState(Qt::WindowMinimized);
            m_window->ModVars.CountTripSP = 61;
            m_window->ModVars.ShutDownCountSP = 777;
            w.setWindowState(Qt::WindowNoState);
        }
        QCOMPARE(this->cells().join(u' '), cells);
        QCOMPARE(tripNeedles(), needles);
        QCOMPARE(m_messages.texts,
                 action.contains(u"narrow")
                     ? QStringList{u"Pressure Window too narrow for Auto-Calibration"_s}
                 : action.startsWith(u"Download")
                     ? QStringList{u"These values are outside their ranges:\n"
                                   u"Overcount S.P. 1 (2 to 9999999)\nWrite anyway?"_s}
                     : QStringList());
    }

    // Each step down the file types picks the next one, whose files are listed without
    // regard to case; a click on a file names it. OK hands the typed name, upper-cased, to
    // the read or the save, then restores the main window and unloads the dialog.
    void openOrSave_dialogOverTheMinimisedWindow_okayRunsTheOperation_data()
    {
        QTest::addColumn<bool>("save");
        QTest::addColumn<int>("typeSteps");
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QString>("typed");
        // The user may bring the main window back by hand while the dialog is up.
        QTest::addColumn<bool>("windowBack");
        QTest::newRow("Open File, PRS")
            << false << 1 << QStringList{"press1.prs"} << u"press1.prs"_s << false;
        QTest::newRow("Open File, main window clicked back")
            << false << 1 << QStringList{"press1.prs"} << u"press1.prs"_s << true;
        QTest::newRow("Save File, TXT")
            << true << 2 << QStringList{"notes.TXT"} << u"new1"_s << false;
        QTest::newRow("Save File, all")
            << true << 3 << QStringList{"notes.TXT", "other.dat", "press1.prs"} << u"new1"_s
            << true;
    }

    void openOrSave_dialogOverTheMinimisedWindow_okayRunsTheOperation()
    {
        QFETCH(bool, save);
        QFETCH(int, typeSteps);
        QFETCH(QStringList, files);
        QFETCH(QString, typed);
        QFETCH(bool, windowBack);
        m_window->ModVars.ShutDownCountSP = 7;
        QVERIFY(openBrowser(save));
        QTRY_COMPARE_WITH_TIMEOUT(browse()->windowTitle(), save ? u"Save File"_s : u"Read File"_s,
                                  Deadline);
        QVERIFY(m_window->windowState() & Qt::WindowMinimized);
        QVERIFY((browse()->frameGeometry().center() - browse()->screen()->geometry().center())
                    .manhattanLength() <= 2);
        expectTidyLayout(*browse(), 12);
        QCOMPARE(nameBox()->text(), m_dosData);
        QCOMPARE(control<QComboBox>("DrvPick")->itemText(0), u"C:"_s);
        QCOMPARE(listed(), QStringList{"press1.prs"});
        pickFileType(typeSteps);
        QCOMPARE(listed(), files);
        auto* list = control<QListWidget>("FilList");
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualItemRect(list->item(0)).center());
        QCOMPARE(nameBox()->text(), m_dosData + files.first().toUpper());
        QVERIFY(nameBox()->hasFocus());
        QCOMPARE(nameBox()->cursorPosition(), nameBox()->text().size());

        nameBox()->setText(m_dosData.toLower() + typed);
        if (windowBack)
            m_window->setWindowState(Qt::WindowNoState);
        QTest::mouseClick(control<QPushButton>("CmdOkay"), Qt::LeftButton);
        QVERIFY(m_window->ModVars.ParamFileName.startsWith((m_dosData + typed).toUpper()));
        QCOMPARE(m_messages.texts,
                 QStringList{save ? u"File Save Complete."_s : u"File Access Complete...."_s});
        QCOMPARE(QFile::exists(m_tree->filePath(u"Data/NEW1.PRS"_s)), save);
        QVERIFY(!QGuiApplication::overrideCursor());
        ParameterSet expected = save ? ParameterSet{7, 0, 0, 0, 0, 0, 0, 0, 0} : exampleValues();
        QCOMPARE(tripNeedles(),
                 (QList<double>{double(expected.StaticTripSP), double(expected.CountTripSP),
                                double(expected.DynamicTripSP)}));
        // An edit of one cell takes the other eight back as the grid shows them.
        QVERIFY(m_window->SpdEEPROM->enterText(3, u"1"_s));
        expected.ActualCount = 1;
        QCOMPARE(static_cast<ParameterSet&>(m_window->ModVars), expected);
        QVERIFY(!(m_window->windowState() & Qt::WindowMinimized));
        QTRY_VERIFY_WITH_TIMEOUT(!browse(), Deadline);
    }

    // Cancel only hides the dialog: the next opening keeps its folder and type. The close
    // box unloads it.
    void cancelKeepsFolderAndType_closeBoxUnloads()
    {
        QVERIFY(openBrowser(true));
        auto* folders = control<QTreeWidget>("DirPick");
        QCOMPARE(folders->topLevelItem(0)->text(0), u"C:\\"_s);
        folders->setFocus();
        folders->setCurrentItem(folders->findItems(u"Sub"_s, Qt::MatchRecursive).value(0));
        QTest::keyClick(folders, Qt::Key_Return);
        QTRY_COMPARE_WITH_TIMEOUT(nameBox()->text(), m_dosData + "SUB\\", Deadline);
        QVERIFY(nameBox()->hasFocus());
        QVERIFY(listed().isEmpty());
        pickFileType(3);
        QTest::mouseClick(control<QPushButton>("CmdCancel"), Qt::LeftButton);
        QVERIFY(browse()->isHidden());
        QVERIFY(!(m_window->windowState() & Qt::WindowMinimized));

        QTest::mouseClick(m_window->CmdOpen, Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(browse()->windowTitle(), u"Read File"_s, Deadline);
        QVERIFY(browse()->currentFolder().endsWith(QLatin1String("/Data/Sub")));
        QCOMPARE(browse()->filePattern(), u"*.*"_s);
        browse()->close();
        QVERIFY(!(m_window->windowState() & Qt::WindowMinimized));
        QTRY_VERIFY_WITH_TIMEOUT(!browse(), Deadline);
        QVERIFY(m_messages.shown.isEmpty());
    }

    // With press1.prs and PRESS1.PRS side by side, the file picked in the list or typed
    // exactly is the one read or replaced; a name typed in neither case reads and writes
    // nothing and names the clash.
    void caseVariants_theFileMeantIsReadOrReplaced_data()
    {
        QTest::addColumn<bool>("save");
        QTest::addColumn<QString>("clicked");
        QTest::addColumn<QString>("meant");
        const auto row = [](const char* name, bool save, const char* clicked, const char* meant) {
            QTest::newRow(name) << save << QString::fromLatin1(clicked)
                                << QString::fromLatin1(meant);
        };
        row("read by click", false, "press1.prs", "press1.prs");
        row("read typed exactly", false, "", "press1.prs");
        row("read typed in neither case", false, "", "");
        row("save by click, upper", true, "PRESS1.PRS", "PRESS1.PRS");
        row("save typed in neither case", true, "", "");
    }

    void caseVariants_theFileMeantIsReadOrReplaced()
    {
        QFETCH(bool, save);
        QFETCH(QString, clicked);
        QFETCH(QString, meant);
        const QStringList names{u"Data/press1.prs"_s, u"Data/PRESS1.PRS"_s};
        const QList<ParameterSet> held{exampleValues(), {1, 1, 1, 1, 1, 1, 1, 1, 1}};
        QVERIFY(writeFile(m_tree->filePath(names[1]), ParamFileFormat::contents(held[1], {})));
        QList<QByteArray> files{fileContents(m_tree->filePath(names[0])),
                                fileContents(m_tree->filePath(names[1]))};
        QVERIFY(openBrowser(save));
        if (clicked.isEmpty()) {
            nameBox()->setText(m_dosData + (meant.isEmpty() ? u"Press1.prs"_s : meant));
        } else {
            auto* list = control<QListWidget>("FilList");
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                              list->visualItemRect(list->findItems(clicked, {}).value(0)).center());
        }
        QTest::mouseClick(control<QPushButton>("CmdOkay"), Qt::LeftButton);
        const int at = names.indexOf(u"Data/"_s + meant);
        QCOMPARE(m_messages.texts.last(),
                 at < 0 ? u"These files differ only in case: PRESS1.PRS, press1.prs. Pick one in "
                          u"the list or type its name exactly as listed."_s
                 : save ? u"File Save Complete."_s
                        : u"File Access Complete...."_s);
        QCOMPARE(static_cast<ParameterSet&>(m_window->ModVars),
                 !save && at >= 0 ? held[at] : ParameterSet{});
        if (save && at >= 0)
            files[at] = ParamFileFormat::contents({}, m_dosData + "PRESS1.PRS");
        for (int i = 0; i < 2; ++i)
            QCOMPARE(fileContents(m_tree->filePath(names[i])), files[i]);
    }

    // The name typed survives a trip to another application; arrow keys in the file list
    // fill the name box without taking the focus, and Enter there reads.
    void fileDialog_keepsTypedNameAndWorksFromTheKeyboard()
    {
        QVERIFY(openBrowser(false));
        QTest::keyClicks(nameBox(), u"X.PRS"_s);
        QApplication::setActiveWindow(nullptr);
        QVERIFY(!browse()->isActiveWindow());
        QApplication::setActiveWindow(browse());
        QCOMPARE(nameBox()->text(), m_dosData + "X.PRS");

        pickFileType(3);
        auto* list = control<QListWidget>("FilList");
        list->setFocus();
        list->setCurrentRow(0);
        QTest::keyClick(list, Qt::Key_Down);
        QCOMPARE(nameBox()->text(), m_dosData + "OTHER.DAT");
        QVERIFY(list->hasFocus());
        QTest::keyClick(list, Qt::Key_Down);
        QTest::keyClick(list, Qt::Key_Return);
        QCOMPARE(m_messages.texts, QStringList{"File Access Complete...."});
        QCOMPARE(m_window->ModVars.ParamFileName, m_dosData + "PRESS1.PRS");
    }

    // Leaving asks first, No the default, during a download and while edits are kept nowhere.
    void leaving_asksWhileSomethingWouldBeLost_data()
    {
        QTest::addColumn<bool>("downloading");
        QTest::addColumn<bool>("closeBox");
        QTest::addColumn<MessageAnswer>("answer");
        QTest::addColumn<QString>("question");
        const QString mix = u"A download is in progress. Leave now and the device keeps a mix of "
                            u"old and new values. Exit anyway?"_s;
        QTest::newRow("Exit mid-download, No") << true << false << MessageAnswer::No << mix;
        QTest::newRow("close box mid-download, Yes") << true << true << MessageAnswer::Yes << mix;
        QTest::newRow("Exit after edits, No")
            << false << false << MessageAnswer::No
            << u"These values differ from the device and were not saved: Actual Count, Static "
               u"Trip Pressure. Exit anyway?"_s;
    }

    void leaving_asksWhileSomethingWouldBeLost()
    {
        QFETCH(bool, downloading);
        QFETCH(bool, closeBox);
        QFETCH(MessageAnswer, answer);
        QFETCH(QString, question);
        connectAndUpload();
        if (downloading) {
            QTest::mouseClick(m_window->CmdDownload, Qt::LeftButton);
            m_port->feed(hexBytes("80 05 D0 28 83"));
            ticks(2);
        } else {
            QVERIFY(m_window->SpdEEPROM->enterText(4, u"33"_s));
            QVERIFY(m_window->SpdEEPROM->enterText(3, u"0"_s));
        }
        m_messages.answers = {answer};
        closeBox ? void(m_window->close()) : QTest::mouseClick(m_window->CmdExit, Qt::LeftButton);
        QCOMPARE(m_messages.texts, QStringList{question});
        QCOMPARE(m_messages.shown.first().defaultAnswer, MessageAnswer::No);
        const bool stays = answer == MessageAnswer::No;
        QCOMPARE(QPair(m_window->commCycle().timer().isActive(), m_window->isVisible()),
                 QPair(stays, stays));
    }

    // Connect over values that no device holds asks first; No leaves everything as it was.
    void connect_overEditedValues_asksFirst()
    {
        QVERIFY(m_window->SpdEEPROM->enterText(4, u"33"_s));
        m_messages.answers = {MessageAnswer::No, MessageAnswer::Yes};
        QTest::mouseClick(m_window->CmdConnect, Qt::LeftButton);
        QVERIFY(!m_window->commCycle().timer().isActive());
        QVERIFY(m_messages.texts.value(0).startsWith(u"The grid holds edited values that"_s));
        connectAndUpload();
        QCOMPARE(m_messages.texts.size(), 2);
    }

    // The window as a technician sees it during the live stream, with one value edited since
    // the upload: the needle, the pressure window on all four dials, the trip needles, the
    // marked grid value, the status line and the picture buttons.
    void picture_liveWindowWithAnEditedValue_looksAsKept()
    {
        connectAndUpload();
        m_port->feed(BuildPressureFrame(20) + BuildPressureFrame(61) + BuildPressureFrame(42));
        m_window->commCycle().tick();
        for (const auto& [row, text] : {std::pair{1, "4999"}, {4, "33"}, {9, "5"}})
            QVERIFY(m_window->SpdEEPROM->enterText(row, QString::fromLatin1(text)));
        expectKeptPicture(m_window->grab().toImage(), "monitor_window_live.png");
    }

    // Before the first upload nothing is marked; afterwards every value that differs from
    // the device's is, with the device's value in its tooltip.
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
    }
};

QTEST_MAIN(TestFrmPressureMonitor)
#include "tst_FrmPressureMonitor.moc"
