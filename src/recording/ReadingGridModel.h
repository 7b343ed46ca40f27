#pragma once

#include <QAbstractTableModel>

class ReadingStore;

// The rows of the reading table that the grid has on screen: a window of a
// few rows starting at firstRow(). The view never learns how long the table
// is, so its cost per row appended or per jump does not grow with the table
// (a view over ten million rows keeps per-row bookkeeping and slows down).
// The grid moves the window; the columns are the table's six fields.
class ReadingGridModel : public QAbstractTableModel {
    Q_OBJECT

public:
    explicit ReadingGridModel(QObject* parent = nullptr);

    // The rows shown; resets the window to the top.
    void setStore(const ReadingStore* store);
    // The window: up to `rows` rows from table row `first` on.
    void setWindow(int first, int rows);
    // The table grew or shrank: fill the window's free room or drop rows.
    void refresh() { setWindow(first_, windowRows_); }
    // The table was replaced: back to the top.
    void resetWindow();

    int firstRow() const { return first_; }
    int shownRows() const { return shown_; }
    int tableRow(int viewRow) const { return first_ + viewRow; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    int tableRows() const;
    int fitting(int first, int rows) const;

    const ReadingStore* store_ = nullptr;
    int first_ = 0;
    int windowRows_ = 0;
    int shown_ = 0;
};
