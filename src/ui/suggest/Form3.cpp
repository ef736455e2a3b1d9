#include "Form3.h"

#include "ui/main/Form1.h"

Form3::Form3(Form1& owner) : owner_(owner)
{
    setWindowTitle(QStringLiteral("建议意见"));
}
