#pragma once

#include <QStringList>

#include <cstdio>

// One line per device on a terminal, rewritten in place as the work goes on. Nothing is
// written when the stream is not a terminal, so a script's log holds no control codes.
class TerminalProgress
{
public:
    explicit TerminalProgress(std::FILE* stream);
    bool enabled() const { return m_enabled; }
    void setEnabled(bool enabled) { m_enabled = enabled; }
    // Shows these lines in place of the ones shown before.
    void show(const QStringList& lines);

private:
    std::FILE* m_stream;
    bool m_enabled;
    int m_shown = 0;
    QStringList m_last;
};
