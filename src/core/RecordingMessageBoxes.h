#pragma once

#include "MessageBoxes.h"

#include <QList>

// Message boxes for tests: records what would have been shown and answers from a
// script (Yes when the script is empty), never blocking.
class RecordingMessageBoxes : public MessageBoxes
{
public:
    struct Shown
    {
        QString text;
        MessageIcon icon;
        MessageButtons buttons;
        MessageAnswer defaultAnswer;
    };

    MessageAnswer show(const QString& text, MessageIcon icon, MessageButtons buttons,
                       MessageAnswer defaultAnswer) override
    {
        shown.append({text, icon, buttons, defaultAnswer});
        if (buttons == MessageButtons::Ok)
            return MessageAnswer::Ok;
        return answers.isEmpty() ? MessageAnswer::Yes : answers.takeFirst();
    }

    QStringList texts() const
    {
        QStringList out;
        for (const Shown& s : shown)
            out.append(s.text);
        return out;
    }

    QList<Shown> shown;
    QList<MessageAnswer> answers;
};
