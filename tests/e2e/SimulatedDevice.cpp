#include "SimulatedDevice.h"

#include <QDeadlineTimer>

SimulatedDevice::~SimulatedDevice()
{
    if (isRunning()) {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
}

bool SimulatedDevice::start(const ParameterSet& memory, const QStringList& options, int deadlineMs,
                            QString& error)
{
    QStringList values;
    for (int i = 0; i < ParameterCount; ++i)
        values.append(QString::number(memory.value(static_cast<Parameter>(i))));
    m_process.start(QStringLiteral(VORTA_DEVSIM_PATH),
                    QStringList{QStringLiteral("--values"), values.join(QLatin1Char(','))} +
                        options);
    const QDeadlineTimer deadline(deadlineMs);
    while (m_process.waitForStarted(deadlineMs) && !m_process.canReadLine() &&
           !deadline.hasExpired())
        m_process.waitForReadyRead(int(std::max<qint64>(deadline.remainingTime(), 1)));
    m_path = QString::fromLocal8Bit(m_process.readLine()).trimmed();
    error = QStringLiteral("vorta-devsim printed no terminal path: '%1' %2")
                .arg(m_path, m_process.errorString());
    return m_path.startsWith(QLatin1Char('/'));
}

void SimulatedDevice::hangUp()
{
    if (isRunning())
        m_process.terminate();
}

bool SimulatedDevice::waitForExit(int deadlineMs)
{
    if (isRunning() && !m_process.waitForFinished(deadlineMs))
        return false;
    return m_process.exitStatus() == QProcess::NormalExit && m_process.exitCode() == 0;
}

QByteArray SimulatedDevice::dumpText(const ParameterSet& values)
{
    static const char* const names[ParameterCount] = {
        "ShutDownCountSP", "WarningCountSP",   "ActualCount",
        "StaticTripSP",    "StaticTripTimer",  "DynamicTripSP",
        "CountTripSP",     "StaticFaultCount", "DynamicFaultCount"};
    QByteArray text;
    for (int i = 0; i < ParameterCount; ++i)
        text += names[i] + ('=' + QByteArray::number(values.value(Parameter(i)))) + '\n';
    return text;
}
