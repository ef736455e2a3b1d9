#include "Form1Harness.h"

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

QList<HttpFixture::Request> Form1Harness::resultRequests() const
{
    QList<HttpFixture::Request> result;
    for (const HttpFixture::Request& request : server.requests())
        if (request.path == u"/search")
            result.append(request);
    return result;
}
