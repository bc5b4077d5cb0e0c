#include "QtMessageBoxes.h"

#include <QMessageBox>

MessageAnswer QtMessageBoxes::show(const QString& text, MessageIcon icon, MessageButtons buttons,
                                   MessageAnswer defaultAnswer)
{
    return showDetailed(text, {}, icon, buttons, defaultAnswer);
}

MessageAnswer QtMessageBoxes::showDetailed(const QString& text, const QString& details,
                                           MessageIcon icon, MessageButtons buttons,
                                           MessageAnswer defaultAnswer)
{
    QMessageBox box(m_parent);
    box.setWindowTitle(QString::fromLatin1(ApplicationTitle));
    box.setText(text);
    box.setTextFormat(Qt::PlainText);
    box.setInformativeText(details);
    box.setIcon(icon == MessageIcon::Warning ? QMessageBox::Warning : QMessageBox::NoIcon);
    if (buttons == MessageButtons::YesNo) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(defaultAnswer == MessageAnswer::No ? QMessageBox::No
                                                                : QMessageBox::Yes);
    } else {
        box.setStandardButtons(QMessageBox::Ok);
    }
    const int answer = box.exec();
    if (buttons == MessageButtons::Ok)
        return MessageAnswer::Ok;
    return answer == QMessageBox::Yes ? MessageAnswer::Yes : MessageAnswer::No;
}
