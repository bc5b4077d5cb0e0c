#include "DosPathMapper.h"
#include "PathRules.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

class PathMappingTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_tree;
    DosPathMapper m_mapper;
    QString m_dosRoot; // the temporary tree as the user would type it, C:\TMP\...\ upper case

    QString host(const QString& relative) const { return m_tree->filePath(relative); }

private slots:
    void init()
    {
        m_tree = std::make_unique<QTemporaryDir>();
        QVERIFY(m_tree->isValid());
        QDir root(m_tree->path());
        for (const char* folder : {"Data", "My.Dir", "Empty", "Exact/MIXED", "Exact/Mixed",
                                   "Exact/mixed", "Variants/mixed", "Variants/Mixed"})
            QVERIFY(root.mkpath(QString::fromLatin1(folder)));
        for (const char* file :
             {"Data/press1.prs", "Data/Notes.txt", "Data/b.PRS", "Exact/MIXED/inner.prs"})
            QVERIFY(QFile(host(QString::fromLatin1(file))).open(QIODevice::WriteOnly));
        m_dosRoot = PathRules::folderText(m_mapper.toDos(m_tree->path())).toUpper();
        QVERIFY(m_dosRoot.startsWith(QLatin1String("C:\\")));
    }

    void cleanup() { m_tree.reset(); }

    void pathRules_driveFormTitleAndExtension_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("driveForm");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("completed");
        QTest::newRow("plain") << u"C:\\DATA\\PRESS1"_s << true << u"PRESS1"_s
                               << u"C:\\DATA\\PRESS1.PRS"_s;
        QTest::newRow("with extension")
            << u"C:\\DATA\\PRESS1.TXT"_s << true << u"PRESS1.TXT"_s << u"C:\\DATA\\PRESS1.TXT"_s;
        QTest::newRow("dot in folder")
            << u"C:\\MY.DIR\\PRESS1"_s << true << u"PRESS1"_s << u"C:\\MY.DIR\\PRESS1.PRS"_s;
        QTest::newRow("folder without dot")
            << u"C:\\DATA\\"_s << true << QString() << u"C:\\DATA\\"_s;
        QTest::newRow("folder with dot")
            << u"C:\\MY.DIR\\"_s << true << QString() << u"C:\\MY.DIR\\"_s;
        QTest::newRow("lower case title")
            << u"C:\\data\\press1.prs"_s << true << u"PRESS1.PRS"_s << u"C:\\data\\press1.prs"_s;
        QTest::newRow("root only") << u"C:\\"_s << false << QString() << u"C:\\"_s;
        QTest::newRow("file at root") << u"C:\\A"_s << true << u"A"_s << u"C:\\A.PRS"_s;
        QTest::newRow("no drive") << u"PRESS1.PRS"_s << false << u"PRESS1.PRS"_s << u"PRESS1.PRS"_s;
        QTest::newRow("forward slash")
            << u"C:/DATA/PRESS1"_s << false << u"C:/DATA/PRESS1"_s << u"C:/DATA/PRESS1.PRS"_s;
        QTest::newRow("drive mark inside") << u"XX:\\A"_s << true << u"A"_s << u"XX:\\A.PRS"_s;
        QTest::newRow("empty") << QString() << false << QString() << QString();
    }

    void pathRules_driveFormTitleAndExtension()
    {
        QFETCH(QString, path);
        QFETCH(bool, driveForm);
        QFETCH(QString, title);
        QFETCH(QString, completed);
        QCOMPARE(PathRules::hasDriveForm(path), driveForm);
        QCOMPARE(PathRules::titleOf(path), title);
        QCOMPARE(PathRules::withDefaultExtension(path), completed);
    }

    void folderText_rootKeptOtherFoldersGetBackslash()
    {
        QCOMPARE(PathRules::folderText(u"C:\\"_s), u"C:\\"_s);
        QCOMPARE(PathRules::folderText(u"C:\\DATA"_s), u"C:\\DATA\\"_s);
    }

    void toHost_upperCaseEntry_findsMixedCaseEntries_data()
    {
        QTest::addColumn<QString>("dos");
        QTest::addColumn<QString>("expected");
        QTest::newRow("file in folder") << u"DATA\\PRESS1.PRS"_s << u"Data/press1.prs"_s;
        QTest::newRow("lower case entry") << u"data\\press1.prs"_s << u"Data/press1.prs"_s;
        QTest::newRow("folder with dot") << u"MY.DIR"_s << u"My.Dir"_s;
        QTest::newRow("exact match wins")
            << u"EXACT\\MIXED\\INNER.PRS"_s << u"Exact/MIXED/inner.prs"_s;
        QTest::newRow("first variant in sorted order")
            << u"VARIANTS\\MIXED"_s << u"Variants/Mixed"_s;
        QTest::newRow("new file kept as typed") << u"DATA\\NEW1.PRS"_s << u"Data/NEW1.PRS"_s;
        QTest::newRow("new folder kept as typed") << u"NOPE\\DATA\\X.PRS"_s << u"NOPE/DATA/X.PRS"_s;
        QTest::newRow("doubled backslash") << u"DATA\\\\PRESS1.PRS"_s << u"Data/press1.prs"_s;
    }

    void toHost_upperCaseEntry_findsMixedCaseEntries()
    {
        QFETCH(QString, dos);
        QFETCH(QString, expected);
        const DosPathMapper::HostPath mapped = m_mapper.toHost(m_dosRoot + dos);
        QVERIFY(!mapped.error);
        QCOMPARE(mapped.path, host(expected));
    }

    void toDos_rootAndLongestDriveRoot()
    {
        QCOMPARE(m_mapper.toDos(u"/"_s), u"C:\\"_s);
        QCOMPARE(m_mapper.toDos(u"/usr/lib/"_s), u"C:\\usr\\lib"_s);

        const DosPathMapper withMedia(
            {{QLatin1Char('C'), u"/"_s}, {QLatin1Char('d'), host("Data")}});
        QCOMPARE(withMedia.toDos(host("Data/press1.prs")), u"D:\\press1.prs"_s);
        QCOMPARE(withMedia.toDos(host("Data")), u"D:\\"_s);
        QVERIFY(withMedia.toDos(host("Data2")).startsWith(QLatin1String("C:\\")));
        QCOMPARE(withMedia.toHost(u"D:\\PRESS1.PRS"_s).path, host("Data/press1.prs"));
    }

    void probe_data()
    {
        QTest::addColumn<QString>("dos");
        QTest::addColumn<QString>("found");
        QTest::newRow("existing file") << u"DATA\\PRESS1.PRS"_s << u"press1.prs"_s;
        QTest::newRow("missing file") << u"DATA\\PRESS2.PRS"_s << QString();
        QTest::newRow("missing folder") << u"NOPE\\PRESS1.PRS"_s << QString();
        QTest::newRow("folder is no plain file") << u"MY.DIR"_s << QString();
        QTest::newRow("folder with files") << u"DATA\\"_s << u"Notes.txt"_s;
        QTest::newRow("folder without files") << u"EMPTY\\"_s << QString();
        QTest::newRow("pattern") << u"DATA\\*.PRS"_s << u"b.PRS"_s;
        QTest::newRow("pattern without match") << u"DATA\\*.DOC"_s << QString();
    }

    void probe()
    {
        QFETCH(QString, dos);
        QFETCH(QString, found);
        const DosPathMapper::ProbeResult result = m_mapper.probe(m_dosRoot + dos);
        QVERIFY(!result.error);
        QCOMPARE(result.fileName, found);
    }

    void textWithoutAKnownDrive_findsNothingOrIsAnError()
    {
        for (const char* text : {"", "PRESS1", "C:", "C:DATA"}) {
            const DosPathMapper::ProbeResult result = m_mapper.probe(QString::fromLatin1(text));
            QVERIFY2(!result.error, text);
            QVERIFY(result.fileName.isEmpty());
        }
        QVERIFY(m_mapper.probe(u"Q:\\DATA\\PRESS1.PRS"_s).error);
        QVERIFY(m_mapper.probe(u"XX:\\PRESS1.PRS"_s).error);
        QVERIFY(m_mapper.toHost(u"Q:\\DATA\\X.PRS"_s).error);
        QVERIFY(m_mapper.toHost(u"DATA\\X.PRS"_s).error);
    }

    void probe_folderThatCannotBeRead_isAnError()
    {
        if (::geteuid() == 0)
            QSKIP("folder permissions do not hold for the superuser");
        QFile::setPermissions(host("Data"), QFileDevice::WriteOwner);
        const DosPathMapper::ProbeResult inside = m_mapper.probe(m_dosRoot + "DATA\\PRESS1.PRS");
        const DosPathMapper::HostPath below = m_mapper.toHost(m_dosRoot + "DATA\\SUB\\X.PRS");
        QFile::setPermissions(host("Data"), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                QFileDevice::ExeOwner);
        QVERIFY(inside.error);
        QVERIFY(below.error);
    }
};

QTEST_GUILESS_MAIN(PathMappingTest)
#include "tst_PathMapping.moc"
