#pragma once

#include "MessageBoxes.h"

#include <QList>
#include <QStringList>

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
        texts.append(text);
        if (buttons == MessageButtons::Ok)
            return MessageAnswer::Ok;
        return answers.isEmpty() ? MessageAnswer::Yes : answers.takeFirst();
    }

    QList<Shown> shown;
    QStringList texts;
    QList<MessageAnswer> answers;
};
