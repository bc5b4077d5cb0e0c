#include "PathRules.h"

#include <QRegularExpression>
#include <QStringList>

namespace PathRules {

bool hasDriveForm(const QString& path)
{
    return path.size() >= 4 && path.contains(QLatin1String(":\\"));
}

QString fileNameOf(const QString& path)
{
    return path.mid(path.lastIndexOf(QLatin1Char('\\')) + 1);
}

QString titleOf(const QString& path)
{
    return fileNameOf(path).toUpper();
}

QString withDefaultExtension(const QString& path)
{
    const QString name = fileNameOf(path);
    if (name.isEmpty() || name.contains(QLatin1Char('.')))
        return path;
    return path + QLatin1String(".PRS");
}

QString resolveDots(const QString& path)
{
    if (path.size() < 3 || path[1] != QLatin1Char(':') || path[2] != QLatin1Char('\\'))
        return path;
    // The host mapping takes a forward slash as a separator too, so it is one here.
    static const QRegularExpression separators(QStringLiteral("[\\\\/]"));
    const QStringList names = path.mid(3).split(separators);
    if (!names.contains(QLatin1String(".")) && !names.contains(QLatin1String("..")))
        return path;
    QStringList kept;
    bool endsInFolder = false;
    for (const QString& name : names) {
        endsInFolder = name == QLatin1String(".") || name == QLatin1String("..");
        if (name == QLatin1String("..") && !kept.isEmpty())
            kept.removeLast();
        else if (!endsInFolder)
            kept.append(name);
    }
    QString resolved = path.left(3) + kept.join(QLatin1Char('\\'));
    if (endsInFolder && !kept.isEmpty())
        resolved += QLatin1Char('\\');
    return resolved;
}

QString folderText(const QString& folderPath)
{
    if (folderPath.size() < 4)
        return folderPath;
    return folderPath + QLatin1Char('\\');
}

} // namespace PathRules
