#include "UploadStep.h"

#include "DeviceFrames.h"
#include "ParameterTable.h"

UploadResult UploadStep(int step, SerialLink& port, ParameterSet& set)
{
    const Parameter parameter = uploadParameter(step);
    const int replyLength = DataFrameLength(parameter);

    port.setSettings(QString::fromLatin1(ParameterLineSettings));
    port.output(BuildReadRequest(parameter));

    if (port.inBufferCount() < replyLength)
        return UploadResult::Requested;
    const int count = port.inBufferCount();
    const QByteArray batch = port.input();
    UploadResult result = UploadResult::Requested;
    for (std::int32_t value : ScanReadReplies(batch, count, parameter)) {
        set.assign(parameter, value);
        result = UploadResult::Stored;
    }
    return result;
}

int uploadProgress(int commCount)
{
    return static_cast<int>(static_cast<float>(commCount) / 9.0f * 100.0f);
}
