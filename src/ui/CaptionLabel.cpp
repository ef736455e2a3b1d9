// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "CaptionLabel.h"

#include "ShownText.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionFocusRect>

namespace {

// What a screen reader is told of a label: its caption, and for a clickable one that it is a link
// it can press. The label may become clickable after its interface was made, so both are asked
// each time.
class CaptionLabelAccessible : public QAccessibleWidget {
public:
    explicit CaptionLabelAccessible(CaptionLabel* label)
        : QAccessibleWidget(label, QAccessible::StaticText)
    {
    }

    QAccessible::Role role() const override
    {
        return label()->isClickable() ? QAccessible::Link : QAccessible::StaticText;
    }

    QString text(QAccessible::Text t) const override
    {
        QString value = QAccessibleWidget::text(t);
        if (t == QAccessible::Name && value.isEmpty())
            value = label()->text();
        return value;
    }

    QStringList actionNames() const override
    {
        return label()->isClickable() ? QStringList{pressAction()} : QStringList{};
    }

    void doAction(const QString& action) override
    {
        if (action == pressAction() && label()->isClickable())
            Q_EMIT label()->clicked();
    }

private:
    CaptionLabel* label() const { return static_cast<CaptionLabel*>(widget()); }
};

QAccessibleInterface* accessibleFactory(const QString& className, QObject* object)
{
    if (className == QLatin1String("CaptionLabel"))
        if (auto* label = qobject_cast<CaptionLabel*>(object))
            return new CaptionLabelAccessible(label);
    return nullptr;
}

} // namespace

CaptionLabel::CaptionLabel(const QString& caption, QWidget* parent) : QLabel(caption, parent)
{
    static const bool factoryInstalled = [] {
        QAccessible::installFactory(accessibleFactory);
        return true;
    }();
    Q_UNUSED(factoryInstalled);
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
    setText(shownText(caption));
    if (autoSize_)
        adjustSize();
    updateFocusPolicy();
}

void CaptionLabel::setClickable(bool on)
{
    clickable_ = on;
    if (on)
        setCursor(Qt::PointingHandCursor);
    else
        unsetCursor();
    updateFocusPolicy();
}

void CaptionLabel::updateFocusPolicy()
{
    // Tab reaches a clickable label only when there is something to read; a click never moves
    // the focus, so the mouse leaves the look alone.
    setFocusPolicy(clickable_ && !text().isEmpty() ? Qt::TabFocus : Qt::NoFocus);
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

void CaptionLabel::keyPressEvent(QKeyEvent* event)
{
    const int key = event->key();
    if (clickable_ && (key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter)) {
        Q_EMIT clicked();
        return;
    }
    QLabel::keyPressEvent(event);
}

void CaptionLabel::paintEvent(QPaintEvent* event)
{
    QLabel::paintEvent(event);
    if (!hasFocus())
        return;
    QPainter painter(this);
    QStyleOptionFocusRect option;
    option.initFrom(this);
    style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
}
