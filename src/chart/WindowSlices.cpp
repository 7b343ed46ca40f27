#include "chart/WindowSlices.h"

#include <algorithm>

void WindowSlices::reset(qint64 first, qint64 capacity, qint64 count)
{
    first_ = first;
    width_ = std::max<qint64>(1, (capacity + count - 1) / count);
    currentEnd_ = first;
    folded_ = -1;
    slices_.clear();
}
