#include "UploadStep.h"

#include "DeviceFrames.h"
#include "ParameterTable.h"

void UploadStep(int step, SerialLink& port, CommState& comm, ParameterSet& set, CommView& view)
{
    const Parameter parameter = uploadParameter(step);
    const int replyLength = DataFrameLength(parameter);

    port.setSettings(QString::fromLatin1(ParameterLineSettings));
    view.setStatus(QString::fromLatin1(parameterInfo(parameter).upload.status));
    port.output(BuildReadRequest(parameter));

    if (port.inBufferCount() < replyLength)
        return;
    const int count = port.inBufferCount();
    const QByteArray batch = port.input();
    for (std::int32_t value : ScanReadReplies(batch, count, parameter)) {
        set.assign(parameter, value);
        comm.CommCount = static_cast<std::int16_t>(step + 1);
    }
}

int uploadProgress(int commCount)
{
    return static_cast<int>(static_cast<float>(commCount) / 9.0f * 100.0f);
}
