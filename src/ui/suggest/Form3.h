#pragma once

#include <QWidget>

class Form1;

// The suggestion window: one text box and a submit button.
class Form3 : public QWidget {
    Q_OBJECT
public:
    explicit Form3(Form1& owner);

private:
    Form1& owner_;
};
