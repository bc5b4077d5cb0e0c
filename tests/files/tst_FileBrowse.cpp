#include "DosPathMapper.h"
#include "FakeSerialLink.h"
#include "FrmFileBrowse.h"
#include "FrmPressureMonitor.h"
#include "ParamFileFormat.h"
#include "PathRules.h"
#include "RecordingMessageBoxes.h"
#include "SpreadGrid.h"
#include "TestSupport.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>

namespace {

constexpr int Deadline = 5000; // milliseconds

} // namespace

// The file dialog as the main window's Open and Save buttons bring it up.
class FileBrowseTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_tree;
    QString m_startFolder;
    // The Data folder of the tree as the name box shows it, upper case and ending in a backslash.
    QString m_dosData;
    RecordingMessageBoxes m_messages;
    std::unique_ptr<FrmPressureMonitor> m_window;

    FrmFileBrowse* browse() const { return m_window->fileBrowse(); }

    template <typename T> T* control(const char* name) const
    {
        T* found = browse()->findChild<T*>(QString::fromLatin1(name));
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

    // Open or Save clicked; true once the dialog is the active window.
    bool openBrowser(bool save)
    {
        QTest::mouseClick(save ? m_window->CmdSave : m_window->CmdOpen, Qt::LeftButton);
        return browse() && QTest::qWaitFor([this] { return browse()->isActiveWindow(); }, Deadline);
    }

    // The file type picked from the keyboard, the way down the list.
    void pickFileType(int steps)
    {
        auto* type = control<QComboBox>("CmbFileType");
        type->setFocus();
        for (int i = 0; i < steps; ++i)
            QTest::keyClick(type, Qt::Key_Down);
    }

private slots:
    void init()
    {
        m_tree = std::make_unique<QTemporaryDir>();
        QVERIFY(m_tree->isValid());
        QVERIFY(QDir(m_tree->path()).mkpath(u"Data/Sub"_s));
        QVERIFY(writeFile(m_tree->filePath(u"Data/press1.prs"_s),
                          ParamFileFormat::contents(exampleValues(), u"C:\\DATA\\PRESS1.PRS"_s)));
        QVERIFY(writeFile(m_tree->filePath(u"Data/notes.TXT"_s), "notes"));
        QVERIFY(writeFile(m_tree->filePath(u"Data/other.dat"_s), "other"));
        m_startFolder = QDir::currentPath();
        QVERIFY(QDir::setCurrent(m_tree->filePath(u"Data"_s)));
        m_dosData = PathRules::folderText(DosPathMapper().toDos(QDir::currentPath())).toUpper();
        ModVars.reset();
        m_messages.shown.clear();
        m_window =
            std::make_unique<FrmPressureMonitor>(std::make_unique<FakeSerialLink>(), m_messages);
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    }

    void cleanup()
    {
        m_window.reset();
        QDir::setCurrent(m_startFolder);
        m_tree.reset();
        ModVars.reset();
    }

    void openOrSave_showsTheDialogOverTheMinimisedWindow_data()
    {
        QTest::addColumn<bool>("save");
        QTest::addColumn<QString>("caption");
        QTest::newRow("Open File") << false << u"Read File"_s;
        QTest::newRow("Save File") << true << u"Save File"_s;
    }

    void openOrSave_showsTheDialogOverTheMinimisedWindow()
    {
        QFETCH(bool, save);
        QFETCH(QString, caption);
        QVERIFY(openBrowser(save));
        QCOMPARE(ModVars.FileAction, save ? 1 : 0);
        QTRY_COMPARE_WITH_TIMEOUT(browse()->windowTitle(), caption, Deadline);
        QVERIFY(m_window->windowState() & Qt::WindowMinimized);
        QCOMPARE(nameBox()->text(), m_dosData);
        QVERIFY(nameBox()->hasFocus());
        QCOMPARE(control<QComboBox>("CmbFileType")->currentText(), u"*.PRS"_s);
        QCOMPARE(listed(), QStringList{"press1.prs"});
    }

    // No step: the dialog's own *.PRS; each step down picks the next type in the list.
    void fileTypePicked_listsMatchingFilesWithoutRegardToCase_data()
    {
        QTest::addColumn<int>("steps");
        QTest::addColumn<QStringList>("files");
        QTest::newRow("PRS") << 1 << QStringList{"press1.prs"};
        QTest::newRow("TXT") << 2 << QStringList{"notes.TXT"};
        QTest::newRow("all") << 3 << QStringList{"notes.TXT", "other.dat", "press1.prs"};
    }

    void fileTypePicked_listsMatchingFilesWithoutRegardToCase()
    {
        QFETCH(int, steps);
        QFETCH(QStringList, files);
        QVERIFY(openBrowser(false));
        pickFileType(steps);
        QCOMPARE(listed(), files);
        QVERIFY(nameBox()->hasFocus());

        auto* list = control<QListWidget>("FilList");
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualItemRect(list->item(0)).center());
        QCOMPARE(nameBox()->text(), m_dosData + files.first().toUpper());
        QVERIFY(nameBox()->hasFocus());
        QCOMPARE(nameBox()->cursorPosition(), nameBox()->text().size());
    }

    void folderOpened_updatesFileListAndNameBox()
    {
        QVERIFY(openBrowser(true));
        auto* folders = control<QTreeWidget>("DirPick");
        QCOMPARE(folders->topLevelItem(0)->text(0), u"C:\\"_s);
        const QList<QTreeWidgetItem*> sub =
            folders->findItems(u"Sub"_s, Qt::MatchExactly | Qt::MatchRecursive);
        QCOMPARE(sub.size(), 1);
        folders->setFocus();
        folders->setCurrentItem(sub.first());
        QTest::keyClick(folders, Qt::Key_Return);
        QTRY_COMPARE_WITH_TIMEOUT(nameBox()->text(), m_dosData + "SUB\\", Deadline);
        QVERIFY(listed().isEmpty());
        QVERIFY(browse()->currentFolder().endsWith(QLatin1String("/Data/Sub")));
    }

    void cancel_hidesAndKeepsFolderAndType()
    {
        QVERIFY(openBrowser(false));
        pickFileType(2);
        QTest::mouseClick(control<QPushButton>("CmdCancel"), Qt::LeftButton);
        QVERIFY(browse()->isHidden());
        QVERIFY(!(m_window->windowState() & Qt::WindowMinimized));

        QTest::mouseClick(m_window->CmdSave, Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(browse()->windowTitle(), u"Save File"_s, Deadline);
        QCOMPARE(browse()->filePattern(), u"*.txt"_s);
        QCOMPARE(listed(), QStringList{"notes.TXT"});
        QVERIFY(m_messages.shown.isEmpty());
    }

    void reactivation_dropsTypedText()
    {
        QVERIFY(openBrowser(false));
        QTest::keyClicks(nameBox(), u"X.PRS"_s);
        QCOMPARE(nameBox()->text(), m_dosData + "X.PRS");
        m_window->activateWindow();
        QTRY_VERIFY_WITH_TIMEOUT(!browse()->isActiveWindow(), Deadline);
        browse()->activateWindow();
        QTRY_COMPARE_WITH_TIMEOUT(nameBox()->text(), m_dosData, Deadline);
    }

    void okayOnRead_readsTypedLowerCaseNameAndUnloads()
    {
        QVERIFY(openBrowser(false));
        nameBox()->setText(m_dosData.toLower() + "press1.prs");
        QTest::mouseClick(control<QPushButton>("CmdOkay"), Qt::LeftButton);
        QCOMPARE(ModVars.ParamFileName, m_dosData + "PRESS1.PRS");
        QCOMPARE(m_messages.texts(), QStringList{"File Access Complete...."});
        QCOMPARE(static_cast<ParameterSet&>(ModVars), exampleValues());
        QCOMPARE(m_window->SpdEEPROM->cellText(1), u"5000"_s);
        QVERIFY(!(m_window->windowState() & Qt::WindowMinimized));
        QTRY_VERIFY_WITH_TIMEOUT(!browse(), Deadline);
    }

    void okayOnSave_savesAndNextOpeningStartsFresh()
    {
        QVERIFY(openBrowser(true));
        pickFileType(3);
        nameBox()->setText(m_dosData + "new1");
        QTest::mouseClick(control<QPushButton>("CmdOkay"), Qt::LeftButton);
        QCOMPARE(m_messages.texts(), QStringList{"File Save Complete."});
        QVERIFY(QFile::exists(m_tree->filePath(u"Data/NEW1.PRS"_s)));
        QTRY_VERIFY_WITH_TIMEOUT(!browse(), Deadline);

        QVERIFY(openBrowser(false));
        QCOMPARE(browse()->currentFolder(), QDir::currentPath());
        QCOMPARE(listed(), QStringList({"NEW1.PRS", "press1.prs"}));
    }

    void closeBox_restoresMainWindowAndUnloads()
    {
        QVERIFY(openBrowser(false));
        browse()->close();
        QVERIFY(!(m_window->windowState() & Qt::WindowMinimized));
        QTRY_VERIFY_WITH_TIMEOUT(!browse(), Deadline);
        QVERIFY(m_messages.shown.isEmpty());
    }
};

QTEST_MAIN(FileBrowseTest)
#include "tst_FileBrowse.moc"
