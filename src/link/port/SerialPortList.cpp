#include "SerialPortList.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QSerialPortInfo>

QList<PortDescription> listSerialPorts()
{
    // Each link in /dev/serial/by-id points at the ttyUSBn or ttyACMn the adapter has now.
    QHash<QString, QString> stableNames;
    const QDir byId(QStringLiteral("/dev/serial/by-id"));
    for (const QFileInfo& link : byId.entryInfoList(QDir::System | QDir::NoDotAndDotDot))
        stableNames.insert(link.canonicalFilePath(), link.absoluteFilePath());

    QList<PortDescription> ports;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        ports.append({info.systemLocation(), stableNames.value(info.systemLocation()),
                      info.description(), info.manufacturer(), info.serialNumber(),
                      info.portName().startsWith(QLatin1String("ttyS"))});
    }
    const QStringList extra =
        qEnvironmentVariable("VORTA_EXTRA_PORTS").split(QDir::listSeparator(), Qt::SkipEmptyParts);
    for (const QString& device : extra) {
        ports.append({device,
                      {},
                      QStringLiteral("from VORTA_EXTRA_PORTS"),
                      {},
                      {},
                      false,
                      !QFileInfo::exists(device)});
    }
    return ports;
}
