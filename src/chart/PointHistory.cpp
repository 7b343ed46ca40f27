#include "chart/PointHistory.h"

void PointHistory::append(double y)
{
    const qint64 offset = size_ & kBlockMask;
    if (offset == 0) {
        // Left uninitialised on purpose: the pages of a block become resident
        // only as values are written into them.
        blocks_.emplace_back(new double[kBlockSize]);
    }
    blocks_.back()[std::size_t(offset)] = y;
    ++size_;
}

void PointHistory::clear()
{
    blocks_.clear();
    blocks_.shrink_to_fit();
    size_ = 0;
}
