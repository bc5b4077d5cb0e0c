#include "FrmPressureMonitor.h"
#include "PortNames.h"
#include "QSerialPortLink.h"
#include "RecordingMessageBoxes.h"
#include "SimulatedDevice.h"
#include "TickRecorder.h"

#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <memory>
#include <termios.h>
#include <unistd.h>

namespace {

// Generous for a sanitizer build on a busy machine; a run normally takes a few seconds.
constexpr int Deadline = 30000;
// Long enough for several ticks of either interval, for a second report to show up.
constexpr int SettleMs = 300;

const QString CommError = QStringLiteral("A Comm Port Error Has Occured");

const ParameterSet FirstDevice{1234567, 7654321, 4242, 90, 200, 91, 92, 40000, 65535};
const ParameterSet SecondDevice{8765432, 2345678, 99, 33, 7, 44, 55, 1000, 2000};

const QByteArray FirstReadRequest("\x80\x04\x00\x7C", 4);

ParameterSet programSet()
{
    return static_cast<const ParameterSet&>(ModVars);
}

// A device that hears everything and never answers: the master of a pseudo-terminal that
// the test reads. The test keeps the slave open too, so the line stays up while the tool's
// port is closed.
class MuteLine
{
public:
    MuteLine()
    {
        m_master = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        char name[128] = {};
        if (m_master < 0 || ::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0 ||
            ::ptsname_r(m_master, name, sizeof name) != 0)
            return;
        m_slave = ::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        termios raw{};
        if (m_slave >= 0 && ::tcgetattr(m_slave, &raw) == 0) {
            ::cfmakeraw(&raw);
            ::tcsetattr(m_slave, TCSANOW, &raw);
            m_path = QString::fromLocal8Bit(name);
        }
    }
    ~MuteLine()
    {
        if (m_slave >= 0)
            ::close(m_slave);
        if (m_master >= 0)
            ::close(m_master);
    }
    MuteLine(const MuteLine&) = delete;
    MuteLine& operator=(const MuteLine&) = delete;

    QString path() const { return m_path; }

    // Everything the tool has sent so far.
    const QByteArray& heard()
    {
        char chunk[1024];
        for (;;) {
            const ssize_t n = ::read(m_master, chunk, sizeof chunk);
            if (n > 0)
                m_heard.append(chunk, n);
            else if (!(n < 0 && errno == EINTR))
                break;
        }
        return m_heard;
    }

private:
    int m_master = -1;
    int m_slave = -1;
    QString m_path;
    QByteArray m_heard;
};

} // namespace

class TestLostLineEndToEnd : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void hangUp_oneMessageButtonsBack_thenConnectWorksAgain_data();
    void hangUp_oneMessageButtonsBack_thenConnectWorksAgain();
    void silentDevice_uploadWaitsOnFirstStep_untilDisconnect();

private:
    SimulatedDevice* startDevice(const ParameterSet& memory);
    // Comm Port 1 is a link in the test's folder, as a udev name is for a USB adapter: a
    // device plugged in again gets a new terminal, and the link follows it.
    void pointPortAt(const QString& device);
    void openWindow(const QString& port1Device);
    void clickConnectAndUpload();

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_port;
    std::vector<std::unique_ptr<SimulatedDevice>> m_devices;
    std::unique_ptr<RecordingMessageBoxes> m_messages;
    std::unique_ptr<FrmPressureMonitor> m_window;
    std::unique_ptr<TickRecorder> m_ticks;
};

void TestLostLineEndToEnd::init()
{
    ModVars.reset();
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_port = m_dir->filePath(QStringLiteral("ttyVORTA"));
    m_messages = std::make_unique<RecordingMessageBoxes>();
}

void TestLostLineEndToEnd::cleanup()
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

