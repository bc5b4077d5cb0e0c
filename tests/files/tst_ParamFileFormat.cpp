#include "ParamFileFormat.h"

#include "TestSupport.h"

#include <QBuffer>
#include <QTest>

Q_DECLARE_METATYPE(ParameterSet)

namespace {

const QByteArray AsteriskLine = QByteArray(22, '*') + "  PARAMETER DATA  " + QByteArray(19, '*');

// A set that no file in these tests holds, so a parameter left alone is easy to see.
ParameterSet untouched()
{
    ParameterSet v;
    for (int i = 0; i < ParameterCount; ++i)
        v.assign(Parameter(i), 7);
    return v;
}

QList<QByteArray> headLines()
{
    return {"RX7130 PARAMETER ADJUSTING PROGRAM", "Software Version 1.0.0", "C:\\DATA\\PRESS1.PRS",
            AsteriskLine};
}

QList<QByteArray> recordLines(const QList<QByteArray>& values)
{
    static const QList<QByteArray> labels{
        "Shut Down Count Set-Point", "Warning Count Set-Point", "Actual Count",
        "Static Trip Set-Point",     "Static Trip Timer",       "Dynamic Trip Set-Point",
        "Count Trip Set-Point",      "Static Fault Count",      "Dynamic Fault Count"};
    QList<QByteArray> out;
    for (qsizetype i = 0; i < values.size(); ++i)
        out.append(labels[i] + ',' + values[i]);
    return out;
}

QList<QByteArray> exampleLines()
{
    return headLines() + recordLines({"5000", "4500", "1234", "45", "10", "60", "50", "3", "0"});
}

QByteArray joined(const QList<QByteArray>& lines, const QByteArray& ending = "\r\n")
{
    QByteArray out;
    for (const QByteArray& line : lines)
        out += line + ending;
    return out;
}

// The example file with one record line replaced.
QByteArray exampleWithLine(int lineNumber, const QByteArray& text)
{
    QList<QByteArray> lines = exampleLines();
    lines[lineNumber - 1] = text;
    return joined(lines);
}

ParamFileFormat::ReadOutcome readBytes(const QByteArray& bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return ParamFileFormat::read(buffer, untouched());
}

ParameterSet withFirst(const ParameterSet& from, int count)
{
    ParameterSet v = untouched();
    for (int i = 0; i < count; ++i)
        v.assign(Parameter(i), from.value(Parameter(i)));
    return v;
}

} // namespace

class ParamFileFormatTest : public QObject
{
    Q_OBJECT

private slots:
    void writer_exampleValues_matchesTheExampleFileByteForByte()
    {
        const QByteArray expected =
            "RX7130 PARAMETER ADJUSTING PROGRAM\r\n"
            "Software Version 1.0.0\r\n"
            "C:\\DATA\\PRESS1.PRS\r\n"
            "**********************  PARAMETER DATA  *******************\r\n"
            "Shut Down Count Set-Point,5000\r\n"
            "Warning Count Set-Point,4500\r\n"
            "Actual Count,1234\r\n"
            "Static Trip Set-Point,45\r\n"
            "Static Trip Timer,10\r\n"
            "Dynamic Trip Set-Point,60\r\n"
            "Count Trip Set-Point,50\r\n"
            "Static Fault Count,3\r\n"
            "Dynamic Fault Count,0\r\n";
        QCOMPARE(AsteriskLine.size(), 59);
        QCOMPARE(ParamFileFormat::contents(exampleValues(), QStringLiteral("C:\\DATA\\PRESS1.PRS")),
                 expected);
    }

    void writer_valueOutsideReadLimits_isWrittenAsHeld_data()
    {
        QTest::addColumn<int>("parameter");
        QTest::addColumn<int>("value");
        QTest::addColumn<QByteArray>("line");
        QTest::newRow("negative trip")
            << int(Parameter::StaticTripSP) << -5 << QByteArray("Static Trip Set-Point,-5");
        QTest::newRow("lowest count")
            << int(Parameter::ActualCount) << INT32_MIN << QByteArray("Actual Count,-2147483648");
        QTest::newRow("trip above 99")
            << int(Parameter::CountTripSP) << 150 << QByteArray("Count Trip Set-Point,150");
        QTest::newRow("fault count above reader limit")
            << int(Parameter::DynamicFaultCount) << 70000
            << QByteArray("Dynamic Fault Count,70000");
    }

