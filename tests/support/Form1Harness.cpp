#include "Form1Harness.h"

#include "platform/Twips.h"

#include <QDesktopServices>
#include <QNetworkReply>
#include <QScreen>
#include <QTest>

Form1Harness::Form1Harness()
{
    MessageBox::setRecorder(&boxes);
    form = std::make_unique<Form1>(Endpoints{server.host(), server.host()});
}

Form1Harness::~Form1Harness()
{
    form.reset();
    MessageBox::setRecorder(nullptr);
}

void Form1Harness::serveResults(std::function<HttpFixture::Reply(int b)> page)
{
    server.setScript([page](const HttpFixture::Request& request) {
        if (request.path != u"/search")
            return HttpFixture::Reply{};
        return page(request.query.queryItemValue(u"b"_qs).toInt());
    });
}

void Form1Harness::startRun(const QString& site)
{
    Text1()->setText(site);
    QTest::mouseClick(Command1(), Qt::LeftButton);
}

QList<HttpFixture::Request> Form1Harness::resultRequests() const
{
    QList<HttpFixture::Request> result;
    for (const HttpFixture::Request& request : server.requests())
        if (request.path == u"/search")
            result.append(request);
    return result;
}

QStringList Form1Harness::requestedB() const
{
    QStringList result;
    for (const HttpFixture::Request& request : resultRequests())
        result.append(request.query.queryItemValue(u"b"_qs));
    return result;
}

int Form1Harness::resultRequestsInFlight() const
{
    int count = 0;
    for (const QNetworkReply* reply : form->findChildren<QNetworkReply*>())
        count += !reply->isFinished() && reply->url().path() == u"/search";
    return count;
}

QStringList Form1Harness::boxTexts(const QString& title) const
{
    QStringList texts;
    for (const MessageBox::Shown& box : boxes)
        if (box.title == title)
            texts.append(box.text);
    return texts;
}

BrowserCatcher::BrowserCatcher()
{
    QDesktopServices::setUrlHandler(u"http"_qs, this, "open");
    QDesktopServices::setUrlHandler(u"https"_qs, this, "open");
}

BrowserCatcher::~BrowserCatcher()
{
    QDesktopServices::unsetUrlHandler(u"http"_qs);
    QDesktopServices::unsetUrlHandler(u"https"_qs);
}

QPoint centredPosition(const QWidget* window)
{
    const QRect screen = window->screen()->geometry();
    const QSize outer = window->frameGeometry().size();
    const QPoint twips = centredOrigin(screen.size() * twipsPerPixel, outer * twipsPerPixel);
    return screen.topLeft() + QPoint(twipsToPixels(twips.x()), twipsToPixels(twips.y()));
}
