#pragma once

#include <QLabel>

// A one-line label that ends a text too long for it in an ellipsis after the last whole
// character that fits, instead of cutting a letter. text(), the tooltip and screen readers
// keep the whole text.
class ElidedLabel : public QLabel
{
    Q_OBJECT

public:
    using QLabel::QLabel;

    // The text as it is drawn: the caption, then the hint where there is room.
    QString shownText() const;
    // Shows a caption as a label would: a doubled ampersand as one, a single one taken as an
    // access-key mark; the whole of it also in the tooltip.
    void setCaption(const QString& caption);
    // A hint drawn after the caption as far as it fits, whole in the tooltip and the
    // accessible description, through every new caption; an empty one takes it away.
    void setHint(const QString& hint);
    // A note under the caption in the tooltip and the accessible description only.
    void setNote(const QString& note);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QRect textArea() const;
    void updateTips();

    QString m_hint;
    QString m_note;
};
