// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "Form2.h"

#include "platform/GridFit.h"
#include "platform/Twips.h"
#include "ui/FlexGrid.h"
#include "ui/Fonts.h"
#include "ui/GridMenu.h"
#include "ui/ShownText.h"
#include "ui/WheelHook.h"
#include "ui/WindowPlacement.h"

#include <QShortcut>

namespace {

// The window as designed, in twips: a fresh load starts from this client size.
constexpr QSize clientSize(9720, 5520);

} // namespace

Form2::Form2()
{
    setWindowTitle(QStringLiteral("查看链接"));
    resize(twipsToPixels(clientSize.width()), twipsToPixels(clientSize.height()));

    tb1 = new FlexGrid(2, 2, this);
    tb1->setObjectName(QStringLiteral("tb1"));
    tb1->setFont(simSunFont(9));
    setTwipsGeometry(tb1, 120, 120, 9495, 5295);
    connect(tb1, &FlexGrid::DblClick, this, &Form2::onTb1DoubleClicked);
    auto* menu = new GridMenu(tb1);
    menu->addRowAction(QStringLiteral("在浏览器中打开"), [this] { onTb1DoubleClicked(); });
    menu->addRowAction(QStringLiteral("拒绝此链接"),
                       [this] { Q_EMIT disavowRequested(tb1->TextMatrix(tb1->Row(), 1)); });
    // Escape closes it, as it closes any secondary window.
    new QShortcut(QKeySequence(Qt::Key_Escape), this, this, &QWidget::close);
}

Form2::~Form2() = default;

void Form2::showLinks(const QString& host, const QStringList& links, const LinkColumns& more)
{
    if (isVisible()) {
        // The user chose a host with the list already open: they want that host's links, here.
        setWindowTitle(shownText(host));
        fillList(links, more);
        fitGrid();
        setWindowState(windowState() & ~Qt::WindowMinimized);
        raise();
        activateWindow();
        return;
    }
    formLoad();
    setWindowTitle(shownText(host));
    fillList(links, more);
    show();
}

void Form2::setRowLook(std::function<RowLook(const QString&)> look)
{
    tb1->setRowLook(std::move(look));
}

void Form2::refreshLooks()
{
    tb1->refreshLooks();
}

void Form2::formLoad()
{
    // A closed window was unloaded: it comes back at its designed size, whatever the user made
    // of it before.
    setWindowState(Qt::WindowNoState);
    resize(twipsToPixels(clientSize.width()), twipsToPixels(clientSize.height()));
    winId(); // the native window first, so its frame counts in the outer size where known
    centreOnScreen(this);
    WheelHook::install(this);
}

void Form2::fillList(const QStringList& links, const LinkColumns& more)
{
    // Start from a fresh grid of two rows, scrolled to the top, nothing chosen.
    tb1->setRows(2);
    tb1->setCols(2 + int(more.headers.size()));
    tb1->setCurrentIndex({});
    tb1->Clear();
    tb1->setColAlignment(1, 0);
    tb1->setColWidth(0, 500);
    tb1->setColWidth(1, 9300);
    tb1->setTextMatrix(0, 1, QStringLiteral("双击可以打开网页"));
    for (int c = 0; c < more.headers.size(); ++c) {
        tb1->setColAlignment(2 + c, 0);
        tb1->setTextMatrix(0, 2 + c, more.headers[c]);
    }

    qint32 i = 0;
    for (const QString& link : links) {
        ++i;
        QStringList row{QString::number(i), link};
        if (!more.headers.isEmpty())
            row += more.cells.value(i - 1);
        if (i == 1) {
            for (int c = 0; c < row.size(); ++c)
                tb1->setTextMatrix(1, c, row[c]);
        } else {
            tb1->addRow(std::move(row));
        }
    }
    // Past 9999 links the designed column would cut the first digits off the numbers.
    tb1->widenNumberColumn(QString::number(i));
}

void Form2::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    fitGrid();
}

void Form2::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    fitGrid();
}

void Form2::fitGrid()
{
    const QSize outer = frameGeometry().size();
    const QRect grid = twipsGeometry(tb1);
    const QSize size = fittedGridSize({pixelsToTwips(outer.width()), pixelsToTwips(outer.height())},
                                      grid.topLeft());
    setTwipsGeometry(tb1, grid.x(), grid.y(), size.width(), size.height());
    // The column takes what the grid has become, which is whole pixels. Columns after the link
    // share half of it, so the link stays the widest; each is a pixel short, as each is rounded
    // to whole pixels on its own and together they would spill past the grid.
    const int room = fillingColumnWidth(twipsGeometry(tb1).width(), tb1->ColWidth(0));
    const int more = tb1->Cols() - 2;
    const int each = more > 0 ? room / 2 / more - 15 : 0;
    tb1->setColWidth(1, room - more * (each + 15));
    for (int c = 2; c < tb1->Cols(); ++c)
        tb1->setColWidth(c, each);
}

void Form2::onTb1DoubleClicked()
{
    Q_EMIT linkChosen(tb1->TextMatrix(tb1->Row(), 1));
}
