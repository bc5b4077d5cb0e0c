#include "SerialError.h"
#include "SerialSettings.h"

#include <QTest>

using Parity = SerialSettings::Parity;
using StopBits = SerialSettings::StopBits;

class SerialSettingsTest : public QObject
{
    Q_OBJECT

private slots:
    void wellFormedText_givesItsFields_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("baudRate");
        QTest::addColumn<Parity>("parity");
        QTest::addColumn<int>("dataBits");
        QTest::addColumn<StopBits>("stopBits");
        QTest::newRow("parameter line")
            << "9600,n,8,1" << 9600 << Parity::None << 8 << StopBits::One;
        QTest::newRow("live stream")
            << "57600,n,8,1" << 57600 << Parity::None << 8 << StopBits::One;
        QTest::newRow("upper-case even, two stop")
            << "19200,E,7,2" << 19200 << Parity::Even << 7 << StopBits::Two;
        QTest::newRow("odd, one and a half stop")
            << "4800,o,5,1.5" << 4800 << Parity::Odd << 5 << StopBits::OneAndHalf;
        QTest::newRow("mark") << "1200,m,6,1" << 1200 << Parity::Mark << 6 << StopBits::One;
        QTest::newRow("space") << "2400,s,8,1" << 2400 << Parity::Space << 8 << StopBits::One;
        QTest::newRow("blanks around fields")
            << " 9600 , n , 8 , 1 " << 9600 << Parity::None << 8 << StopBits::One;
    }

    void wellFormedText_givesItsFields()
    {
        QFETCH(QString, text);
        QFETCH(int, baudRate);
        QFETCH(Parity, parity);
        QFETCH(int, dataBits);
        QFETCH(StopBits, stopBits);
        const SerialSettings s = SerialSettings::parse(text);
        QCOMPARE(s.baudRate, baudRate);
        QCOMPARE(s.parity, parity);
        QCOMPARE(s.dataBits, dataBits);
        QCOMPARE(s.stopBits, stopBits);
    }

    void malformedText_throws_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("empty") << "";
        QTest::newRow("baud only") << "9600";
        QTest::newRow("three fields") << "9600,n,8";
        QTest::newRow("extra field") << "9600,n,8,1,0";
        QTest::newRow("unknown parity") << "9600,x,8,1";
        QTest::newRow("empty parity") << "9600,,8,1";
        QTest::newRow("baud not a number") << "abc,n,8,1";
        QTest::newRow("negative baud") << "-5,n,8,1";
        QTest::newRow("zero baud") << "0,n,8,1";
        QTest::newRow("nine data bits") << "9600,n,9,1";
        QTest::newRow("four data bits") << "9600,n,4,1";
        QTest::newRow("three stop bits") << "9600,n,8,3";
        QTest::newRow("zero stop bits") << "9600,n,8,0";
    }

    void malformedText_throws()
    {
        QFETCH(QString, text);
        QVERIFY_THROWS_EXCEPTION(SerialError, SerialSettings::parse(text));
    }
};

QTEST_APPLESS_MAIN(SerialSettingsTest)
#include "tst_SerialSettings.moc"
