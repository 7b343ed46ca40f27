#include "recording/ReadingStore.h"

#include <QDateTime>
#include <QHashFunctions>

#include <limits>

bool ReadingStore::Kind::operator==(const Kind& o) const
{
    return channel == o.channel && unit == o.unit && judge == o.judge && rowState == o.rowState &&
           timeForm == o.timeForm && hasNo == o.hasNo;
}

size_t qHash(const ReadingStore::Kind& kind, size_t seed)
{
    return qHashMulti(seed, kind.channel, kind.unit, kind.judge, kind.rowState, kind.timeForm,
                      kind.hasNo);
}

const ReadingStore::PackedRow& ReadingStore::packed(int r) const
{
    Q_ASSERT(r >= 0 && r < rowCount_);
    return chunk(static_cast<size_t>(r) >> kChunkBits)[r & (kChunkRows - 1)];
}

// Inline: the file readers append millions of rows through it.
inline void ReadingStore::push(const PackedRow& row)
{
    if ((rowCount_ & (kChunkRows - 1)) == 0 &&
        static_cast<size_t>(rowCount_) >> kChunkBits == chunks_.size()) {
        chunks_.add();
    }
    chunk(static_cast<size_t>(rowCount_) >> kChunkBits)[rowCount_ & (kChunkRows - 1)] = row;
    ++rowCount_;
}

quint32 ReadingStore::kindId(const Kind& kind)
{
    const auto found = kindIds_.constFind(kind);
    if (found != kindIds_.constEnd())
        return *found;
    const auto id = static_cast<quint32>(kinds_.size());
    kinds_.push_back(kind);
    kindIds_.insert(kind, id);
    return id;
}

quint16 ReadingStore::timeFormId(QChar dateSeparator, QChar timeSeparator)
{
    for (size_t i = 0; i < timeForms_.size(); ++i)
        if (timeForms_[i].dateSeparator == dateSeparator &&
            timeForms_[i].timeSeparator == timeSeparator)
            return static_cast<quint16>(i);
    if (timeForms_.size() >= kTimeAsText)
        return kTimeAsText;
    timeForms_.push_back({dateSeparator, timeSeparator});
    return static_cast<quint16>(timeForms_.size() - 1);
}

std::pair<quint32, quint16> ReadingStore::encodeTime(const QString& text)
{
    if (const auto stamp = CompactTimeStamp::fromText(text)) {
        const quint16 form = timeFormId(stamp->dateSeparator, stamp->timeSeparator);
        if (form != kTimeAsText)
            return {stamp->seconds, form};
    }
    return {texts_.intern(text), kTimeAsText};
}

QString ReadingStore::timeText(const PackedRow& row, const Kind& kind) const
{
    if (kind.timeForm == kTimeAsText)
        return texts_.text(row.time);
    const TimeForm& form = timeForms_[kind.timeForm];
    CompactTimeStamp stamp;
    stamp.seconds = row.time;
    stamp.dateSeparator = form.dateSeparator;
    stamp.timeSeparator = form.timeSeparator;
    return stamp.text();
}

ReadingRow ReadingStore::row(int r) const
{
    const PackedRow& p = packed(r);
    const Kind& kind = kinds_[p.kind];
    ReadingRow out;
    if (kind.hasNo)
        out.no = p.no;
    out.time = timeText(p, kind);
    out.channel = texts_.text(kind.channel);
    out.value = texts_.text(p.value);
    out.unit = texts_.text(kind.unit);
    out.judge = texts_.text(kind.judge);
    return out;
}

QString ReadingStore::text(int r, ReadingField field) const
{
    const PackedRow& p = packed(r);
    const Kind& kind = kinds_[p.kind];
    switch (field) {
    case ReadingField::ANo: return kind.hasNo ? QString::number(p.no) : QString();
    case ReadingField::ATime: return timeText(p, kind);
    case ReadingField::AT1T2: return texts_.text(kind.channel);
    case ReadingField::AValue: return texts_.text(p.value);
    case ReadingField::AUnit: return texts_.text(kind.unit);
    case ReadingField::AJudge: return texts_.text(kind.judge);
    }
    return {};
}

std::optional<qint32> ReadingStore::number(int r) const
{
    const PackedRow& p = packed(r);
    if (!kinds_[p.kind].hasNo)
        return std::nullopt;
    return p.no;
}

qint32 ReadingStore::rowState(int r) const
{
    return kinds_[packed(r).kind].rowState;
}

void ReadingStore::appendRecorded(qint32 no, const QDateTime& when, const TimeStampFormat& format,
                                  const QString& channel, const QString& value, const QString& unit,
                                  const QString& judge)
{
    const auto stamp = CompactTimeStamp::fromDateTime(when, format);
    const quint16 timeForm =
        stamp ? timeFormId(stamp->dateSeparator, stamp->timeSeparator) : kTimeAsText;
    // Consecutive readings mostly share channel, unit and judgement.
    RecentKind& recent = recentKind_;
    if (!recent.valid || recent.timeForm != timeForm || recent.channel != channel ||
        recent.unit != unit || recent.judge != judge) {
        Kind kind;
        kind.channel = texts_.intern(channel);
        kind.unit = texts_.intern(unit);
        kind.judge = texts_.intern(judge);
        kind.rowState = kRowStateAdded;
        kind.timeForm = timeForm;
        recent = {true, timeForm, channel, unit, judge, kindId(kind)};
    }
    PackedRow row{no, 0, texts_.intern(value), recent.kind};
    row.time = timeForm == kTimeAsText ? texts_.intern(format.text(when)) : stamp->seconds;
    push(row);
    changes_.appendAddedRow(rowCount_);
}

