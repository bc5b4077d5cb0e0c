#pragma once

#include "ModVars.h"

#include <QDateTime>
#include <QList>
#include <QString>

#include <array>
#include <cstdint>
#include <optional>

// How a row of the record stands against the last read-back.
enum class RecordRowState
{
    NotReadBack,      // no read-back yet, or the row was written since
    ReadBackEqual,    // the device holds what was written to it (or what the set held)
    ReadBackDifferent // the device holds something else
};

// One parameter in the record: what the device held before, what was written to it and what
// it holds after.
struct RecordRow
{
    Parameter parameter;
    std::optional<std::int32_t> asFound;
    std::optional<std::int32_t> written;  // the last write the device acknowledged
    std::optional<std::int32_t> expected; // what the last read-back was compared with
    std::optional<std::int32_t> readBack; // what the last read-back found
    RecordRowState state = RecordRowState::NotReadBack;

    // Only a value read back after the last write to the row is the device's as left.
    std::optional<std::int32_t> asLeft() const;
    std::optional<std::int64_t> change() const;
};

// What a calibration proves: the device's values as found, what was written, and what the
// device holds as left, read back, with who did it, where and when. A plain value: the
// window fills it from its cycle, and any other front end can fill one per device.
class CalibrationRecord
{
public:
    // Typed by the technician.
    QString press;
    QString location;
    QString technician;

    // A Connect. To another device than the record's, the record starts afresh, and only the
    // technician stays.
    void connected(const QString& port, const QString& device);
    // A complete upload: the first one after a Connect to the device is its as found.
    void uploadFinished(const ParameterSet& device, const QDateTime& at);
    void writeAcknowledged(Parameter parameter, std::int32_t value);
    // A read-back: each row is compared with what was last written to it or, never written,
    // with the parameter set.
    void readBackFinished(const ParameterSet& device, const ParameterSet& set, const QDateTime& at);
    void readBackFailed(const QDateTime& at);
    void pressureWindowSeen(int highest, int lowest);
    void fileUsed(const QString& path, bool saved);

    const QString& port() const { return m_port; }
    const QString& device() const { return m_device; }
    const std::optional<QDateTime>& asFoundTime() const { return m_asFoundTime; }
    const std::optional<QDateTime>& readBackTime() const { return m_readBackTime; }
    // The pressure window of the session, empty while no pressure above zero was seen.
    QString pressureWindowText() const;
    // The file read or saved last, and which of the two.
    QString fileText() const;

    // The nine rows in the order of the grid.
    QList<RecordRow> rows() const;
    QList<Parameter> differingRows() const;
    // A row was written after the last read-back, or was written and never read back.
    bool writtenSinceReadBack() const;
    // "Read back: all nine equal", the rows that differ, the failure, or that there was none.
    QString readBackResult() const;
    // Each differing row with the value expected and the value the device holds.
    QString differencesText() const;
    // The report's default name: the press and the time, with what a file name cannot hold
    // replaced.
    QString reportFileName(const QDateTime& at) const;

private:
    QString m_port;
    QString m_device;
    std::optional<ParameterSet> m_asFound;
    std::optional<QDateTime> m_asFoundTime;
    std::array<std::optional<std::int32_t>, ParameterCount> m_written;
    std::array<bool, ParameterCount> m_writtenSinceReadBack{};
    std::optional<ParameterSet> m_readBack;
    ParameterSet m_expected;
    std::optional<QDateTime> m_readBackTime;
    std::optional<QDateTime> m_readBackFailedAt;
    int m_highest = 0;
    int m_lowest = 0;
    QString m_file;
    bool m_fileSaved = false;
};
