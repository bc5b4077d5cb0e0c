#include "DownloadStep.h"

#include "DeviceFrames.h"
#include "ParameterTable.h"
#include "RoundHalfEven.h"

#include <algorithm>

DownloadResult DownloadStep(int row, SerialLink& port, const ParameterSet& set)
{
    port.setSettings(QString::fromLatin1(ParameterLineSettings));
    if (port.inBufferCount() < DeviceFrames::WriteAckLength)
        return DownloadResult::Waiting;
    const int count = port.inBufferCount();
    const QByteArray batch = port.input();
    // Only one write is outstanding at a time, so a batch acknowledges at most one row:
    // a frame that went out twice and was acknowledged twice must not skip the next row.
    const bool acknowledged = CountWriteAcks(batch, count) > 0;
    const int next = acknowledged ? row + 1 : row;
    if (next >= ParameterCount)
        return DownloadResult::Finished;
    const Parameter parameter = downloadParameter(next);
    port.output(BuildWriteRequest(parameter, set.value(parameter)));
    return acknowledged ? DownloadResult::Advanced : DownloadResult::Repeated;
}

int downloadProgress(int state)
{
    return roundHalfEven(std::min(state * 100.0 / 8.0, 100.0));
}
