#include "FlexGrid.h"

#include "platform/Twips.h"
#include "ui/ShownText.h"

#include <QAbstractTableModel>
#include <QHeaderView>
#include <QScrollBar>
#include <QTimer>

#include <algorithm>
#include <numeric>
#include <optional>

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

// The number a cell starts with ("12个" -> 12), if it starts with one.
std::optional<double> leadingNumber(const QString& text)
{
    qsizetype i = 0;
    while (i < text.size() && text[i] == u' ')
        ++i;
    const qsizetype start = i;
    if (i < text.size() && (text[i] == u'-' || text[i] == u'+'))
        ++i;
    const qsizetype digitsStart = i;
    while (i < text.size() && text[i] >= u'0' && text[i] <= u'9')
        ++i;
    if (i < text.size() && text[i] == u'.') {
        ++i;
        while (i < text.size() && text[i] >= u'0' && text[i] <= u'9')
            ++i;
    }
    if (i == digitsStart || (i == digitsStart + 1 && text[digitsStart] == u'.'))
        return std::nullopt;
    bool ok = false;
    const double value = QStringView(text).mid(start, i - start).toDouble(&ok);
    return ok ? std::optional<double>(value) : std::nullopt;
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

} // namespace

// Holds the cells. The view sees row 0 as its horizontal header and column 0 as its vertical
// header; rows appended since the last event-loop turn are announced to it in one batch.
class FlexGridModel final : public QAbstractTableModel {
public:
    FlexGridModel(int rows, int cols, QObject* parent)
        : QAbstractTableModel(parent), cols_(std::max(cols, 1)), committed_(std::max(rows, 1)),
          cells_(committed_, QStringList(cols_, QString())), alignments_(cols_)
    {
    }

    int rowCount(const QModelIndex& parent = {}) const override
    {
        return parent.isValid() ? 0 : committed_ - 1;
    }
    int columnCount(const QModelIndex& parent = {}) const override
    {
        return parent.isValid() ? 0 : cols_ - 1;
    }

    QVariant data(const QModelIndex& index, int role) const override
    {
        if (!index.isValid())
            return {};
        return cellData(index.row() + 1, index.column() + 1, role);
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        return orientation == Qt::Horizontal ? cellData(0, section + 1, role)
                                             : cellData(section + 1, 0, role);
    }

    int rows() const { return int(cells_.size()); }
    int cols() const { return cols_; }

    QString text(int row, int col) const
    {
        if (row < 0 || row >= rows() || col < 0 || col >= cols_)
            return {};
        return cells_[row][col];
    }

    void setText(int row, int col, const QString& text)
    {
        if (row < 0 || row >= rows() || col < 0 || col >= cols_)
            return;
        cells_[row][col] = text;
        if (row >= committed_)
            return;
        if (row == 0)
            Q_EMIT headerDataChanged(Qt::Horizontal, col - 1, col - 1);
        else if (col == 0)
            Q_EMIT headerDataChanged(Qt::Vertical, row - 1, row - 1);
        else
            Q_EMIT dataChanged(index(row - 1, col - 1), index(row - 1, col - 1));
    }

    void clear()
    {
        flush();
        for (QStringList& row : cells_)
            std::fill(row.begin(), row.end(), QString());
        if (committed_ > 1 && cols_ > 1)
            Q_EMIT dataChanged(index(0, 0), index(committed_ - 2, cols_ - 2));
        Q_EMIT headerDataChanged(Qt::Horizontal, 0, cols_ - 2);
        Q_EMIT headerDataChanged(Qt::Vertical, 0, committed_ - 2);
    }

    void setRows(int rows)
    {
        flush();
        rows = std::max(rows, 1);
        if (rows < committed_) {
            beginRemoveRows({}, rows - 1, committed_ - 2);
            cells_.resize(rows);
            committed_ = rows;
            endRemoveRows();
        } else if (rows > committed_) {
            cells_.resize(rows, QStringList(cols_, QString()));
            flush();
        }
    }

    void append(const QString& item)
    {
        QStringList row = item.split(u'\t');
        row.resize(cols_);
        cells_.push_back(std::move(row));
        if (!flushQueued_) {
            flushQueued_ = true;
            QTimer::singleShot(0, this, [this] { flush(); });
        }
    }

    // Tells the view about rows appended since the last call.
    void flush()
    {
        flushQueued_ = false;
        if (rows() == committed_)
            return;
        beginInsertRows({}, committed_ - 1, rows() - 2);
        committed_ = rows();
        endInsertRows();
    }

    void sortRows(int col, bool descending)
    {
        flush();
        if (rows() <= 2 || col < 0 || col >= cols_)
            return;
        struct Key {
            std::optional<double> number;
            const QString* text;
        };
        std::vector<Key> keys;
        keys.reserve(rows() - 1);
        for (int r = 1; r < rows(); ++r)
            keys.push_back({leadingNumber(cells_[r][col]), &cells_[r][col]});
        // Numbers before texts; numbers by value, texts by their characters.
        auto less = [](const Key& a, const Key& b) {
            if (a.number && b.number)
                return *a.number < *b.number;
            if (a.number || b.number)
                return bool(a.number);
            return *a.text < *b.text;
        };
        std::vector<int> order(keys.size());
        std::iota(order.begin(), order.end(), 0);
        std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
            return descending ? less(keys[b], keys[a]) : less(keys[a], keys[b]);
        });
        std::vector<QStringList> sorted;
        sorted.reserve(cells_.size());
        sorted.push_back(std::move(cells_[0]));
        for (int i : order)
            sorted.push_back(std::move(cells_[i + 1]));
        beginResetModel();
        cells_ = std::move(sorted);
        endResetModel();
    }

    void setAlignment(int col, Qt::Alignment alignment)
    {
        if (col < 0 || col >= cols_)
            return;
        alignments_[col] = alignment;
        if (committed_ > 1 && col > 0)
            Q_EMIT dataChanged(index(0, col - 1), index(committed_ - 2, col - 1));
    }

private:
    QVariant cellData(int row, int col, int role) const
    {
        if (role == Qt::DisplayRole)
            return shownText(cells_[row][col]);
        if (role == Qt::TextAlignmentRole) {
            if (alignments_[col])
                return int(alignments_[col]);
            bool number = false;
            cells_[row][col].toDouble(&number);
            return int((number ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter);
        }
        return {};
    }

    int cols_;
    int committed_; // rows the view knows, the fixed row included
    std::vector<QStringList> cells_;
    std::vector<Qt::Alignment> alignments_; // empty: general
    bool flushQueued_ = false;
};

FlexGrid::FlexGrid(int rows, int cols, QWidget* parent)
    : QTableView(parent), model_(new FlexGridModel(rows, cols, this))
{
    setHorizontalHeader(new FixedDepthHeader(Qt::Horizontal, this));
    setVerticalHeader(new FixedDepthHeader(Qt::Vertical, this));
    setModel(model_);
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

void FlexGrid::setSort(int setting)
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
    model_->append(item);
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
