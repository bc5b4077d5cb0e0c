#include "DosPathMapper.h"
#include "ParamFileFormat.h"
#include "ParamFileOperations.h"
#include "PathRules.h"
#include "RecordingMessageBoxes.h"
#include "TestSupport.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString FormatMessage = u"Please access file using Drive:\\Directory\\Filname.Ext format."_s;
const QString CreateError = u"Error in creating the file. Check filename and path."_s;
const QString ReplaceQuestion = u"Do you wish to replace existing file?"_s;
const QString SaveComplete = u"File Save Complete."_s;
const QString ReadComplete = u"File Access Complete...."_s;
const QString ReadFailed = u"Error Occured During File Read."_s;
const QString NoSuchFile = u"The Specified File Does Not Exist."_s;
const QString NoSuchFolder = u"The specified directory was not found."_s;

// Message boxes that also note, in one log with the pointer changes, when each was shown.
class LoggingMessageBoxes : public RecordingMessageBoxes
{
public:
    explicit LoggingMessageBoxes(QStringList& log) : m_log(log) {}
    MessageAnswer show(const QString& text, MessageIcon icon, MessageButtons buttons) override
    {
        m_log.append(text);
        return RecordingMessageBoxes::show(text, icon, buttons);
    }

private:
    QStringList& m_log;
};

} // namespace

class ParamFileOperationsTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_tree;
    QString m_dosRoot; // the temporary tree as the user would type it, C:\TMP\...\ upper case
    QStringList m_log;
    std::unique_ptr<LoggingMessageBoxes> m_messages;
    DosPathMapper m_mapper;
    ModVarsModule m_vars;
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

    void save(const QString& entry)
    {
        m_vars.ParamFileName = typed(entry);
        m_operations->CheckSavePath();
    }

    void read(const QString& entry)
    {
        m_vars.ParamFileName = typed(entry);
        m_operations->ReadParamFile();
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
        m_log.clear();
        m_messages = std::make_unique<LoggingMessageBoxes>(m_log);
        m_vars.reset();
        static_cast<ParameterSet&>(m_vars) = exampleValues();
        m_operations = std::make_unique<ParamFileOperations>(m_vars, *m_messages, m_mapper);
        m_operations->setBusyPointer(
            [this](bool busy) { m_log.append(busy ? "<busy>" : "<default>"); });
    }

    void cleanup()
    {
        m_operations.reset();
        m_messages.reset();
        m_tree.reset();
    }

    // An empty saved name: the entry is refused and nothing is written.
    void save_entry_givesFileNamedByThePathRules_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QString>("saved");
        QTest::newRow("no dot gets .PRS")
            << u"DATA\\PRESS1"_s << u"Data"_s << QStringList{"PRESS1.PRS"} << u"DATA\\PRESS1.PRS"_s;
        QTest::newRow("dot in folder only, no extension")
            << u"MY.DIR\\PRESS1"_s << u"My.Dir"_s << QStringList{"PRESS1"} << u"MY.DIR\\PRESS1"_s;
        QTest::newRow("lower case, saved under its upper-case name")
            << u"data\\press9"_s << u"Data"_s << QStringList{"PRESS9.PRS"} << u"DATA\\PRESS9.PRS"_s;
        QTest::newRow("missing folder")
            << u"NOPE\\PRESS1"_s << u"Data"_s << QStringList() << QString();
        QTest::newRow("wildcard name")
            << u"DATA\\*.PRS"_s << u"Data"_s << QStringList() << QString();
        QTest::newRow("name of a folder") << u"MY.DIR"_s << u"Data"_s << QStringList() << QString();
        // The process file system takes no new files, not even from the superuser.
        QTest::newRow("folder that takes no files")
            << u"C:\\PROC\\PRESS1"_s << u"Data"_s << QStringList() << QString();
    }

    void save_entry_givesFileNamedByThePathRules()
    {
        QFETCH(QString, entry);
        QFETCH(QString, folder);
        QFETCH(QStringList, files);
        QFETCH(QString, saved);
        save(entry);
        QCOMPARE(filesIn(folder), files);
        if (saved.isEmpty()) {
            QCOMPARE(m_log, QStringList{CreateError});
            return;
        }
        QCOMPARE(m_log, QStringList({"<busy>", "<default>", SaveComplete}));
        QCOMPARE(m_vars.ParamFileTitle, PathRules::titleOf(entry));
        // Line 3 holds the full upper-case path as saved.
        QCOMPARE(fileContents(host(folder + '/' + files.first())),
                 ParamFileFormat::contents(exampleValues(), m_dosRoot + saved));

        static_cast<ParameterSet&>(m_vars) = ParameterSet{};
        m_log.clear();
        read(entry.toLower() + (saved.endsWith(u".PRS") ? ".prs" : ""));
        QCOMPARE(m_log, QStringList({"<busy>", "<default>", ReadComplete}));
        QCOMPARE(values(), exampleValues());
    }

    // The format message on saving names the length of the entry plus one.
    void entryWithoutDrivePath_isRefusedBothWays_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("saveMessage");
        QTest::addColumn<QString>("readMessage");
        QTest::newRow("root only") << u"C:\\"_s << FormatMessage + "4" << FormatMessage;
        QTest::newRow("no drive") << u"C:PRESS1.PRS"_s << FormatMessage + "13" << FormatMessage;
        QTest::newRow("forward slashes") << u"C:/TMP/X"_s << FormatMessage + "9" << FormatMessage;
        QTest::newRow("empty") << QString() << FormatMessage + "1" << FormatMessage;
        QTest::newRow("unknown drive") << u"Q:\\DATA\\PRESS1.PRS"_s << NoSuchFolder << NoSuchFolder;
    }

    void entryWithoutDrivePath_isRefusedBothWays()
    {
        QFETCH(QString, entry);
        QFETCH(QString, saveMessage);
        QFETCH(QString, readMessage);
        save(entry);
        read(entry);
        QCOMPARE(m_log, QStringList({saveMessage, readMessage}));
        QCOMPARE(values(), exampleValues());
    }

    // No: the old file stays. A write that fails keeps the old file whole, or leaves none.
    void save_overExistingFile_asksFirst_andReplacesItWhole_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<MessageAnswer>("answer");
        QTest::addColumn<int>("failingLine");
        QTest::addColumn<QStringList>("log");
        const QStringList asked{ReplaceQuestion};
        QTest::newRow("no") << u"DATA\\PRESS1"_s << MessageAnswer::No << 0 << asked;
        QTest::newRow("no, lower case") << u"data\\press1.prs"_s << MessageAnswer::No << 0 << asked;
        QTest::newRow("yes") << u"DATA\\PRESS1"_s << MessageAnswer::Yes << 0
                             << asked + QStringList{"<busy>", "<default>", SaveComplete};
        QTest::newRow("yes, write fails halfway")
            << u"DATA\\PRESS1"_s << MessageAnswer::Yes << 7
            << asked + QStringList{"<busy>", "Error creating file", "<default>"};
        QTest::newRow("new file, write fails at once")
            << u"DATA\\PRESS2"_s << MessageAnswer::Yes << 1
            << QStringList{"<busy>", "Error creating file", "<default>"};
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
        m_messages->answers = {answer};
        save(entry);
        QCOMPARE(m_log, log);
        if (log.contains(ReplaceQuestion))
            QCOMPARE(m_messages->shown.first().buttons, MessageButtons::YesNo);
        QCOMPARE(filesIn("Data"), QStringList{"PRESS1.PRS"});
        QCOMPARE(fileContents(host("Data/PRESS1.PRS")).startsWith("RX7130"),
                 log.contains(SaveComplete));
    }

    // A file that fails part way, or is not there, changes no parameter.
    void read_failure_changesNoParameter_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QStringList>("log");
        const QStringList missing{NoSuchFile};
        const QStringList failed{"<busy>", "<default>", ReadFailed};
        QTest::newRow("value too wide part way") << u"DATA\\PRESS1.PRS"_s << failed;
        QTest::newRow("missing file") << u"DATA\\PRESS2.PRS"_s << missing;
        QTest::newRow("missing folder") << u"NOPE\\PRESS1.PRS"_s << missing;
        QTest::newRow("wildcard") << u"DATA\\*.PRS"_s << missing;
        QTest::newRow("folder holding files") << u"DATA\\"_s << missing;
        QTest::newRow("folder without files") << u"EMPTY\\"_s << failed;
    }

    void read_failure_changesNoParameter()
    {
        QFETCH(QString, entry);
        QFETCH(QStringList, log);
        // The first value read differs from the set's, the sixth does not fit its parameter.
        QByteArray text = ParamFileFormat::contents(exampleValues(), u"C:\\P.PRS"_s);
        text.replace(",5000\r", ",1\r").replace(",60\r", ",70000\r");
        QVERIFY(writeFile(host("Data/PRESS1.PRS"), text));
        read(entry);
        QCOMPARE(m_log, log);
        QCOMPARE(values(), exampleValues());
        QCOMPARE(m_vars.ParamFileTitle, PathRules::titleOf(entry));
    }
};

QTEST_GUILESS_MAIN(ParamFileOperationsTest)
#include "tst_ParamFileOperations.moc"
