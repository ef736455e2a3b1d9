// SPDX-FileCopyrightText: 2026 The Ostrel developers
//
// SPDX-License-Identifier: GPL-3.0-or-later

#include "FlexGrid.h"

#include "FlexGridModel.h"
#include "platform/Twips.h"

#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QHeaderView>
#include <QHelpEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QTextDocument>
#include <QToolTip>

#include <algorithm>

namespace {

constexpr int defaultColWidth = 960; // twips

Qt::Alignment alignmentFromCode(int code)
{
    static constexpr Qt::Alignment horizontal[] = {Qt::AlignLeft, Qt::AlignHCenter, Qt::AlignRight};
    static constexpr Qt::Alignment vertical[] = {Qt::AlignTop, Qt::AlignVCenter, Qt::AlignBottom};
    if (code < 0 || code > 8)
        return {}; // general: decided per cell
    return horizontal[code / 3] | vertical[code % 3];
}

// A header of fixed depth: the grid fixes the row header's width and the column header's height.
// The view asks its headers for their size hints after every change of rows, and the plain header
// then measures the label of every row, for a depth the view clamps to the fixed one anyway: at
// the end of a run that cost more than drawing the grid.
class FixedDepthHeader final : public QHeaderView {
public:
    using QHeaderView::QHeaderView;

    QSize sizeHint() const override
    {
        return orientation() == Qt::Vertical ? QSize(minimumWidth(), length())
                                             : QSize(length(), minimumHeight());
    }
};

// Cells as the style draws them, with two things a list needs that the style leaves out or keeps
// faint: a clear mark on the cell that has the keyboard focus, and the whole text of a cell cut
// short by its column as its tooltip.
class CellDelegate final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override
    {
        QStyleOptionViewItem plain = option;
        plain.state &= ~QStyle::State_HasFocus; // the style's own mark is hardly seen on a row
        QStyledItemDelegate::paint(painter, plain, index);
        if (!(option.state & QStyle::State_HasFocus))
            return;
        // In the colour of the cell's text, which stands out on a chosen row as on any other.
        const bool chosen = option.state & QStyle::State_Selected;
        painter->save();
        painter->setPen(
            QPen(option.palette.color(chosen ? QPalette::HighlightedText : QPalette::Text), 2));
        painter->setBrush(Qt::NoBrush);
        painter->drawRect(QRectF(option.rect).adjusted(1, 1, -1, -1));
        painter->restore();
    }

    bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                   const QModelIndex& index) override
    {
        if (event->type() != QEvent::ToolTip)
            return QStyledItemDelegate::helpEvent(event, view, option, index);
        QStyleOptionViewItem cell = option;
        initStyleOption(&cell, index);
        const QStyle* style = view->style();
        // The room the style gives the text, less the margins it draws it within.
        const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, view) + 1;
        const int room =
            style->subElementRect(QStyle::SE_ItemViewItemText, &cell, view).width() - 2 * margin;
        if (cell.text.isEmpty() || cell.fontMetrics.horizontalAdvance(cell.text) <= room) {
            QToolTip::hideText();
            return true;
        }
        // On one line where the screen has room for it. A text the tooltip would take for markup
        // is escaped first, so that it reads as the characters it holds.
        const QString tip =
            Qt::mightBeRichText(cell.text) ? Qt::convertFromPlainText(cell.text) : cell.text;
        QToolTip::showText(event->globalPos(), tip, view->viewport(), option.rect);
        return true;
    }
};

} // namespace

