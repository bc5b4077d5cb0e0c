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
        QString details;
    };

    MessageAnswer show(const QString& text, MessageIcon icon, MessageButtons buttons,
                       MessageAnswer defaultAnswer) override
    {
        return showDetailed(text, {}, icon, buttons, defaultAnswer);
    }

    MessageAnswer showDetailed(const QString& text, const QString& details, MessageIcon icon,
                               MessageButtons buttons, MessageAnswer defaultAnswer) override
    {
        shown.append({text, icon, buttons, defaultAnswer, details});
        texts.append(text);
        if (buttons == MessageButtons::Ok)
            return MessageAnswer::Ok;
        return answers.isEmpty() ? MessageAnswer::Yes : answers.takeFirst();
    }

    QList<Shown> shown;
    QStringList texts;
    QList<MessageAnswer> answers;
};
