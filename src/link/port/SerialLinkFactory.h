#pragma once

#include "PortNames.h"
#include "SerialLink.h"

#include <memory>

// The one place where a serial line is made for a device name, so that every front end
// reaches the same kinds of line: the window's Comm Ports and each device of the command line.
class SerialLinkFactory
{
public:
    // A closed line whose Comm Ports stand for the devices the names give.
    static std::unique_ptr<SerialLink> create(const PortNames& names);
};
