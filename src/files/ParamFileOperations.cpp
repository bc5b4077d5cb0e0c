#include "ParamFileOperations.h"

#include "MessageBoxes.h"
#include "ParamFileFormat.h"
#include "ParameterTable.h"
#include "PathRules.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace {

const QString DirectoryNotFound = QStringLiteral("The specified directory was not found.");
const QString FormatMessage =
    QStringLiteral("Please access file using Drive:\\Directory\\Filname.Ext format.");
const QString CreateError = QStringLiteral("Error in creating the file. Check filename and path.");
const QString ReplaceQuestion = QStringLiteral("Do you wish to replace existing file?");
const QString WriteError = QStringLiteral("Error creating file");
const QString SaveComplete = QStringLiteral("File Save Complete.");
const QString FileMissing = QStringLiteral("The Specified File Does Not Exist.");
const QString ReadError = QStringLiteral("Error Occured During File Read.");
const QString ReadComplete = QStringLiteral("File Access Complete....");
const QString CaseClash =
    QStringLiteral("These files differ only in case: %1. Pick one in the list or type its name "
                   "exactly as listed.");

// Names the parameters a file that ends early did not reach, which keep their values.
QString keptValuesNote(int recordsRead)
{
    QStringList kept;
    const ParameterTable& records = parameterTable();
    for (auto record = records.begin() + recordsRead; record != records.end(); ++record)
        kept.append(QString::fromLatin1(record->grid.caption));
    return QStringLiteral("The file holds %1 of the %2 parameters; these kept their earlier "
                          "values: %3.")
        .arg(recordsRead)
        .arg(ParameterCount)
        .arg(kept.join(QLatin1String(", ")));
}

// Characters no drive-letter file name may hold; such a name cannot be created.
bool isCreatableName(const QString& title)
{
    for (const QChar c : title) {
        if (QStringLiteral("*?\"<>|:").contains(c) || c.unicode() < 32)
            return false;
    }
    return true;
}

} // namespace

ParamFileOperations::ParamFileOperations(ParameterModule& vars, MessageBoxes& messages,
                                         const DosPathMapper& mapper)
    : m_vars(vars), m_messages(messages), m_mapper(mapper)
{}

bool ParamFileOperations::writeLine(QIODevice& out, const QByteArray& line)
{
    const QByteArray ended = line + "\r\n";
    return out.write(ended) == ended.size();
}

std::optional<DosPathMapper::ProbeResult> ParamFileOperations::passPathRules(Side side)
{
    const QString entered = PathRules::resolveDots(m_vars.ParamFileName);
    m_meantName = m_chosenName.isEmpty() ? PathRules::fileNameOf(entered) : m_chosenName;
    m_vars.ParamFileName = entered.toUpper();
    const QString& path = m_vars.ParamFileName;
    const DosPathMapper::ProbeResult probe = m_mapper.probe(path);
    if (probe.error) {
        m_messages.showDetailed(DirectoryNotFound, probe.reason, MessageIcon::None,
                                MessageButtons::Ok);
        return std::nullopt;
    }
    if (!PathRules::hasDriveForm(path)) {
        if (side == Side::Save)
            m_messages.show(FormatMessage + QString::number(path.size() + 1));
        else
            m_messages.show(FormatMessage);
        return std::nullopt;
    }
    m_vars.ParamFileTitle = PathRules::titleOf(path);
    return probe;
}

bool ParamFileOperations::CheckSavePath()
{
    return passPathRules(Side::Save) && SaveParamFile();
}

