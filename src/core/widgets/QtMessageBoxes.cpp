#include "QtMessageBoxes.h"

#include <QGridLayout>
#include <QMessageBox>
#include <QSpacerItem>

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
    // A box narrower than its title would have the title cut short by the window manager;
    // the title's bold face and the frame's buttons need room beyond the text's width.
    if (auto* grid = qobject_cast<QGridLayout*>(box.layout())) {
        QFont bold = box.font();
        bold.setBold(true);
        const int width = QFontMetrics(bold).horizontalAdvance(box.windowTitle()) + 120;
        grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Fixed),
                      grid->rowCount(), 0, 1, grid->columnCount());
    }
    const int answer = box.exec();
    if (buttons == MessageButtons::Ok)
        return MessageAnswer::Ok;
    return answer == QMessageBox::Yes ? MessageAnswer::Yes : MessageAnswer::No;
}
