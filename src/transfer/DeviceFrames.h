#pragma once

#include "ModVars.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <stdexcept>
#include <vector>

// Raised when a value does not fit the data bytes of its write request.
class FrameError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// The line settings of every parameter transfer, and of the live pressure stream.
inline constexpr const char* ParameterLineSettings = "9600,n,8,1";
inline constexpr const char* LiveLineSettings = "57600,n,8,1";

namespace DeviceFrames {

inline constexpr std::uint8_t WriteAckCommand = 0xE0;
inline constexpr std::uint8_t PressureCommand = 0xD0;
inline constexpr int ReadRequestLength = 4;
inline constexpr int WriteAckLength = 4;
inline constexpr int PressureFrameLength = 5;

// The low nibble of a parameter frame's command byte; the high nibble is the address.
enum class Function : std::uint8_t
{
    ReadRequest = 0,
    ReadReply = 1,
    WriteRequest = 2
};

} // namespace DeviceFrames

// Length of a read reply or write request for the parameter: 4 plus its data bytes.
int DataFrameLength(Parameter p);

std::uint8_t FrameCommandByte(Parameter p, DeviceFrames::Function function);

// What the device sends: a read reply holds the value's low data bytes, high byte first.
QByteArray BuildReadReply(Parameter p, std::int32_t value);
QByteArray BuildWriteAck();
QByteArray BuildPressureFrame(std::uint8_t psi);

// Two's complement of the low 8 bits of the sum of the leading bytes: 0 when that sum is
// a multiple of 256, so all bytes of a valid frame add up to a multiple of 256.
std::uint8_t FrameChecksum(const QByteArray& leadingBytes);

QByteArray BuildReadRequest(Parameter p);

// Three-byte values are cut to their low 24 bits; a one-byte value outside 0..255 or a
// two-byte value outside 0..65535 throws FrameError and nothing is built.
QByteArray BuildWriteRequest(Parameter p, std::int32_t value);

// The decoded and limited value of every valid read reply of the parameter among the
// first count bytes of the batch, in batch order.
std::vector<std::int32_t> ScanReadReplies(const QByteArray& batch, int count, Parameter p);

// How many valid write acknowledgements (80 xx E0 ck) the first count bytes hold.
int CountWriteAcks(const QByteArray& batch, int count);

// The pressure byte of every valid live frame (80 xx D0 P ck), in batch order, unclamped.
std::vector<std::uint8_t> ScanPressureFrames(const QByteArray& batch, int count);

// What the parameter frames among the bytes mean to a person, for the traffic log, joined
// by "; ": "read Static Trip Pressure", "write Static Trip Pressure 45", "Static Trip
// Pressure is 45", "acknowledged". Pressure frames and other bytes say nothing.
QString DescribeFrames(const QByteArray& bytes);