FlexGrid::FlexGrid(int rows, int cols, QWidget* parent)
    : QTableView(parent), model_(new FlexGridModel(rows, cols, this))
{
    setHorizontalHeader(new FixedDepthHeader(Qt::Horizontal, this));
    setVerticalHeader(new FixedDepthHeader(Qt::Vertical, this));
    setModel(model_);
    setItemDelegate(new CellDelegate(this));
    setEditTriggers(NoEditTriggers);
    setSelectionBehavior(SelectRows);
    setSelectionMode(SingleSelection);
    setVerticalScrollMode(ScrollPerItem);
    setWordWrap(false);
    // Tab leaves the grid for the next control, as in any form; the arrow keys move between rows.
    setTabKeyNavigation(false);
    setCornerButtonEnabled(false);
    horizontalHeader()->setSectionsClickable(false);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    verticalHeader()->setSectionsClickable(false);
    verticalHeader()->setHighlightSections(false);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    colWidths_.fill(defaultColWidth, model_->cols());
    applyHeaderSizes();
    connect(this, &QAbstractItemView::doubleClicked, this, [this] { Q_EMIT DblClick(); });
    const auto rowsChanged = [this] {
        if (hasFocus())
            pickCurrentCell();
    };
    connect(model_, &QAbstractItemModel::rowsInserted, this, rowsChanged);
    connect(model_, &QAbstractItemModel::modelReset, this, rowsChanged);
    // The row numbers sit in the fixed column, which is the vertical header: a double-click on a
    // number means its row as much as a double-click on the row's text does.
    connect(verticalHeader(), &QHeaderView::sectionDoubleClicked, this, [this](int section) {
        setCurrentIndex(model_->index(section, std::max(col_ - 1, 0)));
        Q_EMIT DblClick();
    });
}

FlexGrid::~FlexGrid() = default;

void FlexGrid::applyHeaderSizes()
{
    // Rows as high as a line of the grid's font with a little air, like a list, not a form.
    const int rowHeight = fontMetrics().height() + 4;
    verticalHeader()->setMinimumSectionSize(1);
    verticalHeader()->setDefaultSectionSize(rowHeight);
    horizontalHeader()->setFixedHeight(rowHeight);
    verticalHeader()->setFixedWidth(twipsToPixels(colWidths_[0]));
    for (int c = 1; c < colWidths_.size(); ++c)
        horizontalHeader()->resizeSection(c - 1, twipsToPixels(colWidths_[c]));
}

void FlexGrid::setMarks(QSet<QString> names, const QString& note)
{
    model_->setMarks(std::move(names), note);
}

void FlexGrid::Clear()
{
    model_->clear();
}

int FlexGrid::Rows() const
{
    return model_->rows();
}

void FlexGrid::setRows(int rows)
{
    model_->setRows(rows);
}

int FlexGrid::Cols() const
{
    return model_->cols();
}

void FlexGrid::setCols(int cols)
{
    model_->setCols(cols);
    colWidths_.resize(model_->cols(), defaultColWidth);
    applyHeaderSizes();
}

int FlexGrid::Row() const
{
    const QModelIndex current = currentIndex();
    if (current.isValid())
        return current.row() + 1;
    return Rows() > 1 ? 1 : 0;
}

void FlexGrid::setRow(int row)
{
    syncView();
    if (row >= 1 && row < Rows())
        setCurrentIndex(model_->index(row - 1, std::max(col_ - 1, 0)));
}

int FlexGrid::Col() const
{
    return col_;
}

void FlexGrid::setCol(int col)
{
    if (col >= 0 && col < Cols())
        col_ = col;
}

void FlexGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous)
{
    QTableView::currentChanged(current, previous);
    if (current.isValid())
        col_ = current.column() + 1;
}

void FlexGrid::setSort(Sort setting)
{
    if (setting == SortGenericAscending || setting == SortGenericDescending) {
        model_->sortRows(col_, setting == SortGenericDescending);
        syncView();
    }
}

QString FlexGrid::TextMatrix(int row, int col) const
{
    return model_->text(row, col);
}

void FlexGrid::setTextMatrix(int row, int col, const QString& text)
{
    model_->setText(row, col, text);
}

void FlexGrid::AddItem(const QString& item)
{
    model_->append(item.split(u'\t'));
}

void FlexGrid::addRow(QStringList cells)
{
    model_->append(std::move(cells));
}

int FlexGrid::ColWidth(int col) const
{
    return col >= 0 && col < colWidths_.size() ? colWidths_[col] : 0;
}

void FlexGrid::setColWidth(int col, int twips)
{
    if (col < 0 || col >= colWidths_.size())
        return;
    colWidths_[col] = std::max(twips, 0);
    if (col == 0)
        verticalHeader()->setFixedWidth(twipsToPixels(colWidths_[0]));
    else
        horizontalHeader()->resizeSection(col - 1, twipsToPixels(colWidths_[col]));
}

void FlexGrid::widenNumberColumn(const QString& widest)
{
    // As wide as the row header lays out a section of that text, and the grid line.
    QStyleOptionHeader header;
    header.initFrom(verticalHeader());
    header.text = widest;
    const QSize needed =
        style()->sizeFromContents(QStyle::CT_HeaderSection, &header, QSize(), verticalHeader());
    setColWidth(0, std::max(colWidths_[0], pixelsToTwips(needed.width() + 1)));
}

