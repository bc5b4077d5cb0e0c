#include "PortNames.h"

void PortNames::setOverride(int port, const QString& device)
{
    (port == 2 ? m_port2 : m_port1) = device;
}

QString PortNames::deviceFor(int port) const
{
    if (port == 1 && !m_port1.isEmpty())
        return m_port1;
    if (port == 2 && !m_port2.isEmpty())
        return m_port2;
#ifdef Q_OS_WIN
    return QStringLiteral("COM%1").arg(port);
#else
    return QStringLiteral("/dev/ttyS%1").arg(port - 1);
#endif
}
