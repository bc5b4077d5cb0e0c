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

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QRect textArea() const;
};
