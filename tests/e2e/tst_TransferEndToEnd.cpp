#include "DialGauge.h"
#include "FrmPressureMonitor.h"
#include "ParameterSync.h"
#include "PortNames.h"
#include "QSerialPortLink.h"
#include "RecordingMessageBoxes.h"
#include "SimulatedDevice.h"
#include "SpreadGrid.h"
#include "TickRecorder.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <memory>

namespace {

// Generous for a sanitizer build on a busy machine; a run normally takes a few seconds.
constexpr int Deadline = 30000;

// What the device holds before the tool talks to it: every value distinct, multi-byte
// values with every data byte in use.
const ParameterSet DeviceMemory{1234567, 7654321, 4242, 90, 200, 91, 92, 40000, 65535};

// The simulated press: strokes from 20 to 75 PSI once a second, readings within 1 PSI.
const QStringList PressureProfile{QStringLiteral("--base"),   QStringLiteral("20"),
                                  QStringLiteral("--peak"),   QStringLiteral("75"),
                                  QStringLiteral("--noise"),  QStringLiteral("1"),
                                  QStringLiteral("--period"), QStringLiteral("1")};
constexpr int LowestReading = 19;
constexpr int HighestReading = 76;

const QStringList UploadStatuses{
    QStringLiteral("Uploading SDC"),          QStringLiteral("Uploading WC"),
    QStringLiteral("Uploading Count"),        QStringLiteral("Uploading Static P"),
    QStringLiteral("Uploading Static Timer"), QStringLiteral("Uploading Count SP"),
    QStringLiteral("Uploading DT SP"),        QStringLiteral("Uploading ST SP"),
    QStringLiteral("Waiting for data")};

const QStringList WriteStatuses{
    QStringLiteral("Writing SD SP"),        QStringLiteral("Writing Warning SP"),
    QStringLiteral("Writing Count"),        QStringLiteral("Writing Static SP"),
    QStringLiteral("Writing Static Timer"), QStringLiteral("Writing Count SP"),
    QStringLiteral("Writing Dynamic SP"),   QStringLiteral("Writing DF Count"),
    QStringLiteral("Writing SF Count")};

ParameterSet programSet()
{
    return static_cast<const ParameterSet&>(ModVars);
}

} // namespace

class TestTransferEndToEnd : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void connect_uploadsDeviceMemory_thenLivePressureWidensWindow_data();
    void connect_uploadsDeviceMemory_thenLivePressureWidensWindow();
    void autoCalThenDownload_deviceMemoryEqualsProgramSet_data();
    void autoCalThenDownload_deviceMemoryEqualsProgramSet();

private:
    void lineFaults_data();
    void startDevice(const QStringList& extra);
    void openWindow();
    // Connect, the upload to "Waiting for data", then live pressure over a whole stroke.
    void connectAndWatchAStroke();

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<SimulatedDevice> m_device;
    std::unique_ptr<RecordingMessageBoxes> m_messages;
    std::unique_ptr<FrmPressureMonitor> m_window;
    std::unique_ptr<TickRecorder> m_ticks;
};

void TestTransferEndToEnd::init()
{
    ModVars.reset();
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_messages = std::make_unique<RecordingMessageBoxes>();
}

void TestTransferEndToEnd::cleanup()
{
    m_ticks.reset();
    m_window.reset();
    if (m_device) {
        m_device->hangUp();
        QVERIFY2(m_device->waitForExit(Deadline), "vorta-devsim did not end cleanly");
    }
    m_device.reset();
    m_messages.reset();
    m_dir.reset();
    ModVars.reset();
}

