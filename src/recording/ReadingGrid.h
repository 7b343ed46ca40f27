#pragma once

#include <QFrame>

class QScrollBar;
class QTableView;
class ReadingGridModel;
class ReadingTable;

// The read-only grid of the reading table: title row, whole-row selection
// that follows the table's current row, fixed row height. The view holds
// only the rows on screen (ReadingGridModel); the scroll bar beside it spans
// the whole table, and the arrow, page and Home/End keys and the wheel move
// through the whole table.
class ReadingGrid : public QFrame {
    Q_OBJECT

public:
    static constexpr int kRowHeight = 17;

    explicit ReadingGrid(QWidget* parent = nullptr);
    ~ReadingGrid() override;

    // The table shown (none: empty grid). The grid does not own it.
    void setTable(ReadingTable* table);

    QTableView* view() const { return view_; }
    QScrollBar* scrollBar() const { return scroll_; }
    ReadingGridModel* model() const { return model_; }
    int firstShownRow() const;
    int fullRowsOnScreen() const { return fullRows_; }
    // The table row the view selects, or -1.
    int selectedTableRow() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void setUpView();
    void measureRows();
    int lastFirstRow() const;
    void follow(int row);
    void showFrom(int first);
    void selectCurrent();
    void onRowsAppended();
    void onTableReplaced();
    void onViewCurrentChanged(const QModelIndex& current);
    bool moveByKey(int key);

    ReadingTable* table_ = nullptr;
    ReadingGridModel* model_;
    QTableView* view_;
    QScrollBar* scroll_;
    int fullRows_ = 1;
    int measuredHeight_ = -1;
    bool syncing_ = false;
};
