#include "DeviceMemory.h"
#include "ParamFileFormat.h"
#include "TestSupport.h"

#include <QTemporaryDir>
#include <QTest>

namespace {

const ParameterSet Distinct{1000001, 900002, 3, 44, 5, 66, 77, 65530, 9};

} // namespace

class TestDeviceMemory : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;

private Q_SLOTS:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
    }

    void dump_listsNineNameValueLinesInCanonicalOrder()
    {
        QCOMPARE(DeviceMemory(Distinct).dumpText(), QByteArray("ShutDownCountSP=1000001\n"
                                                               "WarningCountSP=900002\n"
                                                               "ActualCount=3\n"
                                                               "StaticTripSP=44\n"
                                                               "StaticTripTimer=5\n"
                                                               "DynamicTripSP=66\n"
                                                               "CountTripSP=77\n"
                                                               "StaticFaultCount=65530\n"
                                                               "DynamicFaultCount=9\n"));
    }

    void writeDump_replacesAnEarlierDump_orFailsWithReason()
    {
        const QString path = m_dir->filePath(u"memory.txt"_s);
        DeviceMemory memory;
        QString error;
        QVERIFY(memory.writeDump(path, &error));
        memory.store(Parameter::StaticTripSP, 12);
        QVERIFY(memory.writeDump(path, &error));
        QCOMPARE(fileContents(path), memory.dumpText());
        QVERIFY(fileContents(path).contains("\nStaticTripSP=12\n"));

        const QString missing = m_dir->filePath(u"missing/memory.txt"_s);
        QVERIFY(!memory.writeDump(missing, &error));
        QVERIFY2(error.contains(missing), qPrintable(error));
    }

    void parameterFile_savedByTheTool_loadsItsValues()
    {
        const QString path = m_dir->filePath(u"PRESS1.PRS"_s);
        QVERIFY(writeFile(path, ParamFileFormat::contents(Distinct, u"C:\\PRESS1.PRS"_s)));
        QString error;
        const auto values = DeviceMemory::loadParameterFile(path, &error);
        QVERIFY2(values.has_value(), qPrintable(error));
        QCOMPARE(*values, Distinct);
    }

    // Empty contents: no file at all.
    void unreadableParameterFile_isRefusedWithReason_data()
    {
        QTest::addColumn<QByteArray>("contents");
        QTest::newRow("missing file") << QByteArray();
        QTest::newRow("not a parameter file") << QByteArray("hello\r\nworld\r\n");
        QTest::newRow("value that is no number")
            << ParamFileFormat::contents(Distinct, u"C:\\BAD.PRS"_s).replace(",1000001", ",12x");
    }

    void unreadableParameterFile_isRefusedWithReason()
    {
        QFETCH(QByteArray, contents);
        const QString path = m_dir->filePath(u"BAD.PRS"_s);
        QVERIFY(contents.isEmpty() || writeFile(path, contents));
        QString error;
        QVERIFY(!DeviceMemory::loadParameterFile(path, &error).has_value());
        QVERIFY2(error.contains(path), qPrintable(error));
    }
};

QTEST_GUILESS_MAIN(TestDeviceMemory)
#include "tst_DeviceMemory.moc"
