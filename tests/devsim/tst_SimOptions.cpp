#include "SimOptions.h"

#include <QTest>

class TestSimOptions : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void noArguments_giveTheDefaultDevice();
    void goodOptions_areTaken_data();
    void goodOptions_areTaken();
    void values_fillTheNineParametersInCanonicalOrder();
    void badOptions_areRefusedNamingTheOption_data();
    void badOptions_areRefusedNamingTheOption();
    void help_isRequestedByEitherSpelling_data();
    void help_isRequestedByEitherSpelling();
    void helpText_documentsEveryOption();
};

namespace {

QStringList commandLine(const QString& arguments)
{
    return QStringList{QStringLiteral("vorta-devsim")} +
           arguments.split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

QString flag(bool on)
{
    return on ? QStringLiteral("true") : QStringLiteral("false");
}

// Every setting as one line of text, so a table row can name the part it expects.
QString summary(const SimOptions& o)
{
    return QStringLiteral("load=%1 dump=%2 dumpOnWrite=%3 base=%4 peak=%5 period=%6 noise=%7 "
                          "noiseRate=%8 drop=%9 corrupt=%10 duplicateAcks=%11 delay=%12 "
                          "silent=%13 hangupAfter=%14 seed=%15")
        .arg(o.loadPath, o.dumpPath)
        .arg(flag(o.dumpOnWrite))
        .arg(o.pressure.base)
        .arg(o.pressure.peak)
        .arg(o.pressure.period)
        .arg(o.pressure.noise)
        .arg(o.faults.noiseRate)
        .arg(o.faults.dropFraction)
        .arg(o.faults.corruptFraction)
        .arg(flag(o.faults.duplicateAcks))
        .arg(o.faults.delayMs)
        .arg(flag(o.faults.silent))
        .arg(o.faults.hangupAfterSeconds ? QString::number(*o.faults.hangupAfterSeconds)
                                         : QStringLiteral("none"))
        .arg(o.seed ? QString::number(*o.seed) : QStringLiteral("none"));
}

} // namespace

void TestSimOptions::noArguments_giveTheDefaultDevice()
{
    QString error;
    const auto options = SimOptions::parse(commandLine(QString()), error);
    QVERIFY2(options.has_value(), qPrintable(error));
    QCOMPARE(summary(*options),
             QStringLiteral("load= dump= dumpOnWrite=false base=20 peak=75 period=2 noise=1 "
                            "noiseRate=0 drop=0 corrupt=0 duplicateAcks=false delay=0 "
                            "silent=false hangupAfter=none seed=none"));
    QCOMPARE(options->values, DeviceMemory::defaultValues());
    QVERIFY(!options->helpRequested);
}

void TestSimOptions::goodOptions_areTaken_data()
{
    QTest::addColumn<QString>("arguments");
    QTest::addColumn<QString>("expected");
    QTest::newRow("load") << "--load /tmp/PRESS.PRS"
                          << "load=/tmp/PRESS.PRS ";
    QTest::newRow("dump") << "--dump /tmp/out.txt"
                          << "dump=/tmp/out.txt dumpOnWrite=false";
    QTest::newRow("dump on write") << "--dump=/tmp/d --dump-on-write"
                                   << "dumpOnWrite=true";
    QTest::newRow("pressure shape") << "--base 10 --peak 99 --period 0.5 --noise 0"
                                    << "base=10 peak=99 period=0.5 noise=0 ";
    QTest::newRow("flat pressure") << "--base 30 --peak 30"
                                   << "base=30 peak=30 ";
    QTest::newRow("noise rate") << "--noise-rate 50"
                                << "noiseRate=50 ";
    QTest::newRow("drop, corrupt") << "--drop 0.25 --corrupt 1"
                                   << "drop=0.25 corrupt=1 ";
    QTest::newRow("edges of the fractions") << "--drop 0 --corrupt 0"
                                            << "drop=0 corrupt=0 ";
    QTest::newRow("duplicate acks") << "--duplicate-acks"
                                    << "duplicateAcks=true ";
    QTest::newRow("delay") << "--delay 120"
                           << "delay=120 ";
    QTest::newRow("silent") << "--silent"
                            << "silent=true ";
    QTest::newRow("hang-up") << "--hangup-after 2.5"
                             << "hangupAfter=2.5 ";
    QTest::newRow("seed") << "--seed 4294967295"
                          << "seed=4294967295";
    QTest::newRow("last of a repeated option wins") << "--delay 5 --delay 7"
                                                    << "delay=7 ";
}

void TestSimOptions::goodOptions_areTaken()
{
    QFETCH(QString, arguments);
    QFETCH(QString, expected);
    QString error;
    const auto options = SimOptions::parse(commandLine(arguments), error);
    QVERIFY2(options.has_value(), qPrintable(error));
    QVERIFY2(summary(*options).contains(expected), qPrintable(summary(*options)));
}

void TestSimOptions::values_fillTheNineParametersInCanonicalOrder()
{
    QString error;
    const auto options = SimOptions::parse(
        commandLine(QStringLiteral("--values 16777215,2,3,255,5,6,7,65535,9")), error);
    QVERIFY2(options.has_value(), qPrintable(error));
    ParameterSet expected;
    expected.ShutDownCountSP = 16777215;
    expected.WarningCountSP = 2;
    expected.ActualCount = 3;
    expected.StaticTripSP = 255;
    expected.StaticTripTimer = 5;
    expected.DynamicTripSP = 6;
    expected.CountTripSP = 7;
    expected.StaticFaultCount = 65535;
    expected.DynamicFaultCount = 9;
    QCOMPARE(options->values, expected);
}

void TestSimOptions::badOptions_areRefusedNamingTheOption_data()
{
    QTest::addColumn<QString>("arguments");
    QTest::addColumn<QString>("named");
    QTest::newRow("unknown option") << "--bogus"
                                    << "'--bogus'";
    QTest::newRow("unknown short option") << "-x"
                                          << "'-x'";
    QTest::newRow("stray argument") << "/dev/pts/3"
                                    << "'/dev/pts/3'";
    QTest::newRow("missing value") << "--drop"
                                   << "--drop";
    QTest::newRow("fraction above 1") << "--drop 1.5"
                                      << "--drop";
    QTest::newRow("fraction not a number") << "--corrupt lots"
                                           << "--corrupt";
    QTest::newRow("negative fraction") << "--corrupt -0.1"
                                       << "--corrupt";
    QTest::newRow("fractional delay") << "--delay 2.5"
                                      << "--delay";
    QTest::newRow("negative delay") << "--delay -1"
                                    << "--delay";
    QTest::newRow("negative noise rate") << "--noise-rate -3"
                                         << "--noise-rate";
    QTest::newRow("hang-up at once") << "--hangup-after 0"
                                     << "--hangup-after";
    QTest::newRow("negative seed") << "--seed -1"
                                   << "--seed";
    QTest::newRow("fractional seed") << "--seed 1.5"
                                     << "--seed";
    QTest::newRow("base beyond a byte") << "--base 256"
                                        << "--base";
    QTest::newRow("peak below base") << "--base 50 --peak 40"
                                     << "--peak";
    QTest::newRow("no period") << "--period 0"
                               << "--period";
    QTest::newRow("infinite noise") << "--noise inf"
                                    << "--noise";
    QTest::newRow("too few values") << "--values 1,2,3"
                                    << "--values";
    QTest::newRow("too many values") << "--values 1,2,3,4,5,6,7,8,9,10"
                                     << "--values";
    QTest::newRow("value not a number") << "--values 1,2,x,4,5,6,7,8,9"
                                        << "ActualCount";
    QTest::newRow("negative value") << "--values 1,2,3,4,5,6,7,8,-9"
                                    << "DynamicFaultCount";
    QTest::newRow("count beyond 24 bits") << "--values 16777216,2,3,4,5,6,7,8,9"
                                          << "ShutDownCountSP";
    QTest::newRow("set-point beyond a byte") << "--values 1,2,3,256,5,6,7,8,9"
                                             << "StaticTripSP";
    QTest::newRow("fault count beyond 16 bits") << "--values 1,2,3,4,5,6,7,65536,9"
                                                << "StaticFaultCount";
    QTest::newRow("values and load") << "--values 1,2,3,4,5,6,7,8,9 --load A.PRS"
                                     << "--load";
    QTest::newRow("empty load") << "--load="
                                << "--load";
    QTest::newRow("dump on write without dump") << "--dump-on-write"
                                                << "--dump";
}

void TestSimOptions::badOptions_areRefusedNamingTheOption()
{
    QFETCH(QString, arguments);
    QFETCH(QString, named);
    QString error;
    QVERIFY(!SimOptions::parse(commandLine(arguments), error).has_value());
    QVERIFY2(error.contains(named), qPrintable(error));
}

void TestSimOptions::help_isRequestedByEitherSpelling_data()
{
    QTest::addColumn<QString>("arguments");
    QTest::newRow("long") << "--help";
    QTest::newRow("short") << "-h";
    QTest::newRow("with other options") << "--drop 0.5 --help";
}

void TestSimOptions::help_isRequestedByEitherSpelling()
{
    QFETCH(QString, arguments);
    QString error;
    const auto options = SimOptions::parse(commandLine(arguments), error);
    QVERIFY2(options.has_value(), qPrintable(error));
    QVERIFY(options->helpRequested);
}

void TestSimOptions::helpText_documentsEveryOption()
{
    const QString help = SimOptions::helpText();
    const char* names[] = {"--values",     "--load",   "--dump",         "--dump-on-write",
                           "--base",       "--peak",   "--period",       "--noise",
                           "--noise-rate", "--drop",   "--corrupt",      "--duplicate-acks",
                           "--delay",      "--silent", "--hangup-after", "--seed",
                           "--help"};
    for (const char* name : names)
        QVERIFY2(help.contains(QLatin1String(name) + QLatin1Char(' ')), name);
    for (const QString& line : help.split(QLatin1Char('\n')))
        QVERIFY2(line.size() <= 80, qPrintable(line));
}

QTEST_GUILESS_MAIN(TestSimOptions)
#include "tst_SimOptions.moc"
