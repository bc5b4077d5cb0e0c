#include "SimulatedDevice.h"

#include <QDeadlineTimer>
#include <QFile>

#include <algorithm>
#include <array>

namespace {

// The dump names each parameter as the parameter set does.
constexpr std::array<const char*, ParameterCount> Names{
    "ShutDownCountSP", "WarningCountSP", "ActualCount",      "StaticTripSP",      "StaticTripTimer",
    "DynamicTripSP",   "CountTripSP",    "StaticFaultCount", "DynamicFaultCount",
};

} // namespace

SimulatedDevice::SimulatedDevice()
{
    // The simulator's own reports (signals, hang-ups) go to the test's output.
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
}

SimulatedDevice::~SimulatedDevice()
{
    if (isRunning()) {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
}

bool SimulatedDevice::start(const QStringList& arguments, int deadlineMs, QString& error)
{
    m_process.start(QStringLiteral(VORTA_DEVSIM_PATH), arguments);
    QDeadlineTimer deadline(deadlineMs);
    if (!m_process.waitForStarted(int(deadline.remainingTime()))) {
        error = QStringLiteral("vorta-devsim did not start: %1").arg(m_process.errorString());
        return false;
    }
    while (!m_process.canReadLine() && isRunning() && !deadline.hasExpired())
        m_process.waitForReadyRead(int(std::max<qint64>(deadline.remainingTime(), 1)));
    m_path = QString::fromLocal8Bit(m_process.readLine()).trimmed();
    if (!m_path.startsWith(QLatin1Char('/'))) {
        error = QStringLiteral("vorta-devsim printed no terminal path (got '%1')").arg(m_path);
        return false;
    }
    return true;
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

QStringList SimulatedDevice::valuesArguments(const ParameterSet& values)
{
    QStringList list;
    for (int i = 0; i < ParameterCount; ++i)
        list.append(QString::number(values.value(static_cast<Parameter>(i))));
    return {QStringLiteral("--values"), list.join(QLatin1Char(','))};
}

std::optional<ParameterSet> SimulatedDevice::readDump(const QString& file)
{
    QFile dump(file);
    if (!dump.open(QIODevice::ReadOnly | QIODevice::Text))
        return std::nullopt;
    ParameterSet values;
    std::array<int, ParameterCount> seen{};
    for (const QByteArray& line : dump.readAll().split('\n')) {
        if (line.isEmpty())
            continue;
        const qsizetype equals = line.indexOf('=');
        bool ok = false;
        const int value = line.mid(equals + 1).toInt(&ok);
        const QByteArray name = line.left(equals);
        const auto known = std::find_if(Names.begin(), Names.end(),
                                        [&](const char* candidate) { return name == candidate; });
        if (equals <= 0 || !ok || known == Names.end())
            return std::nullopt;
        const auto index = static_cast<std::size_t>(known - Names.begin());
        ++seen[index];
        values.assign(static_cast<Parameter>(index), value);
    }
    if (std::any_of(seen.begin(), seen.end(), [](int n) { return n != 1; }))
        return std::nullopt;
    return values;
}

QString SimulatedDevice::describe(const ParameterSet& values)
{
    QStringList pairs;
    for (int i = 0; i < ParameterCount; ++i) {
        const auto p = static_cast<Parameter>(i);
        pairs.append(parameterName(p) + QLatin1Char('=') + QString::number(values.value(p)));
    }
    return pairs.join(QStringLiteral(", "));
}

QString SimulatedDevice::parameterName(Parameter p)
{
    return QString::fromLatin1(Names[static_cast<std::size_t>(p)]);
}
