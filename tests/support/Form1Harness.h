#pragma once

#include "HttpFixture.h"
#include "ui/CaptionLabel.h"
#include "ui/MessageBox.h"
#include "ui/main/FlexGrid.h"
#include "ui/main/Form1.h"

#include <QLineEdit>
#include <QPushButton>

#include <memory>

// A main window pointed at an in-process server for both outside services, with message boxes
// recorded instead of shown. Tests reach the controls by their names.
class Form1Harness {
public:
    Form1Harness();
    ~Form1Harness();

    HttpFixture server;
    QList<MessageBox::Shown> boxes;
    std::unique_ptr<Form1> form;

    QLineEdit* Text1() const { return child<QLineEdit>("Text1"); }
    QLineEdit* Text2() const { return child<QLineEdit>("Text2"); }
    QPushButton* Command1() const { return child<QPushButton>("Command1"); }
    QPushButton* Command2() const { return child<QPushButton>("Command2"); }
    FlexGrid* tb1() const { return child<FlexGrid>("tb1"); }
    CaptionLabel* label(const char* name) const { return child<CaptionLabel>(name); }

    // The result-page requests the server has seen, in order.
    QList<HttpFixture::Request> resultRequests() const;

    template <typename T> T* child(const char* name) const
    {
        return form->findChild<T*>(QString::fromLatin1(name));
    }
};
