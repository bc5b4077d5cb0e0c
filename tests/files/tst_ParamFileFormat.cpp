#include "ParamFileFormat.h"

#include "TestSupport.h"

#include <QBuffer>
#include <QTest>

Q_DECLARE_METATYPE(ParameterSet)

using P = Parameter;

namespace {

// The example parameter file, byte for byte.
const QByteArray Example = "RX7130 PARAMETER ADJUSTING PROGRAM\r\n"
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

// What the reader starts from: values no file in these tests holds, so a parameter left
// alone is easy to see.
const ParameterSet Untouched{7, 7, 7, 7, 7, 7, 7, 7, 7};

QList<QByteArray> exampleLines()
{
    return QByteArray(Example).replace("\r\n", "\n").chopped(1).split('\n');
}

QByteArray joined(const QList<QByteArray>& lines, const QByteArray& ending = "\r\n")
{
    return lines.join(ending) + ending;
}

// The example file with one line replaced.
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
    return ParamFileFormat::read(buffer, Untouched);
}

} // namespace

class ParamFileFormatTest : public QObject
{
    Q_OBJECT

private slots:
    void writer_exampleValues_matchesTheExampleFileByteForByte()
    {
        QCOMPARE(exampleLines().at(3).size(), 59);
        QCOMPARE(ParamFileFormat::contents(exampleValues(), u"C:\\DATA\\PRESS1.PRS"_s), Example);
    }

    void writtenFile_readsBackToTheSameValues()
    {
        const ParameterSet values{9999999, 2, 123456, 99, 255, 1, 0, 65530, 17};
        const auto outcome = readBytes(ParamFileFormat::contents(values, u"C:\\P.PRS"_s));
        QVERIFY(outcome.complete);
        QCOMPARE(outcome.values, values);
    }

    void writtenValue_isWrittenAsHeld_andReadBackWithinLimits_data()
    {
        QTest::addColumn<Parameter>("parameter");
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("readBack");
        QTest::newRow("trip 150") << P::StaticTripSP << 150 << 99;
        QTest::newRow("trip 32767") << P::DynamicTripSP << 32767 << 99;
        QTest::newRow("timer 300") << P::StaticTripTimer << 300 << 255;
        QTest::newRow("count above 9999999") << P::ShutDownCountSP << 10000000 << 9999999;
        QTest::newRow("largest 32-bit count") << P::ActualCount << INT32_MAX << 9999999;
        QTest::newRow("fault count 65535") << P::StaticFaultCount << 65535 << 65530;
        QTest::newRow("fault count 65530") << P::DynamicFaultCount << 65530 << 65530;
        QTest::newRow("fault count 70000") << P::DynamicFaultCount << 70000 << 65530;
        QTest::newRow("negative count") << P::WarningCountSP << -5 << 0;
        QTest::newRow("lowest 32-bit count") << P::ActualCount << INT32_MIN << 0;
        QTest::newRow("negative trip") << P::CountTripSP << -1 << 0;
        QTest::newRow("negative static trip") << P::StaticTripSP << -5 << 0;
    }

    void writtenValue_isWrittenAsHeld_andReadBackWithinLimits()
    {
        QFETCH(Parameter, parameter);
        QFETCH(int, value);
        QFETCH(int, readBack);
        ParameterSet values = exampleValues();
        values.assign(parameter, value);
        const QList<QByteArray> lines = ParamFileFormat::lines(values, u"C:\\X.PRS"_s);
        QCOMPARE(lines.size(), 13);
        QCOMPARE(lines[4 + int(parameter)].split(',').last(), QByteArray::number(value));

        const auto outcome = readBytes(ParamFileFormat::contents(values, u"C:\\X.PRS"_s));
        QVERIFY(outcome.complete);
        values.assign(parameter, readBack);
        QCOMPARE(outcome.values, values);
    }

