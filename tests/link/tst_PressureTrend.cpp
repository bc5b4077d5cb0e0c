#include "PressureRecorder.h"
#include "PressureRecording.h"
#include "RecordingFile.h"
#include "TestSupport.h"
#include "TrendColumns.h"

#include <QTemporaryDir>
#include <QTest>

#include <random>

class TestPressureTrend : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void thinning_everySampleWithinItsColumnAndEachEndARealSample_data()
    {
        QTest::addColumn<int>("frames");
        QTest::addColumn<int>("capacity");
        QTest::addColumn<int>("columns");
        QTest::addColumn<int>("spikeAt"); // -1: none
        QTest::newRow("few frames, wide") << 40 << 1000 << 300 << -1;
        QTest::newRow("many frames per column") << 20000 << 30000 << 97 << -1;
        QTest::newRow("ring wrapped") << 50000 << 7000 << 640 << -1;
        QTest::newRow("one-frame spike among thousands") << 30000 << 30000 << 50 << 12345;
    }
    void thinning_everySampleWithinItsColumnAndEachEndARealSample()
    {
        QFETCH(int, frames);
        QFETCH(int, capacity);
        QFETCH(int, columns);
        QFETCH(int, spikeAt);
        std::mt19937 random(static_cast<unsigned>(frames + columns));
        PressureHistory history(capacity);
        qint64 time = 1'000'000;
        for (int i = 0; i < frames; ++i) {
            time += std::uniform_int_distribution<int>(0, 2000)(random);
            const int psi = i == spikeAt ? 99 : std::uniform_int_distribution<int>(20, 30)(random);
            history.append({time, static_cast<std::int16_t>(psi)});
        }
        const qint64 from = history.at(0).timeUs - 500;
        const qint64 to = history.last().timeUs + 1;
        const auto thinned = TrendColumns::thin(history, from, to, columns);
        std::vector<std::vector<int>> inColumn(static_cast<std::size_t>(columns));
        for (qint64 i = 0; i < history.size(); ++i) {
            int c = 0;
            while (c + 1 < columns &&
                   TrendColumns::columnStart(from, to, columns, c + 1) <= history.at(i).timeUs)
                ++c;
            inColumn[static_cast<std::size_t>(c)].push_back(history.at(i).psi);
        }
        for (int c = 0; c < columns; ++c) {
            const auto& samples = inColumn[static_cast<std::size_t>(c)];
            const auto& column = thinned[static_cast<std::size_t>(c)];
            QCOMPARE(column.has_value(), !samples.empty());
            if (samples.empty())
                continue;
            const auto [low, high] = std::ranges::minmax(samples);
            QCOMPARE(std::tuple(column->low, column->high, column->last),
                     std::tuple(low, high, samples.back()));
        }
        if (spikeAt >= 0) {
            const auto highest =
                std::ranges::max(thinned, {}, [](const auto& c) { return c ? c->high : 0; });
            QCOMPARE(highest->high, 99);
        }
    }

    // Frames carry the time their last byte arrived, a byte time apart at 57600 baud, and
    // a file written from the recorder reads back to the same frames and events.
    void recording_readsBackToTheFramesAndEvents()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"run.csv"_s);
        PressureRecorder recorder;
        qint64 now = 1'796'000'000'000'000;
        recorder.setWallClock([&now] { return now; });
        QString error;
        QVERIFY(
            recorder.startRecording(path, 1 << 20, u"vorta-cal 1.0.0"_s, u"Comm Port 1"_s, error));
        recorder.addMarker(u"Connect, port 1"_s);
        now += 50'000;
        recorder.addBatch({{57, 5}, {58, 10}, {99, 290}}, 290);
        now += 50'000;
        recorder.addBatch({{12, 7}}, 12);
        recorder.addMarker(u"Auto Cal"_s);
        recorder.stopRecording();

        const PressureHistory& history = recorder.history();
        QCOMPARE(history.size(), 4);
        QCOMPARE(history.at(0).timeUs, now - 50'000 - 49'479);
        QCOMPARE(history.at(2).timeUs, now - 50'000);
        QCOMPARE(history.at(3).timeUs, now - 868);
        const QByteArray text = fileContents(path);
        const auto recording = PressureRecording::read(text, error);
        QVERIFY2(recording, qPrintable(error));
        QCOMPARE(recording->text(), text);
        QList<PressureRecording::Row> expected{{(now - 100'000) / 1000, {}, u"Connect  port 1"_s}};
        for (qint64 i = 0; i < history.size(); ++i)
            expected.append({history.at(i).timeUs / 1000, history.at(i).psi, {}});
        expected.append({now / 1000, {}, u"Auto Cal"_s});
        QCOMPARE(recording->rows, expected);
        QCOMPARE(recording->comments.first(), u"# vorta-cal 1.0.0"_s);
    }

    // A recording that would pass its cap goes on in a new file under the same header; the
    // older part stays as FILE.1, filled as far as the cap allows.
    void recording_pastItsCap_startsAfreshUnderItsHeader()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"cap.csv"_s);
        const QByteArray header = "# vorta-cal\ntime,psi,event\n";
        const qint64 cap = 200;
        RecordingFile file(path, cap, header);
        for (int i = 0; i < 8; ++i) {
            file.add({1'796'000'000'000 + i, 20 + i, {}});
            file.flush();
        }
        const QByteArray older = fileContents(path + u".1"_s), newer = fileContents(path);
        QVERIFY(older.startsWith(header) && newer.startsWith(header));
        QVERIFY2(older.size() > cap - 30 && older.size() <= cap, older.constData());
        QCOMPARE(older.count('\n') + newer.count('\n'), 8 + 4);
    }

    void reading_namesTheLineThatIsWrong_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("error");
        const QByteArray head = "# x\ntime,psi,event\n";
        QTest::newRow("no column line") << QByteArray("# x\n") << u"line 2: no column line"_s;
        QTest::newRow("local time") << head + "2026-12-07T19:21:34.125,5,\n"
                                    << u"line 3: the time"_s;
        QTest::newRow("no such day") << head + "2026-02-30T19:21:34.125Z,5,\n"
                                     << u"line 3: the time"_s;
        QTest::newRow("pressure") << head + "2026-12-07T19:21:34.125Z,256,\n"
                                  << u"line 3: the pressure"_s;
        QTest::newRow("back in time")
            << head + "2026-12-07T19:21:34.125Z,5,\n2026-12-07T19:21:34.124Z,5,\n"
            << u"line 4: the time goes back"_s;
        QTest::newRow("cut short")
            << head + "2026-12-07T19:21:34.125Z,5," << u"line 3: cut short"_s;
    }
    void reading_namesTheLineThatIsWrong()
    {
        QFETCH(QByteArray, text);
        QFETCH(QString, error);
        QString found;
        QVERIFY(!PressureRecording::read(text, found));
        QVERIFY2(found.startsWith(error), qPrintable(found));
    }
};

QTEST_GUILESS_MAIN(TestPressureTrend)
#include "tst_PressureTrend.moc"
