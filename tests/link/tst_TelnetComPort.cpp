#include "SerialServerAddress.h"
#include "TelnetComPort.h"
#include "TestSupport.h"

#include <QTest>

class TestTelnetComPort : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // What the server sends, whole or byte by byte: the data comes out unescaped, requests for
    // other options are refused once, and the COM-PORT-OPTION's answer is noted.
    void serverBytes_dataUnescapedRequestsAnswered_data()
    {
        QTest::addColumn<QByteArray>("fromServer");
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<QByteArray>("replies");
        QTest::addColumn<bool>("agreed");
        QTest::newRow("plain data")
            << hexBytes("80 05 D0 48 63") << hexBytes("80 05 D0 48 63") << QByteArray() << false;
        QTest::newRow("doubled IAC is one data byte")
            << hexBytes("01 FF FF 02") << hexBytes("01 FF 02") << QByteArray() << false;
        QTest::newRow("ser2net's answers, then data")
            << hexBytes("FF FD 2C FF FB 00 FF FD 00 FF FB 03 FF FB 01 41") << hexBytes("41")
            << hexBytes("FF FE 03 FF FE 01") << true;
        QTest::newRow("server asks for echo and its terminal type")
            << hexBytes("FF FD 01 42 FF FD 18") << hexBytes("42") << hexBytes("FF FC 01 FF FC 18")
            << false;
        QTest::newRow("notifications and a signature request among data")
            << hexBytes("10 FF FA 2C 6A 60 FF F0 11 FF FA 2C 6B FF FF FF F0 FF FA 2C 64 FF F0 12")
            << hexBytes("10 11 12") << hexBytes("FF FA 2C 00 76 6F 72 74 61 2D 63 61 6C FF F0")
            << false;
        QTest::newRow("other commands carry nothing")
            << hexBytes("FF F1 20 FF F9 21 FF F0 22") << hexBytes("20 21 22") << QByteArray()
            << false;
        QTest::newRow("a command cuts a subnegotiation short")
            << hexBytes("FF FA 2C 65 00 FF FD 2C 23") << hexBytes("23") << QByteArray() << true;
    }

    void serverBytes_dataUnescapedRequestsAnswered()
    {
        QFETCH(QByteArray, fromServer);
        QFETCH(QByteArray, data);
        QFETCH(QByteArray, replies);
        QFETCH(bool, agreed);
        TelnetComPort whole;
        QCOMPARE(whole.receive(fromServer), data);
        QCOMPARE(whole.takeReplies(), replies);
        QCOMPARE(whole.comPortAgreed(), agreed);
        TelnetComPort byteByByte;
        QByteArray dataByBytes;
        for (char byte : fromServer)
            dataByBytes += byteByByte.receive(QByteArrayView(&byte, 1));
        QCOMPARE(dataByBytes, data);
        QCOMPARE(byteByByte.takeReplies(), replies);
    }

    // The line settings go out as four commands, the speed most significant byte first; the
    // speed change counts as awaited until the server confirms it, and DONT is a refusal.
    void lineCommands_speedAwaitedUntilConfirmed()
    {
        TelnetComPort telnet;
        QCOMPARE(TelnetComPort::greeting(), hexBytes("FF FB 2C FF FB 00 FF FD 00"));
        QCOMPARE(telnet.lineCommands(SerialSettings::parse(u"57600,e,7,2"_s)),
                 hexBytes("FF FA 2C 01 00 00 E1 00 FF F0 FF FA 2C 02 07 FF F0 "
                          "FF FA 2C 03 03 FF F0 FF FA 2C 04 02 FF F0"));
        QCOMPARE(telnet.speedChangesAwaited(), 1);
        QCOMPARE(telnet.receive(hexBytes("FF FA 2C 65 00 00 E1 00 FF F0")), QByteArray());
        QCOMPARE(telnet.speedChangesAwaited(), 0);
        QCOMPARE(telnet.confirmedBaudRate(), 57600u);
        QCOMPARE(TelnetComPort::escape(hexBytes("FF 00 FF")), hexBytes("FF FF 00 FF FF"));
        telnet.receive(hexBytes("FF FE 2C"));
        QVERIFY(telnet.comPortRefused() && !telnet.comPortAgreed());
    }

    void serverAddress_parsedOrRefused_data()
    {
        QTest::addColumn<QString>("device");
        QTest::addColumn<bool>("server");
        QTest::addColumn<QString>("host");
        QTest::addColumn<int>("port");
        QTest::newRow("name") << u"rfc2217://press-7.plant:4001"_s << true << u"press-7.plant"_s
                              << 4001;
        QTest::newRow("IPv6") << u"RFC2217://[::1]:2000/"_s << true << u"::1"_s << 2000;
        QTest::newRow("no port") << u"rfc2217://10.0.0.5"_s << true << QString() << 0;
        QTest::newRow("a path") << u"rfc2217://10.0.0.5:23/dev/ttyS0"_s << true << QString() << 0;
        QTest::newRow("a device") << u"/dev/ttyUSB0"_s << false << QString() << 0;
    }

    void serverAddress_parsedOrRefused()
    {
        QFETCH(QString, device);
        QFETCH(bool, server);
        QFETCH(QString, host);
        QFETCH(int, port);
        QCOMPARE(SerialServerAddress::isServer(device), server);
        const std::optional<SerialServerAddress> address = SerialServerAddress::parse(device);
        QCOMPARE(address ? address->host : QString(), host);
        QCOMPARE(address ? int(address->port) : 0, port);
    }
};

QTEST_GUILESS_MAIN(TestTelnetComPort)
#include "tst_TelnetComPort.moc"
