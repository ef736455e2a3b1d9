#pragma once

#include <QWidget>

class Form1;

// The link list window: every link the last run found for one host.
class Form2 : public QWidget {
    Q_OBJECT
public:
    explicit Form2(Form1& owner);

private:
    Form1& owner_;
};
