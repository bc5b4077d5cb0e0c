#include "DeviceMemory.h"
#include "ParamFileFormat.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestDeviceMemory : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();

    void dump_listsNineNameValueLinesInCanonicalOrder();
    void writeDump_replacesAnEarlierDump();
    void writeDump_intoMissingFolder_failsWithReason();
    void parameterFile_savedByTheTool_loadsItsValues();
    void unreadableParameterFile_isRefusedWithReason_data();
    void unreadableParameterFile_isRefusedWithReason();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
};

namespace {

ParameterSet distinctValues()
{
    ParameterSet values;
    values.ShutDownCountSP = 1000001;
    values.WarningCountSP = 900002;
    values.ActualCount = 3;
    values.StaticTripSP = 44;
    values.StaticTripTimer = 5;
    values.DynamicTripSP = 66;
    values.CountTripSP = 77;
    values.StaticFaultCount = 65530;
    values.DynamicFaultCount = 9;
    return values;
}

QByteArray contentsOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

void TestDeviceMemory::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void TestDeviceMemory::dump_listsNineNameValueLinesInCanonicalOrder()
{
    QCOMPARE(DeviceMemory(distinctValues()).dumpText(), QByteArray("ShutDownCountSP=1000001\n"
                                                                   "WarningCountSP=900002\n"
                                                                   "ActualCount=3\n"
                                                                   "StaticTripSP=44\n"
                                                                   "StaticTripTimer=5\n"
                                                                   "DynamicTripSP=66\n"
                                                                   "CountTripSP=77\n"
                                                                   "StaticFaultCount=65530\n"
                                                                   "DynamicFaultCount=9\n"));
}

void TestDeviceMemory::writeDump_replacesAnEarlierDump()
{
    const QString path = m_dir->filePath(QStringLiteral("memory.txt"));
    DeviceMemory memory;
    QString error;
    QVERIFY(memory.writeDump(path, &error));
    memory.store(Parameter::StaticTripSP, 12);
    QVERIFY(memory.writeDump(path, &error));
    QCOMPARE(contentsOf(path), memory.dumpText());
    QVERIFY(contentsOf(path).contains("\nStaticTripSP=12\n"));
}

void TestDeviceMemory::writeDump_intoMissingFolder_failsWithReason()
{
    const QString path = m_dir->filePath(QStringLiteral("missing/memory.txt"));
    QString error;
    QVERIFY(!DeviceMemory().writeDump(path, &error));
    QVERIFY2(error.contains(path), qPrintable(error));
}

void TestDeviceMemory::parameterFile_savedByTheTool_loadsItsValues()
{
    const QString path = m_dir->filePath(QStringLiteral("PRESS1.PRS"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(ParamFileFormat::contents(distinctValues(), QStringLiteral("C:\\PRESS1.PRS")));
    file.close();

    QString error;
    const auto values = DeviceMemory::loadParameterFile(path, &error);
    QVERIFY2(values.has_value(), qPrintable(error));
    QCOMPARE(*values, distinctValues());
}

void TestDeviceMemory::unreadableParameterFile_isRefusedWithReason_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("contents");
    QTest::newRow("missing file") << QStringLiteral("NONE.PRS") << QByteArray();
    QTest::newRow("not a parameter file")
        << QStringLiteral("NOTES.PRS") << QByteArray("hello\r\nworld\r\n");
    QTest::newRow("value that is no number")
        << QStringLiteral("BAD.PRS")
        << QByteArray(
               "RX7130 PARAMETER ADJUSTING PROGRAM\r\nSoftware Version 1.0.0\r\nC:\\BAD.PRS\r\n") +
               ParamFileFormat::DataLine + "\r\nShut Down Count Set-Point,12x\r\n";
}

void TestDeviceMemory::unreadableParameterFile_isRefusedWithReason()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, contents);
    const QString path = m_dir->filePath(name);
    if (!contents.isEmpty()) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(contents);
    }
    QString error;
    QVERIFY(!DeviceMemory::loadParameterFile(path, &error).has_value());
    QVERIFY2(error.contains(path), qPrintable(error));
}

QTEST_GUILESS_MAIN(TestDeviceMemory)
#include "tst_DeviceMemory.moc"
