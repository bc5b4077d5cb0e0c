#include "DosPathMapper.h"
#include "ParamFileFormat.h"
#include "ParamFileOperations.h"
#include "ParameterTable.h"
#include "RecordingMessageBoxes.h"
#include "TestSupport.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <vector>

namespace {
constexpr int Deadline = 20000;
const QString ExampleList = u"5000,4500,1234,45,10,60,50,3,0"_s;
} // namespace

class TestCommandLine : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    std::vector<std::unique_ptr<QProcess>> m_devices;

    // A simulated device holding the example values, or with the extra options; its terminal.
    QString startDevice(const QString& options = {})
    {
        auto device = std::make_unique<QProcess>();
        device->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        device->start(
            QStringLiteral(VORTA_DEVSIM_PATH),
            (u"--values "_s + ExampleList + u' ' + options).split(u' ', Qt::SkipEmptyParts));
        if (!QTest::qWaitFor([&] { return device->canReadLine(); }, Deadline))
            return {};
        const QString path = QString::fromLocal8Bit(device->readLine()).trimmed();
        m_devices.push_back(std::move(device));
        return path;
    }

    struct Run
    {
        int code;
        QString out;
        QString err;
    };

    static Run run(const QStringList& arguments)
    {
        QProcess program;
        program.start(QStringLiteral(VORTA_CAL_PATH), arguments);
        program.waitForFinished(Deadline);
        return {program.exitCode(), QString::fromLocal8Bit(program.readAllStandardOutput()),
                QString::fromLocal8Bit(program.readAllStandardError())};
    }

    QString file(const char* name, ParameterSet values)
    {
        const QString path = m_dir.filePath(QString::fromLatin1(name));
        writeFile(path, ParamFileFormat::contents(values, u"C:\\X.PRS"_s));
        return path;
    }

private Q_SLOTS:
    void cleanup()
    {
        for (const auto& device : m_devices) {
            device->terminate();
            device->waitForFinished();
        }
        m_devices.clear();
    }

    void subcommand_endsWithItsExitCode_data()
    {
        QTest::addColumn<QString>("device");
        QTest::addColumn<QString>("arguments");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("told");
        ParameterSet other = exampleValues();
        other.StaticTripSP = 50;
        const QString same = file("SAME.PRS", exampleValues());
        const QString differing = file("OTHER.PRS", other);
        QTest::newRow("read, clean")
            << QString() << u"read PORT"_s << 0 << u"Static Trip Pressure"_s;
        QTest::newRow("verify, equal")
            << QString() << u"verify "_s + same + u" PORT"_s << 0 << u"equal"_s;
        QTest::newRow("verify, differing")
            << QString() << u"verify "_s + differing + u" PORT"_s << 1 << u"Static Trip Pressure"_s;
        QTest::newRow("write, read back equal")
            << QString() << u"write "_s + differing + u" PORT --json"_s << 0
            << u"\"outcome\":\"written, read back equal\""_s;
        QTest::newRow("write with a report, one row stored wrong")
            << u"--store-wrong 3"_s
            << u"write "_s + differing + u" PORT --report "_s + m_dir.filePath(u"R.pdf"_s) +
                   u" --press 7 --technician AR"_s
            << 1 << u"written 50, the device holds 51"_s;
        QTest::newRow("write, dry run")
            << QString() << u"write --dry-run "_s + differing + u" PORT"_s << 1
            << u"would change"_s;
        QTest::newRow("diff of two files")
            << QString() << u"diff "_s + same + u' ' + differing << 1 << u"45"_s;
        QTest::newRow("watch") << QString() << u"watch PORT --seconds 3"_s << 0 << u" window "_s;
        QTest::newRow("watch, recording to standard output")
            << QString() << u"watch PORT --seconds 3 --csv -"_s << 0 << u"Z,,Upload done\n"_s;
        QTest::newRow("silent device") << u"--silent"_s << u"read PORT --timeout 0.5"_s << 3
                                       << u"no answer to the read of Overcount S.P."_s;
        QTest::newRow("device gone mid-write")
            << u"--hangup-after 0.6"_s << u"write "_s + differing + u" PORT"_s << 3
            << u"rows written"_s;
        QTest::newRow("missing device")
            << QString() << u"read /dev/vorta-missing"_s << 3 << u"/dev/vorta-missing"_s;
        QTest::newRow("bad file") << QString() << u"verify /nowhere/P.PRS PORT"_s << 4
                                  << u"/nowhere/P.PRS"_s;
        QTest::newRow("unknown option")
            << QString() << u"read PORT --frobnicate"_s << 2 << u"frobnicate"_s;
        QTest::newRow("several ports without {port}")
            << QString() << u"read PORT PORT -o X.PRS"_s << 2 << u"{port}"_s;
    }

    void subcommand_endsWithItsExitCode()
    {
        QFETCH(QString, device);
        QFETCH(QString, arguments);
        QFETCH(int, code);
        QFETCH(QString, told);
        const QString port = arguments.contains(u"PORT"_s) ? startDevice(device) : QString();
        const Run result = run(QString(arguments).replace(u"PORT"_s, port).split(u' '));
        QString said = result.out + result.err;
        if (arguments.contains(u"--report"_s)) {
            QProcess text;
            text.start(u"pdftotext"_s, {m_dir.filePath(u"R.pdf"_s), u"-"_s});
            QVERIFY(text.waitForFinished(Deadline) && text.exitCode() == 0);
            said += QString::fromUtf8(text.readAllStandardOutput());
            for (const ParameterInfo& info : parameterTable())
                QVERIFY2(said.contains(QString::fromLatin1(info.grid.caption)), qPrintable(said));
        }
        QVERIFY2(said.contains(told), qPrintable(said));
        QCOMPARE(result.code, code);
    }

    void readThreeDevices_oneFails_othersWrittenAndExit3()
    {
        const QString first = startDevice();
        const QString second = startDevice();
        const QString pattern = m_dir.filePath(u"{port}.PRS"_s);
        const QString log = m_dir.filePath(u"three.log"_s);
        const Run result = run(
            {u"read"_s, first, u"/dev/vorta-missing"_s, second, u"-o"_s, pattern, u"--log"_s, log});
        QCOMPARE(result.code, 3);
        QVERIFY(result.err.contains(u"/dev/vorta-missing"_s));
        for (const QString& port : {first, second})
            QVERIFY(fileContents(log).contains((u"TX "_s + port + u": 80 04 00 7C"_s).toUtf8()));
        for (const QString& port : {first, second}) {
            const QString written =
                QString(pattern).replace(u"{port}"_s, QFileInfo(port).fileName());
            QFile in(written);
            QVERIFY2(in.open(QIODevice::ReadOnly), qPrintable(written));
            QCOMPARE(ParamFileFormat::read(in, {}).values, exampleValues());
        }
    }

    void readToFile_equalsWhatSaveFileWrites()
    {
        const QString path = m_dir.filePath(u"PRESS1.PRS"_s);
        QCOMPARE(run({u"read"_s, startDevice(), u"-o"_s, path}).code, 0);
        const QByteArray written = fileContents(path);
        QVERIFY(QFile::remove(path));
        ParameterModule vars;
        static_cast<ParameterSet&>(vars) = exampleValues();
        const DosPathMapper mapper = DosPathMapper::forThisHost();
        vars.ParamFileName = mapper.toDos(path);
        RecordingMessageBoxes messages;
        ParamFileOperations operations(vars, messages, mapper);
        QVERIFY(operations.CheckSavePath());
        QCOMPARE(written, fileContents(path));
    }
};

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_CommandLine.moc"
