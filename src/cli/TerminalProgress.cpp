#include "TerminalProgress.h"

#include <sys/ioctl.h>
#include <unistd.h>

namespace {

// A line longer than the terminal would wrap, and the lines would no longer be rewritten
// in place; it is cut to the width.
constexpr int UnknownWidth = 80;

int terminalWidth(std::FILE* stream)
{
    winsize size{};
    if (::ioctl(::fileno(stream), TIOCGWINSZ, &size) != 0 || size.ws_col == 0)
        return UnknownWidth;
    return size.ws_col;
}

} // namespace

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
    const int width = terminalWidth(m_stream) - 1;
    for (const QString& line : lines)
        text += "\r\033[K" + line.left(width).toLocal8Bit() + '\n';
    std::fwrite(text.constData(), 1, size_t(text.size()), m_stream);
    std::fflush(m_stream);
    m_shown = int(lines.size());
    m_last = lines;
}
