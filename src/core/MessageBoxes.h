#pragma once

#include <QString>

// The application's title: the main window's caption and every message box's.
inline constexpr const char* ApplicationTitle = "VORTA Calibration Tool";

enum class MessageIcon
{
    None,
    Warning
};
enum class MessageButtons
{
    Ok,
    YesNo
};
enum class MessageAnswer
{
    Ok,
    Yes,
    No
};

// Every message box of the program goes through here, so the whole program runs in
// tests without a modal dialog. The caption is always the application's title.
// defaultAnswer is the button that Enter presses in a Yes/No box.
class MessageBoxes
{
public:
    virtual ~MessageBoxes() = default;
    virtual MessageAnswer show(const QString& text, MessageIcon icon = MessageIcon::None,
                               MessageButtons buttons = MessageButtons::Ok,
                               MessageAnswer defaultAnswer = MessageAnswer::Yes) = 0;
    // The text with a smaller one under it, such as the cause of a failure; a box that has no
    // place for it shows the text alone.
    virtual MessageAnswer showDetailed(const QString& text, const QString& details,
                                       MessageIcon icon, MessageButtons buttons,
                                       MessageAnswer defaultAnswer = MessageAnswer::Yes)
    {
        Q_UNUSED(details);
        return show(text, icon, buttons, defaultAnswer);
    }
};
