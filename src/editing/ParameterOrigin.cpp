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

QString ParameterOrigin::connectQuestion(const ParameterSet& set) const
{
    if (!notInDevice(set))
        return {};
    if (m_fileSinceDevice.isEmpty()) {
        return QStringLiteral("The grid holds edited values that are not in a device. Connect "
                              "reads the device's values over them. To write them into the "
                              "device, save them, connect, then read the file and press "
                              "Download. Connect now?");
    }
    return QStringLiteral("The grid holds values from %1 that are not in a device. Connect reads "
                          "the device's values over them. To write the file into the device, "
                          "connect first, then read the file and press Download. Connect now?")
        .arg(m_fileSinceDevice);
}

QString ParameterOrigin::exitQuestion(const ParameterSet& set) const
{
    const QStringList rows = unkeptRows(set);
    if (rows.isEmpty())
        return {};
    return QStringLiteral("These values differ from the device and were not saved: %1. Exit "
                          "anyway?")
        .arg(rows.join(QStringLiteral(", ")));
}
