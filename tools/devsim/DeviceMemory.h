#pragma once

#include "ModVars.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <optional>

// The nine parameters as the device keeps them. A value is what its data bytes carry
// (0 up to the width's largest value), with none of the limits the tool applies when it
// reads, so that those limits can be tried against the device.
class DeviceMemory
{
public:
    DeviceMemory() : m_values(defaultValues()) {}
    explicit DeviceMemory(const ParameterSet& values) : m_values(values) {}

    // A plausible set for a press in service.
    static ParameterSet defaultValues();
    // The largest value the parameter's data bytes can carry.
    static std::int32_t widthLimit(Parameter p);
    // The parameter's name in the parameter set, used on the command line and in dumps.
    static QString name(Parameter p);

    std::int32_t value(Parameter p) const { return m_values.value(p); }
    void store(Parameter p, std::int32_t value) { m_values.assign(p, value); }
    const ParameterSet& values() const { return m_values; }

    // Nine "Name=value" lines in canonical order, each ended by LF.
    QByteArray dumpText() const;
    // Replaces the file as a whole, so a reader never sees half a dump.
    bool writeDump(const QString& path, QString* error) const;

    // The values of a *.PRS parameter file, or nothing with the reason in error.
    static std::optional<ParameterSet> loadParameterFile(const QString& path, QString* error);

private:
    ParameterSet m_values;
};