bool ParamFileOperations::SaveParamFile()
{
    // A folder alone would give a file named only by its extension, which no list shows.
    if (PathRules::titleOf(m_vars.ParamFileName).isEmpty()) {
        m_messages.show(CreateError);
        return false;
    }
    m_vars.ParamFileName = PathRules::withDefaultExtension(m_vars.ParamFileName);
    const QString path = m_vars.ParamFileName;
    const QString chosen = PathRules::withDefaultExtension(m_meantName);

    const DosPathMapper::ProbeResult existing = m_mapper.probe(path);
    const QString finalTitle = PathRules::titleOf(path);
    const HostFile target = hostFile(path, chosen);
    if (!target.clash.isEmpty()) {
        m_messages.show(CaseClash.arg(target.clash.join(QLatin1String(", "))));
        return false;
    }
    if (!existing.error && !existing.fileName.isEmpty() &&
        existing.fileName.toUpper() == finalTitle) {
        // A file whose name differs from the entry in case is named, so the user knows
        // which one is replaced; Enter alone must not overwrite it.
        const QString onDisk = QFileInfo(target.path).fileName();
        const QString question =
            onDisk == chosen ? ReplaceQuestion : ReplaceQuestion + QLatin1Char('\n') + onDisk;
        if (m_messages.show(question, MessageIcon::None, MessageButtons::YesNo,
                            MessageAnswer::No) != MessageAnswer::Yes)
            return false;
    }

    if (existing.error || target.error || !isCreatableName(finalTitle)) {
        m_messages.showDetailed(CreateError, existing.error ? existing.reason : target.reason,
                                MessageIcon::None, MessageButtons::Ok);
        return false;
    }
    // The old file is replaced only once every line has been written, so a failed save
    // never costs the user the file that was there before.
    QSaveFile file(target.path);
    if (!file.open(QIODevice::WriteOnly)) {
        m_messages.showDetailed(CreateError, file.errorString(), MessageIcon::None,
                                MessageButtons::Ok);
        return false;
    }

    m_busy(true);
    bool written = true;
    for (const QByteArray& line : ParamFileFormat::lines(m_vars, path)) {
        if (!m_writeLine(file, line)) {
            written = false;
            break;
        }
    }
    if (written)
        written = file.commit();
    else
        file.cancelWriting();

    if (!written) {
        m_messages.show(WriteError);
        m_busy(false);
        return false;
    }
    m_busy(false);
    m_messages.show(SaveComplete);
    return true;
}

bool ParamFileOperations::ReadParamFile()
{
    const std::optional<DosPathMapper::ProbeResult> probe = passPathRules(Side::Read);
    if (!probe)
        return false;
    const QString& path = m_vars.ParamFileName;
    if (probe->fileName.toUpper() != m_vars.ParamFileTitle) {
        m_messages.show(FileMissing);
        return false;
    }
    const HostFile source = hostFile(path, m_meantName);
    if (!source.clash.isEmpty()) {
        m_messages.show(CaseClash.arg(source.clash.join(QLatin1String(", "))));
        return false;
    }

    m_busy(true);
    QFile file(source.path);
    if (source.error || !QFileInfo(source.path).isFile() || !file.open(QIODevice::ReadOnly)) {
        m_busy(false);
        const bool refused = file.error() != QFileDevice::NoError;
        m_messages.showDetailed(ReadError, refused ? file.errorString() : QString(),
                                MessageIcon::None, MessageButtons::Ok);
        return false;
    }
    const ParamFileFormat::ReadOutcome outcome = ParamFileFormat::read(file, m_vars);
    file.close();
    m_busy(false);
    if (!outcome.complete) {
        m_messages.show(ReadError);
        return false;
    }
    static_cast<ParameterSet&>(m_vars) = outcome.values;
    if (outcome.recordsRead < ParameterCount)
        m_messages.showDetailed(ReadComplete, keptValuesNote(outcome.recordsRead),
                                MessageIcon::None, MessageButtons::Ok);
    else
        m_messages.show(ReadComplete);
    return true;
}

ParamFileOperations::HostFile ParamFileOperations::hostFile(const QString& dosPath,
                                                            const QString& chosen) const
{
    const DosPathMapper::HostPath mapped = m_mapper.toHost(dosPath);
    if (mapped.error)
        return {true, {}, {}, mapped.reason};
    const QStringList variants = m_mapper.caseVariants(dosPath);
    if (variants.size() < 2)
        return {false, mapped.path, {}, {}};
    if (!variants.contains(chosen))
        return {false, {}, variants, {}};
    return {false, QFileInfo(mapped.path).dir().filePath(chosen), {}, {}};
}
