#include "FrmPressureMonitor.h"
#include "PortNames.h"
#include "QSerialPortLink.h"
#include "QtMessageBoxes.h"
#include "SerialPortList.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QSettings>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("VORTA"));
    QApplication::setApplicationName(QStringLiteral("vorta-cal"));
    QApplication::setApplicationVersion(QStringLiteral(VORTA_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Reads, edits and writes the parameters of a press pressure monitor."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption port1(QStringLiteral("port1"),
                                   QStringLiteral("Serial device for Comm Port 1."),
                                   QStringLiteral("device"));
    const QCommandLineOption port2(QStringLiteral("port2"),
                                   QStringLiteral("Serial device for Comm Port 2."),
                                   QStringLiteral("device"));
    parser.addOption(port1);
    parser.addOption(port2);
    parser.process(app);

    PortNames names(listSerialPorts, std::make_unique<QSettings>());
    names.setOverride(1, parser.value(port1));
    names.setOverride(2, parser.value(port2));

    QtMessageBoxes messages;
    FrmPressureMonitor window(std::make_unique<QSerialPortLink>(names), messages, names);
    window.show();
    return QApplication::exec();
}
