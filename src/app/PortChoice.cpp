#include "PortChoice.h"

#include "MessageBoxes.h"

#include <QActionGroup>
#include <QInputDialog>
#include <QKeyEvent>
#include <QMenu>
#include <QRadioButton>

PortChoice::PortChoice(std::span<QRadioButton* const, 2> options, const PortNames& names,
                       QObject* parent)
    : QObject(parent), m_options{options[0], options[1]}, m_names(names)
{
    for (int port : {1, 2}) {
        option(port)->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(option(port), &QWidget::customContextMenuRequested, this,
                [this, port](const QPoint& at) { showMenu(port, at); });
        option(port)->installEventFilter(this);
        connect(option(port), &QRadioButton::toggled, this, [this, port](bool checked) {
            if (checked)
                m_names.select(port);
        });
    }
    option(m_names.selectedPort())->setChecked(true);
    showDevices();
}

void PortChoice::assignDevice(int port, const QString& device)
{
    m_names.choose(port, device);
    option(port)->setChecked(true);
    showDevices();
}

bool PortChoice::eventFilter(QObject* watched, QEvent* event)
{
    const int port = watched == option(1) ? 1 : watched == option(2) ? 2 : 0;
    // Adapters come and go while the program runs: a tooltip tells how things stand now.
    if (port != 0 && event->type() == QEvent::ToolTip)
        showDevices();
    // Shift+F10 opens a context menu, as the menu key does.
    const auto* key = event->type() == QEvent::KeyPress ? static_cast<QKeyEvent*>(event) : nullptr;
    if (port != 0 && key && key->key() == Qt::Key_F10 && key->modifiers() == Qt::ShiftModifier) {
        showMenu(port, option(port)->rect().center());
        return true;
    }
    return QObject::eventFilter(watched, event);
}

void PortChoice::showDevices()
{
    for (int port : {1, 2}) {
        option(port)->setToolTip(m_names.describe(port) +
                                 QStringLiteral("\nRight-click to choose the device."));
    }
}

void PortChoice::showMenu(int port, const QPoint& at)
{
    // A popup rather than a nested event loop: the window goes on while the menu is open.
    auto* menu = new QMenu(option(port)->window());
    menu->setAttribute(Qt::WA_DeleteOnClose);
    auto* devices = new QActionGroup(menu);
    if (m_names.present().isEmpty())
        menu->addAction(QStringLiteral("No serial port found on this computer"))->setEnabled(false);
    for (const PortMenuEntry& entry : m_names.menu(port)) {
        QAction* action = menu->addAction(
            entry.text, this, [this, port, device = entry.device] { assignDevice(port, device); });
        action->setCheckable(true);
        action->setChecked(entry.checked);
        devices->addAction(action);
    }
    menu->addSeparator();
    menu->addAction(QStringLiteral("Other device..."), this, [this, port] { askForDevice(port); });
    menu->popup(option(port)->mapToGlobal(at));
}

void PortChoice::askForDevice(int port)
{
    QWidget* window = option(port)->window();
    auto* dialog = new QInputDialog(window);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowTitle(QString::fromLatin1(ApplicationTitle));
    dialog->setLabelText(
        QStringLiteral("Device for Comm Port %1, or a serial server as rfc2217://HOST:PORT:")
            .arg(port));
    dialog->setTextValue(m_names.deviceFor(port));
    // Wide enough for an adapter's /dev/serial/by-id name.
    dialog->resize(window->fontMetrics().averageCharWidth() * 64, dialog->sizeHint().height());
    connect(dialog, &QInputDialog::textValueSelected, this, [this, port](const QString& text) {
        if (const QString device = text.trimmed(); !device.isEmpty())
            assignDevice(port, device);
    });
    dialog->open();
}