    void writer_valueOutsideReadLimits_isWrittenAsHeld()
    {
        QFETCH(int, parameter);
        QFETCH(int, value);
        QFETCH(QByteArray, line);
        ParameterSet values;
        values.assign(Parameter(parameter), value);
        const QList<QByteArray> lines = ParamFileFormat::lines(values, QStringLiteral("C:\\X.PRS"));
        QCOMPARE(lines.size(), 13);
        QCOMPARE(lines[4 + parameter], line);
    }

    void read_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<bool>("complete");
        QTest::addColumn<ParameterSet>("values");

        const ParameterSet example = exampleValues();
        QTest::newRow("CR LF file") << joined(exampleLines()) << true << example;
        QTest::newRow("CR only") << joined(exampleLines(), "\r") << true << example;
        QTest::newRow("LF only") << joined(exampleLines(), "\n") << true << example;
        QTest::newRow("no end on last line")
            << joined(exampleLines()).chopped(2) << true << example;
        QTest::newRow("mixed line ends")
            << QByteArray(joined(exampleLines().mid(0, 5), "\n") +
                          joined(exampleLines().mid(5, 4), "\r") + joined(exampleLines().mid(9)))
            << true << example;
        QTest::newRow("header in lower case")
            << exampleWithLine(1, "rx7130 parameter adjusting program") << false << ParameterSet{};
        QTest::newRow("text around header")
            << exampleWithLine(1, "** RX7130 PARAMETER ADJUSTING PROGRAM (copy)") << true
            << example;
        QTest::newRow("other version")
            << exampleWithLine(2, "Software Version 7.3.12") << true << example;
        QTest::newRow("no version line")
            << exampleWithLine(2, "Version 1.0.0") << false << ParameterSet{};
        QTest::newRow("path line ignored")
            << exampleWithLine(3, "anything at all") << true << example;
        QTest::newRow("asterisk line shortened")
            << exampleWithLine(4, AsteriskLine.chopped(1)) << false << ParameterSet{};
        QTest::newRow("empty file") << QByteArray() << true << untouched();
        QTest::newRow("ends after line 4") << joined(headLines()) << true << untouched();
        QTest::newRow("ends after line 9")
            << joined(exampleLines().mid(0, 9)) << true << withFirst(example, 5);
        QTest::newRow("other label wording")
            << exampleWithLine(5, "Overcount,1000") << true << [&] {
                   ParameterSet v = example;
                   v.ShutDownCountSP = 1000;
                   return v;
               }();
        QTest::newRow("lines after 13 ignored")
            << QByteArray(joined(exampleLines()) + "garbage,no number\r\n\x01\x02\r\n") << true
            << example;
        QTest::newRow("blanks around value")
            << exampleWithLine(8, "Static Trip Set-Point , 45 ") << true << example;
        QTest::newRow("quoted label with comma")
            << exampleWithLine(8, "\"Static, Trip\",45") << true << example;
        QTest::newRow("text after value ignored")
            << exampleWithLine(8, "Static Trip Set-Point,45 PSI") << true << example;
        QTest::newRow("empty value")
            << exampleWithLine(6, "Warning Count Set-Point,") << false << ParameterSet{};
        QTest::newRow("no comma") << exampleWithLine(6, "Warning Count Set-Point 4500") << false
                                  << ParameterSet{};
        QTest::newRow("value not a number")
            << exampleWithLine(6, "Warning Count Set-Point,abc") << false << ParameterSet{};
        QTest::newRow("value with letters")
            << exampleWithLine(6, "Warning Count Set-Point,45x") << false << ParameterSet{};
        QTest::newRow("value with decimals")
            << exampleWithLine(6, "Warning Count Set-Point,4.5") << false << ParameterSet{};
        QTest::newRow("blank record line") << exampleWithLine(6, "") << false << ParameterSet{};
        QTest::newRow("trip beyond 16 bits")
            << exampleWithLine(8, "Static Trip Set-Point,32768") << false << ParameterSet{};
        QTest::newRow("trip below 16 bits")
            << exampleWithLine(11, "Count Trip Set-Point,-32769") << false << ParameterSet{};
        QTest::newRow("count beyond 32 bits")
            << exampleWithLine(7, "Actual Count,2147483648") << false << ParameterSet{};
        QTest::newRow("count of many digits")
            << exampleWithLine(12, "Static Fault Count,99999999999999999999999") << false
            << ParameterSet{};
        QTest::newRow("binary garbage")
            << QByteArray("\x00\xff\x13\x80\r\x7f\n\x00zz", 11) << false << ParameterSet{};
        QTest::newRow("very long line")
            << QByteArray(QByteArray(ParamFileFormat::MaxLineLength + 10, 'A') +
                          "RX7130 PARAMETER ADJUSTING PROGRAM\r\n")
            << false << ParameterSet{};
        QTest::newRow("long line within bound")
            << exampleWithLine(3, QByteArray(ParamFileFormat::MaxLineLength, 'x')) << true
            << example;
    }

    void read()
    {
        QFETCH(QByteArray, file);
        QFETCH(bool, complete);
        QFETCH(ParameterSet, values);
        const ParamFileFormat::ReadOutcome outcome = readBytes(file);
        QCOMPARE(outcome.complete, complete);
        if (complete)
            QCOMPARE(outcome.values, values);
    }

    void read_valueOutsideLimits_isHeldAtTheLimit_data()
    {
        QTest::addColumn<int>("line");
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<int>("parameter");
        QTest::addColumn<int>("expected");
        QTest::newRow("trip 150") << 8 << QByteArray("150") << int(Parameter::StaticTripSP) << 99;
        QTest::newRow("trip 32767")
            << 10 << QByteArray("32767") << int(Parameter::DynamicTripSP) << 99;
        QTest::newRow("timer 300")
            << 9 << QByteArray("300") << int(Parameter::StaticTripTimer) << 255;
        QTest::newRow("count above 9999999")
            << 5 << QByteArray("10000000") << int(Parameter::ShutDownCountSP) << 9999999;
        QTest::newRow("largest 32-bit count")
            << 7 << QByteArray("2147483647") << int(Parameter::ActualCount) << 9999999;
        QTest::newRow("fault count 65535")
            << 12 << QByteArray("65535") << int(Parameter::StaticFaultCount) << 65530;
        QTest::newRow("fault count 65530")
            << 13 << QByteArray("65530") << int(Parameter::DynamicFaultCount) << 65530;
        QTest::newRow("negative count")
            << 6 << QByteArray("-5") << int(Parameter::WarningCountSP) << 0;
        QTest::newRow("lowest 32-bit count")
            << 6 << QByteArray("-2147483648") << int(Parameter::WarningCountSP) << 0;
        QTest::newRow("negative trip")
            << 11 << QByteArray("-1") << int(Parameter::CountTripSP) << 0;
        QTest::newRow("plus sign")
            << 9 << QByteArray("+12") << int(Parameter::StaticTripTimer) << 12;
    }

    void read_valueOutsideLimits_isHeldAtTheLimit()
    {
        QFETCH(int, line);
        QFETCH(QByteArray, value);
        QFETCH(int, parameter);
        QFETCH(int, expected);
        const ParamFileFormat::ReadOutcome outcome =
            readBytes(exampleWithLine(line, "Label," + value));
        QVERIFY(outcome.complete);
        QCOMPARE(outcome.values.value(Parameter(parameter)), expected);
    }

    void writtenFile_readsBackToTheSameValues()
    {
        ParameterSet values;
        values.ShutDownCountSP = 9999999;
        values.WarningCountSP = 2;
        values.ActualCount = 123456;
        values.StaticTripSP = 99;
        values.StaticTripTimer = 255;
        values.DynamicTripSP = 1;
        values.CountTripSP = 0;
        values.StaticFaultCount = 65530;
        values.DynamicFaultCount = 17;
        const ParamFileFormat::ReadOutcome outcome =
            readBytes(ParamFileFormat::contents(values, QStringLiteral("C:\\P.PRS")));
        QVERIFY(outcome.complete);
        QCOMPARE(outcome.values, values);
    }
};

QTEST_GUILESS_MAIN(ParamFileFormatTest)
#include "tst_ParamFileFormat.moc"