void ReadingStore::append(const ReadingRow& row, qint32 rowState)
{
    Kind kind;
    kind.channel = texts_.intern(row.channel);
    kind.unit = texts_.intern(row.unit);
    kind.judge = texts_.intern(row.judge);
    kind.rowState = rowState;
    kind.hasNo = row.no.has_value();
    const auto [time, form] = encodeTime(row.time);
    kind.timeForm = form;
    push({row.no.value_or(0), time, texts_.intern(row.value), kindId(kind)});
}

void ReadingStore::appendRow(const ReadingRow& row)
{
    append(row, kRowStateAdded);
    changes_.appendAddedRow(rowCount_);
}

void ReadingStore::appendStoredRow(const ReadingRow& row, qint32 rowState)
{
    append(row, rowState);
}

ReadingStore::RowCodes ReadingStore::codes(int r) const
{
    const PackedRow& p = packed(r);
    const Kind& kind = kinds_[p.kind];
    RowCodes c;
    c.no = p.no;
    c.hasNo = kind.hasNo;
    c.timeIsText = kind.timeForm == kTimeAsText;
    c.time = p.time;
    if (!c.timeIsText) {
        c.dateSeparator = timeForms_[kind.timeForm].dateSeparator;
        c.timeSeparator = timeForms_[kind.timeForm].timeSeparator;
    }
    c.channel = kind.channel;
    c.value = p.value;
    c.unit = kind.unit;
    c.judge = kind.judge;
    c.rowState = kind.rowState;
    return c;
}

inline bool ReadingStore::RecentCodes::sameKind(const RowCodes& c) const
{
    return valid && codes.channel == c.channel && codes.unit == c.unit && codes.judge == c.judge &&
           codes.rowState == c.rowState && codes.hasNo == c.hasNo &&
           codes.timeIsText == c.timeIsText && codes.dateSeparator == c.dateSeparator &&
           codes.timeSeparator == c.timeSeparator;
}

void ReadingStore::appendCodes(const RowCodes& c)
{
    append(c, true);
}

bool ReadingStore::appendCodesLeavingPool(const RowCodes& c)
{
    return append(c, false);
}

size_t ReadingStore::appendCodesLeavingPool(const RowCodes* rows, size_t count)
{
    for (size_t i = 0; i < count; ++i) {
        const RowCodes& c = rows[i];
        if (recentCodes_.sameKind(c))
            push({c.hasNo ? c.no : 0, c.time, c.value, recentCodes_.kind});
        else if (!append(c, false))
            return i;
    }
    return count;
}

bool ReadingStore::append(const RowCodes& c, bool mayIntern)
{
    // Rows of a file mostly share their kind with the row before: then
    // neither the kind nor the time form needs looking up.
    if (recentCodes_.sameKind(c)) {
        push({c.hasNo ? c.no : 0, c.time, c.value, recentCodes_.kind});
        return true;
    }
    Kind kind;
    kind.channel = c.channel;
    kind.unit = c.unit;
    kind.judge = c.judge;
    kind.rowState = c.rowState;
    kind.hasNo = c.hasNo;
    kind.timeForm = c.timeIsText ? kTimeAsText : timeFormId(c.dateSeparator, c.timeSeparator);
    quint32 time = c.time;
    if (kind.timeForm == kTimeAsText && !c.timeIsText) {
        if (!mayIntern)
            return false;
        CompactTimeStamp stamp;
        stamp.seconds = c.time;
        stamp.dateSeparator = c.dateSeparator;
        stamp.timeSeparator = c.timeSeparator;
        time = texts_.intern(stamp.text());
    }
    const quint32 id = kindId(kind);
    // A stamp that had to become text (no time form left) is not repeated
    // by the shortcut above.
    recentCodes_ = {kind.timeForm != kTimeAsText || c.timeIsText, c, id};
    push({c.hasNo ? c.no : 0, time, c.value, id});
    return true;
}

void ReadingStore::appendRowsOf(ReadingStore&& rows)
{
    if (isEmpty()) {
        ChangeList kept = std::move(changes_);
        const qint64 count = rows.rowCount_;
        *this = std::move(rows);
        changes_ = std::move(kept);
        changes_.appendAddedRun(1, count);
        return;
    }
    // Rows copied as codes; each text of the other pool is interned once.
    const qint64 first = rowCount_ + 1;
    std::vector<quint32> ids(rows.texts_.size(), std::numeric_limits<quint32>::max());
    const auto remap = [&](quint32 id) {
        if (ids[id] == std::numeric_limits<quint32>::max())
            ids[id] = texts_.intern(rows.texts_.text(id));
        return ids[id];
    };
    for (int r = 0; r < rows.rowCount(); ++r) {
        RowCodes c = rows.codes(r);
        c.channel = remap(c.channel);
        c.value = remap(c.value);
        c.unit = remap(c.unit);
        c.judge = remap(c.judge);
        if (c.timeIsText)
            c.time = remap(c.time);
        appendCodes(c);
    }
    changes_.appendAddedRun(first, rows.rowCount());
    rows.clear();
}

void ReadingStore::clear()
{
    chunks_.clear();
    rowCount_ = 0;
    texts_.clear();
    kinds_.clear();
    kindIds_.clear();
    timeForms_.clear();
    changes_.clear();
    recentKind_ = RecentKind{};
    recentCodes_ = RecentCodes{};
}
