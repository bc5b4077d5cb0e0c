#include "OutcomePrinter.h"

#include "ParameterTable.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

constexpr int CaptionWidth = 24;
constexpr int ValueWidth = 9;

QString row(const ParameterInfo& info, const QString& values)
{
    return QStringLiteral("  %1%2  %3\n")
        .arg(QString::fromLatin1(info.grid.caption), -CaptionWidth)
        .arg(values)
        .arg(QString::fromLatin1(info.grid.units));
}

QJsonObject valuesObject(const ParameterSet& values)
{
    QJsonObject object;
    for (const ParameterInfo& info : parameterTable())
        object.insert(QString::fromLatin1(info.name), values.value(info.parameter));
    return object;
}

} // namespace

QList<Parameter> OutcomePrinter::differences(const ParameterSet& left, const ParameterSet& right)
{
    QList<Parameter> differing;
    for (int gridRow = 1; gridRow <= ParameterCount; ++gridRow) {
        const Parameter parameter = gridParameter(gridRow);
        if (left.value(parameter) != right.value(parameter))
            differing.append(parameter);
    }
    return differing;
}

QString OutcomePrinter::human(const DeviceOutcome& outcome)
{
    QString text = outcome.port + QLatin1Char('\n');
    if (outcome.values && outcome.compared) {
        const QList<Parameter> differing = differences(*outcome.values, *outcome.compared);
        if (!differing.isEmpty())
            text += QStringLiteral("  %1%2  %3\n")
                        .arg(QString(), -CaptionWidth)
                        .arg(outcome.leftName, ValueWidth)
                        .arg(outcome.rightName, ValueWidth);
        for (const Parameter parameter : differing)
            text += row(parameterInfo(parameter),
                        QStringLiteral("%1  %2")
                            .arg(outcome.values->value(parameter), ValueWidth)
                            .arg(outcome.compared->value(parameter), ValueWidth));
    } else if (outcome.values) {
        for (int gridRow = 1; gridRow <= ParameterCount; ++gridRow) {
            const ParameterInfo& info = parameterInfo(gridParameter(gridRow));
            text += row(
                info, QStringLiteral("%1").arg(outcome.values->value(info.parameter), ValueWidth));
        }
    }
    if (outcome.lastPressure)
        text += QStringLiteral("  last pressure %1 PSI, window %2 to %3 PSI\n")
                    .arg(*outcome.lastPressure)
                    .arg(outcome.lowestPressure)
                    .arg(outcome.highestPressure);
    QString result = outcome.outcome;
    if (outcome.rowsWritten && (outcome.exitCode == ExitDeviceFailed || outcome.compared))
        result +=
            QStringLiteral(", %1 of %2 rows written").arg(*outcome.rowsWritten).arg(ParameterCount);
    if (!outcome.file.isEmpty())
        result += QStringLiteral(" into ") + outcome.file;
    if (!outcome.report.isEmpty())
        result += QStringLiteral(", report ") + outcome.report;
    if (!outcome.error.isEmpty())
        result += QStringLiteral(": ") + outcome.error;
    return text + QStringLiteral("  -> ") + result + QLatin1Char('\n');
}

QByteArray OutcomePrinter::json(const DeviceOutcome& outcome)
{
    QJsonObject object{{QStringLiteral("port"), outcome.port},
                       {QStringLiteral("outcome"), outcome.outcome},
                       {QStringLiteral("exit"), int(outcome.exitCode)}};
    if (outcome.values)
        object.insert(QStringLiteral("values"), valuesObject(*outcome.values));
    if (outcome.values && outcome.compared) {
        QJsonArray differing;
        for (const Parameter parameter : differences(*outcome.values, *outcome.compared))
            differing.append(QJsonObject{
                {QStringLiteral("name"), QString::fromLatin1(parameterInfo(parameter).name)},
                {outcome.leftName, outcome.values->value(parameter)},
                {outcome.rightName, outcome.compared->value(parameter)}});
        object.insert(QStringLiteral("differences"), differing);
    }
    if (!outcome.file.isEmpty())
        object.insert(QStringLiteral("file"), outcome.file);
    if (!outcome.report.isEmpty())
        object.insert(QStringLiteral("report"), outcome.report);
    if (outcome.rowsWritten)
        object.insert(QStringLiteral("rowsWritten"), *outcome.rowsWritten);
    if (outcome.lastPressure)
        object.insert(QStringLiteral("pressure"),
                      QJsonObject{{QStringLiteral("last"), *outcome.lastPressure},
                                  {QStringLiteral("min"), outcome.lowestPressure},
                                  {QStringLiteral("max"), outcome.highestPressure}});
    object.insert(QStringLiteral("error"), outcome.error.isEmpty() ? QJsonValue() : outcome.error);
    return QJsonDocument(object).toJson(QJsonDocument::Compact) + '\n';
}
