#include "DosPathMapper.h"
#include "FrmFileBrowse.h"
#include "ModVars.h"
#include "ParamFileFormat.h"
#include "PathRules.h"
#include "RecordingMessageBoxes.h"

#include "TestSupport.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

namespace {

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QStringList itemsOf(const QListWidget* list)
{
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        out.append(list->item(i)->text());
    return out;
}

} // namespace

class FileBrowseTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_tree;
    QString m_startFolder;
    // The Data folder of the tree as the name box shows it, upper case and ending in a backslash.
    QString m_dosData;
    RecordingMessageBoxes m_messages;
    std::unique_ptr<QWidget> m_mainWindow;
    QPointer<FrmFileBrowse> m_browse;

    template <typename T> T* control(const char* name) const
    {
        T* found = m_browse->findChild<T*>(QString::fromLatin1(name));
        Q_ASSERT(found);
        return found;
    }

    // What the main window's Open and Save buttons do.
    void openBrowser(int fileAction)
    {
        ModVars.FileAction = std::int16_t(fileAction);
        if (!m_browse)
            m_browse = new FrmFileBrowse(m_mainWindow.get(), m_messages);
        m_browse->show();
        m_browse->activateWindow();
        m_mainWindow->setWindowState(Qt::WindowMinimized);
    }

    void clickFile(const QString& name)
    {
        auto* list = control<QListWidget>("FilList");
        const QList<QListWidgetItem*> found = list->findItems(name, Qt::MatchExactly);
        QCOMPARE(found.size(), 1);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualItemRect(found.first()).center());
    }

