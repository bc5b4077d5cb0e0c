#include "ParameterFiles.h"

#include "DosPathMapper.h"
#include "ParamFileFormat.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

std::optional<ParameterSet> ParameterFiles::read(const QString& path, QString& error)
{
    QFile file(path);
    if (QFileInfo(path).isDir()) {
        error = QStringLiteral("%1 is a folder").arg(path);
        return std::nullopt;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("cannot read %1: %2").arg(path, file.errorString());
        return std::nullopt;
    }
    const ParamFileFormat::ReadOutcome outcome = ParamFileFormat::read(file, ParameterSet{});
    if (!outcome.complete) {
        error = QStringLiteral("cannot read %1: not a parameter file, or a value in it is "
                               "unreadable or too wide")
                    .arg(path);
        return std::nullopt;
    }
    if (outcome.recordsRead < ParameterCount) {
        error = QStringLiteral("cannot use %1: it holds %2 of the %3 parameters")
                    .arg(path)
                    .arg(outcome.recordsRead)
                    .arg(ParameterCount);
        return std::nullopt;
    }
    return outcome.values;
}

bool ParameterFiles::write(const QString& path, const ParameterSet& values, QString& error)
{
    const QString saved = DosPathMapper::forThisHost().toDos(path).toUpper();
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(ParamFileFormat::contents(values, saved)) < 0 || !file.commit()) {
        error = QStringLiteral("cannot write %1: %2").arg(path, file.errorString());
        return false;
    }
    return true;
}
