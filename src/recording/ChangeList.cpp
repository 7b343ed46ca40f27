#include "recording/ChangeList.h"

void ChangeList::append(const Triple& triple)
{
    ++tripleCount_;
    if (!segments_.empty() && triple.b == 0 && triple.c == 4) {
        Segment& last = segments_.back();
        if (last.first.b == 0 && last.first.c == 4 && last.first.a + last.count == triple.a) {
            ++last.count;
            return;
        }
    }
    segments_.push_back({triple, 1});
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
