// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#pragma once

#include <QLabel>

// A label as the windows lay them out: it may size itself to its caption, and it may be clickable.
// A clickable label with a caption also takes the keyboard focus by Tab and answers Space and
// Enter, and screen readers see it as a link they can press; it looks like any other label until
// it has the focus.
class CaptionLabel : public QLabel {
    Q_OBJECT
public:
    explicit CaptionLabel(const QString& caption, QWidget* parent = nullptr);

    // With auto-size on, every new caption resizes the label to fit it, as the status line and
    // the news labels need: their neighbours are placed after their width.
    void setAutoSize(bool on);
    // Shows at most the first maxShownLength characters (see ShownText.h).
    void setCaption(const QString& caption);
    QString caption() const { return text(); }

    void setClickable(bool on);
    bool isClickable() const { return clickable_; }

    // Grows the label to the height of a line of its font. Layout heights are made for SimSun,
    // whose line is 12 pixels at 9 points; the CJK fonts that stand in for it on Linux are
    // taller and would lose their underline.
    void fitHeightToFont();

Q_SIGNALS:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void updateFocusPolicy();

    bool autoSize_ = false;
    bool clickable_ = false;
};
