#include "DosPathMapper.h"
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

const QString FormatMessage =
    QStringLiteral("Please access file using Drive:\\Directory\\Filname.Ext format.");
const QString CreateError = QStringLiteral("Error in creating the file. Check filename and path.");

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

QByteArray contentsOf(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return "<missing>";
    return file.readAll();
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

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
        m_operations = std::make_unique<ParamFileOperations>(m_vars, *m_messages, m_mapper);
        m_operations->setBusyPointer([this](bool busy) {
            m_log.append(busy ? QStringLiteral("<busy>") : QStringLiteral("<default>"));
        });
    }

    void cleanup()
    {
        m_operations.reset();
        m_messages.reset();
        m_tree.reset();
    }

    void save_entryWithoutDot_getsPrsAndLine3HoldsTheFullPath()
    {
        static_cast<ParameterSet&>(m_vars) = exampleValues();
        save(m_dosRoot + "DATA\\PRESS1");
        const QString saved = m_dosRoot + "DATA\\PRESS1.PRS";
        QCOMPARE(m_vars.ParamFileName, saved);
        QCOMPARE(m_vars.ParamFileTitle, QStringLiteral("PRESS1"));
        QCOMPARE(m_log, QStringList({"<busy>", "<default>", "File Save Complete."}));
        const QList<QByteArray> lines = contentsOf(host("Data/PRESS1.PRS")).split('\n');
        QCOMPARE(lines.size(), 14);
        QCOMPARE(lines[2], saved.toLocal8Bit() + '\r');
        QCOMPARE(lines[7], QByteArray("Static Trip Set-Point,45\r"));
    }

    void save_dotInFolderOnly_savedWithoutExtension()
    {
        save(m_dosRoot + "MY.DIR\\PRESS1");
        QCOMPARE(filesIn("My.Dir"), QStringList{"PRESS1"});
        QCOMPARE(m_messages->texts(), QStringList{"File Save Complete."});
    }

    void save_folderWithoutDot_savedAsDotPrsFile()
    {
        save(m_dosRoot + "DATA\\");
        QCOMPARE(filesIn("Data"), QStringList{".PRS"});
        QCOMPARE(m_vars.ParamFileName, m_dosRoot + "DATA\\.PRS");
        QCOMPARE(m_messages->texts(), QStringList{"File Save Complete."});
    }

    void save_folderWithDot_isRefusedAndNothingWritten()
    {
        save(m_dosRoot + "MY.DIR\\");
        QCOMPARE(m_log, QStringList{CreateError});
        QVERIFY(filesIn("My.Dir").isEmpty());
    }

    void save_lowerCaseEntry_isSavedUnderItsUpperCaseName()
    {
        save(m_dosRoot.toLower() + "data\\press9");
        QCOMPARE(filesIn("Data"), QStringList{"PRESS9.PRS"});
        QCOMPARE(contentsOf(host("Data/PRESS9.PRS")).split('\n').at(2),
                 (m_dosRoot + "DATA\\PRESS9.PRS\r").toLocal8Bit());
    }

    void formCheck_refusesShortOrDriveLessEntries_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("saveMessage");
        QTest::newRow("root only") << "C:\\" << FormatMessage + "4";
        QTest::newRow("no drive") << "PRESS1.PRS" << FormatMessage + "11";
        QTest::newRow("forward slashes") << "C:/TMP/X" << FormatMessage + "9";
        QTest::newRow("empty") << "" << FormatMessage + "1";
    }

    void formCheck_refusesShortOrDriveLessEntries()
    {
        QFETCH(QString, entry);
        QFETCH(QString, saveMessage);
        save(entry);
        QCOMPARE(m_log, QStringList{saveMessage});
        m_log.clear();
        static_cast<ParameterSet&>(m_vars) = exampleValues();
        read(entry);
        QCOMPARE(m_log, QStringList{FormatMessage});
        QCOMPARE(static_cast<ParameterSet&>(m_vars), exampleValues());
    }

    void unknownDrive_isReportedAsDirectoryNotFound()
    {
        save(QStringLiteral("Q:\\DATA\\PRESS1"));
        read(QStringLiteral("Q:\\DATA\\PRESS1.PRS"));
        QCOMPARE(m_log, QStringList({"The specified directory was not found.",
                                     "The specified directory was not found."}));
        QCOMPARE(m_vars.ParamFileName, QStringLiteral("Q:\\DATA\\PRESS1.PRS"));
    }

    void save_overExistingFile_asksFirst_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<MessageAnswer>("answer");
        QTest::addColumn<bool>("replaced");
        QTest::newRow("no, typed without extension")
            << "DATA\\PRESS1" << MessageAnswer::No << false;
        QTest::newRow("no, lower case") << "data\\press1.prs" << MessageAnswer::No << false;
        QTest::newRow("yes") << "DATA\\PRESS1" << MessageAnswer::Yes << true;
    }

    void save_overExistingFile_asksFirst()
    {
        QFETCH(QString, entry);
        QFETCH(MessageAnswer, answer);
        QFETCH(bool, replaced);
        writeFile(host("Data/press1.prs"), "old contents");
        m_messages->answers = {answer};
        save(m_dosRoot + entry);
        QCOMPARE(m_messages->shown.first().text,
                 QStringLiteral("Do you wish to replace existing file?"));
        QCOMPARE(m_messages->shown.first().buttons, MessageButtons::YesNo);
        QCOMPARE(filesIn("Data"), QStringList{"press1.prs"});
        if (replaced) {
            QCOMPARE(m_messages->texts().last(), QStringLiteral("File Save Complete."));
            QVERIFY(contentsOf(host("Data/press1.prs")).startsWith("RX7130"));
        } else {
            QCOMPARE(m_messages->shown.size(), 1);
            QCOMPARE(contentsOf(host("Data/press1.prs")), QByteArray("old contents"));
        }
    }

    void save_writeFailsHalfway_keepsThePreviousFile()
    {
        writeFile(host("Data/PRESS1.PRS"), "old contents");
        int written = 0;
        m_operations->setLineWriter([&](QIODevice& out, const QByteArray& line) {
            return ++written < 7 && ParamFileOperations::writeLine(out, line);
        });
        save(m_dosRoot + "DATA\\PRESS1.PRS");
        QCOMPARE(m_log, QStringList({"Do you wish to replace existing file?", "<busy>",
                                     "Error creating file", "<default>"}));
        QCOMPARE(contentsOf(host("Data/PRESS1.PRS")), QByteArray("old contents"));
        QCOMPARE(filesIn("Data"), QStringList{"PRESS1.PRS"});
    }

    void save_writeFailsWithoutPreviousFile_leavesNoFile()
    {
        m_operations->setLineWriter([](QIODevice&, const QByteArray&) { return false; });
        save(m_dosRoot + "DATA\\PRESS1");
        QCOMPARE(m_messages->texts(), QStringList{"Error creating file"});
        QVERIFY(filesIn("Data").isEmpty());
    }

    void save_whereNoFileCanBeCreated_isRefused_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::newRow("missing folder") << "NOPE\\PRESS1";
        QTest::newRow("wildcard name") << "DATA\\*.PRS";
        QTest::newRow("name of a folder") << "MY.DIR";
    }

    void save_whereNoFileCanBeCreated_isRefused()
    {
        QFETCH(QString, entry);
        save(m_dosRoot + entry);
        QCOMPARE(m_log, QStringList{CreateError});
        QVERIFY(filesIn("Data").isEmpty());
    }

    void save_intoFolderThatTakesNoFiles_keepsTheOldFile()
    {
        // The process file system takes no new files, not even from the superuser.
        save(QStringLiteral("C:\\PROC\\PRESS1"));
        QCOMPARE(m_log, QStringList{CreateError});

        if (::geteuid() == 0)
            QSKIP("folder permissions do not hold for the superuser");
        writeFile(host("Data/PRESS1.PRS"), "old contents");
        QFile::setPermissions(host("Data"), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        m_log.clear();
        save(m_dosRoot + "DATA\\PRESS1");
        QFile::setPermissions(host("Data"), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                QFileDevice::ExeOwner);
        QCOMPARE(m_log, QStringList({"Do you wish to replace existing file?", CreateError}));
        QCOMPARE(contentsOf(host("Data/PRESS1.PRS")), QByteArray("old contents"));
    }

    void savedFile_readsBackFromLowerCaseEntry()
    {
        static_cast<ParameterSet&>(m_vars) = exampleValues();
        save(m_dosRoot + "DATA\\PRESS1");
        m_vars.reset();
        m_log.clear();
        read(m_dosRoot.toLower() + "data\\press1.prs");
        QCOMPARE(m_log, QStringList({"<busy>", "<default>", "File Access Complete...."}));
        QCOMPARE(static_cast<ParameterSet&>(m_vars), exampleValues());
        QCOMPARE(m_vars.ParamFileTitle, QStringLiteral("PRESS1.PRS"));
    }

    void read_fileEditedWithLineFeedEndings_givesTheEditedValues()
    {
        static_cast<ParameterSet&>(m_vars) = exampleValues();
        save(m_dosRoot + "DATA\\PRESS1");
        QByteArray text = contentsOf(host("Data/PRESS1.PRS"));
        text.replace("\r\n", "\n");
        text.replace("Static Trip Set-Point,45", "Static Trip Set-Point,33");
        text.replace("Dynamic Fault Count,0", "Dynamic Fault Count,12");
        writeFile(host("Data/PRESS1.PRS"), text);
        m_vars.reset();
        read(m_dosRoot + "DATA\\PRESS1.PRS");
        ParameterSet expected = exampleValues();
        expected.StaticTripSP = 33;
        expected.DynamicFaultCount = 12;
        QCOMPARE(m_messages->texts().last(), QStringLiteral("File Access Complete...."));
        QCOMPARE(static_cast<ParameterSet&>(m_vars), expected);
    }

    void read_failingPartWay_changesNoParameter()
    {
        static_cast<ParameterSet&>(m_vars) = exampleValues();
        save(m_dosRoot + "DATA\\PRESS1");
        QByteArray text = contentsOf(host("Data/PRESS1.PRS"));
        text.replace("Shut Down Count Set-Point,5000", "Shut Down Count Set-Point,1");
        text.replace("Dynamic Trip Set-Point,60", "Dynamic Trip Set-Point,70000");
        writeFile(host("Data/PRESS1.PRS"), text);
        m_log.clear();
        read(m_dosRoot + "DATA\\PRESS1.PRS");
        QCOMPARE(m_log, QStringList({"<busy>", "<default>", "Error Occured During File Read."}));
        QCOMPARE(static_cast<ParameterSet&>(m_vars), exampleValues());
    }

    void read_noSuchFile_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::newRow("missing file") << "DATA\\PRESS2.PRS";
        QTest::newRow("missing folder") << "NOPE\\PRESS1.PRS";
        QTest::newRow("wildcard") << "DATA\\*.PRS";
        QTest::newRow("folder holding files") << "DATA\\";
    }

    void read_noSuchFile()
    {
        QFETCH(QString, entry);
        writeFile(host("Data/PRESS1.PRS"), "RX7130 PARAMETER ADJUSTING PROGRAM\r\n");
        static_cast<ParameterSet&>(m_vars) = exampleValues();
        read(m_dosRoot + entry);
        QCOMPARE(m_log, QStringList{"The Specified File Does Not Exist."});
        QCOMPARE(static_cast<ParameterSet&>(m_vars), exampleValues());
    }

    void read_folderWithoutFiles_failsTheRead()
    {
        read(m_dosRoot + "EMPTY\\");
        QCOMPARE(m_log, QStringList({"<busy>", "<default>", "Error Occured During File Read."}));
        QCOMPARE(m_vars.ParamFileTitle, QString());
    }

    void read_folderThatCannotBeRead_isReportedAsDirectoryNotFound()
    {
        if (::geteuid() == 0)
            QSKIP("folder permissions do not hold for the superuser");
        writeFile(host("Data/PRESS1.PRS"), "RX7130 PARAMETER ADJUSTING PROGRAM\r\n");
        QFile::setPermissions(host("Data"), QFileDevice::WriteOwner);
        read(m_dosRoot + "DATA\\PRESS1.PRS");
        QFile::setPermissions(host("Data"), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                QFileDevice::ExeOwner);
        QCOMPARE(m_log, QStringList{"The specified directory was not found."});
    }
};

QTEST_GUILESS_MAIN(ParamFileOperationsTest)
#include "tst_ParamFileOperations.moc"
