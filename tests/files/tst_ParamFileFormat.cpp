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

ParameterSet exampleWith(Parameter p, std::int32_t value)
{
    ParameterSet values = exampleValues();
    values.assign(p, value);
    return values;
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
    // Values are written as held, whatever the reader will accept.
    void writer_exampleValues_matchesTheExampleFileByteForByte()
    {
        QCOMPARE(ParamFileFormat::contents(exampleValues(), u"C:\\DATA\\PRESS1.PRS"_s), Example);
        ParameterSet wide = exampleWith(P::StaticTripSP, 150);
        wide.ActualCount = -5;
        const QList<QByteArray> lines = ParamFileFormat::lines(wide, u"C:\\X.PRS"_s);
        QCOMPARE(lines.mid(6, 2),
                 (QList<QByteArray>{"Actual Count,-5", "Static Trip Set-Point,150"}));
    }

    // Values beyond a parameter's range are held at its ends; an incomplete read reports
    // failure, and a file that just ends early keeps what it held.
    void read_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<bool>("complete");
        QTest::addColumn<ParameterSet>("values");
        const QList<QByteArray> lines = exampleLines();
        const auto whole = [](const char* name, const QByteArray& file,
                              const ParameterSet& values) {
            QTest::newRow(name) << file << true << values;
        };
        const auto edited = [](const char* name, int line, const QByteArray& text,
                               const ParameterSet& values = exampleValues()) {
            QTest::newRow(name) << exampleWithLine(line, text) << true << values;
        };
        const auto failed = [](const char* name, int line, const QByteArray& text) {
            QTest::newRow(name) << exampleWithLine(line, text) << false << ParameterSet{};
        };
        whole("CR LF file", Example, exampleValues());
        whole("CR only", joined(lines, "\r"), exampleValues());
        whole("LF only", joined(lines, "\n"), exampleValues());
        whole("no end on last line", Example.chopped(2), exampleValues());
        whole("mixed line ends",
              joined(lines.mid(0, 5), "\n") + joined(lines.mid(5, 4), "\r") + joined(lines.mid(9)),
              exampleValues());
        whole("empty file", QByteArray(), Untouched);
        whole("ends after line 4", joined(lines.mid(0, 4)), Untouched);
        whole("ends after line 9", joined(lines.mid(0, 9)), {5000, 4500, 1234, 45, 10, 7, 7, 7, 7});
        whole("lines after 13 ignored", Example + "garbage,no number\r\n\x01\x02\r\n",
              exampleValues());
        failed("header in lower case", 1, "rx7130 parameter adjusting program");
        edited("text around header", 1, "** RX7130 PARAMETER ADJUSTING PROGRAM (copy)");
        failed("no version line", 2, "Version 1.0.0");
        edited("path line ignored", 3, QByteArray(ParamFileFormat::MaxLineLength, 'x'));
        failed("asterisk line shortened", 4, lines[3].chopped(1));
        edited("other label wording", 5, "Overcount,1000", exampleWith(P::ShutDownCountSP, 1000));
        edited("blanks around value", 8, "Static Trip Set-Point , 45 ");
        edited("quoted label with comma", 8, "\"Static, Trip\",45");
        edited("text after value ignored", 8, "Static Trip Set-Point,45 PSI");
        edited("empty label", 9, ",12", exampleWith(P::StaticTripTimer, 12));
        edited("plus sign", 9, "Static Trip Timer,+12", exampleWith(P::StaticTripTimer, 12));
        edited("count above 9999999", 5, "x,10000000", exampleWith(P::ShutDownCountSP, 9999999));
        edited("negative count", 6, "x,-5", exampleWith(P::WarningCountSP, 0));
        edited("trip 150", 8, "x,150", exampleWith(P::StaticTripSP, 99));
        edited("negative trip", 11, "x,-1", exampleWith(P::CountTripSP, 0));
        edited("timer 300", 9, "x,300", exampleWith(P::StaticTripTimer, 255));
        edited("fault count 65535", 12, "x,65535", exampleWith(P::StaticFaultCount, 65530));
        edited("fault count 70000", 13, "x,70000", exampleWith(P::DynamicFaultCount, 65530));
        failed("empty value", 6, "Warning Count Set-Point,");
        failed("no comma", 6, "Warning Count Set-Point 4500");
        failed("value not a number", 6, "Warning Count Set-Point,abc");
        failed("value with letters", 6, "Warning Count Set-Point,45x");
        failed("blank record line", 6, "");
        failed("trip beyond 16 bits", 8, "Static Trip Set-Point,32768");
        failed("trip below 16 bits", 11, "Count Trip Set-Point,-32769");
        failed("count beyond 32 bits", 7, "Actual Count,2147483648");
        QTest::newRow("line too long")
            << QByteArray(ParamFileFormat::MaxLineLength + 10, 'A') + Example << false << Untouched;
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