// The same runs over a clean line and over lines that lose, spoil, add and repeat bytes.
void TestTransferEndToEnd::lineFaults_data()
{
    QTest::addColumn<QStringList>("faults");
    QTest::newRow("clean line") << QStringList();
    QTest::newRow("noise") << QStringList{QStringLiteral("--noise-rate"), QStringLiteral("300")};
    // A write whose acknowledgement is lost is sent again only when other bytes arrive, so
    // this line also carries some noise.
    QTest::newRow("dropped answers")
        << QStringList{QStringLiteral("--drop"), QStringLiteral("0.3"),
                       QStringLiteral("--noise-rate"), QStringLiteral("100")};
    QTest::newRow("corrupted checksums")
        << QStringList{QStringLiteral("--corrupt"), QStringLiteral("0.3")};
    QTest::newRow("duplicated acknowledgements") << QStringList{QStringLiteral("--duplicate-acks")};
    QTest::newRow("all faults") << QStringList{
        QStringLiteral("--noise-rate"),    QStringLiteral("200"),
        QStringLiteral("--drop"),          QStringLiteral("0.2"),
        QStringLiteral("--corrupt"),       QStringLiteral("0.2"),
        QStringLiteral("--duplicate-acks")};
}

void TestTransferEndToEnd::startDevice(const QStringList& extra)
{
    m_device = std::make_unique<SimulatedDevice>();
    QString error;
    QVERIFY2(m_device->start(SimulatedDevice::valuesArguments(DeviceMemory) + PressureProfile +
                                 QStringList{QStringLiteral("--seed"), QStringLiteral("11")} +
                                 extra,
                             Deadline, error),
             qPrintable(error));
}

void TestTransferEndToEnd::openWindow()
{
    PortNames names;
    names.setOverride(1, m_device->path());
    m_window =
        std::make_unique<FrmPressureMonitor>(std::make_unique<QSerialPortLink>(names), *m_messages);
    m_ticks = std::make_unique<TickRecorder>(*m_window);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
}

void TestTransferEndToEnd::connectAndWatchAStroke()
{
    FrmPressureMonitor& w = *m_window;
    QVERIFY(w.CmdConnect->isEnabled());
    QTest::mouseClick(w.CmdConnect, Qt::LeftButton);
    m_ticks->noteStatus();
    QCOMPARE(m_ticks->statuses.last(), QStringLiteral("Connecting"));

    QTRY_VERIFY_WITH_TIMEOUT(m_ticks->sawStatus(QStringLiteral("Waiting for data")), Deadline);
    QCOMPARE(m_ticks->statusesFrom(UploadStatuses.first()).mid(0, UploadStatuses.size()),
             UploadStatuses);

    const CommState& comm = w.commState();
    QTRY_VERIFY_WITH_TIMEOUT(
        comm.MaxPressure >= HighestReading - 4 && comm.MinPressure <= LowestReading + 4, Deadline);
}

void TestTransferEndToEnd::connect_uploadsDeviceMemory_thenLivePressureWidensWindow_data()
{
    lineFaults_data();
}

void TestTransferEndToEnd::connect_uploadsDeviceMemory_thenLivePressureWidensWindow()
{
    QFETCH(QStringList, faults);
    startDevice(faults);
    openWindow();
    connectAndWatchAStroke();
    if (QTest::currentTestFailed())
        return;
    FrmPressureMonitor& w = *m_window;

    QCOMPARE(SimulatedDevice::describe(programSet()), SimulatedDevice::describe(DeviceMemory));
    for (int row = 1; row <= ParameterCount; ++row) {
        const Parameter p = GridRows[static_cast<std::size_t>(row - 1)].parameter;
        QCOMPARE(w.SpdEEPROM->cellText(row), QString::number(DeviceMemory.value(p)));
    }
    QCOMPARE(w.GaugeStaticTrip->needleValue(), double(DeviceMemory.StaticTripSP));
    QCOMPARE(w.GaugeCountTrip->needleValue(), double(DeviceMemory.CountTripSP));
    QCOMPARE(w.GaugeDynamicTrip->needleValue(), double(DeviceMemory.DynamicTripSP));

    QVERIFY(!m_ticks->pressures.isEmpty());
    for (int pressure : std::as_const(m_ticks->pressures)) {
        QVERIFY2(pressure >= LowestReading && pressure <= HighestReading,
                 qPrintable(QString::number(pressure)));
    }
    // The window only ever widens, stays within the profile, and grows over several ticks.
    const auto& windows = m_ticks->pressureWindows;
    for (qsizetype i = 1; i < windows.size(); ++i) {
        QVERIFY(windows[i].first >= windows[i - 1].first);
        QVERIFY(windows[i].second <= windows[i - 1].second);
    }
    const auto firstSeen = std::find_if(windows.begin(), windows.end(),
                                        [](const QPair<int, int>& w) { return w.first > 0; });
    QVERIFY(firstSeen != windows.end());
    QVERIFY(firstSeen->first - firstSeen->second < windows.last().first - windows.last().second);
    QVERIFY(windows.last().first <= HighestReading);
    QVERIFY(windows.last().second >= LowestReading);

    QVERIFY(w.LblStatus->text().startsWith(QLatin1String("Pressure = ")));
    QCOMPARE(w.PrgComm->value(), 100);
    QVERIFY(w.CmdDownload->isEnabled());
    QVERIFY(!w.CmdConnect->isEnabled());
    QVERIFY(w.TmrComm.isActive());
    QVERIFY2(m_messages->shown.isEmpty(), qPrintable(m_messages->texts().join(u'|')));
}

