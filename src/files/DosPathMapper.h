#pragma once

#include <QChar>
#include <QList>
#include <QString>

// Maps the drive-letter paths the user types (C:\HOME\ANNA\DATA\PRESS1.PRS, always upper
// case) onto the host file system and back. Each drive letter stands for a host folder.
// Below it every folder and file name is matched to an existing entry without regard to
// case: an exact match wins, among several case variants the first in sorted order wins,
// and a name that does not exist yet is kept as typed.
class DosPathMapper
{
public:
    struct Drive
    {
        QChar letter; // upper case
        QString root; // host folder, in Qt's '/' notation
    };

    struct HostPath
    {
        bool error = false; // an unknown drive or a folder on the way that cannot be read
        QString path;
        QString reason; // the system's reason when a folder cannot be read
    };

    struct ProbeResult
    {
        bool error = false;
        QString fileName; // the name of the first plain file matching, as stored on disk
        QString reason;   // the system's reason when a folder cannot be read
    };

    // Drive C: for the host's root folder.
    DosPathMapper();
    explicit DosPathMapper(QList<Drive> drives);

    // The drives of this machine: on Windows its own drive letters; elsewhere C: for the
    // root folder, then further letters for removable media mounted under /media and /mnt.
    static DosPathMapper forThisHost();

    const QList<Drive>& drives() const { return m_drives; }
    QString driveRoot(QChar letter) const;

    HostPath toHost(const QString& dosPath) const;

    // The drive-letter form of a host path, inside the drive with the longest matching
    // root; empty when no drive holds it.
    QString toDos(const QString& hostPath) const;

    // Looks for the first plain file matching a drive-letter path: the file itself, the
    // first file of the folder when the path ends in a backslash, or the first match of a
    // pattern with * or ?. Finding nothing is not an error; an unknown drive, a folder that
    // cannot be read, or text with ":\" that is no drive path is.
    ProbeResult probe(const QString& dosPath) const;

    // The plain files in the path's folder whose names equal its file name without regard
    // to case, as stored on disk and sorted; empty when the folder cannot be found or read.
    QStringList caseVariants(const QString& dosPath) const;

private:
    QList<Drive> m_drives;
};
