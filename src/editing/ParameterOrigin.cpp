#include "ParameterOrigin.h"

#include "ParameterTable.h"

ParameterOrigin::ParameterOrigin(const ParameterSet& start) : m_device(start) {}

void ParameterOrigin::deviceHolds(Parameter parameter, std::int32_t value)
{
    m_device.assign(parameter, value);
    m_fileSinceDevice.clear();
}

void ParameterOrigin::fileRead(const QString& fileName, const ParameterSet& values)
{
    m_file = values;
    m_fileSinceDevice = fileName.section(QLatin1Char('\\'), -1);
}

void ParameterOrigin::fileSaved(const ParameterSet& values)
{
    m_file = values;
}

QStringList ParameterOrigin::unkeptRows(const ParameterSet& set) const
{
    QStringList rows;
    if (set == m_file)
        return rows;
    for (int row = 1; row <= ParameterCount; ++row) {
        const Parameter parameter = gridParameter(row);
        const std::int32_t value = set.value(parameter);
        if (value != m_device.value(parameter) && (!m_file || value != m_file->value(parameter)))
            rows.append(QString::fromLatin1(parameterInfo(parameter).grid.caption));
    }
    return rows;
}
