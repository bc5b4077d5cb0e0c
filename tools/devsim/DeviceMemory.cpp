#include "DeviceMemory.h"

#include "ParamFileFormat.h"
#include "ParameterTable.h"

#include <QFile>
#include <QSaveFile>

ParameterSet DeviceMemory::defaultValues()
{
    ParameterSet values;
    values.ShutDownCountSP = 500000;
    values.WarningCountSP = 450000;
    values.ActualCount = 123456;
    values.StaticTripSP = 60;
    values.StaticTripTimer = 5;
    values.DynamicTripSP = 80;
    values.CountTripSP = 70;
    values.StaticFaultCount = 3;
    values.DynamicFaultCount = 7;
    return values;
}

std::int32_t DeviceMemory::widthLimit(Parameter p)
{
    return (std::int32_t{1} << (8 * parameterInfo(p).device.dataBytes)) - 1;
}

QString DeviceMemory::name(Parameter p)
{
    return QString::fromLatin1(parameterInfo(p).name);
}

QByteArray DeviceMemory::dumpText() const
{
    QByteArray text;
    for (int i = 0; i < ParameterCount; ++i) {
        const auto p = static_cast<Parameter>(i);
        text += name(p).toLatin1() + '=' + QByteArray::number(value(p)) + '\n';
    }
    return text;
}

bool DeviceMemory::writeDump(const QString& path, QString* error) const
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(dumpText()) < 0 || !file.commit()) {
        if (error)
            *error = QStringLiteral("cannot write %1: %2").arg(path, file.errorString());
        return false;
    }
    return true;
}

std::optional<ParameterSet> DeviceMemory::loadParameterFile(const QString& path, QString* error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = QStringLiteral("cannot open %1: %2").arg(path, file.errorString());
        return std::nullopt;
    }
    const ParamFileFormat::ReadOutcome outcome = ParamFileFormat::read(file, ParameterSet{});
    if (!outcome.complete) {
        if (error)
            *error = QStringLiteral("%1 is not a readable parameter file").arg(path);
        return std::nullopt;
    }
    return outcome.values;
}
