#pragma once

#include <optional>

// The faults the simulated device can put on the line, each off by default.
struct FaultSettings
{
    double noiseRate = 0.0;       // random bytes per second mixed into what the device sends
    double dropFraction = 0.0;    // share of replies and acknowledgements never sent
    double corruptFraction = 0.0; // share of sent frames whose checksum is wrong
    bool duplicateAcks = false;   // every acknowledgement goes out twice
    // A write to this device address is acknowledged but stores a value one off.
    std::optional<int> storeWrongAddress;
    int delayMs = 0;                          // time between a request and its answer leaving
    bool silent = false;                      // the device sends nothing but still stores writes
    std::optional<double> hangupAfterSeconds; // the adapter is unplugged after this long
};
