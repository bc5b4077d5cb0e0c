#include "SerialLinkFactory.h"

#include "QSerialPortLink.h"

std::unique_ptr<SerialLink> SerialLinkFactory::create(const PortNames& names)
{
    return std::make_unique<QSerialPortLink>(names);
}
