#include "ElidedLabel.h"

#include <QPainter>
#include <QStyle>

QRect ElidedLabel::textArea() const
{
    return contentsRect().adjusted(margin(), margin(), -margin(), -margin());
}

QString ElidedLabel::shownText() const
{
    const QString line = m_hint.isEmpty() ? text() : text() + QStringLiteral(" - ") + m_hint;
    return fontMetrics().elidedText(line, Qt::ElideRight, textArea().width());
}

void ElidedLabel::setCaption(const QString& caption)
{
    QString shown;
    shown.reserve(caption.size());
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption[i] == QLatin1Char('&') && i + 1 < caption.size())
            ++i;
        shown.append(caption[i]);
    }
    setText(shown);
    updateTips();
}

void ElidedLabel::setHint(const QString& hint)
{
    if (hint == m_hint)
        return;
    m_hint = hint;
    updateTips();
    update();
}

void ElidedLabel::setNote(const QString& note)
{
    m_note = note;
    updateTips();
}

void ElidedLabel::updateTips()
{
    QStringList more{m_hint, m_note};
    more.removeAll(QString());
    setToolTip((QStringList{text()} + more).join(u'\n'));
    setAccessibleDescription(more.join(u'\n'));
}

void ElidedLabel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    drawFrame(&painter);
    style()->drawItemText(&painter, textArea(),
                          QStyle::visualAlignment(layoutDirection(), alignment()), palette(),
                          isEnabled(), shownText(), foregroundRole());
}
