#pragma once

#include "PortNames.h"
#include "SerialLink.h"
#include "TrafficLog.h"

#include <memory>

// Puts a serial line's traffic into a traffic log: the bytes sent and read with the
// parameter frames' meaning, the port opened (with its device and settings) and closed,
// changed settings, and every failure with its reason. The log's header names the port. Everything
// else, failures included, passes through unchanged.
class LoggingSerialLink : public SerialLink
{
public:
    // The names tell which device a Comm Port stands for when it opens.
    LoggingSerialLink(std::unique_ptr<SerialLink> link, TrafficLog& log, PortNames names = {});

    void setCommPort(int port) override;
    int commPort() const override { return m_link->commPort(); }
    void setSettings(const QString& settings) override;
    QString settings() const override { return m_link->settings(); }
    bool portOpen() const override { return m_link->portOpen(); }
    void setPortOpen(bool open) override;
    int inBufferCount() override;
    QByteArray input() override;
    void output(const QByteArray& bytes) override;
    void setReadThreshold(int bytes) override { m_link->setReadThreshold(bytes); }

private:
    template <typename Call> auto logged(Call&& call);

    std::unique_ptr<SerialLink> m_link;
    TrafficLog& m_log;
    PortNames m_names;
};