void TestTransferEndToEnd::autoCalThenDownload_deviceMemoryEqualsProgramSet_data()
{
    lineFaults_data();
}

void TestTransferEndToEnd::autoCalThenDownload_deviceMemoryEqualsProgramSet()
{
    QFETCH(QStringList, faults);
    const QString dump = m_dir->filePath(QStringLiteral("memory.txt"));
    startDevice(faults +
                QStringList{QStringLiteral("--dump"), dump, QStringLiteral("--dump-on-write")});
    openWindow();
    connectAndWatchAStroke();
    if (QTest::currentTestFailed())
        return;
    FrmPressureMonitor& w = *m_window;

    // Auto Cal leaves these three alone; the technician types new ones into the grid, so
    // that every one of the nine has to be written for the device to match.
    QVERIFY(w.SpdEEPROM->enterText(1, QStringLiteral("2345678")));
    QVERIFY(w.SpdEEPROM->enterText(2, QStringLiteral("3456789")));
    QVERIFY(w.SpdEEPROM->enterText(5, QStringLiteral("17")));
    QTest::mouseClick(w.CmdAutoSet, Qt::LeftButton);
    QVERIFY2(m_messages->shown.isEmpty(), qPrintable(m_messages->texts().join(u'|')));
    const ParameterSet written = programSet();
    for (int i = 0; i < ParameterCount; ++i) {
        const auto p = static_cast<Parameter>(i);
        QVERIFY2(written.value(p) != DeviceMemory.value(p),
                 qPrintable(SimulatedDevice::parameterName(p)));
    }
    const int maxBefore = w.commState().MaxPressure;
    const int minBefore = w.commState().MinPressure;

    m_ticks->clear();
    QVERIFY(w.CmdDownload->isEnabled());
    QTest::mouseClick(w.CmdDownload, Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(m_ticks->sawStatus(QStringLiteral("Download Complete")), Deadline);

    const auto memory = SimulatedDevice::readDump(dump);
    QVERIFY(memory);
    QCOMPARE(SimulatedDevice::describe(*memory), SimulatedDevice::describe(written));

    // Every row went out, in order, and no batch moved the download on by more than one row.
    QCOMPARE(m_ticks->statusRun(QStringLiteral("Writing ")), WriteStatuses);
    const QList<int>& states = m_ticks->writeStates;
    QVERIFY(!states.isEmpty());
    for (qsizetype i = 1; i < states.size(); ++i) {
        QVERIFY2(
            states[i] == states[i - 1] || states[i] == states[i - 1] + 1,
            qPrintable(QStringLiteral("row %1 after row %2").arg(states[i]).arg(states[i - 1])));
    }
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

QTEST_MAIN(TestTransferEndToEnd)
#include "tst_TransferEndToEnd.moc"