void FlexGrid::setColAlignment(int col, int code)
{
    model_->setAlignment(col, alignmentFromCode(code));
}

void FlexGrid::syncView() const
{
    // The view learns of appended rows on the next event-loop turn; a caller that scrolls or
    // reads the scroll position needs them now.
    auto* self = const_cast<FlexGrid*>(this);
    model_->flush();
    self->executeDelayedItemsLayout();
    self->updateGeometries();
}

QList<int> FlexGrid::chosenRows() const
{
    QList<int> rows;
    for (const QModelIndex& index : selectionModel()->selectedRows())
        rows.append(index.row() + 1);
    std::sort(rows.begin(), rows.end());
    if (rows.isEmpty() && Row() >= 1)
        rows.append(Row());
    return rows;
}

void FlexGrid::copyRow() const
{
    QStringList names;
    for (int row : chosenRows())
        if (!TextMatrix(row, 1).isEmpty())
            names.append(TextMatrix(row, 1));
    if (!names.isEmpty())
        QGuiApplication::clipboard()->setText(names.join(u'\n'));
}

void FlexGrid::setRowLook(std::function<RowLook(const QString&)> look)
{
    model_->setRowLook(std::move(look));
}

void FlexGrid::refreshLooks()
{
    model_->refreshLooks();
}

void FlexGrid::keyPressEvent(QKeyEvent* event)
{
    // The view would copy the current cell, which may be a count: the row's name is what a user
    // pastes elsewhere.
    if (event->matches(QKeySequence::Copy)) {
        copyRow();
        event->accept();
        return;
    }
    // The menu key and Shift+F10 open the current row's menu, as a right-click opens a row's:
    // not every platform makes a context menu event of them.
    if (event->key() == Qt::Key_Menu ||
        (event->key() == Qt::Key_F10 && event->modifiers() == Qt::ShiftModifier)) {
        QContextMenuEvent menu(QContextMenuEvent::Keyboard, {}, {}, event->modifiers());
        contextMenuEvent(&menu);
        event->accept();
        return;
    }
    // Enter on a row does what a double-click on it does; without a row it is the window's.
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
        currentIndex().isValid()) {
        Q_EMIT DblClick();
        event->accept();
        return;
    }
    QTableView::keyPressEvent(event);
}

void FlexGrid::focusInEvent(QFocusEvent* event)
{
    if (event->reason() != Qt::MouseFocusReason)
        pickCurrentCell();
    QTableView::focusInEvent(event);
}

void FlexGrid::pickCurrentCell()
{
    // The view picks a first current cell only once in its life: after the rows were replaced, a
    // user who tabs in, or who kept the focus here while a run filled the grid, would find no
    // cell to act on, and Enter would go to the window. The first row in view takes it, so that
    // nothing scrolls.
    if (!currentIndex().isValid() && model_->rowCount() > 0)
        selectionModel()->setCurrentIndex(model_->index(TopRow() - 1, std::max(col_ - 1, 0)),
                                          QItemSelectionModel::NoUpdate);
}

void FlexGrid::contextMenuEvent(QContextMenuEvent* event)
{
    // Also a right-click on a row's number, passed on by the row header. Positions go through
    // the screen, since the event may come from either.
    if (event->reason() == QContextMenuEvent::Keyboard) {
        const QRect current = visualRect(currentIndex());
        Q_EMIT menuRequested(
            Row(), viewport()->mapToGlobal(current.isValid() ? current.center() : QPoint()));
        return;
    }
    const int row = rowAt(viewport()->mapFromGlobal(event->globalPos()).y()) + 1;
    // A click on one of several chosen rows opens the menu for all of them.
    if (row >= 1 && row < Rows() && selectionModel()->isRowSelected(row - 1))
        selectionModel()->setCurrentIndex(model_->index(row - 1, std::max(col_ - 1, 0)),
                                          QItemSelectionModel::NoUpdate);
    else
        setRow(row);
    Q_EMIT menuRequested(row, event->globalPos());
}

int FlexGrid::TopRow() const
{
    syncView();
    return verticalScrollBar()->value() + 1;
}

void FlexGrid::setTopRow(int row)
{
    syncView();
    verticalScrollBar()->setValue(row - 1);
}
