#include "FakeSerialLink.h"
#include "SerialError.h"

#include <QTest>

using Operation = FakeSerialLink::Operation;

class FakeSerialLinkTest : public QObject
{
    Q_OBJECT

private slots:
    void failingOperation_throws_data();
    void failingOperation_throws();
    void input_returnsEverythingAndEmptiesBuffer();
    void output_recordsEachWriteInOrder();
    void closedPort_refusesTraffic();
};

void FakeSerialLinkTest::failingOperation_throws_data()
{
    QTest::addColumn<Operation>("op");
    QTest::newRow("open") << Operation::Open;
    QTest::newRow("settings") << Operation::Settings;
    QTest::newRow("count") << Operation::Count;
    QTest::newRow("input") << Operation::Input;
    QTest::newRow("output") << Operation::Output;
}

void FakeSerialLinkTest::failingOperation_throws()
{
    QFETCH(Operation, op);
    FakeSerialLink link;
    if (op != Operation::Open)
        link.setPortOpen(true);
    link.failOn(op);
    const auto run = [&] {
        switch (op) {
        case Operation::Open:
            link.setPortOpen(true);
            break;
        case Operation::Settings:
            link.setSettings(QStringLiteral("57600,n,8,1"));
            break;
        case Operation::Count:
            link.inBufferCount();
            break;
        case Operation::Input:
            link.input();
            break;
        case Operation::Output:
            link.output("x");
            break;
        }
    };
    QVERIFY_THROWS_EXCEPTION(SerialError, run());
    link.failOn(op, false);
    run();
}

void FakeSerialLinkTest::input_returnsEverythingAndEmptiesBuffer()
{
    FakeSerialLink link;
    link.setPortOpen(true);
    link.feed(QByteArray("\x80\x00", 2));
    link.feed("\xd0");
    QCOMPARE(link.inBufferCount(), 3);
    QCOMPARE(link.input(), QByteArray("\x80\x00\xd0", 3));
    QCOMPARE(link.inBufferCount(), 0);
    QCOMPARE(link.input(), QByteArray());
}

void FakeSerialLinkTest::output_recordsEachWriteInOrder()
{
    FakeSerialLink link;
    link.setPortOpen(true);
    QByteArray answered;
    link.onOutput = [&](const QByteArray& bytes) { answered += bytes; };
    link.output("ab");
    link.output(QByteArray("\x00", 1));
    QCOMPARE(link.writes, (QList<QByteArray>{"ab", QByteArray("\x00", 1)}));
    QCOMPARE(link.allWritten(), QByteArray("ab\x00", 3));
    QCOMPARE(answered, link.allWritten());
}

void FakeSerialLinkTest::closedPort_refusesTraffic()
{
    FakeSerialLink link;
    QVERIFY_THROWS_EXCEPTION(SerialError, link.inBufferCount());
    QVERIFY_THROWS_EXCEPTION(SerialError, link.input());
    QVERIFY_THROWS_EXCEPTION(SerialError, link.output("x"));
    QVERIFY(link.writes.isEmpty());
}

QTEST_APPLESS_MAIN(FakeSerialLinkTest)
#include "tst_FakeSerialLink.moc"
