#include "recording/ChangeList.h"

void ChangeList::append(const Triple& triple)
{
    ++tripleCount_;
    if (!segments_.empty() && triple.b == 0 && triple.c == 4) {
        Segment& last = segments_.back();
        // Compared without overflow: a packet's change list may hold any
        // 64-bit numbers. Merged positions then never pass the last one.
        if (last.first.b == 0 && last.first.c == 4 && triple.a > last.first.a &&
            quint64(triple.a) - quint64(last.first.a) == quint64(last.count)) {
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
