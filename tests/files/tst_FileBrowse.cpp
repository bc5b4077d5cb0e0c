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

constexpr int Deadline = 5000; // milliseconds

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

    QLineEdit* nameBox() const { return control<QLineEdit>("TxtFileName"); }
    QStringList listed() const
    {
        const auto* list = control<QListWidget>("FilList");
        QStringList out;
        for (int i = 0; i < list->count(); ++i)
            out.append(list->item(i)->text());
        return out;
    }

    // What the main window's Open and Save buttons do; true once the dialog is active.
    bool openBrowser(int fileAction, bool waitActive = true)
    {
        ModVars.FileAction = std::int16_t(fileAction);
        if (!m_browse)
            m_browse = new FrmFileBrowse(m_mainWindow.get(), m_messages);
        m_browse->show();
        m_browse->activateWindow();
        m_mainWindow->setWindowState(Qt::WindowMinimized);
        return !waitActive ||
               QTest::qWaitFor([this] { return m_browse->isActiveWindow(); }, Deadline);
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
        QVERIFY(root.mkpath(u"Data/Sub"_s));
        QVERIFY(writeFile(m_tree->filePath(u"Data/press1.prs"_s),
                          ParamFileFormat::contents(exampleValues(), u"C:\\DATA\\PRESS1.PRS"_s)));
        QVERIFY(writeFile(m_tree->filePath(u"Data/notes.TXT"_s), "notes"));
        QVERIFY(writeFile(m_tree->filePath(u"Data/other.dat"_s), "other"));
        m_startFolder = QDir::currentPath();
        QVERIFY(QDir::setCurrent(m_tree->filePath(u"Data"_s)));
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
        QTest::newRow("open") << 0 << u"Read File"_s;
        QTest::newRow("save") << 1 << u"Save File"_s;
        QTest::newRow("other") << 2 << u"Read File"_s;
    }

    void activation_setsCaptionFromFileAction()
    {
        QFETCH(int, fileAction);
        QFETCH(QString, caption);
        QVERIFY(openBrowser(fileAction));
        QTRY_COMPARE_WITH_TIMEOUT(m_browse->windowTitle(), caption, Deadline);
    }

    void freshDialog_startsInWorkingFolder_fileClickFillsNameBox()
    {
        m_browse = new FrmFileBrowse(m_mainWindow.get(), m_messages);
        QCOMPARE(m_browse->windowTitle(), u"File Browser"_s);
        QCOMPARE(m_browse->size(), QSize(332, 314));
        QCOMPARE(nameBox()->geometry(), QRect(96, 224, 217, 19));
        QCOMPARE(control<QListWidget>("FilList")->geometry(), QRect(176, 56, 137, 162));
        QCOMPARE(nameBox()->toolTip(), u"Use to Specify File  in Drive:\\Path\\Name Format"_s);
        QCOMPARE(nameBox()->nextInFocusChain(), control<QComboBox>("CmbFileType"));

        QVERIFY(openBrowser(0));
        auto* name = nameBox();
        QCOMPARE(name->text(), m_dosData);
        QCOMPARE(name->cursorPosition(), m_dosData.size());
        QVERIFY(name->hasFocus());
        auto* type = control<QComboBox>("CmbFileType");
        QCOMPARE(type->currentText(), u"*.PRS"_s);
        QCOMPARE(type->currentIndex(), -1);
        QCOMPARE(listed(), QStringList{"press1.prs"});

        clickFile(u"press1.prs"_s);
        QCOMPARE(name->text(), m_dosData + "PRESS1.PRS");
        QVERIFY(name->hasFocus());
        QCOMPARE(name->cursorPosition(), name->text().size());
    }

    void folderOpened_updatesFileListAndNameBox()
    {
        QVERIFY(openBrowser(1));
        auto* folders = control<QTreeWidget>("DirPick");
        QCOMPARE(folders->topLevelItem(0)->text(0), u"C:\\"_s);
        const QList<QTreeWidgetItem*> sub =
            folders->findItems(u"Sub"_s, Qt::MatchExactly | Qt::MatchRecursive);
        QCOMPARE(sub.size(), 1);
        emit folders->itemActivated(sub.first(), 0);
        QTRY_COMPARE_WITH_TIMEOUT(nameBox()->text(), m_dosData + "SUB\\", Deadline);
        QVERIFY(listed().isEmpty());
        QVERIFY(m_browse->currentFolder().endsWith(QLatin1String("/Data/Sub")));
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
        QVERIFY(openBrowser(0));
        m_browse->CmbFileType_Click(index);
        QCOMPARE(listed(), files);
        QCOMPARE(m_browse->filePattern(), pattern);
    }

    void cancel_hidesAndKeepsFolderAndType()
    {
        QVERIFY(openBrowser(0));
        m_browse->CmbFileType_Click(1);
        m_browse->DrvPick_Change(0);
        QCOMPARE(nameBox()->text(), u"C:\\"_s);
        QCOMPARE(m_browse->currentFolder(), u"/"_s);
        QTest::mouseClick(control<QPushButton>("CmdCancel"), Qt::LeftButton);
        QVERIFY(m_browse);
        QVERIFY(m_browse->isHidden());
        QVERIFY(!(m_mainWindow->windowState() & Qt::WindowMinimized));

        openBrowser(1, false);
        QTRY_COMPARE_WITH_TIMEOUT(m_browse->windowTitle(), u"Save File"_s, Deadline);
        QCOMPARE(m_browse->currentFolder(), u"/"_s);
        QCOMPARE(m_browse->filePattern(), u"*.txt"_s);
        QCOMPARE(nameBox()->text(), u"C:\\"_s);
        QVERIFY(m_messages.shown.isEmpty());
    }

    void reactivation_dropsTypedText()
    {
        QVERIFY(openBrowser(0));
        QTest::keyClicks(nameBox(), u"X.PRS"_s);
        QCOMPARE(nameBox()->text(), m_dosData + "X.PRS");
        m_mainWindow->activateWindow();
        QTRY_VERIFY_WITH_TIMEOUT(!m_browse->isActiveWindow(), Deadline);
        m_browse->activateWindow();
        QTRY_COMPARE_WITH_TIMEOUT(nameBox()->text(), m_dosData, Deadline);
    }

    void okayOnRead_readsTypedLowerCaseNameAndUnloads()
    {
        QVERIFY(openBrowser(0));
        nameBox()->setText(m_dosData.toLower() + "press1.prs");
        QTest::mouseClick(control<QPushButton>("CmdOkay"), Qt::LeftButton);
        QCOMPARE(ModVars.ParamFileName, m_dosData + "PRESS1.PRS");
        QCOMPARE(m_messages.texts(), QStringList{"File Access Complete...."});
        QCOMPARE(static_cast<ParameterSet&>(ModVars), exampleValues());
        QVERIFY(!(m_mainWindow->windowState() & Qt::WindowMinimized));
        QVERIFY(m_mainWindow->isVisible());
        QTRY_VERIFY_WITH_TIMEOUT(m_browse.isNull(), Deadline);
    }

    void okayOnSave_savesAndNextOpeningStartsFresh()
    {
        QVERIFY(openBrowser(1));
        m_browse->CmbFileType_Click(2);
        nameBox()->setText(m_dosData + "new1");
        QTest::mouseClick(control<QPushButton>("CmdOkay"), Qt::LeftButton);
        QCOMPARE(m_messages.texts(), QStringList{"File Save Complete."});
        QVERIFY(QFile::exists(m_tree->filePath(u"Data/NEW1.PRS"_s)));
        QTRY_VERIFY_WITH_TIMEOUT(m_browse.isNull(), Deadline);

        QVERIFY(openBrowser(0));
        QCOMPARE(m_browse->currentFolder(), QDir::currentPath());
        QCOMPARE(m_browse->filePattern(), u"*.PRS"_s);
        QCOMPARE(listed(), QStringList({"NEW1.PRS", "press1.prs"}));
    }

    void closeBox_restoresMainWindowAndUnloads()
    {
        QVERIFY(openBrowser(0));
        QVERIFY(m_mainWindow->windowState() & Qt::WindowMinimized);
        m_browse->close();
        QVERIFY(!(m_mainWindow->windowState() & Qt::WindowMinimized));
        QTRY_VERIFY_WITH_TIMEOUT(m_browse.isNull(), Deadline);
        QVERIFY(m_messages.shown.isEmpty());
    }

    // Beside press1.prs (example values) lies PRESS1.PRS (all ones); a save writes zeros.
    // No meant file: "Press1.prs" is typed, the names clash and nothing is read or written.
    void caseVariants_theFileMeantIsReadOrReplaced_data()
    {
        QTest::addColumn<int>("fileAction");
        QTest::addColumn<QString>("clicked");
        QTest::addColumn<QString>("meant");
        QTest::newRow("read by click, lower") << 0 << u"press1.prs"_s << u"press1.prs"_s;
        QTest::newRow("read typed exactly") << 0 << QString() << u"press1.prs"_s;
        QTest::newRow("read typed in neither case") << 0 << QString() << QString();
        QTest::newRow("save by click, lower") << 1 << u"press1.prs"_s << u"press1.prs"_s;
        QTest::newRow("save by click, upper") << 1 << u"PRESS1.PRS"_s << u"PRESS1.PRS"_s;
        QTest::newRow("save typed in neither case") << 1 << QString() << QString();
    }

    void caseVariants_theFileMeantIsReadOrReplaced()
    {
        QFETCH(int, fileAction);
        QFETCH(QString, clicked);
        QFETCH(QString, meant);
        const QStringList names{u"Data/press1.prs"_s, u"Data/PRESS1.PRS"_s};
        const QList<ParameterSet> held{exampleValues(), {1, 1, 1, 1, 1, 1, 1, 1, 1}};
        QVERIFY(writeFile(m_tree->filePath(names[1]), ParamFileFormat::contents(held[1], {})));
        QList<QByteArray> files;
        for (const QString& name : names)
            files.append(fileContents(m_tree->filePath(name)));
        QVERIFY(openBrowser(fileAction));
        if (clicked.isEmpty())
            nameBox()->setText(m_dosData + (meant.isEmpty() ? u"Press1.prs"_s : meant));
        else
            clickFile(clicked);
        QTest::mouseClick(control<QPushButton>("CmdOkay"), Qt::LeftButton);

        const int at = names.indexOf(u"Data/"_s + meant);
        const QString done =
            fileAction == 1 ? u"File Save Complete."_s : u"File Access Complete...."_s;
        QCOMPARE(m_messages.texts().last(),
                 at < 0 ? u"These files differ only in case: PRESS1.PRS, press1.prs. Pick one in "
                          u"the list or type its name exactly as listed."_s
                        : done);
        QCOMPARE(static_cast<ParameterSet&>(ModVars),
                 fileAction == 0 && at >= 0 ? held[at] : ParameterSet{});
        if (fileAction == 1 && at >= 0)
            files[at] = ParamFileFormat::contents({}, m_dosData + "PRESS1.PRS");
        for (int i = 0; i < 2; ++i)
            QCOMPARE(fileContents(m_tree->filePath(names[i])), files[i]);
    }

    void leavingForAnotherApplicationAndBack_keepsTypedName()
    {
        QVERIFY(openBrowser(0));
        QTest::keyClicks(nameBox(), u"X.PRS"_s);
        QApplication::setActiveWindow(nullptr);
        QVERIFY(!m_browse->isActiveWindow());
        QApplication::setActiveWindow(m_browse);
        QCOMPARE(nameBox()->text(), m_dosData + "X.PRS");
    }

    // All three files listed, the first picked: an arrow key fills the name box, Enter reads.
    void arrowKeysInFileList_fillNameBox_andEnterReads()
    {
        QVERIFY(openBrowser(0));
        m_browse->CmbFileType_Click(2);
        auto* list = control<QListWidget>("FilList");
        list->setFocus();
        list->setCurrentRow(0);
        QTest::keyClick(list, Qt::Key_Down);
        QCOMPARE(nameBox()->text(), m_dosData + "OTHER.DAT");
        QVERIFY(list->hasFocus());
        QTest::keyClick(list, Qt::Key_Down);
        QTest::keyClick(list, Qt::Key_Return);
        QCOMPARE(m_messages.texts(), QStringList{"File Access Complete...."});
        QCOMPARE(ModVars.ParamFileName, m_dosData + "PRESS1.PRS");
    }
};

QTEST_MAIN(FileBrowseTest)
#include "tst_FileBrowse.moc"
