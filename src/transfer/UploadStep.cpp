#include "UploadStep.h"

#include "DeviceFrames.h"

UploadResult UploadStep(int step, SerialLink& port, ParameterSet& set)
{
    const UploadRow& row = UploadOrder.at(static_cast<std::size_t>(step));
    const int replyLength = DeviceFrames::dataFrameLength(row.parameter);

    port.setSettings(QString::fromLatin1(ParameterLineSettings));
    port.output(BuildReadRequest(row.parameter));

    if (port.inBufferCount() < replyLength)
        return UploadResult::Requested;
    const int count = port.inBufferCount();
    const QByteArray batch = port.input();
    UploadResult result = UploadResult::Requested;
    for (std::int32_t value : ScanReadReplies(batch, count, row.parameter)) {
        set.assign(row.parameter, value);
        result = UploadResult::Stored;
    }
    return result;
}

int uploadProgress(int commCount)
{
    return static_cast<int>(static_cast<float>(commCount) / 9.0f * 100.0f);
}
