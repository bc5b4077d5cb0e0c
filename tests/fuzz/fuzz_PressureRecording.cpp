#include "PressureRecording.h"

#include <cassert>

// Any bytes read as a pressure recording give a clear error, or a recording that writes back
// to the very same text.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray text(reinterpret_cast<const char*>(data), qsizetype(size));
    QString error;
    const std::optional<PressureRecording> recording = PressureRecording::read(text, error);
    if (!recording) {
        assert(error.startsWith(QLatin1String("line ")));
        return 0;
    }
    assert(recording->text() == text);
    return 0;
}
