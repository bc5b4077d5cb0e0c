#include "SimOptions.h"
#include "TestSupport.h"

#include <QTest>

namespace {

// Every setting as one line of text, so a table row can name the part it expects.
QString summary(const SimOptions& o)
{
    const auto flag = [](bool on) { return on ? u"true"_s : u"false"_s; };
    const auto optional = [](const auto& v) { return v ? QString::number(*v) : u"none"_s; };
    QStringList values;
    for (int i = 0; i < ParameterCount; ++i)
        values.append(QString::number(o.values.value(Parameter(i))));
    return u"load=%1 dump=%2 dumpOnWrite=%3 base=%4 peak=%5 period=%6 noise=%7 noiseRate=%8 "
           "drop=%9 corrupt=%10 duplicateAcks=%11 delay=%12 silent=%13 hangupAfter=%14 seed=%15 "
           "help=%16 values=%17"_s.arg(o.loadPath, o.dumpPath, flag(o.dumpOnWrite))
               .arg(o.pressure.base)
               .arg(o.pressure.peak)
               .arg(o.pressure.period)
               .arg(o.pressure.noise)
               .arg(o.faults.noiseRate)
               .arg(o.faults.dropFraction)
               .arg(o.faults.corruptFraction)
               .arg(flag(o.faults.duplicateAcks))
               .arg(o.faults.delayMs)
               .arg(flag(o.faults.silent), optional(o.faults.hangupAfterSeconds), optional(o.seed),
                    flag(o.helpRequested))
               .arg(o.values == DeviceMemory::defaultValues() ? u"default"_s : values.join(u','));
}

} // namespace

class TestSimOptions : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // A good command line gives settings that contain the expected text; a bad one gives an
    // error that names what is wrong.
    void parse_takesGoodOptionsAndNamesTheBadOne_data()
    {
        QTest::addColumn<QString>("arguments");
        QTest::addColumn<bool>("good");
        QTest::addColumn<QString>("expected");
        const auto good = [](const char* name, const char* arguments, const char* part) {
            QTest::newRow(name) << QString::fromUtf8(arguments) << true << QString::fromUtf8(part);
        };
        const auto bad = [](const char* name, const char* arguments, const char* named) {
            QTest::newRow(name) << QString::fromUtf8(arguments) << false
                                << QString::fromUtf8(named);
        };
        good("no arguments", "",
             "load= dump= dumpOnWrite=false base=20 peak=75 period=2 noise=1 noiseRate=0 drop=0 "
             "corrupt=0 duplicateAcks=false delay=0 silent=false hangupAfter=none seed=none "
             "help=false values=default");
        good("load", "--load /tmp/PRESS.PRS", "load=/tmp/PRESS.PRS ");
        good("dump", "--dump /tmp/out.txt", "dump=/tmp/out.txt dumpOnWrite=false");
        good("dump on write", "--dump=/tmp/d --dump-on-write", "dumpOnWrite=true");
        good("pressure shape", "--base 10 --peak 99 --period 0.5 --noise 0",
             "base=10 peak=99 period=0.5 noise=0 ");
        good("flat pressure", "--base 30 --peak 30", "base=30 peak=30 ");
        good("noise rate", "--noise-rate 50", "noiseRate=50 ");
        good("drop, corrupt", "--drop 0.25 --corrupt 1", "drop=0.25 corrupt=1 ");
        good("edges of the fractions", "--drop 0 --corrupt 0", "drop=0 corrupt=0 ");
        good("duplicate acks", "--duplicate-acks", "duplicateAcks=true ");
        good("delay", "--delay 120", "delay=120 ");
        good("silent", "--silent", "silent=true ");
        good("hang-up", "--hangup-after 2.5", "hangupAfter=2.5 ");
        good("seed", "--seed 4294967295", "seed=4294967295 ");
        good("last of a repeated option wins", "--delay 5 --delay 7", "delay=7 ");
        good("help", "--help", "help=true");
        good("help, short", "-h", "help=true");
        good("help with other options", "--drop 0.5 --help", "help=true");
        good("values in canonical order", "--values 16777215,2,3,255,5,6,7,65535,9",
             "values=16777215,2,3,255,5,6,7,65535,9");
        bad("unknown option", "--bogus", "'--bogus'");
        bad("unknown short option", "-x", "'-x'");
        bad("stray argument", "/dev/pts/3", "'/dev/pts/3'");
        bad("missing value", "--drop", "--drop");
        bad("fraction above 1", "--drop 1.5", "--drop");
        bad("fraction not a number", "--corrupt lots", "--corrupt");
        bad("negative fraction", "--corrupt -0.1", "--corrupt");
        bad("fractional delay", "--delay 2.5", "--delay");
        bad("negative delay", "--delay -1", "--delay");
        bad("negative noise rate", "--noise-rate -3", "--noise-rate");
        bad("hang-up at once", "--hangup-after 0", "--hangup-after");
        bad("negative seed", "--seed -1", "--seed");
        bad("fractional seed", "--seed 1.5", "--seed");
        bad("base beyond a byte", "--base 256", "--base");
        bad("peak below base", "--base 50 --peak 40", "--peak");
        bad("no period", "--period 0", "--period");
        bad("infinite noise", "--noise inf", "--noise");
        bad("too few values", "--values 1,2,3", "--values");
        bad("too many values", "--values 1,2,3,4,5,6,7,8,9,10", "--values");
        bad("value not a number", "--values 1,2,x,4,5,6,7,8,9", "ActualCount");
        bad("negative value", "--values 1,2,3,4,5,6,7,8,-9", "DynamicFaultCount");
        bad("count beyond 24 bits", "--values 16777216,2,3,4,5,6,7,8,9", "ShutDownCountSP");
        bad("set-point beyond a byte", "--values 1,2,3,256,5,6,7,8,9", "StaticTripSP");
        bad("fault count beyond 16 bits", "--values 1,2,3,4,5,6,7,65536,9", "StaticFaultCount");
        bad("values and load", "--values 1,2,3,4,5,6,7,8,9 --load A.PRS", "--load");
        bad("empty load", "--load=", "--load");
        bad("dump on write without dump", "--dump-on-write", "--dump");
    }

    void parse_takesGoodOptionsAndNamesTheBadOne()
    {
        QFETCH(QString, arguments);
        QFETCH(bool, good);
        QFETCH(QString, expected);
        QString error;
        const auto options = SimOptions::parse(
            QStringList{u"vorta-devsim"_s} + arguments.split(u' ', Qt::SkipEmptyParts), error);
        QCOMPARE(options.has_value(), good);
        const QString result = good ? summary(*options) : error;
        QVERIFY2(result.contains(expected), qPrintable(result));
    }

    void helpText_documentsEveryOption()
    {
        const QString help = SimOptions::helpText();
        for (const QString& name :
             u"--values --load --dump --dump-on-write --base --peak --period --noise --noise-rate "
             "--drop --corrupt --duplicate-acks --delay --silent --hangup-after --seed --help"_s
                 .split(u' '))
            QVERIFY2(help.contains(name + u' '), qPrintable(name));
        for (const QString& line : help.split(u'\n'))
            QVERIFY2(line.size() <= 80, qPrintable(line));
    }
};

QTEST_GUILESS_MAIN(TestSimOptions)
#include "tst_SimOptions.moc"
