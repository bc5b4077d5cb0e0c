#include "DosPathMapper.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStorageInfo>

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace {

bool isSeparator(QChar c)
{
    return c == QLatin1Char('\\') || c == QLatin1Char('/');
}

// "X:\" followed by anything.
bool startsWithDrive(const QString& dosPath)
{
    return dosPath.size() >= 3 && dosPath[0].isLetter() && dosPath[0].unicode() < 128 &&
           dosPath[1] == QLatin1Char(':') && isSeparator(dosPath[2]);
}

QString joined(const QString& folder, const QString& name)
{
    if (folder.endsWith(QLatin1Char('/')))
        return folder + name;
    return folder + QLatin1Char('/') + name;
}

bool entryExists(const QString& path)
{
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

bool unreadableFolder(const QFileInfo& folder)
{
    return folder.isDir() && (!folder.isReadable() || !folder.isExecutable());
}

// Why the system refuses to list a folder, in its own words.
QString readError(const QFileInfo& folder)
{
    std::error_code error;
    std::filesystem::directory_iterator(folder.absoluteFilePath().toStdU16String(), error);
    // A folder that lists but cannot be entered is refused for want of permission.
    if (!error)
        error = std::make_error_code(std::errc::permission_denied);
    return QString::fromStdString(error.message());
}

bool hasWildcard(const QString& name)
{
    return name.contains(QLatin1Char('*')) || name.contains(QLatin1Char('?'));
}

} // namespace

DosPathMapper::DosPathMapper()
    : DosPathMapper(QList<Drive>{{QLatin1Char('C'), QStringLiteral("/")}})
{}

DosPathMapper::DosPathMapper(QList<Drive> drives) : m_drives(std::move(drives))
{
    for (Drive& drive : m_drives)
        drive.letter = drive.letter.toUpper();
}

DosPathMapper DosPathMapper::forThisHost()
{
    QList<Drive> drives;
#ifdef Q_OS_WIN
    for (const QFileInfo& drive : QDir::drives()) {
        const QString root = drive.absoluteFilePath();
        if (!root.isEmpty())
            drives.append({root[0].toUpper(), root});
    }
#else
    drives.append({QLatin1Char('C'), QStringLiteral("/")});
    QStringList media;
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        // Removable media are mounted as /mnt/NAME, /media/NAME or /media/USER/NAME.
        const QString root = volume.rootPath();
        const qsizetype depth = root.count(QLatin1Char('/'));
        if ((root.startsWith(QLatin1String("/mnt/")) && depth == 2) ||
            (root.startsWith(QLatin1String("/media/")) && (depth == 2 || depth == 3)))
            media.append(root);
    }
    std::sort(media.begin(), media.end());
    char letter = 'D';
    for (const QString& root : media) {
        if (letter > 'Z')
            break;
        drives.append({QLatin1Char(letter++), root});
    }
#endif
    return DosPathMapper(drives);
}

QString DosPathMapper::driveRoot(QChar letter) const
{
    const QChar upper = letter.toUpper();
    for (const Drive& drive : m_drives) {
        if (drive.letter == upper)
            return drive.root;
    }
    return {};
}

DosPathMapper::HostPath DosPathMapper::toHost(const QString& dosPath) const
{
    if (!startsWithDrive(dosPath))
        return {true, {}, {}};
    QString current = driveRoot(dosPath[0]);
    if (current.isEmpty())
        return {true, {}, {}};

    bool existing = true;
    static const QRegularExpression separators(QStringLiteral("[\\\\/]"));
    const QStringList names = dosPath.mid(3).split(separators, Qt::SkipEmptyParts);
    for (const QString& name : names) {
        const QString exact = joined(current, name);
        if (!existing || name == QLatin1String(".") || name == QLatin1String("..") ||
            entryExists(exact)) {
            current = exact;
            existing = existing && entryExists(exact);
            continue;
        }
        const QFileInfo folder(current);
        if (!folder.isDir()) {
            current = exact;
            existing = false;
            continue;
        }
        if (unreadableFolder(folder))
            return {true, {}, readError(folder)};
        QStringList entries = QDir(current).entryList(QDir::AllEntries | QDir::Hidden |
                                                      QDir::System | QDir::NoDotAndDotDot);
        std::sort(entries.begin(), entries.end());
        const QString wanted = name.toUpper();
        const auto match = std::find_if(entries.cbegin(), entries.cend(),
                                        [&](const QString& e) { return e.toUpper() == wanted; });
        if (match == entries.cend()) {
            current = exact;
            existing = false;
        } else {
            current = joined(current, *match);
        }
    }
    return {false, current, {}};
}

QString DosPathMapper::toDos(const QString& hostPath) const
{
    const QString clean = QDir::cleanPath(QFileInfo(hostPath).absoluteFilePath());
    const Drive* best = nullptr;
    for (const Drive& drive : m_drives) {
        const QString root = QDir::cleanPath(drive.root);
        const bool inside = root.endsWith(QLatin1Char('/'))
                                ? clean.startsWith(root)
                                : clean == root || clean.startsWith(root + QLatin1Char('/'));
        if (inside && (!best || QDir::cleanPath(best->root).size() < root.size()))
            best = &drive;
    }
    if (!best)
        return {};
    QString rest = clean.mid(QDir::cleanPath(best->root).size());
    while (rest.startsWith(QLatin1Char('/')))
        rest.remove(0, 1);
    rest.replace(QLatin1Char('/'), QLatin1Char('\\'));
    return QString(best->letter) + QLatin1String(":\\") + rest;
}

DosPathMapper::ProbeResult DosPathMapper::probe(const QString& dosPath) const
{
    if (!startsWithDrive(dosPath))
        return {dosPath.contains(QLatin1String(":\\")), {}, {}};

    qsizetype split = dosPath.size() - 1;
    while (split >= 0 && !isSeparator(dosPath[split]))
        --split;
    const QString name = dosPath.mid(split + 1);
    const HostPath folder = toHost(dosPath.left(split + 1));
    if (folder.error)
        return {true, {}, folder.reason};
    const QFileInfo folderInfo(folder.path);
    if (!folderInfo.isDir())
        return {};
    if (unreadableFolder(folderInfo))
        return {true, {}, readError(folderInfo)};

    if (name.isEmpty() || hasWildcard(name)) {
        QDir dir(folder.path);
        dir.setNameFilters({name.isEmpty() ? QStringLiteral("*") : name});
        dir.setFilter(QDir::Files | QDir::Hidden);
        dir.setSorting(QDir::Name);
        const QStringList found = dir.entryList();
        return {false, found.isEmpty() ? QString() : found.first(), {}};
    }

    // The folder mapped and could be read, so the name maps too.
    const QFileInfo info(toHost(dosPath).path);
    return {false, info.isFile() ? info.fileName() : QString(), {}};
}

QStringList DosPathMapper::caseVariants(const QString& dosPath) const
{
    const qsizetype split = dosPath.lastIndexOf(QLatin1Char('\\'));
    const QString wanted = dosPath.mid(split + 1).toUpper();
    const HostPath folder = toHost(dosPath.left(split + 1));
    if (split < 0 || wanted.isEmpty() || folder.error || unreadableFolder(QFileInfo(folder.path)))
        return {};
    QStringList variants;
    for (const QString& name :
         QDir(folder.path).entryList(QDir::Files | QDir::Hidden, QDir::Name)) {
        if (name.toUpper() == wanted)
            variants.append(name);
    }
    return variants;
}
