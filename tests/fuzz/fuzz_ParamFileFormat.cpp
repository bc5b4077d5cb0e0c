#include "ParamFileFormat.h"

#include <QBuffer>

#include <cassert>

// Whatever a read of a parameter file leaves, whole or part way, written back reads again to
// the same values; a value outside what the reader accepts would come back held at a limit.
namespace {

ParamFileFormat::ReadOutcome read(QByteArray bytes)
{
    QBuffer file(&bytes);
    file.open(QIODevice::ReadOnly);
    return ParamFileFormat::read(file, ParameterSet{});
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const ParameterSet values =
        read(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size))).values;
    const auto again = read(ParamFileFormat::contents(values, "C:\\DATA\\PRESS1.PRS"));
    assert(again.complete && again.values == values);
    return 0;
}
