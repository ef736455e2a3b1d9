#pragma once

#include <QWidget>

class FlexGrid;
class Form1;

// The link list window: every link the last run found for one host, numbered in the order found.
// It keeps nothing of its own: it reads the chosen host and the tally from the main window each
// time it is loaded.
class Form2 : public QWidget {
    Q_OBJECT
public:
    explicit Form2(Form1& owner);
    ~Form2() override;

    // Shows the links of the main window's currentDomain: a closed window is loaded afresh; an
    // open one is filled anew for the host now chosen and brought to the front.
    void showLinks();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void formLoad();
    void fillList();
    void fitGrid();
    void onTb1DoubleClicked();

    Form1& owner_;
    FlexGrid* tb1;
};
