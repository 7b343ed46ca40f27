#include "recording/ReadingGrid.h"

#include "lcd/LcdItemDelegate.h"
#include "recording/PaddedTextDelegate.h"
#include "recording/ReadingGridModel.h"
#include "recording/ReadingTable.h"
#include "widgets/ChildConnections.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QScrollBar>
#include <QTableView>
#include <QWheelEvent>

#include <algorithm>

namespace {

constexpr int kColumnWidths[] = {48, 110, 38, 42, 34};
constexpr int kValueColumn = static_cast<int>(ReadingField::AValue);
constexpr int kUnitColumn = static_cast<int>(ReadingField::AUnit);
constexpr int kJudgeColumn = static_cast<int>(ReadingField::AJudge);
constexpr qreal kUnitSymbolPixels = 11;

QFont gridFont()
{
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(11);
    font.setBold(false); // the window's font is bold; the grid's is not
    // The design's face is narrower than the sans-serif that stands in for
    // it; without this the time stamps would not fit their 110-pixel column.
    font.setLetterSpacing(QFont::AbsoluteSpacing, -0.5);
    return font;
}

} // namespace

ReadingGrid::ReadingGrid(QWidget* parent)
    : QFrame(parent), model_(new ReadingGridModel(this)), view_(new QTableView(this)),
      scroll_(new QScrollBar(Qt::Vertical, this))
{
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(frameWidth(), frameWidth(), frameWidth(), frameWidth());
    layout->setSpacing(0);
    layout->addWidget(view_);
    layout->addWidget(scroll_);
    setUpView();

    connect(scroll_, &QScrollBar::valueChanged, this, [this](int value) {
        if (!syncing_)
            showFrom(value);
    });
    connect(view_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            &ReadingGrid::onViewCurrentChanged);
    view_->installEventFilter(this);
    view_->viewport()->installEventFilter(this);
    measureRows();
}

ReadingGrid::~ReadingGrid()
{
    disconnectChildren(*this);
}

void ReadingGrid::setUpView()
{
    view_->setFrameShape(QFrame::NoFrame);
    view_->setModel(model_);
    view_->setFont(gridFont());
    view_->horizontalHeader()->setFont(gridFont());
    view_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view_->setSelectionBehavior(QAbstractItemView::SelectRows);
    view_->setSelectionMode(QAbstractItemView::SingleSelection);
    view_->setShowGrid(true);
    view_->setWordWrap(false);
    // The window's rows never scroll inside the view: the grid moves the
    // window instead.
    view_->setAutoScroll(false);
    view_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    view_->verticalHeader()->hide();
    view_->verticalHeader()->setMinimumSectionSize(1);
    view_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view_->verticalHeader()->setDefaultSectionSize(kRowHeight);
    view_->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    view_->horizontalHeader()->setHighlightSections(false);
    view_->horizontalHeader()->setStretchLastSection(false);
    for (int column = 0; column < int(std::size(kColumnWidths)); ++column)
        view_->setColumnWidth(column, kColumnWidths[column]);
    view_->setColumnHidden(kJudgeColumn, true);
    view_->setItemDelegateForColumn(kValueColumn, new PaddedTextDelegate(view_));
    view_->setItemDelegateForColumn(kUnitColumn, new LcdItemDelegate(kUnitSymbolPixels, view_));

    // The selection stays visible while another control has the focus.
    QPalette palette = view_->palette();
    for (auto role : {QPalette::Highlight, QPalette::HighlightedText})
        palette.setColor(QPalette::Inactive, role, palette.color(QPalette::Active, role));
    view_->setPalette(palette);
}

void ReadingGrid::setTable(ReadingTable* table)
{
    if (table_)
        disconnect(table_, nullptr, this, nullptr);
    table_ = table;
    model_->setStore(table ? &table->rows() : nullptr);
    if (table) {
        connect(table, &ReadingTable::rowsAppended, this, &ReadingGrid::onRowsAppended);
        connect(table, &ReadingTable::tableReplaced, this, &ReadingGrid::onTableReplaced);
        connect(table, &ReadingTable::currentRowChanged, this, &ReadingGrid::follow);
        connect(table, &QObject::destroyed, this, [this] {
            table_ = nullptr;
            model_->setStore(nullptr);
        });
    }
    onTableReplaced();
    follow(table ? table->currentRow() : -1);
}

int ReadingGrid::firstShownRow() const
{
    return model_->firstRow();
}

