#pragma once

#include "HttpFixture.h"
#include "ui/CaptionLabel.h"
#include "ui/MessageBox.h"
#include "ui/FlexGrid.h"
#include "ui/main/Form1.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>

#include <functional>
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

    // Answers each result-page request with what `page` makes of its `b`; the bulletin and
    // everything else get an empty 200.
    void serveResults(std::function<HttpFixture::Reply(int b)> page);
    // Types the site and clicks "查询".
    void startRun(const QString& site);
    // The result-page requests the server has seen, in order, and their `b` values.
    QList<HttpFixture::Request> resultRequests() const;
    QStringList requestedB() const;
    // Result-page requests sent and not yet answered: what has left the window, whether or not
    // the server has seen it yet.
    int resultRequestsInFlight() const;
    // The texts of the boxes shown with this title, in order.
    QStringList boxTexts(const QString& title) const;

    template <typename T> T* child(const char* name) const
    {
        return form->findChild<T*>(QString::fromLatin1(name));
    }
};

// Stands in for the browser while it lives: records every http and https address opened.
class BrowserCatcher : public QObject {
    Q_OBJECT
public:
    BrowserCatcher();
    ~BrowserCatcher() override;
    QStringList opened;

public Q_SLOTS:
    void open(const QUrl& url) { opened.append(url.toString()); }
};

// The program's visible top-level window of type T, if there is one.
template <typename T> T* shownWindow()
{
    for (QWidget* window : QApplication::topLevelWidgets())
        if (auto* found = qobject_cast<T*>(window); found && found->isVisible())
            return found;
    return nullptr;
}

// Where the program puts a top-level window of its present outer size: in the middle of its
// screen, worked out in twips.
QPoint centredPosition(const QWidget* window);
