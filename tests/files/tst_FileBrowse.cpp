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
        for (const char* other : {"Data/notes.TXT", "Data/other.dat"})
            QVERIFY(writeFile(m_tree->filePath(QString::fromLatin1(other)), "other"));
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

    // OK hands the typed name, upper-cased, to the read or the save, then restores the main
    // window and unloads the dialog.
    void openOrSave_dialogOverTheMinimisedWindow_okayRunsTheOperation_data()
    {
        QTest::addColumn<bool>("save");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("message");
        QTest::newRow("Open File")
            << false << u"Read File"_s << u"press1.prs"_s << u"File Access Complete...."_s;
        QTest::newRow("Save File")
            << true << u"Save File"_s << u"new1"_s << u"File Save Complete."_s;
    }

    void openOrSave_dialogOverTheMinimisedWindow_okayRunsTheOperation()
    {
        QFETCH(bool, save);
        QFETCH(QString, caption);
        QFETCH(QString, typed);
        QFETCH(QString, message);
        ModVars.ShutDownCountSP = 7;
        QVERIFY(openBrowser(save));
        QTRY_COMPARE_WITH_TIMEOUT(browse()->windowTitle(), caption, Deadline);
        QVERIFY(m_window->windowState() & Qt::WindowMinimized);
        QCOMPARE(nameBox()->text(), m_dosData);
        QVERIFY(nameBox()->hasFocus());
        QCOMPARE(control<QComboBox>("CmbFileType")->currentText(), u"*.PRS"_s);
        QCOMPARE(listed(), QStringList{"press1.prs"});

        nameBox()->setText(m_dosData.toLower() + typed);
        QTest::mouseClick(control<QPushButton>("CmdOkay"), Qt::LeftButton);
        QVERIFY(ModVars.ParamFileName.startsWith((m_dosData + typed).toUpper()));
        QCOMPARE(m_messages.texts(), QStringList{message});
        QCOMPARE(m_window->SpdEEPROM->cellText(1), save ? u"7"_s : u"5000"_s);
        QCOMPARE(QFile::exists(m_tree->filePath(u"Data/NEW1.PRS"_s)), save);
        QVERIFY(!(m_window->windowState() & Qt::WindowMinimized));
        QTRY_VERIFY_WITH_TIMEOUT(!browse(), Deadline);
    }

    // Each step down the file types picks the next one; a click on a file names it.
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

    // Cancel only hides the dialog: the next opening keeps its folder and type. The close
    // box unloads it.
    void cancelKeepsFolderAndType_closeBoxUnloads()
    {
        QVERIFY(openBrowser(true));
        auto* folders = control<QTreeWidget>("DirPick");
        QCOMPARE(folders->topLevelItem(0)->text(0), u"C:\\"_s);
        folders->setFocus();
        folders->setCurrentItem(folders->findItems(u"Sub"_s, Qt::MatchRecursive).value(0));
        QTest::keyClick(folders, Qt::Key_Return);
        QTRY_COMPARE_WITH_TIMEOUT(nameBox()->text(), m_dosData + "SUB\\", Deadline);
        QVERIFY(listed().isEmpty());
        pickFileType(3);
        QTest::mouseClick(control<QPushButton>("CmdCancel"), Qt::LeftButton);
        QVERIFY(browse()->isHidden());
        QVERIFY(!(m_window->windowState() & Qt::WindowMinimized));

        QTest::mouseClick(m_window->CmdOpen, Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(browse()->windowTitle(), u"Read File"_s, Deadline);
        QVERIFY(browse()->currentFolder().endsWith(QLatin1String("/Data/Sub")));
        QCOMPARE(browse()->filePattern(), u"*.*"_s);
        browse()->close();
        QVERIFY(!(m_window->windowState() & Qt::WindowMinimized));
        QTRY_VERIFY_WITH_TIMEOUT(!browse(), Deadline);
        QVERIFY(m_messages.shown.isEmpty());
    }
};

QTEST_MAIN(FileBrowseTest)
#include "tst_FileBrowse.moc"
