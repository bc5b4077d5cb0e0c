#include "DownloadStep.h"

#include "DeviceFrames.h"
#include "ParameterTable.h"
#include "RoundHalfEven.h"

#include <algorithm>

void startDownload(CommState& comm, CommView& view)
{
    comm.CommAction = 2;
    view.setTimerEnabled(true);
    view.setConnectControlsEnabled(false);
    comm.CommWriteState = 0;
    view.setProgress(0);
}

bool DownloadStep(SerialLink& port, CommState& comm, const ParameterSet& set, CommView& view)
{
    port.setSettings(QString::fromLatin1(ParameterLineSettings));
    if (comm.CommWriteState == 0)
        view.setStatus(QStringLiteral("Downloading Data"));

    if (port.inBufferCount() < DeviceFrames::WriteAckLength)
        return false;
    const int count = port.inBufferCount();
    const QByteArray batch = port.input();
    // Only one write is outstanding at a time, so a batch acknowledges at most one row:
    // a frame that went out twice and was acknowledged twice must not skip the next row.
    if (CountWriteAcks(batch, count) > 0)
        ++comm.CommWriteState;

    if (comm.CommWriteState >= 0 && comm.CommWriteState < ParameterCount) {
        const Parameter parameter = downloadParameter(comm.CommWriteState);
        const QByteArray frame = BuildWriteRequest(parameter, set.value(parameter));
        view.setStatus(QString::fromLatin1(parameterInfo(parameter).download.status));
        port.output(frame);
        view.setProgress(downloadProgress(comm.CommWriteState));
        return true;
    }
    view.setStatus(QStringLiteral("Download Complete"));
    comm.CommWriteState = 0;
    comm.CommAction = 1;
    view.setDownloadEnabled(true);
    return false;
}

int downloadProgress(int state)
{
    return roundHalfEven(std::min(state * 100.0 / 8.0, 100.0));
}
