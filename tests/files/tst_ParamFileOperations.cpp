#include "DosPathMapper.h"
#include "ParamFileFormat.h"
#include "ParamFileOperations.h"
#include "PathRules.h"
#include "RecordingMessageBoxes.h"

#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

namespace {

const QString FormatMessage = u"Please access file using Drive:\\Directory\\Filname.Ext format."_s;
const QString CreateError = u"Error in creating the file. Check filename and path."_s;
const QString SaveComplete = u"File Save Complete."_s;
const QString ReadFailed = u"Error Occured During File Read."_s;

// Message boxes that also note, in one log with the pointer changes, when each was shown.
class LoggingMessageBoxes : public RecordingMessageBoxes
{
public:
    explicit LoggingMessageBoxes(QStringList& log) : m_log(log) {}
    MessageAnswer show(const QString& text, MessageIcon icon, MessageButtons buttons,
                       MessageAnswer defaultAnswer) override
    {
        m_log.append(text);
        return RecordingMessageBoxes::show(text, icon, buttons, defaultAnswer);
    }

private:
    QStringList& m_log;
};

} // namespace

class ParamFileOperationsTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_tree;
    QString m_dosRoot;
    QStringList m_log;
    std::unique_ptr<LoggingMessageBoxes> m_messages;
    DosPathMapper m_mapper;
    ModVarsModule m_vars;
    std::unique_ptr<ParamFileOperations> m_operations;

    QString host(const QString& relative) const { return m_tree->filePath(relative); }
    ParameterSet& values() { return m_vars; }

    void save(const QString& entry)
    {
        m_vars.ParamFileName = entry;
        m_operations->CheckSavePath();
    }

    void read(const QString& entry)
    {
        m_vars.ParamFileName = entry;
        m_operations->ReadParamFile();
    }

    QStringList filesIn(const QString& relative) const
    {
        return QDir(host(relative)).entryList(QDir::Files | QDir::Hidden);
    }

    // The example values saved as DATA\PRESS1.PRS, the file then edited by hand.
    void saveExampleEdited(const QList<std::pair<QByteArray, QByteArray>>& edits)
    {
        save(m_dosRoot + "DATA\\PRESS1");
        QByteArray text = fileContents(host("Data/PRESS1.PRS"));
        for (const auto& [before, after] : edits)
            text.replace(before, after);
        QVERIFY(writeFile(host("Data/PRESS1.PRS"), text));
        m_log.clear();
        m_messages->shown.clear();
    }

    void setFolderReadable(const QString& relative, bool readable)
    {
        QFile::setPermissions(host(relative), readable ? QFileDevice::ReadOwner |
                                                             QFileDevice::WriteOwner |
                                                             QFileDevice::ExeOwner
                                                       : QFileDevice::WriteOwner);
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
        values() = exampleValues();
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

    // An empty saved name: the entry is refused and nothing is written. An entry typed in
    // lower case is typed with the folder of the tree in lower case too.
    void save_entry_givesFileNamedByThePathRules_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QString>("saved");
        QTest::newRow("no dot gets .PRS")
            << u"DATA\\PRESS1"_s << u"Data"_s << QStringList{"PRESS1.PRS"} << u"DATA\\PRESS1.PRS"_s;
        QTest::newRow("dot in folder only, gets .PRS")
            << u"MY.DIR\\PRESS1"_s << u"My.Dir"_s << QStringList{"PRESS1.PRS"}
            << u"MY.DIR\\PRESS1.PRS"_s;
        QTest::newRow("folder without dot")
            << u"DATA\\"_s << u"Data"_s << QStringList() << QString();
        QTest::newRow("lower case, saved under its upper-case name")
            << u"data\\press9"_s << u"Data"_s << QStringList{"PRESS9.PRS"} << u"DATA\\PRESS9.PRS"_s;
        QTest::newRow("folder with dot")
            << u"MY.DIR\\"_s << u"My.Dir"_s << QStringList() << QString();
        QTest::newRow("missing folder")
            << u"NOPE\\PRESS1"_s << u"Data"_s << QStringList() << QString();
        QTest::newRow("wildcard name")
            << u"DATA\\*.PRS"_s << u"Data"_s << QStringList() << QString();
        QTest::newRow("name of a folder") << u"MY.DIR"_s << u"Data"_s << QStringList() << QString();
    }

    void save_entry_givesFileNamedByThePathRules()
    {
        QFETCH(QString, entry);
        QFETCH(QString, folder);
        QFETCH(QStringList, files);
        QFETCH(QString, saved);
        save((entry == entry.toLower() ? m_dosRoot.toLower() : m_dosRoot) + entry);
        QCOMPARE(filesIn(folder), files);
        if (saved.isEmpty()) {
            QCOMPARE(m_log, QStringList{CreateError});
            return;
        }
        QCOMPARE(m_log, QStringList({"<busy>", "<default>", SaveComplete}));
        QCOMPARE(m_vars.ParamFileName.toUpper(), m_dosRoot + saved);
        QCOMPARE(m_vars.ParamFileTitle, PathRules::titleOf(entry));
        // Line 3 holds the full upper-case path as saved.
        QCOMPARE(fileContents(host(folder + '/' + files.first())),
                 ParamFileFormat::contents(exampleValues(), m_dosRoot + saved));
    }

    void formCheck_refusesShortOrDriveLessEntries_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("saveMessage");
        QTest::newRow("root only") << u"C:\\"_s << FormatMessage + "4";
        QTest::newRow("no drive") << u"PRESS1.PRS"_s << FormatMessage + "11";
        QTest::newRow("forward slashes") << u"C:/TMP/X"_s << FormatMessage + "9";
        QTest::newRow("empty") << QString() << FormatMessage + "1";
    }

    void formCheck_refusesShortOrDriveLessEntries()
    {
        QFETCH(QString, entry);
        QFETCH(QString, saveMessage);
        save(entry);
        read(entry);
        QCOMPARE(m_log, QStringList({saveMessage, FormatMessage}));
        QCOMPARE(values(), exampleValues());
    }

    void unknownDrive_isReportedAsDirectoryNotFound()
    {
        save(u"Q:\\DATA\\PRESS1"_s);
        read(u"Q:\\DATA\\PRESS1.PRS"_s);
        QCOMPARE(m_log, QStringList(2, u"The specified directory was not found."_s));
        QCOMPARE(m_vars.ParamFileName, u"Q:\\DATA\\PRESS1.PRS"_s);
    }

    void save_overExistingFile_asksFirst_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<MessageAnswer>("answer");
        QTest::addColumn<bool>("replaced");
        QTest::addColumn<QString>("question");
        const QString plain = u"Do you wish to replace existing file?"_s;
        QTest::newRow("no, typed without extension, file named")
            << u"DATA\\PRESS1"_s << MessageAnswer::No << false << plain + "\npress1.prs";
        QTest::newRow("no, lower case")
            << u"data\\press1.prs"_s << MessageAnswer::No << false << plain;
        QTest::newRow("yes, file named")
            << u"DATA\\PRESS1"_s << MessageAnswer::Yes << true << plain + "\npress1.prs";
    }

    void save_overExistingFile_asksFirst()
    {
        QFETCH(QString, entry);
        QFETCH(MessageAnswer, answer);
        QFETCH(bool, replaced);
        QFETCH(QString, question);
        QVERIFY(writeFile(host("Data/press1.prs"), "old contents"));
        m_messages->answers = {answer};
        save(m_dosRoot + entry);
        QCOMPARE(m_messages->shown.first().text, question);
        QCOMPARE(m_messages->shown.first().defaultAnswer, MessageAnswer::No);
        QCOMPARE(m_messages->shown.first().buttons, MessageButtons::YesNo);
        QCOMPARE(filesIn("Data"), QStringList{"press1.prs"});
        QCOMPARE(m_messages->shown.size(), replaced ? 2 : 1);
        if (replaced)
            QCOMPARE(m_messages->texts().last(), SaveComplete);
        QCOMPARE(fileContents(host("Data/press1.prs")).startsWith("RX7130"), replaced);
    }

    void save_writeFailsHalfway_keepsThePreviousFile()
    {
        QVERIFY(writeFile(host("Data/PRESS1.PRS"), "old contents"));
        int written = 0;
        m_operations->setLineWriter([&](QIODevice& out, const QByteArray& line) {
            return ++written < 7 && ParamFileOperations::writeLine(out, line);
        });
        save(m_dosRoot + "DATA\\PRESS1.PRS");
        QCOMPARE(m_log, QStringList({"Do you wish to replace existing file?", "<busy>",
                                     "Error creating file", "<default>"}));
        QCOMPARE(fileContents(host("Data/PRESS1.PRS")), QByteArray("old contents"));
        QCOMPARE(filesIn("Data"), QStringList{"PRESS1.PRS"});
    }

    void save_writeFailsWithoutPreviousFile_leavesNoFile()
    {
        m_operations->setLineWriter([](QIODevice&, const QByteArray&) { return false; });
        save(m_dosRoot + "DATA\\PRESS1");
        QCOMPARE(m_messages->texts(), QStringList{"Error creating file"});
        QVERIFY(filesIn("Data").isEmpty());
    }

    void save_intoFolderThatTakesNoFiles_keepsTheOldFile()
    {
        // The process file system takes no new files, not even from the superuser.
        save(u"C:\\PROC\\PRESS1"_s);
        QCOMPARE(m_log, QStringList{CreateError});

        if (::geteuid() == 0)
            QSKIP("folder permissions do not hold for the superuser");
        QVERIFY(writeFile(host("Data/PRESS1.PRS"), "old contents"));
        QFile::setPermissions(host("Data"), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        m_log.clear();
        save(m_dosRoot + "DATA\\PRESS1");
        setFolderReadable("Data", true);
        QCOMPARE(m_log, QStringList({"Do you wish to replace existing file?", CreateError}));
        QCOMPARE(fileContents(host("Data/PRESS1.PRS")), QByteArray("old contents"));
    }

    void savedFile_readsBackFromLowerCaseEntry()
    {
        save(m_dosRoot + "DATA\\PRESS1");
        m_vars.reset();
        m_log.clear();
        read(m_dosRoot.toLower() + "data\\press1.prs");
        QCOMPARE(m_log, QStringList({"<busy>", "<default>", "File Access Complete...."}));
        QCOMPARE(values(), exampleValues());
        QCOMPARE(m_vars.ParamFileTitle, u"PRESS1.PRS"_s);
    }

    void read_fileEditedWithLineFeedEndings_givesTheEditedValues()
    {
        saveExampleEdited({{"\r\n", "\n"},
                           {"Static Trip Set-Point,45", "Static Trip Set-Point,33"},
                           {"Dynamic Fault Count,0", "Dynamic Fault Count,12"}});
        m_vars.reset();
        read(m_dosRoot + "DATA\\PRESS1.PRS");
        QCOMPARE(m_messages->texts(), QStringList{"File Access Complete...."});
        QCOMPARE(values(), (ParameterSet{5000, 4500, 1234, 33, 10, 60, 50, 3, 12}));
    }

    void read_failingPartWay_changesNoParameter()
    {
        saveExampleEdited({{"Shut Down Count Set-Point,5000", "Shut Down Count Set-Point,1"},
                           {"Dynamic Trip Set-Point,60", "Dynamic Trip Set-Point,70000"}});
        read(m_dosRoot + "DATA\\PRESS1.PRS");
        QCOMPARE(m_log, QStringList({"<busy>", "<default>", ReadFailed}));
        QCOMPARE(values(), exampleValues());
    }

    void read_noFileOfThatName_changesNoParameter_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QStringList>("log");
        const QStringList missing{"The Specified File Does Not Exist."};
        QTest::newRow("missing file") << u"DATA\\PRESS2.PRS"_s << missing;
        QTest::newRow("missing folder") << u"NOPE\\PRESS1.PRS"_s << missing;
        QTest::newRow("wildcard") << u"DATA\\*.PRS"_s << missing;
        QTest::newRow("folder holding files") << u"DATA\\"_s << missing;
        QTest::newRow("folder without files")
            << u"EMPTY\\"_s << QStringList{"<busy>", "<default>", ReadFailed};
    }

    void read_noFileOfThatName_changesNoParameter()
    {
        QFETCH(QString, entry);
        QFETCH(QStringList, log);
        QVERIFY(writeFile(host("Data/PRESS1.PRS"), "RX7130 PARAMETER ADJUSTING PROGRAM\r\n"));
        read(m_dosRoot + entry);
        QCOMPARE(m_log, log);
        QCOMPARE(values(), exampleValues());
        QCOMPARE(m_vars.ParamFileTitle, PathRules::titleOf(entry));
    }

    void read_folderThatCannotBeRead_isReportedAsDirectoryNotFound()
    {
        if (::geteuid() == 0)
            QSKIP("folder permissions do not hold for the superuser");
        QVERIFY(writeFile(host("Data/PRESS1.PRS"), "RX7130 PARAMETER ADJUSTING PROGRAM\r\n"));
        setFolderReadable("Data", false);
        read(m_dosRoot + "DATA\\PRESS1.PRS");
        setFolderReadable("Data", true);
        QCOMPARE(m_log, QStringList{"The specified directory was not found."});
    }

    // Drive D: stands for the Data folder; a decoy outside it must stay out of reach.
    void read_dotsResolveOnTheEnteredText_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::newRow(".. at the root") << u"D:\\..\\PRESS1.PRS"_s;
        QTest::newRow(".. after a missing folder") << u"D:\\NOPE\\..\\PRESS1.PRS"_s;
    }

    void read_dotsResolveOnTheEnteredText()
    {
        QFETCH(QString, entry);
        const DosPathMapper media({{QLatin1Char('C'), u"/"_s}, {QLatin1Char('D'), host("Data")}});
        ParamFileOperations operations(m_vars, *m_messages, media);
        operations.setBusyPointer([](bool) {});
        QVERIFY(writeFile(host("PRESS1.PRS"), "decoy"));
        QVERIFY(writeFile(host("Data/PRESS1.PRS"), ParamFileFormat::contents(exampleValues(), {})));
        values() = ParameterSet{};
        m_vars.ParamFileName = entry;
        operations.ReadParamFile();
        QCOMPARE(m_messages->texts(), QStringList{"File Access Complete...."});
        QCOMPARE(values(), exampleValues());
    }
};

QTEST_GUILESS_MAIN(ParamFileOperationsTest)
#include "tst_ParamFileOperations.moc"
