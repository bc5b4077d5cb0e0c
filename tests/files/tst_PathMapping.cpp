#include "DosPathMapper.h"
#include "PathRules.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

namespace {

void makeFile(const QString& path)
{
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly), qPrintable(path));
}

} // namespace

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
        makeFile(host(QStringLiteral("Data/press1.prs")));
        makeFile(host(QStringLiteral("Data/Notes.txt")));
        makeFile(host(QStringLiteral("Data/b.PRS")));
        makeFile(host(QStringLiteral("Exact/MIXED/inner.prs")));
        m_dosRoot = PathRules::folderText(m_mapper.toDos(m_tree->path())).toUpper();
        QVERIFY(m_dosRoot.startsWith(QLatin1String("C:\\")));
    }

    void cleanup() { m_tree.reset(); }

    void hasDriveForm_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("root only") << "C:\\" << false;
        QTest::newRow("file at root") << "C:\\A" << true;
        QTest::newRow("no drive") << "PRESS1.PRS" << false;
        QTest::newRow("forward slash") << "C:/DATA/PRESS1" << false;
        QTest::newRow("drive mark inside") << "XX:\\A" << true;
        QTest::newRow("empty") << "" << false;
    }

    void hasDriveForm()
    {
        QFETCH(QString, path);
        QFETCH(bool, accepted);
        QCOMPARE(PathRules::hasDriveForm(path), accepted);
    }

    void pathRules_titleAndExtension_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("completed");
        QTest::newRow("plain") << "C:\\DATA\\PRESS1"
                               << "PRESS1"
                               << "C:\\DATA\\PRESS1.PRS";
        QTest::newRow("with extension") << "C:\\DATA\\PRESS1.TXT"
                                        << "PRESS1.TXT"
                                        << "C:\\DATA\\PRESS1.TXT";
        QTest::newRow("dot in folder") << "C:\\MY.DIR\\PRESS1"
                                       << "PRESS1"
                                       << "C:\\MY.DIR\\PRESS1";
        QTest::newRow("folder without dot") << "C:\\DATA\\"
                                            << ""
                                            << "C:\\DATA\\.PRS";
        QTest::newRow("folder with dot") << "C:\\MY.DIR\\"
                                         << ""
                                         << "C:\\MY.DIR\\";
        QTest::newRow("lower case title") << "C:\\data\\press1.prs"
                                          << "PRESS1.PRS"
                                          << "C:\\data\\press1.prs";
    }

    void pathRules_titleAndExtension()
    {
        QFETCH(QString, path);
        QFETCH(QString, title);
        QFETCH(QString, completed);
        QCOMPARE(PathRules::titleOf(path), title);
        QCOMPARE(PathRules::withDefaultExtension(path), completed);
    }

    void folderText_rootKeptOtherFoldersGetBackslash()
    {
        QCOMPARE(PathRules::folderText(QStringLiteral("C:\\")), QStringLiteral("C:\\"));
        QCOMPARE(PathRules::folderText(QStringLiteral("C:\\DATA")), QStringLiteral("C:\\DATA\\"));
    }

    void toHost_upperCaseEntry_findsMixedCaseEntries_data()
    {
        QTest::addColumn<QString>("dos");
        QTest::addColumn<QString>("expected");
        QTest::newRow("file in folder") << "DATA\\PRESS1.PRS"
                                        << "Data/press1.prs";
        QTest::newRow("lower case entry") << "data\\press1.prs"
                                          << "Data/press1.prs";
        QTest::newRow("folder with dot") << "MY.DIR"
                                         << "My.Dir";
        QTest::newRow("exact match wins") << "EXACT\\MIXED\\INNER.PRS"
                                          << "Exact/MIXED/inner.prs";
        QTest::newRow("first variant in sorted order") << "VARIANTS\\MIXED"
                                                       << "Variants/Mixed";
        QTest::newRow("new file kept as typed") << "DATA\\NEW1.PRS"
                                                << "Data/NEW1.PRS";
        QTest::newRow("new folder kept as typed") << "NOPE\\DATA\\X.PRS"
                                                  << "NOPE/DATA/X.PRS";
        QTest::newRow("doubled backslash") << "DATA\\\\PRESS1.PRS"
                                           << "Data/press1.prs";
    }

    void toHost_upperCaseEntry_findsMixedCaseEntries()
    {
        QFETCH(QString, dos);
        QFETCH(QString, expected);
        const DosPathMapper::HostPath mapped = m_mapper.toHost(m_dosRoot + dos);
        QVERIFY(!mapped.error);
        QCOMPARE(mapped.path, host(expected));
    }

    void toHost_unknownDriveOrNoDrive_isAnError()
    {
        QVERIFY(m_mapper.toHost(QStringLiteral("Q:\\DATA\\X.PRS")).error);
        QVERIFY(m_mapper.toHost(QStringLiteral("DATA\\X.PRS")).error);
    }

    void toDos_rootAndLongestDriveRoot()
    {
        QCOMPARE(m_mapper.toDos(QStringLiteral("/")), QStringLiteral("C:\\"));
        QCOMPARE(m_mapper.toDos(QStringLiteral("/usr/lib/")), QStringLiteral("C:\\usr\\lib"));

        const DosPathMapper withMedia(
            {{QLatin1Char('C'), QStringLiteral("/")}, {QLatin1Char('d'), host("Data")}});
        QCOMPARE(withMedia.toDos(host("Data/press1.prs")), QStringLiteral("D:\\press1.prs"));
        QCOMPARE(withMedia.toDos(host("Data")), QStringLiteral("D:\\"));
        QVERIFY(withMedia.toDos(host("Data2")).startsWith(QLatin1String("C:\\")));
        QCOMPARE(withMedia.toHost(QStringLiteral("D:\\PRESS1.PRS")).path, host("Data/press1.prs"));
    }

    void probe_data()
    {
        QTest::addColumn<QString>("dos");
        QTest::addColumn<QString>("found");
        QTest::newRow("existing file") << "DATA\\PRESS1.PRS"
                                       << "press1.prs";
        QTest::newRow("missing file") << "DATA\\PRESS2.PRS"
                                      << "";
        QTest::newRow("missing folder") << "NOPE\\PRESS1.PRS"
                                        << "";
        QTest::newRow("folder is no plain file") << "MY.DIR"
                                                 << "";
        QTest::newRow("folder with files") << "DATA\\"
                                           << "Notes.txt";
        QTest::newRow("folder without files") << "EMPTY\\"
                                              << "";
        QTest::newRow("pattern") << "DATA\\*.PRS"
                                 << "b.PRS";
        QTest::newRow("pattern without match") << "DATA\\*.DOC"
                                               << "";
    }

    void probe()
    {
        QFETCH(QString, dos);
        QFETCH(QString, found);
        const DosPathMapper::ProbeResult result = m_mapper.probe(m_dosRoot + dos);
        QVERIFY(!result.error);
        QCOMPARE(result.fileName, found);
    }

    void probe_textWithoutDrive_findsNothingWithoutError()
    {
        for (const char* text : {"", "PRESS1", "C:", "C:DATA"}) {
            const DosPathMapper::ProbeResult result = m_mapper.probe(QString::fromLatin1(text));
            QVERIFY2(!result.error, text);
            QVERIFY(result.fileName.isEmpty());
        }
    }

    void probe_unknownDriveOrBadDriveMark_isAnError()
    {
        QVERIFY(m_mapper.probe(QStringLiteral("Q:\\DATA\\PRESS1.PRS")).error);
        QVERIFY(m_mapper.probe(QStringLiteral("XX:\\PRESS1.PRS")).error);
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
