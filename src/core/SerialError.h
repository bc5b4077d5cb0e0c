#pragma once

#include <stdexcept>
#include <string>

// Raised by every serial operation that fails; the communication cycle catches it
// in its one error path.
class SerialError : public std::runtime_error
{
public:
    explicit SerialError(const std::string& what) : std::runtime_error(what) {}
};
