#include "PathRules.h"

namespace PathRules {

bool hasDriveForm(const QString& path)
{
    return path.size() >= 4 && path.contains(QLatin1String(":\\"));
}

QString titleOf(const QString& path)
{
    return path.mid(path.lastIndexOf(QLatin1Char('\\')) + 1).toUpper();
}

QString withDefaultExtension(const QString& path)
{
    if (path.contains(QLatin1Char('.')))
        return path;
    return path + QLatin1String(".PRS");
}

QString folderText(const QString& folderPath)
{
    if (folderPath.size() < 4)
        return folderPath;
    return folderPath + QLatin1Char('\\');
}

} // namespace PathRules
