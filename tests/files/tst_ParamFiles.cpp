#include "DosPathMapper.h"
#include "ParamFileFormat.h"
#include "ParamFileOperations.h"
#include "PathRules.h"
#include "RecordingMessageBoxes.h"
#include "TestSupport.h"

#include <QBuffer>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using P = Parameter;

namespace {

// The example parameter file, byte for byte.
const QByteArray Example = "RX7130 PARAMETER ADJUSTING PROGRAM\r\n"
                           "Software Version 1.0.0\r\n"
                           "C:\\DATA\\PRESS1.PRS\r\n"
                           "**********************  PARAMETER DATA  *******************\r\n"
                           "Shut Down Count Set-Point,5000\r\n"
                           "Warning Count Set-Point,4500\r\n"
                           "Actual Count,1234\r\n"
                           "Static Trip Set-Point,45\r\n"
                           "Static Trip Timer,10\r\n"
                           "Dynamic Trip Set-Point,60\r\n"
                           "Count Trip Set-Point,50\r\n"
                           "Static Fault Count,3\r\n"
                           "Dynamic Fault Count,0\r\n";

// What the reader starts from: values no file in these tests holds, so a parameter left
// alone is easy to see.
const ParameterSet Untouched{7, 7, 7, 7, 7, 7, 7, 7, 7};

QList<QByteArray> exampleLines()
{
    return QByteArray(Example).replace("\r\n", "\n").chopped(1).split('\n');
}

QByteArray joined(const QList<QByteArray>& lines, const QByteArray& ending = "\r\n")
{
    return lines.join(ending) + ending;
}

ParameterSet exampleWith(Parameter p, std::int32_t value)
{
    ParameterSet values = exampleValues();
    values.assign(p, value);
    return values;
}

// The example file with one line replaced.
QByteArray exampleWithLine(int lineNumber, const QByteArray& text)
{
    QList<QByteArray> lines = exampleLines();
    lines[lineNumber - 1] = text;
    return joined(lines);
}

ParamFileFormat::ReadOutcome readBytes(const QByteArray& bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return ParamFileFormat::read(buffer, Untouched);
}

const QString FormatMessage = u"Please access file using Drive:\\Directory\\Filname.Ext format."_s;
const QString CreateError = u"Error in creating the file. Check filename and path."_s;
const QString ReplaceQuestion = u"Do you wish to replace existing file?"_s;
const QString SaveComplete = u"File Save Complete."_s;
const QString ReadFailed = u"Error Occured During File Read."_s;
const QString NoSuchFile = u"The Specified File Does Not Exist."_s;
const QString NoSuchFolder = u"The specified directory was not found."_s;
const QString ReadComplete = u"File Access Complete...."_s;

} // namespace

class ParamFilesTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_tree;
    QString m_dosRoot; // the temporary tree as the user would type it, C:\TMP\...\ upper case
    // The messages shown, in one list with the pointer changes.
    RecordingMessageBoxes m_messages;
    QStringList& m_log = m_messages.texts;
    DosPathMapper m_mapper;
    ParameterModule m_vars;
    std::unique_ptr<ParamFileOperations> m_operations;

    QString host(const QString& relative) const { return m_tree->filePath(relative); }
    ParameterSet values() const { return m_vars; }

    // An entry in lower case is typed with the tree's folder in lower case too.
    QString typed(const QString& entry) const
    {
        if (entry.isEmpty() || entry.startsWith(u"C:") || entry.startsWith(u"Q:"))
            return entry;
        return (entry == entry.toLower() ? m_dosRoot.toLower() : m_dosRoot) + entry;
    }

    bool save(const QString& entry)
    {
        m_vars.ParamFileName = typed(entry);
        return m_operations->CheckSavePath();
    }

    bool read(const QString& entry)
    {
        m_vars.ParamFileName = typed(entry);
        return m_operations->ReadParamFile();
    }

    QStringList filesIn(const QString& relative) const
    {
        return QDir(host(relative)).entryList(QDir::Files | QDir::Hidden);
    }