int ReadingGrid::selectedTableRow() const
{
    const QModelIndex current = view_->selectionModel()->currentIndex();
    if (!current.isValid() || !view_->selectionModel()->isRowSelected(current.row()))
        return -1;
    return model_->tableRow(current.row());
}

void ReadingGrid::measureRows()
{
    // From the grid's own size, so that the rows are known before the grid
    // is first laid out or shown. Only whole rows are shown: a partly
    // visible last row would be inserted and removed again on every append.
    if (height() == measuredHeight_)
        return;
    measuredHeight_ = height();
    const int header = view_->horizontalHeader()->sizeHint().height();
    const int room = std::max(0, height() - 2 * frameWidth() - header);
    fullRows_ = std::max(1, room / kRowHeight);
}

void ReadingGrid::resizeEvent(QResizeEvent* event)
{
    QFrame::resizeEvent(event);
    showFrom(model_->firstRow());
}

int ReadingGrid::lastFirstRow() const
{
    return std::max(0, (table_ ? table_->rowCount() : 0) - fullRows_);
}

void ReadingGrid::showFrom(int first)
{
    // A hidden grid gets no resize events, so the rows are measured here.
    measureRows();
    const int lastFirst = lastFirstRow();
    first = std::clamp(first, 0, lastFirst);
    syncing_ = true;
    model_->setWindow(first, fullRows_);
    scroll_->setRange(0, lastFirst);
    scroll_->setPageStep(fullRows_);
    scroll_->setValue(first);
    syncing_ = false;
    selectCurrent();
}

void ReadingGrid::follow(int row)
{
    int first = model_->firstRow();
    if (row >= 0) {
        if (row < first)
            first = row;
        else if (row >= first + fullRows_)
            first = row - fullRows_ + 1;
    }
    showFrom(first);
}

void ReadingGrid::selectCurrent()
{
    QItemSelectionModel* selection = view_->selectionModel();
    const int current = table_ ? table_->currentRow() : -1;
    const int viewRow = current - model_->firstRow();
    const bool onScreen = current >= 0 && viewRow >= 0 && viewRow < model_->shownRows();
    const QModelIndex selected = selection->currentIndex();
    if (onScreen && selected.row() == viewRow && selection->isRowSelected(viewRow))
        return; // the window moved under an unchanged selection
    syncing_ = true;
    if (onScreen) {
        selection->setCurrentIndex(model_->index(viewRow, 0),
                                   QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    } else {
        selection->clearSelection();
        selection->clearCurrentIndex();
    }
    syncing_ = false;
}

void ReadingGrid::onRowsAppended()
{
    // Only the scroll range and any free room on screen change; the table
    // then makes the new row current, which moves the window.
    syncing_ = true;
    if (model_->shownRows() < fullRows_)
        model_->refresh();
    scroll_->setRange(0, lastFirstRow());
    syncing_ = false;
}

void ReadingGrid::onTableReplaced()
{
    syncing_ = true;
    model_->resetWindow();
    syncing_ = false;
    showFrom(0);
}

void ReadingGrid::onViewCurrentChanged(const QModelIndex& current)
{
    // A click in the grid moves the table's current row.
    if (syncing_ || !table_ || !current.isValid())
        return;
    table_->setCurrentRow(model_->tableRow(current.row()));
}

bool ReadingGrid::moveByKey(int key)
{
    if (!table_ || table_->rowCount() == 0)
        return false;
    const int current = std::max(table_->currentRow(), 0);
    int target = current;
    switch (key) {
    case Qt::Key_Up: target = current - 1; break;
    case Qt::Key_Down: target = current + 1; break;
    case Qt::Key_PageUp: target = current - fullRows_; break;
    case Qt::Key_PageDown: target = current + fullRows_; break;
    case Qt::Key_Home: target = 0; break;
    case Qt::Key_End: target = table_->rowCount() - 1; break;
    default: return false;
    }
    table_->setCurrentRow(target);
    follow(table_->currentRow());
    return true;
}

bool ReadingGrid::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == view_ && event->type() == QEvent::KeyPress)
        return moveByKey(static_cast<QKeyEvent*>(event)->key());
    if (watched == view_->viewport() && event->type() == QEvent::Wheel) {
        QCoreApplication::sendEvent(scroll_, event);
        return true;
    }
    return QFrame::eventFilter(watched, event);
}
