#pragma once

#include <QtGlobal>

#include <vector>

// The table's change list: a sequence of number triples, one (position, 0, 4)
// per added row (position 1-based), or the list an XML packet brought.
// Recording adds triples whose positions run on by one, so a run of them is
// held as its first triple and a count instead of three numbers per row.
class ChangeList {
public:
    struct Triple {
        qint64 a = 0, b = 0, c = 0;
        bool operator==(const Triple& o) const { return a == o.a && b == o.b && c == o.c; }
    };

    void append(const Triple& triple);
    void appendAddedRow(qint64 position) { append({position, 0, 4}); }
    // The triples of `count` rows added at positions first, first + 1, ...
    void appendAddedRun(qint64 first, qint64 count);
    void clear();

    bool isEmpty() const { return segments_.empty(); }
    qint64 tripleCount() const { return tripleCount_; }

    // Calls f(const Triple&) for every triple in order.
    template <typename F> void forEach(F&& f) const
    {
        for (const Segment& s : segments_)
            for (qint64 i = 0; i < s.count; ++i)
                f(Triple{s.first.a + i, s.first.b, s.first.c});
    }

    // All numbers in order, three per triple (for small lists and tests).
    std::vector<qint64> numbers() const;

private:
    // count > 1 only for added-row triples with consecutive positions.
    struct Segment {
        Triple first;
        qint64 count = 1;
    };
    std::vector<Segment> segments_;
    qint64 tripleCount_ = 0;
};
