#include "DeviceSimulator.h"
#include "SimOptions.h"

#include <QFile>

#include <cstdio>

int main(int argc, char* argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));

    QString error;
    std::optional<SimOptions> options = SimOptions::parse(arguments, error);
    if (!options) {
        std::fprintf(stderr, "vorta-devsim: %s\nTry 'vorta-devsim --help' for the options.\n",
                     qPrintable(error));
        return 2;
    }
    if (options->helpRequested) {
        std::fputs(qPrintable(SimOptions::helpText()), stdout);
        return 0;
    }
    if (!options->loadPath.isEmpty()) {
        const auto values = DeviceMemory::loadParameterFile(options->loadPath, &error);
        if (!values) {
            std::fprintf(stderr, "vorta-devsim: --load: %s\n", qPrintable(error));
            return 2;
        }
        options->values = *values;
    }
    // A recording that cannot be replayed is told before the line opens.
    std::optional<PressureReplay> replay;
    if (!options->replayPath.isEmpty()) {
        QFile file(options->replayPath);
        std::optional<PressureRecording> recording;
        if (!file.open(QIODevice::ReadOnly))
            error = file.errorString();
        else if ((recording = PressureRecording::read(file.readAll(), error)))
            replay = PressureReplay::fromRecording(*recording, options->replaySpeed,
                                                   options->replayOnce, error);
        if (!replay) {
            std::fprintf(stderr, "vorta-devsim: --replay %s: %s\n", qPrintable(options->replayPath),
                         qPrintable(error));
            return 2;
        }
    }
    return DeviceSimulator(*options, std::move(replay)).run();
}
