#include "PortLink.h"

#include "SerialServerAddress.h"

PortLink::PortLink(const PortNames& names) : m_names(names), m_serial(names), m_network(names) {}

std::unique_ptr<SerialLink> PortLink::create(const PortNames& names)
{
    return std::make_unique<PortLink>(names);
}

void PortLink::setCommPort(int port)
{
    m_serial.setCommPort(port);
    m_network.setCommPort(port);
}

void PortLink::setSettings(const QString& settings)
{
    // The closed one only keeps the text, which is checked the same way by both.
    m_active->setSettings(settings);
    SerialLink* idle = m_active == &m_serial ? static_cast<SerialLink*>(&m_network) : &m_serial;
    idle->setSettings(settings);
}

void PortLink::setPortOpen(bool open)
{
    if (open && !m_active->portOpen()) {
        const bool server = SerialServerAddress::isServer(m_names.deviceFor(commPort()));
        SerialLink* chosen = server ? static_cast<SerialLink*>(&m_network) : &m_serial;
        // A failure the other kind kept belongs to a device no longer in use.
        if (chosen != m_active)
            m_active->setPortOpen(false);
        m_active = chosen;
    }
    m_active->setPortOpen(open);
}

void PortLink::setReadThreshold(int bytes)
{
    m_serial.setReadThreshold(bytes);
    m_network.setReadThreshold(bytes);
}
