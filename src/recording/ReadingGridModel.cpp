#include "recording/ReadingGridModel.h"

#include "recording/ReadingStore.h"

#include <algorithm>

namespace {

const char* const kTitles[kReadingFieldCount] = {"No",    "DateTime", "T1T2",
                                                 "Value", "Unit",     "Judge"};

} // namespace

ReadingGridModel::ReadingGridModel(QObject* parent) : QAbstractTableModel(parent) {}

int ReadingGridModel::tableRows() const
{
    return store_ ? store_->rowCount() : 0;
}

int ReadingGridModel::fitting(int first, int rows) const
{
    return std::clamp(tableRows() - first, 0, std::max(rows, 0));
}

void ReadingGridModel::setStore(const ReadingStore* store)
{
    beginResetModel();
    store_ = store;
    first_ = 0;
    shown_ = fitting(0, windowRows_);
    endResetModel();
}

void ReadingGridModel::resetWindow()
{
    setStore(store_);
}

void ReadingGridModel::setWindow(int first, int rows)
{
    first = std::max(first, 0);
    windowRows_ = std::max(rows, 0);
    const int newShown = fitting(first, windowRows_);
    // Rows are added or dropped at the end while the rows that stay keep
    // their data, then the moved window is announced as changed data.
    if (newShown < shown_) {
        beginRemoveRows({}, newShown, shown_ - 1);
        shown_ = newShown;
        endRemoveRows();
    }
    const bool moved = first != first_;
    first_ = first;
    if (moved && shown_ > 0)
        emit dataChanged(index(0, 0), index(shown_ - 1, kReadingFieldCount - 1));
    if (newShown > shown_) {
        beginInsertRows({}, shown_, newShown - 1);
        shown_ = newShown;
        endInsertRows();
    }
}

int ReadingGridModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : shown_;
}

int ReadingGridModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : kReadingFieldCount;
}

QVariant ReadingGridModel::data(const QModelIndex& index, int role) const
{
    if (role != Qt::DisplayRole || !checkIndex(index, CheckIndexOption::IndexIsValid) || !store_)
        return {};
    return store_->text(first_ + index.row(), static_cast<ReadingField>(index.column()));
}

QVariant ReadingGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal || section < 0 ||
        section >= kReadingFieldCount)
        return QAbstractTableModel::headerData(section, orientation, role);
    return QString::fromLatin1(kTitles[section]);
}
