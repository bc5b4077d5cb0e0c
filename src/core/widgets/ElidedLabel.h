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

    // The text as it is drawn.
    QString shownText() const;
    // Shows a caption as a label would: a doubled ampersand as one, a single one taken as an
    // access-key mark; the whole of it also in the tooltip.
    void setCaption(const QString& caption);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QRect textArea() const;
};