private slots:
    void init()
    {
        m_tree = std::make_unique<QTemporaryDir>();
        QVERIFY(m_tree->isValid());
        for (const char* folder : {"Data", "My.Dir", "Empty"})
            QVERIFY(QDir(m_tree->path()).mkpath(QString::fromLatin1(folder)));
        m_dosRoot = PathRules::folderText(m_mapper.toDos(m_tree->path())).toUpper();
        m_messages = {};
        m_vars = {};
        static_cast<ParameterSet&>(m_vars) = exampleValues();
        m_operations = std::make_unique<ParamFileOperations>(m_vars, m_messages, m_mapper);
        m_operations->setBusyPointer(
            [this](bool busy) { m_log.append(busy ? "<busy>" : "<default>"); });
    }

    void cleanup()
    {
        m_operations.reset();
        m_tree.reset();
    }

    // As DOS does, on the text alone: ".." at a drive's root stays there, and X\.. cancels out
    // whether or not X exists.
    void resolveDots()
    {
        for (const auto& [path, resolved] : {std::pair{"D:\\..\\A.PRS", "D:\\A.PRS"},
                                             {"C:\\X\\..\\A", "C:\\A"},
                                             {"C:\\X\\.\\Y\\..\\..\\A", "C:\\A"},
                                             {"C:\\X\\..", "C:\\"},
                                             {"C:\\X\\.\\", "C:\\X\\"}})
            QCOMPARE(PathRules::resolveDots(QString::fromLatin1(path)),
                     QString::fromLatin1(resolved));
    }

    // A host path maps into the drive with the longest root that holds it, and back.
    void severalDrives_aPathMapsIntoTheInnermost()
    {
        const DosPathMapper mapper({{u'C', u"/"_s}, {u'D', host(u"Data"_s)}});
        QCOMPARE(mapper.toDos(host(u"Data/x.prs"_s)), u"D:\\x.prs"_s);
        QCOMPARE(mapper.toDos(host(u"My.Dir"_s)), m_mapper.toDos(host(u"My.Dir"_s)));
        QCOMPARE(mapper.toHost(u"D:\\SUB\\X.PRS"_s).path, host(u"Data/SUB/X.PRS"_s));
    }

    // A refused entry writes nothing in the folder; a refusal of the system's names its
    // reason. The process file system takes no new files, not even from the superuser.
    void save_entry_givesFileNamedByThePathRules_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("folder");
        QTest::addColumn<bool>("refused");
        QTest::addColumn<QString>("saved");
        QTest::addColumn<QString>("reason");
        const auto row = [](const char* name, const char* entry, const char* folder,
                            const char* saved) {
            QTest::newRow(name) << entry << folder << false << saved << QString();
        };
        const auto refused = [](const char* name, const char* entry, const char* folder,
                                const char* reason = "") {
            QTest::newRow(name) << entry << folder << true << QString() << reason;
        };
        row("no dot gets .PRS", "DATA\\PRESS1", "Data", "DATA\\PRESS1.PRS");
        row("extension kept", "DATA\\PRESS1.TXT", "Data", "DATA\\PRESS1.TXT");
        row("dot in a folder only", "MY.DIR\\PRESS1", "My.Dir", "MY.DIR\\PRESS1.PRS");
        row(".. after a missing folder", "NOPE\\..\\DATA\\PRESS3", "Data", "DATA\\PRESS3.PRS");
        refused("folder only", "DATA\\", "Data");
        row("lower case, saved under its upper-case name", "data\\press9", "Data",
            "DATA\\PRESS9.PRS");
        refused("missing folder", "NOPE\\PRESS1", "Data", "No such file or directory");
        refused("wildcard name", "DATA\\*.PRS", "Data");
        refused("name of a folder", "MY.DIR", "Data", "Filename refers to a directory");
        refused("folder with a dot, no name", "MY.DIR\\", "My.Dir");
        refused("folder that takes no files", "C:\\PROC\\PRESS1", "Data",
                "No such file or directory");
    }

    void save_entry_givesFileNamedByThePathRules()
    {
        QFETCH(QString, entry);
        QFETCH(QString, folder);
        QFETCH(bool, refused);
        QFETCH(QString, saved);
        QFETCH(QString, reason);
        QCOMPARE(save(entry), !refused);
        const QStringList files = filesIn(folder);
        QCOMPARE(files, refused ? QStringList() : QStringList{saved.section(u'\\', -1)});
        if (refused) {
            QCOMPARE(m_log, QStringList{CreateError});
            QCOMPARE(m_messages.shown.first().details, reason);
            return;
        }
        QCOMPARE(m_log, QStringList({"<busy>", "<default>", SaveComplete}));
        QCOMPARE(m_vars.ParamFileTitle, PathRules::titleOf(entry));
        // Line 3 holds the full upper-case path as saved.
        QCOMPARE(fileContents(host(folder + '/' + files.first())),
                 ParamFileFormat::contents(exampleValues(), m_dosRoot + saved));
    }

    // The format message on saving names the length of the entry plus one.
    void entryWithoutDrivePath_isRefusedBothWays_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("saveMessage");
        QTest::addColumn<QString>("readMessage");
        const auto row = [](const char* entry, const QString& save, const QString& read) {
            QTest::newRow(entry) << QString::fromLatin1(entry) << save << read;
        };
        row("C:\\", FormatMessage + "4", FormatMessage);
        row("C:PRESS1.PRS", FormatMessage + "13", FormatMessage);
        row("C:/TMP/X", FormatMessage + "9", FormatMessage);
        row("", FormatMessage + "1", FormatMessage);
        row("Q:\\DATA\\PRESS1.PRS", NoSuchFolder, NoSuchFolder);
        row("1:\\DATA\\PRESS1.PRS", CreateError, NoSuchFile);
    }

    void entryWithoutDrivePath_isRefusedBothWays()
    {
        QFETCH(QString, entry);
        QFETCH(QString, saveMessage);
        QFETCH(QString, readMessage);
        save(entry);
        read(entry);
        QCOMPARE(m_log, QStringList({saveMessage, readMessage}));
        // Only text that starts with a drive maps to a host path.
        QCOMPARE(m_mapper.toHost(entry).error, entry != u"C:\\" && entry != u"C:/TMP/X");
        QCOMPARE(values(), exampleValues());
    }

    // No: the old file stays. A write that fails keeps the old file whole, or leaves none.
    void save_overExistingFile_asksFirst_andReplacesItWhole_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<MessageAnswer>("answer");
        QTest::addColumn<int>("failingLine");
        QTest::addColumn<QStringList>("log");
        const auto row = [](const char* name, const char* entry, MessageAnswer answer,
                            int failingLine, const QStringList& log) {
            QTest::newRow(name) << QString::fromLatin1(entry) << answer << failingLine << log;
        };
        const QStringList asked{ReplaceQuestion};
        const QStringList failed{"<busy>", "Error creating file", "<default>"};
        row("no", "DATA\\PRESS1", MessageAnswer::No, 0, asked);
        row("no, lower case: the question names the file", "data\\press1.prs", MessageAnswer::No, 0,
            {ReplaceQuestion + u"\nPRESS1.PRS"_s});
        row("yes", "DATA\\PRESS1", MessageAnswer::Yes, 0,
            asked + QStringList{"<busy>", "<default>", SaveComplete});
        row("yes, write fails halfway", "DATA\\PRESS1", MessageAnswer::Yes, 7, asked + failed);
        row("new file, write fails at once", "DATA\\PRESS2", MessageAnswer::Yes, 1, failed);
    }

    void save_overExistingFile_asksFirst_andReplacesItWhole()
    {
        QFETCH(QString, entry);
        QFETCH(MessageAnswer, answer);
        QFETCH(int, failingLine);
        QFETCH(QStringList, log);
        QVERIFY(writeFile(host("Data/PRESS1.PRS"), "old contents"));
        int written = 0;
        if (failingLine > 0)
            m_operations->setLineWriter([&](QIODevice& out, const QByteArray& line) {
                return ++written < failingLine && ParamFileOperations::writeLine(out, line);
            });
        m_messages.answers = {answer};
        save(entry);
        QCOMPARE(m_log, log);
        if (log.first().startsWith(ReplaceQuestion)) {
            QCOMPARE(m_messages.shown.first().buttons, MessageButtons::YesNo);
            QCOMPARE(m_messages.shown.first().defaultAnswer, MessageAnswer::No);
        }
        QCOMPARE(filesIn("Data"), QStringList{"PRESS1.PRS"});
        QCOMPARE(fileContents(host("Data/PRESS1.PRS")).startsWith("RX7130"),
                 log.contains(SaveComplete));
    }

    // A file that fails part way, or is not there, changes no parameter; nor does one that
    // ends early with the set's own values, which names the parameters it did not hold.
    void read_failure_changesNoParameter_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QStringList>("log");
        QTest::addColumn<QString>("details");
        const QStringList missing{NoSuchFile};
        const QStringList failed{"<busy>", "<default>", ReadFailed};
        for (const auto& [entry, log] : {std::pair{"DATA\\PRESS1.PRS", failed},
                                         {"DATA\\PRESS2.PRS", missing},
                                         {"NOPE\\PRESS1.PRS", missing},
                                         {"DATA\\*.PRS", missing},
                                         {"DATA\\", missing},
                                         {"EMPTY\\", failed},
                                         {"C:\\Z", missing}})
            QTest::newRow(entry) << QString::fromLatin1(entry) << log << QString();
        QTest::newRow("ends after line 9")
            << u"DATA\\SHORT.PRS"_s << QStringList{"<busy>", "<default>", ReadComplete}
            << u"The file holds 5 of the 9 parameters; these kept their earlier values: Dynamic "
               "Trip Pressure, Count Trip Pressure, Static Fault Count, Dynamic Fault Count."_s;
    }

    void read_failure_changesNoParameter()
    {
        QFETCH(QString, entry);
        QFETCH(QStringList, log);
        QFETCH(QString, details);
        QVERIFY(writeFile(host("Data/SHORT.PRS"),
                          joined(ParamFileFormat::lines(exampleValues(), {}).mid(0, 9))));
        // The first value read differs from the set's, the sixth does not fit its parameter.
        QByteArray text = ParamFileFormat::contents(exampleValues(), u"C:\\P.PRS"_s);
        text.replace(",5000\r", ",1\r").replace(",60\r", ",70000\r");
        QVERIFY(writeFile(host("Data/PRESS1.PRS"), text));
        QCOMPARE(read(entry), log.last() == ReadComplete);
        QCOMPARE(m_log, log);
        QCOMPARE(m_messages.shown.last().details, details);
        QCOMPARE(values(), exampleValues());
        QCOMPARE(m_vars.ParamFileTitle, PathRules::titleOf(entry));
    }

    // Values are written as held, whatever the reader will accept.
    void writer_exampleValues_matchesTheExampleFileByteForByte()
    {
        QCOMPARE(ParamFileFormat::contents(exampleValues(), u"C:\\DATA\\PRESS1.PRS"_s), Example);
        ParameterSet wide = exampleWith(P::StaticTripSP, 150);
        wide.ActualCount = -5;
        const QList<QByteArray> lines = ParamFileFormat::lines(wide, u"C:\\X.PRS"_s);
        QCOMPARE(lines.mid(6, 2),
                 (QList<QByteArray>{"Actual Count,-5", "Static Trip Set-Point,150"}));
    }

    // Values beyond a parameter's range are held at its ends; an incomplete read reports
    // failure, and a file that just ends early keeps what it held.
    void read_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<bool>("complete");
        QTest::addColumn<ParameterSet>("values");
        const QList<QByteArray> lines = exampleLines();
        const auto whole = [](const char* name, const QByteArray& file,
                              const ParameterSet& values) {
            QTest::newRow(name) << file << true << values;
        };
        const auto edited = [](const char* name, int line, const QByteArray& text,
                               const ParameterSet& values = exampleValues()) {
            QTest::newRow(name) << exampleWithLine(line, text) << true << values;
        };
        // A failed read holds the records before the failing line.
        const auto failed = [](const char* name, int line, const QByteArray& text) {
            ParameterSet before = Untouched;
            for (int i = 0; i < line - 5; ++i)
                before.assign(Parameter(i), exampleValues().value(Parameter(i)));
            QTest::newRow(name) << exampleWithLine(line, text) << false << before;
        };
        whole("CR only", joined(lines, "\r"), exampleValues());
        whole("no end on last line", Example.chopped(2), exampleValues());
        whole("empty file", QByteArray(), Untouched);
        whole("ends after line 9", joined(lines.mid(0, 9)), {5000, 4500, 1234, 45, 10, 7, 7, 7, 7});
        whole("lines after 13 ignored", Example + "garbage,no number\r\n\x01\x02\r\n",
              exampleValues());
        failed("header in lower case", 1, "rx7130 parameter adjusting program");
        failed("no version line", 2, "Version 1.0.0");
        edited("path line ignored", 3, QByteArray(ParamFileFormat::MaxLineLength, 'x'));
        failed("asterisk line shortened", 4, lines[3].chopped(1));
        edited("other label wording", 5, "Overcount,1000", exampleWith(P::ShutDownCountSP, 1000));
        edited("blanks around value", 8, "Static Trip Set-Point , 45 ");
        edited("quoted label with comma", 8, "\"Static, Trip\",45");
        edited("text after value ignored", 8, "Static Trip Set-Point,45 PSI");
        edited("empty label", 9, ",12", exampleWith(P::StaticTripTimer, 12));
        edited("plus sign", 9, "Static Trip Timer,+12", exampleWith(P::StaticTripTimer, 12));
        failed("empty value", 6, "Warning Count Set-Point,");
        failed("no comma", 6, "Warning Count Set-Point 4500");
        failed("value not a number", 6, "Warning Count Set-Point,abc");
        failed("blank record line", 6, "");
        failed("trip beyond 16 bits", 8, "Static Trip Set-Point,32768");
        failed("count beyond 32 bits", 7, "Actual Count,2147483648");
        QTest::newRow("line too long")
            << QByteArray(ParamFileFormat::MaxLineLength + 10, 'A') + Example << false << Untouched;
    }

    void read()
    {
        QFETCH(QByteArray, file);
        QFETCH(bool, complete);
        QFETCH(ParameterSet, values);
        const ParamFileFormat::ReadOutcome outcome = readBytes(file);
        QCOMPARE(outcome.complete, complete);
        QCOMPARE(outcome.values, values);
    }
};

QTEST_GUILESS_MAIN(ParamFilesTest)
#include "tst_ParamFiles.moc"
