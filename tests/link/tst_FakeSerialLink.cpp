#include "FakeSerialLink.h"
#include "SerialError.h"

#include <QTest>

using Operation = FakeSerialLink::Operation;

// The fake stands in for the serial port in the cycle's tests, so it must fail as the
// port does: where a test asks for it, and on a closed port.
class FakeSerialLinkTest : public QObject
{
    Q_OBJECT

private slots:
    void failingOperation_throwsUntilCleared_data()
    {
        QTest::addColumn<Operation>("op");
        QTest::newRow("open") << Operation::Open;
        QTest::newRow("settings") << Operation::Settings;
        QTest::newRow("count") << Operation::Count;
        QTest::newRow("input") << Operation::Input;
        QTest::newRow("output") << Operation::Output;
    }

    void failingOperation_throwsUntilCleared()
    {
        QFETCH(Operation, op);
        FakeSerialLink link;
        if (op != Operation::Open)
            link.setPortOpen(true);
        link.failOn(op);
        const auto run = [&] {
            switch (op) {
            case Operation::Open:
                return link.setPortOpen(true);
            case Operation::Settings:
                return link.setSettings(QStringLiteral("57600,n,8,1"));
            case Operation::Count:
                return void(link.inBufferCount());
            case Operation::Input:
                return void(link.input());
            case Operation::Output:
                return link.output("x");
            }
        };
        QVERIFY_THROWS_EXCEPTION(SerialError, run());
        link.failOn(op, false);
        run();
    }

    void closedPort_refusesTraffic()
    {
        FakeSerialLink link;
        QVERIFY_THROWS_EXCEPTION(SerialError, link.inBufferCount());
        QVERIFY_THROWS_EXCEPTION(SerialError, link.input());
        QVERIFY_THROWS_EXCEPTION(SerialError, link.output("x"));
        QVERIFY(link.writes.isEmpty());
    }
};

QTEST_APPLESS_MAIN(FakeSerialLinkTest)
#include "tst_FakeSerialLink.moc"
