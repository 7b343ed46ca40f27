// The reading table's store: rows appended as recording, a text import and
// an XML import do it, the change list an XML packet brings, and emptying.
// Every text stored comes back exactly (an empty and a missing text being
// the same), with its record number, row state and change list, whichever
// compact form the store chose for it.
//
// Input: operations, each a byte (modulo 5) and its values:
//   0 text-import row   1 XML row + row state   2 recorded reading
//   3 change list set   4 emptying
// A text is a byte t and what follows: t < 0x80 gives t % 24 UTF-16 units,
// 0x80..0xFE a canonical time stamp from 32-bit seconds and two separators,
// 0xFF a null text.
#include "FuzzCheck.h"
#include "FuzzInput.h"

#include "recording/ReadingStore.h"

#include <QDateTime>

#include <vector>

namespace {

QString textFrom(FuzzInput& in)
{
    const quint8 t = in.byte();
    if (t == 0xFF)
        return QString();
    if (t >= 0x80) {
        CompactTimeStamp stamp;
        stamp.seconds = in.value<quint32>();
        stamp.dateSeparator = QChar(in.value<char16_t>());
        stamp.timeSeparator = QChar(in.value<char16_t>());
        return stamp.text();
    }
    return in.units(t % 24);
}

ReadingRow rowFrom(FuzzInput& in)
{
    ReadingRow row;
    if (in.byte() & 1)
        row.no = in.value<qint32>();
    row.time = textFrom(in);
    row.channel = textFrom(in);
    row.value = textFrom(in);
    row.unit = textFrom(in);
    row.judge = textFrom(in);
    return row;
}

QDateTime momentFrom(FuzzInput& in)
{
    const int year = 1960 + in.byte() % 160;
    const QDate date(year, 1 + in.byte() % 12, 1 + in.byte() % 31);
    const QTime time(in.byte() % 24, in.byte() % 60, in.byte() % 60);
    return QDateTime(date, time);
}

struct Model {
    std::vector<ReadingRow> rows;
    std::vector<qint32> states;
    std::vector<qint64> changes;

    void add(const ReadingRow& row, qint32 state, bool logged)
    {
        rows.push_back(row);
        states.push_back(state);
        if (logged)
            changes.insert(changes.end(), {qint64(rows.size()), 0, 4});
    }
};

void checkRow(const ReadingStore& store, const Model& model, int r)
{
    const ReadingRow& expected = model.rows[size_t(r)];
    FUZZ_CHECK(store.row(r) == expected);
    FUZZ_CHECK(store.number(r) == expected.no);
    FUZZ_CHECK(store.rowState(r) == model.states[size_t(r)]);
    for (int f = 0; f < kReadingFieldCount; ++f)
        FUZZ_CHECK(store.text(r, ReadingField(f)) == expected.text(ReadingField(f)));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzInput in(data, size);
    ReadingStore store;
    Model model;
    while (!in.empty()) {
        switch (in.byte() % 5) {
        case 0: {
            const ReadingRow row = rowFrom(in);
            store.appendRow(row);
            model.add(row, kRowStateAdded, true);
            break;
        }
        case 1: {
            const ReadingRow row = rowFrom(in);
            const qint32 state = in.value<qint32>();
            store.appendStoredRow(row, state);
            model.add(row, state, false);
            break;
        }
        case 2: {
            const qint32 no = in.value<qint32>();
            const QDateTime when = momentFrom(in);
            TimeStampFormat format;
            format.dateSeparator = in.units(in.byte() % 3);
            format.timeSeparator = in.units(in.byte() % 3);
            ReadingRow row;
            row.no = no;
            row.time = format.text(when);
            row.channel = textFrom(in);
            row.value = textFrom(in);
            row.unit = textFrom(in);
            row.judge = textFrom(in);
            store.appendRecorded(no, when, format, row.channel, row.value, row.unit, row.judge);
            model.add(row, kRowStateAdded, true);
            break;
        }
        case 3: {
            ChangeList changes;
            model.changes.clear();
            for (int n = in.byte() % 5; n > 0; --n) {
                ChangeList::Triple t;
                t.a = in.value<qint64>();
                t.b = in.byte() & 1 ? 0 : in.value<qint64>();
                t.c = in.byte() & 1 ? 4 : in.value<qint64>();
                changes.append(t);
                model.changes.insert(model.changes.end(), {t.a, t.b, t.c});
            }
            store.setChanges(changes);
            break;
        }
        case 4:
            store.clear();
            model = Model{};
            break;
        }
        FUZZ_CHECK(store.rowCount() == int(model.rows.size()));
        if (!model.rows.empty())
            checkRow(store, model, store.rowCount() - 1);
    }
    for (int r = 0; r < store.rowCount(); ++r)
        checkRow(store, model, r);
    FUZZ_CHECK(store.changes().numbers() == model.changes);
    FUZZ_CHECK(store.changes().tripleCount() == qint64(model.changes.size() / 3));
    return 0;
}
