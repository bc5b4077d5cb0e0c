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
    std::unique_ptr<QProcess> m_device;
    std::unique_ptr<RecordingMessageBoxes> m_messages;
    std::unique_ptr<FrmPressureMonitor> m_window;

    // Starts vorta-devsim with this memory and points Comm Port 1 at the terminal it names
    // on its first line. The port is a link in the test's folder, as a udev name is for a USB
    // adapter.
    bool startDevice(const ParameterSet& memory, const QStringList& options)
    {
        m_device = std::make_unique<QProcess>();
        QProcess& device = *m_device;
        device.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        QStringList values;
        for (int i = 0; i < ParameterCount; ++i)
            values.append(QString::number(memory.value(Parameter(i))));
        device.start(QStringLiteral(VORTA_DEVSIM_PATH),
                     QStringList{u"--values"_s, values.join(u',')} + PressOptions + options);
        return QTest::qWaitFor([&] { return device.canReadLine(); }, Deadline) &&
               QFile::link(QString::fromLocal8Bit(device.readLine()).trimmed(), m_port);
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
        if (m_device) {
            m_device->terminate(); // hangs up the line, writes the dump and exits
            QVERIFY2(m_device->waitForFinished(Deadline) && m_device->exitCode() == 0,
                     "vorta-devsim did not end cleanly");
        }
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
        QVERIFY2(m_messages->shown.isEmpty(), qPrintable(m_messages->texts.join(u'|')));
    }
};

QTEST_MAIN(TestTransferEndToEnd)
#include "tst_TransferEndToEnd.moc"
