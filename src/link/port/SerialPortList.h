#pragma once

#include "PortNames.h"

// The serial ports present, as QSerialPortInfo finds them, each USB adapter with its stable
// /dev/serial/by-id name. Pseudo-terminals are never listed; VORTA_EXTRA_PORTS adds devices
// by path (separated as in PATH), for a simulated device or a port the system does not report.
QList<PortDescription> listSerialPorts();
