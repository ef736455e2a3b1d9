#include "Form2.h"

#include "ui/main/Form1.h"

Form2::Form2(Form1& owner) : owner_(owner)
{
    setWindowTitle(QStringLiteral("查看链接"));
}
