#include "UploadStep.h"

#include "DeviceFrames.h"

void UploadStep(int step, SerialLink& port, CommState& comm, ParameterSet& set, CommView& view)
{
    const UploadRow& row = UploadOrder.at(static_cast<std::size_t>(step));
    const int replyLength = DeviceFrames::dataFrameLength(row.parameter);

    port.setSettings(QString::fromLatin1(ParameterLineSettings));
    view.setStatus(QString::fromLatin1(row.status));
    port.output(BuildReadRequest(row.parameter));

    if (port.inBufferCount() < replyLength)
        return;
    const int count = port.inBufferCount();
    const QByteArray batch = port.input();
    for (std::int32_t value : ScanReadReplies(batch, count, row.parameter)) {
        set.assign(row.parameter, value);
        comm.CommCount = static_cast<std::int16_t>(step + 1);
    }
}

int uploadProgress(int commCount)
{
    return static_cast<int>(static_cast<float>(commCount) / 9.0f * 100.0f);
}
