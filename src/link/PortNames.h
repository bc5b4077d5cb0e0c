#pragma once

#include <QList>
#include <QString>

#include <functional>
#include <memory>

class QCommandLineParser;
class QSettings;

// A serial port present on this computer, as the system lists it.
struct PortDescription
{
    QString device;     // the name the system gives it: /dev/ttyS0, /dev/ttyUSB0, COM3
    QString stableName; // /dev/serial/by-id/... of a USB adapter, which survives re-plugging
    QString description;
    QString manufacturer;
    QString serialNumber;
    bool builtIn = false; // a ttyS with a UART behind it
    bool absent = false;  // named to the program, but no such device exists now
};

// One line of a Comm Port's menu and the device it assigns.
struct PortMenuEntry
{
    QString text;
    QString device;
    bool checked = false;
};

// Which device stands for Comm Port 1 and Comm Port 2: the one given for this run (--port1,
// --port2), else the one chosen in the window and remembered, else the Nth serial port
// present (built-in ports first, then USB adapters by their stable names), and with fewer
// ports present /dev/ttyS<N-1>. On Windows the last two are COMN, as the system numbers them.
//
// Copies share one assignment, so a choice made in the window reaches the serial port at once.
class PortNames
{
public:
    using Lister = std::function<QList<PortDescription>()>;

    // No ports listed and nothing remembered.
    PortNames();
    // The lister is asked each time the ports present matter; the choices live in settings.
    PortNames(Lister lister, std::unique_ptr<QSettings> settings);

    void setOverride(int port, const QString& device);
    // The command line's --port1 and --port2, and the devices they give for this run.
    static void addOptions(QCommandLineParser& parser);
    void setOverrides(const QCommandLineParser& parser);
    // Remembers the device for the port and uses it from now on, also in place of an override.
    void choose(int port, const QString& device);
    QString deviceFor(int port) const;
    // Which of the two Comm Ports is selected, remembered like the devices; 1 at first.
    int selectedPort() const;
    void select(int port);

    // The ports present, in the order in which they stand for Comm Port 1, 2 and so on.
    QList<PortDescription> present() const;
    // The ports present and those named but absent, as the port's menu lists them, its
    // current device checked.
    QList<PortMenuEntry> menu(int port) const;
    // The port's device, the adapter's system name beside a stable one, and whether it is absent.
    QString describe(int port) const;

private:
    // What the lister gives, sorted: the ports present and the absent ones named.
    QList<PortDescription> listed() const;

    struct State;
    std::shared_ptr<State> m_state;
};
