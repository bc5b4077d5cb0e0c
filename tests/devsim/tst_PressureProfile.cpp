#include "PressureProfile.h"

#include <QTest>

#include <algorithm>
#include <cmath>

class TestPressureProfile : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void samples_stayWithinBaseAndPeakWidenedByNoise_data()
    {
        QTest::addColumn<double>("base");
        QTest::addColumn<double>("peak");
        QTest::addColumn<double>("period");
        QTest::addColumn<double>("noise");
        QTest::newRow("defaults") << 20.0 << 75.0 << 2.0 << 1.0;
        QTest::newRow("noise below zero is held at 0") << 0.0 << 10.0 << 1.0 << 3.0;
        QTest::newRow("noise above 255 is held at 255") << 250.0 << 255.0 << 0.5 << 5.0;
        QTest::newRow("flat line without noise") << 40.0 << 40.0 << 1.0 << 0.0;
        QTest::newRow("fast strokes, wide noise") << 30.0 << 90.0 << 0.05 << 10.0;
    }

    void samples_stayWithinBaseAndPeakWidenedByNoise()
    {
        QFETCH(double, base);
        QFETCH(double, peak);
        QFETCH(double, period);
        QFETCH(double, noise);
        const PressureProfile profile({base, peak, period, noise});
        std::mt19937 random(11);

        const int low = static_cast<int>(std::max(0.0, std::floor(base - noise)));
        const int high = static_cast<int>(std::min(255.0, std::ceil(peak + noise)));
        int lowest = 255;
        int highest = 0;
        for (int ms = 0; ms < 5000; ++ms) {
            const int psi = profile.sample(ms / 1000.0, random);
            QVERIFY2(psi >= low && psi <= high,
                     qPrintable(QStringLiteral("%1 ms: %2").arg(ms).arg(psi)));
            lowest = std::min(lowest, psi);
            highest = std::max(highest, psi);
        }
        // The strokes really reach down to the base and up to the peak.
        QVERIFY(lowest <= std::max(0.0, std::ceil(base)));
        QVERIFY(highest >= std::min(255.0, std::floor(peak)));
    }

    void stroke_risesFromBaseToPeakAtHalfPeriodAndBack()
    {
        const PressureProfile profile({20.0, 80.0, 2.0, 0.0});
        QCOMPARE(profile.stroke(0.0), 20.0);
        QCOMPARE(profile.stroke(0.5), 50.0);
        QCOMPARE(profile.stroke(1.0), 80.0);
        QCOMPARE(profile.stroke(1.5), 50.0);
        QCOMPARE(profile.stroke(4.0), 20.0);
        QVERIFY(profile.stroke(0.9) < profile.stroke(1.0));
    }

    void noise_spreadsReadingsToBothSidesOfTheStroke()
    {
        const PressureProfile profile({50.0, 50.0, 1.0, 3.0});
        std::mt19937 random(5);
        int below = 0;
        int above = 0;
        for (int i = 0; i < 200; ++i) {
            const int psi = profile.sample(0.25, random);
            below += psi < 50;
            above += psi > 50;
        }
        QVERIFY(below > 20);
        QVERIFY(above > 20);
    }
};

QTEST_GUILESS_MAIN(TestPressureProfile)
#include "tst_PressureProfile.moc"