SimulatedDevice* TestLostLineEndToEnd::startDevice(const ParameterSet& memory)
{
    m_devices.push_back(std::make_unique<SimulatedDevice>());
    QString error;
    if (!m_devices.back()->start(SimulatedDevice::valuesArguments(memory), Deadline, error)) {
        qWarning("%s", qPrintable(error));
        return nullptr;
    }
    return m_devices.back().get();
}

void TestLostLineEndToEnd::pointPortAt(const QString& device)
{
    QFile::remove(m_port);
    QVERIFY(QFile::link(device, m_port));
}

void TestLostLineEndToEnd::openWindow(const QString& port1Device)
{
    PortNames names;
    names.setOverride(1, port1Device);
    m_window =
        std::make_unique<FrmPressureMonitor>(std::make_unique<QSerialPortLink>(names), *m_messages);
    m_ticks = std::make_unique<TickRecorder>(*m_window);
    m_window->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
}

void TestLostLineEndToEnd::clickConnectAndUpload()
{
    m_ticks->clear();
    QVERIFY(m_window->CmdConnect->isEnabled());
    QTest::mouseClick(m_window->CmdConnect, Qt::LeftButton);
    QTRY_VERIFY_WITH_TIMEOUT(m_ticks->sawStatus(QStringLiteral("Waiting for data")), Deadline);
    QTRY_VERIFY_WITH_TIMEOUT(!m_ticks->pressures.isEmpty(), Deadline);
}

void TestLostLineEndToEnd::hangUp_oneMessageButtonsBack_thenConnectWorksAgain_data()
{
    QTest::addColumn<bool>("duringDownload");
    QTest::newRow("live stream") << false;
    QTest::newRow("download") << true;
}

void TestLostLineEndToEnd::hangUp_oneMessageButtonsBack_thenConnectWorksAgain()
{
    QFETCH(bool, duringDownload);
    SimulatedDevice* first = startDevice(FirstDevice);
    QVERIFY(first);
    pointPortAt(first->path());
    openWindow(m_port);
    clickConnectAndUpload();
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
    QCOMPARE(m_messages->texts(), QStringList{CommError});
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

    SimulatedDevice* second = startDevice(SecondDevice);
    QVERIFY(second);
    pointPortAt(second->path());
    clickConnectAndUpload();
    if (QTest::currentTestFailed())
        return;
    QCOMPARE(SimulatedDevice::describe(programSet()), SimulatedDevice::describe(SecondDevice));
    QVERIFY(w.TmrComm.isActive());
    QCOMPARE(m_messages->shown.size(), qsizetype(1));
}

void TestLostLineEndToEnd::silentDevice_uploadWaitsOnFirstStep_untilDisconnect()
{
    MuteLine line;
    QVERIFY(!line.path().isEmpty());
    openWindow(line.path());
    FrmPressureMonitor& w = *m_window;
    const CommState& comm = w.commState();

    QTest::mouseClick(w.CmdConnect, Qt::LeftButton);
    // The first request again and again, one a tick and nothing else.
    QTRY_VERIFY_WITH_TIMEOUT(line.heard().size() >= 10 * FirstReadRequest.size(), Deadline);
    const QByteArray heard = line.heard();
    QCOMPARE(heard, FirstReadRequest.repeated(heard.size() / FirstReadRequest.size()));
    QCOMPARE(w.LblStatus->text(), QStringLiteral("Uploading SDC"));
    QCOMPARE(comm.CommAction, std::int16_t(0));
    QCOMPARE(comm.CommCount, std::int16_t(0));
    QCOMPARE(w.PrgComm->value(), 0);
    QVERIFY(w.TmrComm.isActive());
    QVERIFY(!w.CmdConnect->isEnabled());
    QVERIFY(!w.CmdDownload->isEnabled());

    QTest::mouseClick(w.CmdDisconnect, Qt::LeftButton);
    QCOMPARE(w.LblStatus->text(), QStringLiteral("Disconnected"));
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

QTEST_MAIN(TestLostLineEndToEnd)
#include "tst_LostLineEndToEnd.moc"