private slots:
    void init()
    {
        m_tree = std::make_unique<QTemporaryDir>();
        QVERIFY(m_tree->isValid());
        QDir root(m_tree->path());
        QVERIFY(root.mkpath(QStringLiteral("Data/Sub")));
        writeFile(
            m_tree->filePath(QStringLiteral("Data/press1.prs")),
            ParamFileFormat::contents(exampleValues(), QStringLiteral("C:\\DATA\\PRESS1.PRS")));
        writeFile(m_tree->filePath(QStringLiteral("Data/notes.TXT")), "notes");
        writeFile(m_tree->filePath(QStringLiteral("Data/other.dat")), "other");
        m_startFolder = QDir::currentPath();
        QVERIFY(QDir::setCurrent(m_tree->filePath(QStringLiteral("Data"))));
        m_dosData = PathRules::folderText(DosPathMapper().toDos(QDir::currentPath())).toUpper();
        ModVars.reset();
        m_messages.shown.clear();
        m_messages.answers.clear();
        m_mainWindow = std::make_unique<QWidget>();
        m_mainWindow->show();
    }

    void cleanup()
    {
        delete m_browse.data();
        m_mainWindow.reset();
        QDir::setCurrent(m_startFolder);
        m_tree.reset();
        ModVars.reset();
    }

    void activation_setsCaptionFromFileAction_data()
    {
        QTest::addColumn<int>("fileAction");
        QTest::addColumn<QString>("caption");
        QTest::newRow("open") << 0 << "Read File";
        QTest::newRow("save") << 1 << "Save File";
        QTest::newRow("other") << 2 << "Read File";
    }

    void activation_setsCaptionFromFileAction()
    {
        QFETCH(int, fileAction);
        QFETCH(QString, caption);
        openBrowser(fileAction);
        QTRY_COMPARE_WITH_TIMEOUT(m_browse->windowTitle(), caption, 5000);
    }

    void freshDialog_startsInWorkingFolderWithPrsFiles()
    {
        m_browse = new FrmFileBrowse(m_mainWindow.get(), m_messages);
        QCOMPARE(m_browse->windowTitle(), QStringLiteral("File Browser"));
        QCOMPARE(m_browse->size(), QSize(332, 314));
        QCOMPARE(control<QLineEdit>("TxtFileName")->geometry(), QRect(96, 224, 217, 19));
        QCOMPARE(control<QListWidget>("FilList")->geometry(), QRect(176, 56, 137, 162));
        QCOMPARE(control<QLineEdit>("TxtFileName")->toolTip(),
                 QStringLiteral("Use to Specify File  in Drive:\\Path\\Name Format"));
        QCOMPARE(control<QLineEdit>("TxtFileName")->nextInFocusChain(),
                 control<QComboBox>("CmbFileType"));

        openBrowser(0);
        QTRY_VERIFY_WITH_TIMEOUT(m_browse->isActiveWindow(), 5000);
        auto* name = control<QLineEdit>("TxtFileName");
        QCOMPARE(name->text(), m_dosData);
        QCOMPARE(name->cursorPosition(), m_dosData.size());
        QVERIFY(name->hasFocus());
        auto* type = control<QComboBox>("CmbFileType");
        QCOMPARE(type->currentText(), QStringLiteral("*.PRS"));
        QCOMPARE(type->currentIndex(), -1);
        QCOMPARE(itemsOf(control<QListWidget>("FilList")), QStringList{"press1.prs"});
    }

    void fileClick_putsFolderAndFileNameIntoNameBox()
    {
        openBrowser(0);
        QTRY_VERIFY_WITH_TIMEOUT(m_browse->isActiveWindow(), 5000);
        clickFile(QStringLiteral("press1.prs"));
        auto* name = control<QLineEdit>("TxtFileName");
        QCOMPARE(name->text(), m_dosData + "PRESS1.PRS");
        QVERIFY(name->hasFocus());
        QCOMPARE(name->cursorPosition(), name->text().size());
    }

    void folderOpened_updatesFileListAndNameBox()
    {
        openBrowser(1);
        auto* folders = control<QTreeWidget>("DirPick");
        QCOMPARE(folders->topLevelItem(0)->text(0), QStringLiteral("C:\\"));
        const QList<QTreeWidgetItem*> sub =
            folders->findItems(QStringLiteral("Sub"), Qt::MatchExactly | Qt::MatchRecursive);
        QCOMPARE(sub.size(), 1);
        emit folders->itemActivated(sub.first(), 0);
        QTRY_COMPARE_WITH_TIMEOUT(control<QLineEdit>("TxtFileName")->text(), m_dosData + "SUB\\",
                                  5000);
        QVERIFY(itemsOf(control<QListWidget>("FilList")).isEmpty());
        QVERIFY(m_browse->currentFolder().endsWith(QLatin1String("/Data/Sub")));
    }

    void rootDrivePicked_nameBoxReadsDriveRoot()
    {
        openBrowser(1);
        m_browse->DrvPick_Change(0);
        QCOMPARE(control<QLineEdit>("TxtFileName")->text(), QStringLiteral("C:\\"));
        QCOMPARE(m_browse->currentFolder(), QStringLiteral("/"));
    }

    void fileTypePicked_listsMatchingFilesWithoutRegardToCase_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QString>("pattern");
        QTest::newRow("PRS") << 0 << QStringList{"press1.prs"} << "*.prs";
        QTest::newRow("TXT") << 1 << QStringList{"notes.TXT"} << "*.txt";
        QTest::newRow("all") << 2 << QStringList{"notes.TXT", "other.dat", "press1.prs"} << "*.*";
        QTest::newRow("none chosen") << -1 << QStringList{"press1.prs"} << "*.PRS";
    }

    void fileTypePicked_listsMatchingFilesWithoutRegardToCase()
    {
        QFETCH(int, index);
        QFETCH(QStringList, files);
        QFETCH(QString, pattern);
        openBrowser(0);
        m_browse->CmbFileType_Click(index);
        QCOMPARE(itemsOf(control<QListWidget>("FilList")), files);
        QCOMPARE(m_browse->filePattern(), pattern);
    }

    void cancel_hidesAndKeepsFolderAndType()
    {
        openBrowser(0);
        QTRY_VERIFY_WITH_TIMEOUT(m_browse->isActiveWindow(), 5000);
        m_browse->CmbFileType_Click(1);
        m_browse->DrvPick_Change(0);
        QTest::mouseClick(control<QPushButton>("CmdCancel"), Qt::LeftButton);
        QVERIFY(m_browse);
        QVERIFY(m_browse->isHidden());
        QVERIFY(!(m_mainWindow->windowState() & Qt::WindowMinimized));

        openBrowser(1);
        QTRY_COMPARE_WITH_TIMEOUT(m_browse->windowTitle(), QStringLiteral("Save File"), 5000);
        QCOMPARE(m_browse->currentFolder(), QStringLiteral("/"));
        QCOMPARE(m_browse->filePattern(), QStringLiteral("*.txt"));
        QCOMPARE(control<QLineEdit>("TxtFileName")->text(), QStringLiteral("C:\\"));
        QVERIFY(m_messages.shown.isEmpty());
    }

    void reactivation_dropsTypedText()
    {
        openBrowser(0);
        QTRY_VERIFY_WITH_TIMEOUT(m_browse->isActiveWindow(), 5000);
        QTest::keyClicks(control<QLineEdit>("TxtFileName"), QStringLiteral("X.PRS"));
        QCOMPARE(control<QLineEdit>("TxtFileName")->text(), m_dosData + "X.PRS");
        m_mainWindow->activateWindow();
        QTRY_VERIFY_WITH_TIMEOUT(!m_browse->isActiveWindow(), 5000);
        m_browse->activateWindow();
        QTRY_COMPARE_WITH_TIMEOUT(control<QLineEdit>("TxtFileName")->text(), m_dosData, 5000);
    }

    void okayOnRead_readsTypedLowerCaseNameAndUnloads()
    {
        openBrowser(0);
        QTRY_VERIFY_WITH_TIMEOUT(m_browse->isActiveWindow(), 5000);
        auto* name = control<QLineEdit>("TxtFileName");
        name->setText(m_dosData.toLower() + "press1.prs");
        QTest::mouseClick(control<QPushButton>("CmdOkay"), Qt::LeftButton);
        QCOMPARE(ModVars.ParamFileName, m_dosData + "PRESS1.PRS");
        QCOMPARE(m_messages.texts(), QStringList{"File Access Complete...."});
        QCOMPARE(static_cast<ParameterSet&>(ModVars), exampleValues());
        QVERIFY(!(m_mainWindow->windowState() & Qt::WindowMinimized));
        QVERIFY(m_mainWindow->isVisible());
        QTRY_VERIFY_WITH_TIMEOUT(m_browse.isNull(), 5000);
    }

    void okayOnSave_savesAndNextOpeningStartsFresh()
    {
        openBrowser(1);
        QTRY_VERIFY_WITH_TIMEOUT(m_browse->isActiveWindow(), 5000);
        m_browse->CmbFileType_Click(2);
        control<QLineEdit>("TxtFileName")->setText(m_dosData + "new1");
        QTest::mouseClick(control<QPushButton>("CmdOkay"), Qt::LeftButton);
        QCOMPARE(m_messages.texts(), QStringList{"File Save Complete."});
        QVERIFY(QFile::exists(m_tree->filePath(QStringLiteral("Data/NEW1.PRS"))));
        QTRY_VERIFY_WITH_TIMEOUT(m_browse.isNull(), 5000);

        openBrowser(0);
        QCOMPARE(m_browse->currentFolder(), QDir::currentPath());
        QCOMPARE(m_browse->filePattern(), QStringLiteral("*.PRS"));
        QCOMPARE(itemsOf(control<QListWidget>("FilList")), QStringList({"NEW1.PRS", "press1.prs"}));
    }

    void closeBox_restoresMainWindowAndUnloads()
    {
        openBrowser(0);
        QVERIFY(m_mainWindow->windowState() & Qt::WindowMinimized);
        m_browse->close();
        QVERIFY(!(m_mainWindow->windowState() & Qt::WindowMinimized));
        QTRY_VERIFY_WITH_TIMEOUT(m_browse.isNull(), 5000);
        QVERIFY(m_messages.shown.isEmpty());
    }
};

QTEST_MAIN(FileBrowseTest)
#include "tst_FileBrowse.moc"
