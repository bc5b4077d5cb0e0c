#include "LinePacer.h"

#include <QTest>

using namespace std::chrono_literals;

class TestLinePacer : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void bytesSentOverTenSeconds_keepToTheLineRate_data()
    {
        QTest::addColumn<int>("baud");
        QTest::newRow("parameter frames") << 9600;
        QTest::newRow("live stream") << 57600;
    }

    void bytesSentOverTenSeconds_keepToTheLineRate()
    {
        QFETCH(int, baud);
        const double rate = LinePacer::bytesPerSecondAt(baud);
        LinePacer pacer(rate);
        // Turns of uneven length, as a loop woken by input and by its timeout sees them.
        const std::chrono::microseconds turns[] = {300us, 5000us, 1200us, 9000us, 15000us, 700us};
        std::chrono::microseconds passed{0};
        long long sent = 0;
        for (int i = 0; passed < 10s; ++i) {
            const auto turn = turns[i % std::size(turns)];
            passed += turn;
            pacer.advance(turn);
            const int allowed = pacer.allowance();
            pacer.spend(allowed);
            sent += allowed;
            const double seconds = std::chrono::duration<double>(passed).count();
            QVERIFY2(sent <= rate * seconds + pacer.burstLimit(), qPrintable(QString::number(i)));
        }
        // Turns shorter than a burst lose none of the line's time.
        QVERIFY2(sent >= rate * 10 * 0.99, qPrintable(QString::number(sent)));
    }

    void idleTime_banksNoMoreThanOneBurst()
    {
        LinePacer pacer(LinePacer::bytesPerSecondAt(57600));
        pacer.advance(10s);
        QCOMPARE(pacer.allowance(), pacer.burstLimit());
        QVERIFY(pacer.burstLimit() <= 5760 / 40);
        pacer.spend(pacer.allowance());
        QCOMPARE(pacer.allowance(), 0);
    }

    void newRate_startsWithAnEmptyBudget()
    {
        LinePacer pacer(LinePacer::bytesPerSecondAt(57600));
        pacer.advance(10ms);
        QVERIFY(pacer.allowance() > 0);
        pacer.setRate(LinePacer::bytesPerSecondAt(9600));
        QCOMPARE(pacer.allowance(), 0);
        pacer.advance(100ms);
        QCOMPARE(pacer.allowance(), 19);
    }
};

QTEST_GUILESS_MAIN(TestLinePacer)
#include "tst_LinePacer.moc"
