#pragma once

#include "ModVars.h"

#include <QString>
#include <QStringList>

#include <optional>

// Where the values of a parameter set are kept besides the set itself: in the device, as the
// last upload or the acknowledged writes told, and in the file last read or saved. Values
// kept nowhere are lost by an upload over them or by leaving the program, so Connect and
// Exit ask first.
class ParameterOrigin
{
public:
    // The set as the program starts: its values are no one's, and losing them loses nothing.
    explicit ParameterOrigin(const ParameterSet& start = {});

    // A value the device told or acknowledged.
    void deviceHolds(Parameter parameter, std::int32_t value);
    void fileRead(const QString& fileName, const ParameterSet& values);
    void fileSaved(const ParameterSet& values);

    // Values no device has: read from a file or edited since the last upload or download.
    bool notInDevice(const ParameterSet& set) const { return set != m_device; }
    // The file they were read from (its name after the last backslash) when one was read
    // since the device last told its values; empty for values that were edited.
    QString fileName() const { return m_fileSinceDevice; }
    // When the set as a whole is in no file: the grid captions of the rows that differ from
    // both the device and the last file. Empty when nothing is lost.
    QStringList unkeptRows(const ParameterSet& set) const;

    // What Connect asks before it reads a device over values no device has, and what Exit
    // asks before it leaves values kept nowhere; empty when there is nothing to ask.
    QString connectQuestion(const ParameterSet& set) const;
    QString exitQuestion(const ParameterSet& set) const;

private:
    ParameterSet m_device;
    std::optional<ParameterSet> m_file;
    QString m_fileSinceDevice;
};
