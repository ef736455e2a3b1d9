#pragma once

#include <QWidget>

class CaptionLabel;
class Form1;
class QPlainTextEdit;
class QPushButton;

// The suggestion window: one text box and a submit button. It keeps nothing: the text is sent
// through the main window, whose suggestOK takes the reply after this window has closed.
class Form3 : public QWidget {
    Q_OBJECT
public:
    explicit Form3(Form1& owner);

    // Shows the window. A window that is not open is loaded first (emptied and centred); an open
    // one comes to the front as it is, with the text typed so far.
    void display();

private:
    void formLoad();
    void onCommand1Clicked();

    Form1& owner_;
    QPlainTextEdit* Text1;
    CaptionLabel* Label1;
    QPushButton* Command1;
};
