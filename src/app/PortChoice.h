#pragma once

#include "PortNames.h"

#include <QObject>

#include <array>
#include <span>

class QPoint;
class QRadioButton;

// The choice of the device behind each Comm Port option: its context menu (also by the menu
// key or Shift+F10) lists the serial ports present and "Other device...", a choice is
// remembered and selects the port, and the option's tooltip names the device.
class PortChoice : public QObject
{
    Q_OBJECT

public:
    // The options stand for Comm Port 1 and 2, in that order.
    PortChoice(std::span<QRadioButton* const, 2> options, const PortNames& names,
               QObject* parent = nullptr);

    // What a Comm Port's menu does with the device picked there: remembers it for the port,
    // selects the port and shows the device in its tooltip.
    void assignDevice(int port, const QString& device);
    // The device that stands for the port now, as its tooltip names it.
    QString describe(int port) const { return m_names.describe(port); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The options keep their captions; their tooltips name the device of each port.
    void showDevices();
    void showMenu(int port, const QPoint& at);
    void askForDevice(int port);
    QRadioButton* option(int port) const { return m_options[port - 1]; }

    std::array<QRadioButton*, 2> m_options;
    PortNames m_names;
};
