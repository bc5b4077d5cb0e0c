#include "DialGauge.h"
#include "FrmPressureMonitor.h"
#include "ParameterSync.h"
#include "PortNames.h"
#include "QSerialPortLink.h"
#include "RecordingMessageBoxes.h"
#include "SimulatedDevice.h"
#include "SpreadGrid.h"
#include "TestSupport.h"
#include "TickRecorder.h"

#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <fcntl.h>
#include <memory>
#include <unistd.h>

namespace {

// Generous for a sanitizer build on a busy machine; a run normally takes a few seconds.
constexpr int Deadline = 30000;
// Several ticks of either interval, time enough for a second report to show up.
constexpr int SettleMs = 300;

// Every value distinct, the counts with every data byte in use.
const ParameterSet FirstDevice{1234567, 7654321, 4242, 90, 200, 91, 92, 40000, 65535};
const ParameterSet SecondDevice{8765432, 2345678, 99, 33, 7, 44, 55, 1000, 2000};

// Quick strokes, so that a test soon sees a whole one, and repeatable noise. The readings
// stay within the stroke widened by the noise.
const QStringList PressOptions =
    u"--base 20 --peak 75 --noise 1 --period 1 --seed 11"_s.split(u' ');
constexpr int LowestReading = 19;
constexpr int HighestReading = 76;

const QStringList ConnectStatuses =
    u"Connecting|Uploading SDC|Uploading WC|Uploading Count|Uploading Static P|"
    "Uploading Static Timer|Uploading Count SP|Uploading DT SP|Uploading ST SP|Waiting for data"_s
        .split(u'|');
const QStringList WriteStatuses =
    u"Writing SD SP|Writing Warning SP|Writing Count|Writing Static SP|Writing Static Timer|"
    "Writing Count SP|Writing Dynamic SP|Writing DF Count|Writing SF Count"_s.split(u'|');

ParameterSet programSet()
{
    return static_cast<const ParameterSet&>(ModVars);
}

// A device that hears everything and never answers. The test holds the slave open too, so
// the line stays up while the tool's port is closed.
class MuteLine
{
    Q_DISABLE_COPY(MuteLine)

public:
    MuteLine()
    {
        char name[128] = {};
        if (::grantpt(m_master) == 0 && ::unlockpt(m_master) == 0 &&
            ::ptsname_r(m_master, name, sizeof name) == 0)
            m_slave = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (m_slave >= 0)
            path = QString::fromLocal8Bit(name);
    }
    ~MuteLine()
    {
        ::close(m_slave);
        ::close(m_master);
    }

    const QByteArray& heard()
    {
        char chunk[1024];
        ssize_t n = 0;
        while ((n = ::read(m_master, chunk, sizeof chunk)) > 0)
            m_heard.append(chunk, n);
        return m_heard;
    }

    QString path;

private:
    int m_master = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    int m_slave = -1;
    QByteArray m_heard;
};

} // namespace

class TestTransferEndToEnd : public QObject
{
    Q_OBJECT

    // The same runs over a clean line and over lines that lose, spoil, add and repeat bytes.
    void lineFaults_data()
    {
        QTest::addColumn<QStringList>("faults");
        QTest::newRow("clean line") << QStringList();
        QTest::newRow("noise") << u"--noise-rate 300"_s.split(u' ');
        // A write whose acknowledgement is lost is sent again only when other bytes arrive.
        QTest::newRow("dropped answers") << u"--drop 0.3 --noise-rate 100"_s.split(u' ');
        QTest::newRow("corrupted checksums") << u"--corrupt 0.3"_s.split(u' ');
        QTest::newRow("duplicated acknowledgements") << u"--duplicate-acks"_s.split(u' ');
        QTest::newRow("all faults")
            << u"--noise-rate 200 --drop 0.2 --corrupt 0.2 --duplicate-acks"_s.split(u' ');
    }

