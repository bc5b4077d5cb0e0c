#pragma once

#include <QString>

// Which device stands for serial port 1 and port 2. On Linux port N is /dev/ttyS<N-1>, on
// Windows COMN; the command-line options --port1 and --port2 put any device in their place
// (a USB adapter, a pseudo-terminal).
class PortNames
{
public:
    void setOverride(int port, const QString& device);
    QString deviceFor(int port) const;

private:
    QString m_port1;
    QString m_port2;
};
