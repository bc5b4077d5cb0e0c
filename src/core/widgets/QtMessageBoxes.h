#pragma once

#include "MessageBoxes.h"

class QWidget;

// Real, modal message boxes with the application's title as caption.
class QtMessageBoxes : public MessageBoxes
{
public:
    explicit QtMessageBoxes(QWidget* parent = nullptr) : m_parent(parent) {}
    MessageAnswer show(const QString& text, MessageIcon icon, MessageButtons buttons,
                       MessageAnswer defaultAnswer) override;
    MessageAnswer showDetailed(const QString& text, const QString& details, MessageIcon icon,
                               MessageButtons buttons, MessageAnswer defaultAnswer) override;

private:
    QWidget* m_parent;
};
