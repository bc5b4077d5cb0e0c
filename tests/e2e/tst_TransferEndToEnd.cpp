#include "DeviceMemory.h"
#include "FrmCalibrationRecord.h"
#include "FrmPressureMonitor.h"
#include "ParameterTable.h"
#include "QSerialPortLink.h"
#include "RecordingMessageBoxes.h"
#include "SpreadGrid.h"
#include "TestSupport.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

namespace {

// Generous for a sanitizer build on a busy machine; a run normally takes a few seconds.
constexpr int Deadline = 30000;

} // namespace

// The program's window and communication cycle on the real serial port, against the
// simulated device on a pseudo-terminal, in real time.
class TestTransferEndToEnd : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QProcess m_device;

private Q_SLOTS:
    void cleanup()
    {
        m_device.terminate(); // hangs up the line, writes the dump and exits
        QVERIFY2(m_device.waitForFinished(Deadline) && m_device.exitCode() == 0,
                 "vorta-devsim did not end cleanly");
    }

    // A clean line, and a line that loses, spoils, adds and repeats bytes. A write whose
    // acknowledgement is lost is sent again only when other bytes arrive.
    void connectAutoCalDownload_deviceAndProgramAgree_data()
    {
        QTest::addColumn<QString>("faults");
        QTest::newRow("clean line") << QString();
        QTest::newRow("all faults")
            << u"--noise-rate 200 --drop 0.2 --corrupt 0.2 --duplicate-acks"_s;
    }

    void connectAutoCalDownload_deviceAndProgramAgree()
    {
        QFETCH(QString, faults);
        // Every value distinct, the counts with every data byte in use; quick strokes from 20
        // to 75 PSI with repeatable noise of 1 PSI either way.
        const ParameterSet memory{1234567, 7654321, 4242, 90, 200, 91, 92, 40000, 65535};
        const QString dump = m_dir.filePath(u"memory.txt"_s);
        m_device.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_device.start(QStringLiteral(VORTA_DEVSIM_PATH),
                       (u"--values 1234567,7654321,4242,90,200,91,92,40000,65535 --base 20 "
                        "--peak 75 --noise 1 --period 1 --seed 11 --dump-on-write --dump "_s +
                        dump + u' ' + faults)
                           .split(u' ', Qt::SkipEmptyParts));
        QVERIFY(QTest::qWaitFor([&] { return m_device.canReadLine(); }, Deadline));
        // Comm Port 1 is a link in the test's folder, as a udev name is for a USB adapter.
        const QString port = m_dir.filePath(u"ttyVORTA"_s);
        QFile::remove(port);
        QVERIFY(QFile::link(QString::fromLocal8Bit(m_device.readLine()).trimmed(), port));
        PortNames names;
        names.setOverride(1, port);
        RecordingMessageBoxes messages;
        FrmPressureMonitor w(std::make_unique<QSerialPortLink>(names), messages);
        w.show();

        QTest::mouseClick(w.CmdConnect, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(w.LblStatus->text().startsWith(u"Pressure = "_s), Deadline);
        QCOMPARE(static_cast<const ParameterSet&>(w.ModVars), memory);
        // A whole stroke opens the pressure window that Auto Cal works from; the stream may
        // begin at any point of a stroke, near its top too.
        QTRY_VERIFY_WITH_TIMEOUT(w.commState().MaxPressure >= 72 && w.commState().MinPressure <= 23,
                                 Deadline);
        // Auto Cal leaves these three alone; typed into the grid, they make all nine differ.
        QVERIFY(w.SpdEEPROM->enterText(1, u"2345678"_s));
        QVERIFY(w.SpdEEPROM->enterText(2, u"3456789"_s));
        QVERIFY(w.SpdEEPROM->enterText(5, u"17"_s));
        QTest::mouseClick(w.CmdAutoSet, Qt::LeftButton);
        const ParameterSet written = w.ModVars;
        for (int i = 0; i < ParameterCount; ++i)
            QVERIFY(written.value(Parameter(i)) != memory.value(Parameter(i)));

        QTest::mouseClick(w.CmdDownload, Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(fileContents(dump), DeviceMemory(written).dumpText(), Deadline);
        QTRY_COMPARE_WITH_TIMEOUT(w.commState().CommAction, CommPhase::Live, Deadline);
        QVERIFY(w.CmdDownload->isEnabled() && !w.CmdConnect->isEnabled());
        QTRY_VERIFY_WITH_TIMEOUT(w.LblStatus->text().startsWith(u"Pressure = "_s), Deadline);
        QVERIFY2(messages.shown.isEmpty(), qPrintable(messages.texts.join(u'|')));
    }

    // The device acknowledges the static trip but stores it one off: the read-back finds it,
    // and the report's text holds the nine rows with the difference.
    void readBack_afterAStoredWrongWrite_namesTheRowInRecordAndReport()
    {
        m_device.start(QStringLiteral(VORTA_DEVSIM_PATH),
                       (u"--base 20 --peak 75 --period 1 --seed 11 --store-wrong 3"_s).split(u' '));
        QVERIFY(QTest::qWaitFor([&] { return m_device.canReadLine(); }, Deadline));
        PortNames names;
        names.setOverride(1, QString::fromLocal8Bit(m_device.readLine()).trimmed());
        RecordingMessageBoxes messages;
        FrmPressureMonitor w(std::make_unique<QSerialPortLink>(names), messages);
        w.show();
        QTest::mouseClick(w.CmdConnect, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(w.commState().MaxPressure >= 72 && w.commState().MinPressure <= 23,
                                 Deadline);
        QTest::mouseClick(w.CmdAutoSet, Qt::LeftButton);
        QTest::mouseClick(w.CmdDownload, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(w.LblStatus->text() == u"Download Complete"_s, Deadline);
        QTest::mouseClick(w.CmdRecord, Qt::LeftButton);
        QVERIFY(w.recordWindow()->CmdReadBack->isEnabled());
        QElapsedTimer readBack;
        readBack.start();
        QTest::mouseClick(w.recordWindow()->CmdReadBack, Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(w.LblStatus->text(), u"Read back: Static Trip Pressure differs"_s,
                                  Deadline);
        qInfo("read-back took %lld ms", readBack.elapsed());
        const std::int32_t written = w.ModVars.StaticTripSP;
        QTRY_VERIFY_WITH_TIMEOUT(!messages.shown.isEmpty(), Deadline);
        QVERIFY(messages.shown.last().details.contains(
            u"Static Trip Pressure: written %1, the device holds %2"_s.arg(written).arg(written +
                                                                                        1)));

        const QString pdf = m_dir.filePath(u"report.pdf"_s);
        QElapsedTimer writing;
        writing.start();
        QVERIFY(w.recordWindow()->saveReport(pdf));
        qInfo("the report took %lld ms", writing.elapsed());
        QProcess text;
        text.start(u"pdftotext"_s, {u"-layout"_s, pdf, u"-"_s});
        QVERIFY(text.waitForFinished(Deadline) && text.exitCode() == 0);
        const QString page = QString::fromUtf8(text.readAllStandardOutput());
        for (const RecordRow& row : w.record().rows())
            QVERIFY2(page.contains(QString::fromLatin1(parameterInfo(row.parameter).grid.caption)),
                     qPrintable(page));
        QVERIFY(page.contains(u"written %1, the device holds %2"_s.arg(written).arg(written + 1)));
        QVERIFY(!page.contains(u"not read back"_s));
    }
};

QTEST_MAIN(TestTransferEndToEnd)
#include "tst_TransferEndToEnd.moc"
