#include "PortFailure.h"
#include "PortNames.h"
#include "TestSupport.h"

#include <QCommandLineParser>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

class TestPortChoice : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Comm Port 1 and 2 as their tooltips name them, then the menu of Comm Port 1 with its
    // current device marked.
    void defaultsAndMenu_builtInFirstThenAdaptersByStableName_data()
    {
        QTest::addColumn<QList<PortDescription>>("ports");
        QTest::addColumn<QStringList>("shown");
        const QString idA = u"/dev/serial/by-id/usb-A"_s, idB = u"/dev/serial/by-id/usb-B"_s;
        const PortDescription com1{u"/dev/ttyS0"_s, {}, u"16550A"_s, {}, {}, true};
        const PortDescription a{u"/dev/ttyUSB1"_s, idA, u"FT232R"_s, u"FTDI"_s, u"A"_s};
        const PortDescription b{u"/dev/ttyUSB0"_s, idB, {}, {}, {}};
        const QString menuA = idA + u" (ttyUSB1) - FT232R, FTDI, A"_s;
        const QString menuB = idB + u" (ttyUSB0)"_s, labelA = idA + u" (ttyUSB1)"_s;
        const QString absent0 = u"/dev/ttyS0 (not present)"_s;
        const QString absent1 = u"/dev/ttyS1 (not present)"_s;
        QTest::newRow("none") << QList<PortDescription>()
                              << QStringList{absent0, absent1, u"* "_s + absent0};
        QTest::newRow("one adapter") << QList{b} << QStringList{menuB, absent1, u"* "_s + menuB};
        QTest::newRow("COM1 and an adapter")
            << QList{a, com1}
            << QStringList{u"/dev/ttyS0"_s, labelA, u"* /dev/ttyS0 - 16550A"_s, menuA};
        const PortDescription gone{u"/dev/vorta9"_s, {}, u"extra"_s, {}, {}, false, true};
        QTest::newRow("an absent extra")
            << QList{gone, b}
            << QStringList{menuB, absent1, u"* "_s + menuB, u"/dev/vorta9 (not present) - extra"_s};
        QTest::newRow("two adapters")
            << QList{b, a} << QStringList{labelA, menuB, u"* "_s + menuA, menuB};
    }

    void defaultsAndMenu_builtInFirstThenAdaptersByStableName()
    {
        QFETCH(QList<PortDescription>, ports);
        QFETCH(QStringList, shown);
        const PortNames names([ports] { return ports; }, nullptr);
        QStringList seen{names.describe(1), names.describe(2)};
        for (const PortMenuEntry& entry : names.menu(1))
            seen.append((entry.checked ? u"* "_s : QString()) + entry.text);
        QCOMPARE(seen, shown);
    }

    // A choice outlives the program and replaces a device given for the run, which itself is
    // never remembered; a serial server is named as one, never as absent.
    void choice_rememberedAcrossRestarts_overrideOnlyForItsRun()
    {
        QTemporaryDir dir;
        const auto start = [&] {
            return PortNames(
                {}, std::make_unique<QSettings>(dir.filePath(u"p.ini"_s), QSettings::IniFormat));
        };
        start().choose(2, u"/dev/ttyACM0"_s);
        QCOMPARE(start().selectedPort(), 1);
        start().select(2);
        QCOMPARE(start().selectedPort(), 2);
        PortNames run = start();
        run.setOverride(2, u"/dev/pts/7"_s);
        QCOMPARE(run.deviceFor(2) + start().deviceFor(2), u"/dev/pts/7/dev/ttyACM0"_s);
        run.choose(2, u"rfc2217://press-7:4001"_s);
        QCOMPARE(start().describe(2), u"rfc2217://press-7:4001 (serial server)"_s);
        run.choose(2, u"/dev/ttyUSB3"_s);
        QCOMPARE(run.deviceFor(2) + start().deviceFor(1), u"/dev/ttyUSB3/dev/ttyS0"_s);

        QCommandLineParser parser;
        PortNames::addOptions(parser);
        QVERIFY(parser.parse({u"vorta-cal"_s, u"--port1"_s, u"/dev/pts/3"_s}));
        PortNames given = start();
        given.setOverrides(parser);
        QCOMPARE(given.deviceFor(1) + given.deviceFor(2), u"/dev/pts/3/dev/ttyUSB3"_s);
    }

    void failureCause_namesDeviceReasonAndWayOut_data()
    {
        QTest::addColumn<QString>("cause");
        QTest::addColumn<QString>("expected");
        const QString usb0 = u"/dev/ttyUSB0"_s;
        QTest::newRow("owned by another group")
            << openFailureCause(usb0, u"Permission denied"_s, {true, false, u"uucp"_s, true, {}})
            << u"/dev/ttyUSB0 (Permission denied): it belongs to the group \"uucp\". Join the "
               "group with\n\nsudo usermod -aG uucp $USER\n\nthen log out and back in."_s;
        QTest::newRow("owner's alone")
            << openFailureCause(u"/dev/ttyS0"_s, u"Permission denied"_s,
                                {true, false, u"root"_s, false, u"root"_s})
            << u"Only its owner \"root\" may open /dev/ttyS0 (Permission denied). An administrator "
               "can give it to the serial group with a udev rule; then join that group."_s;
        QTest::newRow("missing") << openFailureCause(usb0, u"No such file"_s,
                                                     {false, false, {}, true, {}})
                                 << u"/dev/ttyUSB0 is not present (No such file). Plug in"_s;
        QTest::newRow("hung up") << lostLineCause(usb0, u"I/O error"_s)
                                 << u"/dev/ttyUSB0 went away during use (I/O error)"_s;
    }

    void failureCause_namesDeviceReasonAndWayOut()
    {
        QFETCH(QString, cause);
        QFETCH(QString, expected);
        QVERIFY2(cause.contains(expected), qPrintable(cause));
    }

    // Without a display the answer must come before the window system is reached.
    void help_withoutADisplay_listsThePortOptions()
    {
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            qunsetenv(name);
        QProcess program;
        program.start(QStringLiteral(VORTA_CAL_PATH), {u"--help"_s});
        QVERIFY(program.waitForFinished(60000));
        QCOMPARE(program.exitCode(), 0);
        QVERIFY(program.readAllStandardOutput().contains("--port1 <device>"));
    }

    // A log that cannot be written is named on standard error and the window opens anyway.
    void unwritableLog_isReportedAndTheProgramRuns()
    {
        QProcess program;
        program.start(QStringLiteral(VORTA_CAL_PATH),
                      {u"--log"_s, u"/nonexistent/x"_s, u"-platform"_s, u"offscreen"_s});
        QByteArray said;
        QTRY_VERIFY_WITH_TIMEOUT(
            (said += program.readAllStandardError()).contains("log /nonexistent/x"), 60000);
        QVERIFY(!program.waitForFinished(1000));
        program.kill();
        program.waitForFinished();
    }
};

QTEST_GUILESS_MAIN(TestPortChoice)
#include "tst_PortChoice.moc"
