#include "PortNames.h"

#include "SerialServerAddress.h"

#include <QCommandLineParser>
#include <QFileInfo>
#include <QSettings>

#include <algorithm>
#include <array>
#include <tuple>

struct PortNames::State
{
    Lister lister;
    std::unique_ptr<QSettings> settings;
    std::array<QString, 2> overrides;
    std::array<QString, 2> chosen;
    int selected = 1;
};

namespace {

std::size_t slot(int port)
{
    return port == 2 ? 1 : 0;
}

QString settingsKey(int port)
{
    return QStringLiteral("CommPort%1").arg(port);
}

const QString SelectedKey = QStringLiteral("SelectedCommPort");

// A port is opened by its stable name where it has one.
QString openName(const PortDescription& port)
{
    return port.stableName.isEmpty() ? port.device : port.stableName;
}

// A stable name is long and says little about which port it is now; the system's name helps.
QString label(const PortDescription& port)
{
    if (port.absent)
        return QStringLiteral("%1 (not present)").arg(port.device);
    if (port.stableName.isEmpty())
        return port.device;
    return QStringLiteral("%1 (%2)").arg(port.stableName, QFileInfo(port.device).fileName());
}

bool isPresent(const QString& device, const QList<PortDescription>& ports)
{
    // A serial server is found only by connecting to it.
    if (SerialServerAddress::isServer(device))
        return true;
    const QString target = QFileInfo(device).canonicalFilePath();
    for (const PortDescription& port : ports) {
        if (device == port.device || device == port.stableName || target == port.device)
            return true;
    }
    // A built-in port keeps its device node without a UART behind it; only the list tells.
    return !target.isEmpty() && !target.startsWith(QLatin1String("/dev/ttyS"));
}

QString describeDevice(const QString& device, const QList<PortDescription>& ports)
{
    for (const PortDescription& port : ports) {
        if (!port.stableName.isEmpty() && device == port.stableName)
            return label(port);
    }
    if (SerialServerAddress::isServer(device))
        return QStringLiteral("%1 (serial server)").arg(device);
    return isPresent(device, ports) ? device : QStringLiteral("%1 (not present)").arg(device);
}

QString defaultDevice(int port, const QList<PortDescription>& ports)
{
#ifdef Q_OS_WIN
    Q_UNUSED(ports);
    return QStringLiteral("COM%1").arg(port);
#else
    if (port <= ports.size())
        return openName(ports[port - 1]);
    return QStringLiteral("/dev/ttyS%1").arg(port - 1);
#endif
}

} // namespace

PortNames::PortNames() : m_state(std::make_shared<State>()) {}

PortNames::PortNames(Lister lister, std::unique_ptr<QSettings> settings) : PortNames()
{
    m_state->lister = std::move(lister);
    m_state->settings = std::move(settings);
    if (!m_state->settings)
        return;
    for (int port : {1, 2})
        m_state->chosen[slot(port)] = m_state->settings->value(settingsKey(port)).toString();
    m_state->selected = m_state->settings->value(SelectedKey).toInt() == 2 ? 2 : 1;
}

void PortNames::addOptions(QCommandLineParser& parser)
{
    parser.addOption({QStringLiteral("port1"),
                      QStringLiteral("Serial device or serial server (rfc2217://HOST:PORT) for "
                                     "Comm Port 1 in this run, in place of the one chosen in "
                                     "the window."),
                      QStringLiteral("device")});
    parser.addOption({QStringLiteral("port2"), QStringLiteral("The same for Comm Port 2."),
                      QStringLiteral("device")});
}

void PortNames::setOverrides(const QCommandLineParser& parser)
{
    setOverride(1, parser.value(QStringLiteral("port1")));
    setOverride(2, parser.value(QStringLiteral("port2")));
}

void PortNames::setOverride(int port, const QString& device)
{
    m_state->overrides[slot(port)] = device;
}

void PortNames::choose(int port, const QString& device)
{
    m_state->overrides[slot(port)].clear();
    m_state->chosen[slot(port)] = device;
    if (m_state->settings) {
        m_state->settings->setValue(settingsKey(port), device);
        m_state->settings->sync();
    }
}

QString PortNames::deviceFor(int port) const
{
    if (const QString& given = m_state->overrides[slot(port)]; !given.isEmpty())
        return given;
    if (const QString& chosen = m_state->chosen[slot(port)]; !chosen.isEmpty())
        return chosen;
    return defaultDevice(port, present());
}

int PortNames::selectedPort() const
{
    return m_state->selected;
}

void PortNames::select(int port)
{
    m_state->selected = port;
    if (m_state->settings) {
        m_state->settings->setValue(SelectedKey, port);
        m_state->settings->sync();
    }
}

QList<PortDescription> PortNames::present() const
{
    QList<PortDescription> ports = listed();
    ports.removeIf([](const PortDescription& port) { return port.absent; });
    return ports;
}

QList<PortDescription> PortNames::listed() const
{
    QList<PortDescription> ports = m_state->lister ? m_state->lister() : QList<PortDescription>();
    // Built-in ports first; ttyS2 before ttyS10, while stable names sort as they read.
    const auto key = [](const PortDescription& port) {
        const QString name = openName(port);
        return std::tuple(!port.builtIn, port.stableName.isEmpty() ? name.size() : 0, name);
    };
    std::sort(ports.begin(), ports.end(),
              [&](const PortDescription& a, const PortDescription& b) { return key(a) < key(b); });
    return ports;
}

QList<PortMenuEntry> PortNames::menu(int port) const
{
    const QList<PortDescription> ports = listed();
    const QString current = deviceFor(port);
    QList<PortMenuEntry> entries;
    bool listed = false;
    for (const PortDescription& p : ports) {
        QStringList details{p.description, p.manufacturer, p.serialNumber};
        details.removeAll(QString());
        QString text = label(p);
        if (!details.isEmpty())
            text += QStringLiteral(" - ") + details.join(QStringLiteral(", "));
        const bool checked = current == openName(p) || current == p.device;
        listed = listed || checked;
        entries.append({text, openName(p), checked});
    }
    if (!listed)
        entries.append({describeDevice(current, ports), current, true});
    return entries;
}

QString PortNames::describe(int port) const
{
    return describeDevice(deviceFor(port), present());
}
