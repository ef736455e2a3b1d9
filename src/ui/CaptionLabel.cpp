#include "CaptionLabel.h"

#include <QMouseEvent>

CaptionLabel::CaptionLabel(const QString& caption, QWidget* parent) : QLabel(caption, parent)
{
    setTextFormat(Qt::PlainText); // captions come from outside servers too: never markup
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

void CaptionLabel::setAutoSize(bool on)
{
    autoSize_ = on;
    if (on)
        adjustSize();
}

void CaptionLabel::setCaption(const QString& caption)
{
    setText(caption);
    if (autoSize_)
        adjustSize();
}

void CaptionLabel::setClickable(bool on)
{
    clickable_ = on;
    if (on)
        setCursor(Qt::PointingHandCursor);
    else
        unsetCursor();
}

void CaptionLabel::fitHeightToFont()
{
    resize(width(), std::max(height(), sizeHint().height()));
}

void CaptionLabel::mouseReleaseEvent(QMouseEvent* event)
{
    if (clickable_ && event->button() == Qt::LeftButton &&
        rect().contains(event->position().toPoint())) {
        Q_EMIT clicked();
        return;
    }
    QLabel::mouseReleaseEvent(event);
}
