#include "recording/ChangeList.h"

#include <limits>

void ChangeList::append(const Triple& triple)
{
    ++tripleCount_;
    if (!segments_.empty() && triple.b == 0 && triple.c == 4) {
        Segment& last = segments_.back();
        // A run's next position, unless it lies beyond the 64-bit range: a
        // packet may bring any position, and the sum must not overflow.
        const bool fits = last.first.a <= std::numeric_limits<qint64>::max() - last.count;
        if (last.first.b == 0 && last.first.c == 4 && fits &&
            last.first.a + last.count == triple.a) {
            ++last.count;
            return;
        }
    }
    segments_.push_back({triple, 1});
}

void ChangeList::appendAddedRun(qint64 first, qint64 count)
{
    if (count <= 0)
        return;
    append({first, 0, 4});
    Segment& last = segments_.back();
    last.count += count - 1;
    tripleCount_ += count - 1;
}

void ChangeList::clear()
{
    segments_.clear();
    tripleCount_ = 0;
}

std::vector<qint64> ChangeList::numbers() const
{
    std::vector<qint64> out;
    out.reserve(static_cast<size_t>(tripleCount_) * 3);
    forEach([&out](const Triple& t) {
        out.push_back(t.a);
        out.push_back(t.b);
        out.push_back(t.c);
    });
    return out;
}
