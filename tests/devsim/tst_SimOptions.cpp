#include "SimOptions.h"
#include "TestSupport.h"

#include <QTest>

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
                          "silent=%13 hangupAfter=%14 seed=%15 help=%16")
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
        .arg(o.seed ? QString::number(*o.seed) : QStringLiteral("none"))
        .arg(flag(o.helpRequested));
}

} // namespace

class TestSimOptions : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void noArguments_giveTheDefaultDevice()
    {
        QString error;
        const auto options = SimOptions::parse(commandLine(QString()), error);
        QVERIFY2(options.has_value(), qPrintable(error));
        QCOMPARE(summary(*options),
                 QStringLiteral("load= dump= dumpOnWrite=false base=20 peak=75 period=2 noise=1 "
                                "noiseRate=0 drop=0 corrupt=0 duplicateAcks=false delay=0 "
                                "silent=false hangupAfter=none seed=none help=false"));
        QCOMPARE(options->values, DeviceMemory::defaultValues());
    }

    void goodOptions_areTaken_data()
    {
        QTest::addColumn<QString>("arguments");
        QTest::addColumn<QString>("expected");
        QTest::newRow("load") << u"--load /tmp/PRESS.PRS"_s << u"load=/tmp/PRESS.PRS "_s;
        QTest::newRow("dump") << u"--dump /tmp/out.txt"_s
                              << u"dump=/tmp/out.txt dumpOnWrite=false"_s;
        QTest::newRow("dump on write")
            << u"--dump=/tmp/d --dump-on-write"_s << u"dumpOnWrite=true"_s;
        QTest::newRow("pressure shape") << u"--base 10 --peak 99 --period 0.5 --noise 0"_s
                                        << u"base=10 peak=99 period=0.5 noise=0 "_s;
        QTest::newRow("flat pressure") << u"--base 30 --peak 30"_s << u"base=30 peak=30 "_s;
        QTest::newRow("noise rate") << u"--noise-rate 50"_s << u"noiseRate=50 "_s;
        QTest::newRow("drop, corrupt") << u"--drop 0.25 --corrupt 1"_s << u"drop=0.25 corrupt=1 "_s;
        QTest::newRow("edges of the fractions")
            << u"--drop 0 --corrupt 0"_s << u"drop=0 corrupt=0 "_s;
        QTest::newRow("duplicate acks") << u"--duplicate-acks"_s << u"duplicateAcks=true "_s;
        QTest::newRow("delay") << u"--delay 120"_s << u"delay=120 "_s;
        QTest::newRow("silent") << u"--silent"_s << u"silent=true "_s;
        QTest::newRow("hang-up") << u"--hangup-after 2.5"_s << u"hangupAfter=2.5 "_s;
        QTest::newRow("seed") << u"--seed 4294967295"_s << u"seed=4294967295 "_s;
        QTest::newRow("last of a repeated option wins")
            << u"--delay 5 --delay 7"_s << u"delay=7 "_s;
        QTest::newRow("help") << u"--help"_s << u"help=true"_s;
        QTest::newRow("help, short") << u"-h"_s << u"help=true"_s;
        QTest::newRow("help with other options") << u"--drop 0.5 --help"_s << u"help=true"_s;
    }

    void goodOptions_areTaken()
    {
        QFETCH(QString, arguments);
        QFETCH(QString, expected);
        QString error;
        const auto options = SimOptions::parse(commandLine(arguments), error);
        QVERIFY2(options.has_value(), qPrintable(error));
        QVERIFY2(summary(*options).contains(expected), qPrintable(summary(*options)));
    }

    void values_fillTheNineParametersInCanonicalOrder()
    {
        QString error;
        const auto options = SimOptions::parse(
            commandLine(QStringLiteral("--values 16777215,2,3,255,5,6,7,65535,9")), error);
        QVERIFY2(options.has_value(), qPrintable(error));
        const ParameterSet expected{16777215, 2, 3, 255, 5, 6, 7, 65535, 9};
        QCOMPARE(options->values, expected);
    }

    void badOptions_areRefusedNamingTheOption_data()
    {
        QTest::addColumn<QString>("arguments");
        QTest::addColumn<QString>("named");
        QTest::newRow("unknown option") << u"--bogus"_s << u"'--bogus'"_s;
        QTest::newRow("unknown short option") << u"-x"_s << u"'-x'"_s;
        QTest::newRow("stray argument") << u"/dev/pts/3"_s << u"'/dev/pts/3'"_s;
        QTest::newRow("missing value") << u"--drop"_s << u"--drop"_s;
        QTest::newRow("fraction above 1") << u"--drop 1.5"_s << u"--drop"_s;
        QTest::newRow("fraction not a number") << u"--corrupt lots"_s << u"--corrupt"_s;
        QTest::newRow("negative fraction") << u"--corrupt -0.1"_s << u"--corrupt"_s;
        QTest::newRow("fractional delay") << u"--delay 2.5"_s << u"--delay"_s;
        QTest::newRow("negative delay") << u"--delay -1"_s << u"--delay"_s;
        QTest::newRow("negative noise rate") << u"--noise-rate -3"_s << u"--noise-rate"_s;
        QTest::newRow("hang-up at once") << u"--hangup-after 0"_s << u"--hangup-after"_s;
        QTest::newRow("negative seed") << u"--seed -1"_s << u"--seed"_s;
        QTest::newRow("fractional seed") << u"--seed 1.5"_s << u"--seed"_s;
        QTest::newRow("base beyond a byte") << u"--base 256"_s << u"--base"_s;
        QTest::newRow("peak below base") << u"--base 50 --peak 40"_s << u"--peak"_s;
        QTest::newRow("no period") << u"--period 0"_s << u"--period"_s;
        QTest::newRow("infinite noise") << u"--noise inf"_s << u"--noise"_s;
        QTest::newRow("too few values") << u"--values 1,2,3"_s << u"--values"_s;
        QTest::newRow("too many values") << u"--values 1,2,3,4,5,6,7,8,9,10"_s << u"--values"_s;
        QTest::newRow("value not a number") << u"--values 1,2,x,4,5,6,7,8,9"_s << u"ActualCount"_s;
        QTest::newRow("negative value")
            << u"--values 1,2,3,4,5,6,7,8,-9"_s << u"DynamicFaultCount"_s;
        QTest::newRow("count beyond 24 bits")
            << u"--values 16777216,2,3,4,5,6,7,8,9"_s << u"ShutDownCountSP"_s;
        QTest::newRow("set-point beyond a byte")
            << u"--values 1,2,3,256,5,6,7,8,9"_s << u"StaticTripSP"_s;
        QTest::newRow("fault count beyond 16 bits")
            << u"--values 1,2,3,4,5,6,7,65536,9"_s << u"StaticFaultCount"_s;
        QTest::newRow("values and load")
            << u"--values 1,2,3,4,5,6,7,8,9 --load A.PRS"_s << u"--load"_s;
        QTest::newRow("empty load") << u"--load="_s << u"--load"_s;
        QTest::newRow("dump on write without dump") << u"--dump-on-write"_s << u"--dump"_s;
    }

    void badOptions_areRefusedNamingTheOption()
    {
        QFETCH(QString, arguments);
        QFETCH(QString, named);
        QString error;
        QVERIFY(!SimOptions::parse(commandLine(arguments), error).has_value());
        QVERIFY2(error.contains(named), qPrintable(error));
    }

    void helpText_documentsEveryOption()
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
};

QTEST_GUILESS_MAIN(TestSimOptions)
#include "tst_SimOptions.moc"
