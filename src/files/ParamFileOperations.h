#pragma once

#include "DosPathMapper.h"
#include "ModVars.h"

#include <QByteArray>
#include <QStringList>

#include <functional>
#include <optional>

class MessageBoxes;
class QIODevice;

// Saving the parameter set to a *.PRS file and reading it back, on the path held in
// ParamFileName. Every outcome is reported through the message boxes; the result only tells
// the caller whether the set and a file now agree.
class ParamFileOperations
{
public:
    // Writes one line (line end included); false when the device refused it.
    using LineWriter = std::function<bool(QIODevice& out, const QByteArray& line)>;
    // Switches the busy (hourglass) pointer on or back to the default; none by default, as
    // the command line has no pointer to show.
    using BusyPointer = std::function<void(bool busy)>;

    ParamFileOperations(ParameterModule& vars, MessageBoxes& messages, const DosPathMapper& mapper);

    // The path rules for saving, then SaveParamFile when they pass; true when the file was
    // written.
    bool CheckSavePath();
    // Completes the name with ".PRS", asks before replacing, writes and reports; true when
    // the file was written.
    bool SaveParamFile();
    // The path rules for reading, the existence check, then the read. The values read are
    // taken over only when the read completes, and then it returns true; a failed read
    // leaves the set as it was.
    bool ReadParamFile();

    // The file name as the user picked it in the list or typed it, in its own case. Among
    // files whose names differ only in case it tells which one is meant; without it, the
    // file name of ParamFileName as handed over tells.
    void setChosenName(const QString& name) { m_chosenName = name; }

    void setLineWriter(LineWriter writer) { m_writeLine = std::move(writer); }
    void setBusyPointer(BusyPointer busy) { m_busy = std::move(busy); }

    static bool writeLine(QIODevice& out, const QByteArray& line);

private:
    enum class Side
    {
        Save,
        Read
    };
    // The host file an entry stands for. When several files differ from it only in case,
    // it is the one named exactly as chosen; with none named so, clash lists them all.
    struct HostFile
    {
        bool error = false;
        QString path;
        QStringList clash;
        QString reason;
    };

    // Probe, form check and split; the probe's finding when all three pass.
    std::optional<DosPathMapper::ProbeResult> passPathRules(Side side);
    HostFile hostFile(const QString& dosPath, const QString& chosen) const;

    ParameterModule& m_vars;
    MessageBoxes& m_messages;
    const DosPathMapper& m_mapper;
    QString m_chosenName;
    // The chosen name, or the one handed over in ParamFileName, for the operation at hand.
    QString m_meantName;
    LineWriter m_writeLine = &ParamFileOperations::writeLine;
    BusyPointer m_busy = [](bool) {};
};
