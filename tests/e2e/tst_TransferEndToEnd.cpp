#include "DeviceMemory.h"
#include "FrmPressureMonitor.h"
#include "QSerialPortLink.h"
#include "RecordingMessageBoxes.h"
#include "SpreadGrid.h"
#include "TestSupport.h"

#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <memory>

namespace {

// Generous for a sanitizer build on a busy machine; a run normally takes a few seconds.
constexpr int Deadline = 30000;

// Every value distinct, the counts with every data byte in use.
const ParameterSet FirstDevice{1234567, 7654321, 4242, 90, 200, 91, 92, 40000, 65535};
const ParameterSet SecondDevice{8765432, 2345678, 99, 33, 7, 44, 55, 1000, 2000};

// Quick strokes from 20 to 75 PSI and repeatable noise of 1 PSI either way.
const QStringList PressOptions =
    u"--base 20 --peak 75 --noise 1 --period 1 --seed 11"_s.split(u' ');

ParameterSet programSet()
{
    return static_cast<const ParameterSet&>(ModVars);
}

} // namespace

class TestTransferEndToEnd : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_port;
    std::vector<std::unique_ptr<QProcess>> m_devices;
    std::unique_ptr<RecordingMessageBoxes> m_messages;
    std::unique_ptr<FrmPressureMonitor> m_window;

    // Starts vorta-devsim with this memory and points Comm Port 1 at the terminal it names
    // on its first line. The port is a link in the test's folder, as a udev name is for a USB
    // adapter: a device plugged in again gets a new terminal, and the link follows it.
    QProcess* startDevice(const ParameterSet& memory, const QStringList& options = {})
    {
        QProcess& device = *m_devices.emplace_back(std::make_unique<QProcess>());
        device.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        QStringList values;
        for (int i = 0; i < ParameterCount; ++i)
            values.append(QString::number(memory.value(Parameter(i))));
        device.start(QStringLiteral(VORTA_DEVSIM_PATH),
                     QStringList{u"--values"_s, values.join(u',')} + PressOptions + options);
        if (!QTest::qWaitFor([&] { return device.canReadLine(); }, Deadline))
            return nullptr;
        QFile::remove(m_port);
        return QFile::link(QString::fromLocal8Bit(device.readLine()).trimmed(), m_port) ? &device
                                                                                        : nullptr;
    }

    // Connect and the upload, up to the first pressure shown.
    void connectAndUpload()
    {
        QTest::mouseClick(m_window->CmdConnect, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(m_window->LblStatus->text().startsWith(u"Pressure = "_s),
                                 Deadline);
    }

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
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    }

    void cleanup()
    {
        m_window.reset();
        for (const auto& device : m_devices) {
            device->terminate(); // hangs up the line, writes the dump and exits
            const bool ended =
                device->state() == QProcess::NotRunning || device->waitForFinished(Deadline);
            QVERIFY2(ended && device->exitCode() == 0, "vorta-devsim did not end cleanly");
        }
        m_devices.clear();
        m_messages.reset();
        m_dir.reset();
    }

    // A clean line, and a line that loses, spoils, adds and repeats bytes. A write whose
    // acknowledgement is lost is sent again only when other bytes arrive.
    void connectAutoCalDownload_deviceAndProgramAgree_data()
    {
        QTest::addColumn<QStringList>("faults");
        QTest::newRow("clean line") << QStringList();
        QTest::newRow("all faults")
            << u"--noise-rate 200 --drop 0.2 --corrupt 0.2 --duplicate-acks"_s.split(u' ');
    }

    void connectAutoCalDownload_deviceAndProgramAgree()
    {
        QFETCH(QStringList, faults);
        const QString dump = m_dir->filePath(u"memory.txt"_s);
        QVERIFY(startDevice(FirstDevice,
                            faults + QStringList{u"--dump-on-write"_s, u"--dump"_s, dump}));
        connectAndUpload();
        FrmPressureMonitor& w = *m_window;
        QCOMPARE(programSet(), FirstDevice);
        QCOMPARE(w.SpdEEPROM->cellText(9), u"65535"_s);

        // A whole stroke widens the window to the profile and, noise included, no further.
        const CommState& comm = w.commState();
        QTRY_VERIFY_WITH_TIMEOUT(comm.MaxPressure >= 72 && comm.MinPressure <= 23, Deadline);
        QVERIFY(comm.MaxPressure <= 76 && comm.MinPressure >= 19);

        // Auto Cal leaves these three alone; typed into the grid, they make all nine differ.
        QVERIFY(w.SpdEEPROM->enterText(1, u"2345678"_s));
        QVERIFY(w.SpdEEPROM->enterText(2, u"3456789"_s));
        QVERIFY(w.SpdEEPROM->enterText(5, u"17"_s));
        QTest::mouseClick(w.CmdAutoSet, Qt::LeftButton);
        const ParameterSet written = programSet();
        for (int i = 0; i < ParameterCount; ++i)
            QVERIFY(written.value(Parameter(i)) != FirstDevice.value(Parameter(i)));

        QTest::mouseClick(w.CmdDownload, Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(fileContents(dump), DeviceMemory(written).dumpText(), Deadline);
        QTRY_COMPARE_WITH_TIMEOUT(comm.CommAction, std::int16_t(1), Deadline);
        QCOMPARE(w.PrgComm->value(), 100);
        QVERIFY(w.CmdDownload->isEnabled());
        QVERIFY(!w.CmdConnect->isEnabled());
        // The live stream resumes.
        QTRY_VERIFY_WITH_TIMEOUT(w.LblStatus->text().startsWith(u"Pressure = "_s), Deadline);
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
        QProcess* first = startDevice(FirstDevice);
        QVERIFY(first);
        connectAndUpload();
        FrmPressureMonitor& w = *m_window;
        const CommState& comm = w.commState();
        // Pulled out once a few rows have been written, from inside the tick that got there.
        const auto pull = connect(&w.TmrComm, &QTimer::timeout, this, [&] {
            if (!duringDownload || (comm.CommAction == 2 && comm.CommWriteState >= 2))
                first->terminate();
        });
        if (duringDownload)
            QTest::mouseClick(w.CmdDownload, Qt::LeftButton);

        QTRY_COMPARE_WITH_TIMEOUT(m_messages->shown.size(), qsizetype(1), Deadline);
        QObject::disconnect(pull);
        QTest::qWait(300); // several ticks of either interval, time for a second report
        QCOMPARE(m_messages->texts(), QStringList{u"A Comm Port Error Has Occured"_s});
        QCOMPARE(comm.CommAction, std::int16_t(duringDownload ? 2 : 1));
        QVERIFY(!w.TmrComm.isActive());
        QVERIFY(w.CmdConnect->isEnabled() && w.CmdDownload->isEnabled() && w.FrmComm->isEnabled());

        QVERIFY(startDevice(SecondDevice));
        connectAndUpload();
        QCOMPARE(programSet(), SecondDevice);
        QCOMPARE(m_messages->shown.size(), qsizetype(1));
    }
};

QTEST_MAIN(TestTransferEndToEnd)
#include "tst_TransferEndToEnd.moc"
