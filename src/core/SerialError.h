#pragma once

#include <QString>

#include <stdexcept>
#include <string>

// Raised by every serial operation that fails; the communication cycle catches it
// in its one error path.
class SerialError : public std::runtime_error
{
public:
    explicit SerialError(const std::string& what, const QString& cause = {})
        : std::runtime_error(what), m_cause(cause)
    {}

    // What the user is told about it: the device, the system's reason and what to do where
    // that is known, else the message itself.
    QString cause() const { return m_cause.isEmpty() ? QString::fromStdString(what()) : m_cause; }

private:
    QString m_cause;
};
