#include "TerminalProgress.h"

#include <unistd.h>

TerminalProgress::TerminalProgress(std::FILE* stream)
    : m_stream(stream), m_enabled(::isatty(::fileno(stream)) == 1)
{}

void TerminalProgress::show(const QStringList& lines)
{
    if (!m_enabled || lines == m_last)
        return;
    QByteArray text;
    if (m_shown > 0)
        text += "\033[" + QByteArray::number(m_shown) + 'A';
    for (const QString& line : lines)
        text += "\r\033[K" + line.toLocal8Bit() + '\n';
    std::fwrite(text.constData(), 1, size_t(text.size()), m_stream);
    std::fflush(m_stream);
    m_shown = int(lines.size());
    m_last = lines;
}