    // Comm Port 1 is a link in the test's folder, as a udev name is for a USB adapter: a
    // device plugged in again gets a new terminal, and the link follows it.
    bool pointPortAt(const QString& device)
    {
        QFile::remove(m_port);
        return !device.isEmpty() && QFile::link(device, m_port);
    }

    SimulatedDevice* startDevice(const ParameterSet& memory, const QStringList& options = {})
    {
        SimulatedDevice& device = *m_devices.emplace_back(std::make_unique<SimulatedDevice>());
        QString error;
        if (!device.start(memory, PressOptions + options, Deadline, error)) {
            qWarning("%s", qPrintable(error));
            return nullptr;
        }
        return pointPortAt(device.path()) ? &device : nullptr;
    }

    // Connect, the upload up to the first pressure and, when asked, a whole stroke.
    void connectAndUpload(bool wholeStroke = false)
    {
        m_ticks->clear();
        QVERIFY(m_window->CmdConnect->isEnabled());
        QTest::mouseClick(m_window->CmdConnect, Qt::LeftButton);
        m_ticks->noteStatus();
        QTRY_VERIFY_WITH_TIMEOUT(!m_ticks->pressures.isEmpty(), Deadline);
        QCOMPARE(m_ticks->statuses.mid(0, ConnectStatuses.size()), ConnectStatuses);
        const CommState& comm = m_window->commState();
        QTRY_VERIFY_WITH_TIMEOUT(!wholeStroke || (comm.MaxPressure >= HighestReading - 4 &&
                                                  comm.MinPressure <= LowestReading + 4),
                                 Deadline);
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_port;
    std::vector<std::unique_ptr<SimulatedDevice>> m_devices;
    std::unique_ptr<RecordingMessageBoxes> m_messages;
    std::unique_ptr<FrmPressureMonitor> m_window;
    std::unique_ptr<TickRecorder> m_ticks;

private Q_SLOTS:
    void init()
    {
        ModVars.reset();
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        m_port = m_dir->filePath(u"ttyVORTA"_s);
        m_messages = std::make_unique<RecordingMessageBoxes>();
        PortNames names;
        names.setOverride(1, m_port);
        m_window = std::make_unique<FrmPressureMonitor>(std::make_unique<QSerialPortLink>(names),
                                                        *m_messages);
        m_ticks = std::make_unique<TickRecorder>(*m_window);
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    }

    void cleanup()
    {
        m_ticks.reset();
        m_window.reset();
        for (const auto& device : m_devices) {
            device->hangUp();
            QVERIFY2(device->waitForExit(Deadline), "vorta-devsim did not end cleanly");
        }
        m_devices.clear();
        m_messages.reset();
        m_dir.reset();
        ModVars.reset();
    }

    void connectAndLive_thenAutoCalAndDownload_deviceAndProgramAgree_data() { lineFaults_data(); }
    void connectAndLive_thenAutoCalAndDownload_deviceAndProgramAgree()
    {
        QFETCH(QStringList, faults);
        const QString dump = m_dir->filePath(u"memory.txt"_s);
        QVERIFY(startDevice(FirstDevice,
                            faults + QStringList{u"--dump-on-write"_s, u"--dump"_s, dump}));
        connectAndUpload(true);
        if (QTest::currentTestFailed())
            return;
        FrmPressureMonitor& w = *m_window;

        QCOMPARE(SimulatedDevice::dumpText(programSet()), SimulatedDevice::dumpText(FirstDevice));
        for (int row = 1; row <= ParameterCount; ++row) {
            const Parameter p = GridRows[static_cast<std::size_t>(row - 1)].parameter;
            QCOMPARE(w.SpdEEPROM->cellText(row), QString::number(FirstDevice.value(p)));
        }
        QCOMPARE(w.GaugeStaticTrip->needleValue(), double(FirstDevice.StaticTripSP));
        QCOMPARE(w.GaugeCountTrip->needleValue(), double(FirstDevice.CountTripSP));
        QCOMPARE(w.GaugeDynamicTrip->needleValue(), double(FirstDevice.DynamicTripSP));

        for (int pressure : std::as_const(m_ticks->pressures))
            QVERIFY2(pressure >= LowestReading && pressure <= HighestReading,
                     qPrintable(QString::number(pressure)));
        // The window only ever widens, grows over several ticks and stays within the profile.
        const auto& windows = m_ticks->pressureWindows;
        for (qsizetype i = 1; i < windows.size(); ++i)
            QVERIFY(windows[i].first >= windows[i - 1].first &&
                    windows[i].second <= windows[i - 1].second);
        const auto firstSeen = std::find_if(windows.begin(), windows.end(),
                                            [](const QPair<int, int>& w) { return w.first > 0; });
        QVERIFY(firstSeen != windows.end());
        QVERIFY(firstSeen->first - firstSeen->second <
                windows.last().first - windows.last().second);
        QVERIFY(windows.last().first <= HighestReading && windows.last().second >= LowestReading);

        QVERIFY(w.LblStatus->text().startsWith(u"Pressure = "_s));
        QCOMPARE(w.PrgComm->value(), 100);
        QVERIFY(w.CmdDownload->isEnabled());
        QVERIFY(!w.CmdConnect->isEnabled());
        QVERIFY(w.TmrComm.isActive());

        // Auto Cal leaves these three alone; typed into the grid, they make all nine differ.
        QVERIFY(w.SpdEEPROM->enterText(1, u"2345678"_s));
        QVERIFY(w.SpdEEPROM->enterText(2, u"3456789"_s));
        QVERIFY(w.SpdEEPROM->enterText(5, u"17"_s));
        QTest::mouseClick(w.CmdAutoSet, Qt::LeftButton);
        QVERIFY2(m_messages->shown.isEmpty(), qPrintable(m_messages->texts().join(u'|')));
        const ParameterSet written = programSet();
        for (int i = 0; i < ParameterCount; ++i)
            QVERIFY2(written.value(Parameter(i)) != FirstDevice.value(Parameter(i)),
                     SimulatedDevice::dumpText(written).constData());
        const int maxBefore = w.commState().MaxPressure;
        const int minBefore = w.commState().MinPressure;

        m_ticks->clear();
        QTest::mouseClick(w.CmdDownload, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(m_ticks->statuses.contains(u"Download Complete"_s), Deadline);
        QCOMPARE(fileContents(dump), SimulatedDevice::dumpText(written));

        // Every row went out, in order, and no batch moved the download on by more than one row.
        QCOMPARE(m_ticks->statusRun(u"Writing "_s), WriteStatuses);
        const QList<int>& states = m_ticks->writeStates;
        QVERIFY(!states.isEmpty());
        for (qsizetype i = 1; i < states.size(); ++i)
            QVERIFY2(states[i] == states[i - 1] || states[i] == states[i - 1] + 1,
                     qPrintable(u"row %1 after row %2"_s.arg(states[i]).arg(states[i - 1])));
        QCOMPARE(states.last(), 8);

        QVERIFY(w.CmdDownload->isEnabled());
        QVERIFY(!w.CmdConnect->isEnabled());
        // The live stream resumes with the pressure window seen so far.
        m_ticks->clear();
        QTRY_VERIFY_WITH_TIMEOUT(!m_ticks->pressures.isEmpty(), Deadline);
        QVERIFY(w.commState().MaxPressure >= maxBefore);
        QVERIFY(w.commState().MinPressure <= minBefore);
        QVERIFY2(m_messages->shown.isEmpty(), qPrintable(m_messages->texts().join(u'|')));
    }

    void hangUp_oneMessageButtonsBack_thenConnectWorksAgain_data()
    {
        QTest::addColumn<bool>("duringDownload");
        QTest::newRow("live stream") << false;
        QTest::newRow("download") << true;
    }

    void hangUp_oneMessageButtonsBack_thenConnectWorksAgain()
    {
        QFETCH(bool, duringDownload);
        SimulatedDevice* first = startDevice(FirstDevice);
        QVERIFY(first);
        connectAndUpload();
        if (QTest::currentTestFailed())
            return;
        FrmPressureMonitor& w = *m_window;
        const CommState& comm = w.commState();

        if (duringDownload) {
            // Pulled out once a few rows have been written, from inside the tick that got there.
            m_ticks->afterTick = [&] {
                if (comm.CommAction == 2 && comm.CommWriteState >= 2 && first->isRunning())
                    first->hangUp();
            };
            QTest::mouseClick(w.CmdDownload, Qt::LeftButton);
        } else {
            first->hangUp();
        }

        QTRY_COMPARE_WITH_TIMEOUT(m_messages->shown.size(), qsizetype(1), Deadline);
        QTest::qWait(SettleMs);
        QCOMPARE(m_messages->texts(), QStringList{u"A Comm Port Error Has Occured"_s});
        QCOMPARE(m_messages->shown.first().icon, MessageIcon::Warning);
        QCOMPARE(m_messages->shown.first().buttons, MessageButtons::Ok);
        QCOMPARE(comm.CommAction, std::int16_t(duringDownload ? 2 : 1));
        QVERIFY(!w.TmrComm.isActive());
        QVERIFY(w.CmdConnect->isEnabled());
        QVERIFY(w.CmdDownload->isEnabled());
        QVERIFY(w.FrmComm->isEnabled());
        QVERIFY(w.CmdDisconnect->isEnabled());
        QVERIFY(w.isVisible());
        QVERIFY2(first->waitForExit(Deadline), "vorta-devsim did not end cleanly");
        m_ticks->afterTick = nullptr;

        QVERIFY(startDevice(SecondDevice));
        connectAndUpload();
        if (QTest::currentTestFailed())
            return;
        QCOMPARE(SimulatedDevice::dumpText(programSet()), SimulatedDevice::dumpText(SecondDevice));
        QVERIFY(w.TmrComm.isActive());
        QCOMPARE(m_messages->shown.size(), qsizetype(1));
    }

    void silentDevice_uploadWaitsOnFirstStep_untilDisconnect()
    {
        MuteLine line;
        QVERIFY(pointPortAt(line.path));
        FrmPressureMonitor& w = *m_window;
        const CommState& comm = w.commState();

        QTest::mouseClick(w.CmdConnect, Qt::LeftButton);
        // The first request again and again, one a tick and nothing else.
        const QByteArray request = hexBytes("80 04 00 7C");
        QTRY_VERIFY_WITH_TIMEOUT(line.heard().size() >= 10 * request.size(), Deadline);
        const QByteArray heard = line.heard();
        QCOMPARE(heard, request.repeated(heard.size() / request.size()));
        QCOMPARE(w.LblStatus->text(), u"Uploading SDC"_s);
        QCOMPARE(comm.CommAction, std::int16_t(0));
        QCOMPARE(comm.CommCount, std::int16_t(0));
        QCOMPARE(w.PrgComm->value(), 0);
        QVERIFY(w.TmrComm.isActive());
        QVERIFY(!w.CmdConnect->isEnabled());
        QVERIFY(!w.CmdDownload->isEnabled());

        QTest::mouseClick(w.CmdDisconnect, Qt::LeftButton);
        QCOMPARE(w.LblStatus->text(), u"Disconnected"_s);
        QVERIFY(!w.TmrComm.isActive());
        QVERIFY(!w.serialLink().portOpen());
        QVERIFY(w.CmdConnect->isEnabled());
        QVERIFY(w.CmdDownload->isEnabled());
        const qsizetype sent = line.heard().size();
        QTest::qWait(SettleMs);
        QCOMPARE(line.heard().size(), sent);
        QCOMPARE(comm.CommCount, std::int16_t(0));
        QVERIFY(m_messages->shown.isEmpty());
    }
};

QTEST_MAIN(TestTransferEndToEnd)
#include "tst_TransferEndToEnd.moc"