    void read_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<bool>("complete");
        QTest::addColumn<ParameterSet>("values");
        const ParameterSet example = exampleValues();
        const ParameterSet none;
        const QList<QByteArray> lines = exampleLines();
        QTest::newRow("CR LF file") << Example << true << example;
        QTest::newRow("CR only") << joined(lines, "\r") << true << example;
        QTest::newRow("LF only") << joined(lines, "\n") << true << example;
        QTest::newRow("no end on last line") << Example.chopped(2) << true << example;
        QTest::newRow("mixed line ends")
            << joined(lines.mid(0, 5), "\n") + joined(lines.mid(5, 4), "\r") + joined(lines.mid(9))
            << true << example;
        QTest::newRow("header in lower case")
            << exampleWithLine(1, "rx7130 parameter adjusting program") << false << none;
        QTest::newRow("text around header")
            << exampleWithLine(1, "** RX7130 PARAMETER ADJUSTING PROGRAM (copy)") << true
            << example;
        QTest::newRow("other version")
            << exampleWithLine(2, "Software Version 7.3.12") << true << example;
        QTest::newRow("no version line") << exampleWithLine(2, "Version 1.0.0") << false << none;
        QTest::newRow("path line ignored")
            << exampleWithLine(3, "anything at all") << true << example;
        QTest::newRow("asterisk line shortened")
            << exampleWithLine(4, lines[3].chopped(1)) << false << none;
        QTest::newRow("empty file") << QByteArray() << true << Untouched;
        QTest::newRow("ends after line 4") << joined(lines.mid(0, 4)) << true << Untouched;
        QTest::newRow("ends after line 9") << joined(lines.mid(0, 9)) << true
                                           << ParameterSet{5000, 4500, 1234, 45, 10, 7, 7, 7, 7};
        QTest::newRow("other label wording")
            << exampleWithLine(5, "Overcount,1000") << true
            << ParameterSet{1000, 4500, 1234, 45, 10, 60, 50, 3, 0};
        QTest::newRow("lines after 13 ignored") << Example + "garbage,no number\r\n\x01\x02\r\n"
                                                << true << example;
        QTest::newRow("blanks around value")
            << exampleWithLine(8, "Static Trip Set-Point , 45 ") << true << example;
        QTest::newRow("quoted label with comma")
            << exampleWithLine(8, "\"Static, Trip\",45") << true << example;
        QTest::newRow("text after value ignored")
            << exampleWithLine(8, "Static Trip Set-Point,45 PSI") << true << example;
        QTest::newRow("plus sign") << exampleWithLine(9, "Static Trip Timer,+12") << true
                                   << ParameterSet{5000, 4500, 1234, 45, 12, 60, 50, 3, 0};
        QTest::newRow("empty value")
            << exampleWithLine(6, "Warning Count Set-Point,") << false << none;
        QTest::newRow("no comma") << exampleWithLine(6, "Warning Count Set-Point 4500") << false
                                  << none;
        QTest::newRow("value not a number")
            << exampleWithLine(6, "Warning Count Set-Point,abc") << false << none;
        QTest::newRow("value with letters")
            << exampleWithLine(6, "Warning Count Set-Point,45x") << false << none;
        QTest::newRow("value with decimals")
            << exampleWithLine(6, "Warning Count Set-Point,4.5") << false << none;
        QTest::newRow("blank record line") << exampleWithLine(6, "") << false << none;
        QTest::newRow("trip beyond 16 bits")
            << exampleWithLine(8, "Static Trip Set-Point,32768") << false << none;
        QTest::newRow("trip below 16 bits")
            << exampleWithLine(11, "Count Trip Set-Point,-32769") << false << none;
        QTest::newRow("count beyond 32 bits")
            << exampleWithLine(7, "Actual Count,2147483648") << false << none;
        QTest::newRow("count of many digits")
            << exampleWithLine(12, "Static Fault Count,99999999999999999999999") << false << none;
        QTest::newRow("binary garbage")
            << QByteArray("\x00\xff\x13\x80\r\x7f\n\x00zz", 11) << false << none;
        QTest::newRow("very long line")
            << QByteArray(ParamFileFormat::MaxLineLength + 10, 'A') + lines[0] + "\r\n"
            << false << none;
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
};

QTEST_GUILESS_MAIN(ParamFileFormatTest)
#include "tst_ParamFileFormat.moc"
