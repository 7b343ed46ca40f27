#pragma once

#include <QtGlobal>

#include <vector>

// A wide window of the chart cut into slices of equal width, each slice
// holding the indexes of its lowest and highest point. Slices are fixed by
// the window, not by the points in it, so a point added at the end changes
// only the slice it falls into.
class WindowSlices {
public:
    struct Slice {
        qint64 low;  // index of the lowest point
        qint64 high; // index of the highest point
    };

    // At most count slices of width ceil(capacity / count) from index first
    // on, none holding a point yet.
    void reset(qint64 first, qint64 capacity, qint64 count);
    // Adds the point at index, which lies above every index folded so far;
    // valueAt gives the y value of an index.
    template <typename ValueAt> void fold(qint64 index, ValueAt valueAt)
    {
        if (slices_.empty() || index >= currentEnd_) {
            slices_.push_back({index, index});
            currentEnd_ = first_ + ((index - first_) / width_ + 1) * width_;
        } else {
            Slice& slice = slices_.back();
            const double y = valueAt(index);
            if (y < valueAt(slice.low))
                slice.low = index;
            if (y > valueAt(slice.high))
                slice.high = index;
        }
        folded_ = index;
    }

    const std::vector<Slice>& slices() const { return slices_; }
    // The highest index folded; -1 when none.
    qint64 folded() const { return folded_; }

private:
    qint64 first_ = 0;
    qint64 width_ = 1;
    qint64 currentEnd_ = 0;
    qint64 folded_ = -1;
    std::vector<Slice> slices_;
};
