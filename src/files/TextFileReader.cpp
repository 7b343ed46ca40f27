#include "files/TextFileReader.h"

#include "files/BlockReader.h"
#include "files/BlockTexts.h"
#include "files/ByteInterner.h"
#include "files/ByteMasks.h"
#include "files/CodePage.h"
#include "files/FileProgress.h"
#include "files/InputBuffer.h"
#include "files/SharedPool.h"
#include "files/StampReader.h"
#include "files/TextLineShape.h"
#include "files/TextTokenizer.h"

#include "recording/TimeStampFormat.h"

#include <QIODevice>

#include <algorithm>
#include <cstring>
#include <limits>
#include <optional>

namespace {

// A flag and an out value, not an optional: an optional built from a flag
// byte is read back whole before that byte's store has landed.
bool recordNumber(const TextToken& token, qint32& number)
{
    const QByteArrayView raw = token.raw;
    qsizetype i = 0;
    bool negative = false;
    if (i < raw.size() && (raw[i] == '+' || raw[i] == '-'))
        negative = raw[i++] == '-';
    if (i == raw.size())
        return false;
    qint64 value = 0;
    for (; i < raw.size(); ++i) {
        if (raw[i] < '0' || raw[i] > '9')
            return false;
        value = value * 10 + (raw[i] - '0');
        if (value > qint64(std::numeric_limits<qint32>::max()) + 1)
            return false;
    }
    value = negative ? -value : value;
    if (value > std::numeric_limits<qint32>::max())
        return false;
    number = static_cast<qint32>(value);
    return true;
}

// Tokens become pool ids of the staged store: through the byte cache when
// their bytes stand for their text as they are, decoded otherwise.
class TokenTexts {
public:
    explicit TokenTexts(SharedPool& pool) : pool_(pool), texts_(pool) {}

    // A quoted token with doubled quotes inside: its text is not its bytes.
    static bool undoubles(const TextToken& token)
    {
        return token.quoted && token.raw.contains('"');
    }

    // Channel, unit and judgement mostly repeat the line before.
    quint32 id(int column, const TextToken& token)
    {
        if (undoubles(token))
            return texts_.id(token.text());
        const ByteInterner::Key key = ByteInterner::keyOfPadded(token.raw);
        if (column == static_cast<int>(ReadingField::AValue))
            return id(key);
        Recent& recent = recent_[column];
        if (recent.id != ByteInterner::kMissing && recent.size == key.bytes.size() &&
            recent.word[0] == key.word[0] && recent.word[1] == key.word[1])
            return recent.id;
        const quint32 found = id(key);
        if (key.bytes.size() <= 16)
            recent = {{key.word[0], key.word[1]}, key.bytes.size(), found};
        return found;
    }

    // The value's key, its slot already on the way from memory (values are
    // many and looked up last).
    ByteInterner::Key valueKey(const TextToken& token) const
    {
        ByteInterner::Key key = ByteInterner::keyOfPadded(token.raw);
        texts_.prefetch(key);
        return key;
    }

    quint32 id(const TextToken& token)
    {
        if (undoubles(token))
            return texts_.id(token.text());
        return id(ByteInterner::keyOfPadded(token.raw));
    }

    // Quoted or not, the same bytes stand for the same text once the
    // doubled quotes are out of the way.
    quint32 id(const ByteInterner::Key& key)
    {
        return texts_.id(key, [&key] {
            return std::optional(codepage::decode(key.bytes.data(), key.bytes.size()));
        });
    }
    quint32 empty()
    {
        if (empty_ == ByteInterner::kMissing)
            empty_ = pool_.intern(QString());
        return empty_;
    }
    // At the end of a block: the rows get pool ids for the texts met first
    // in it, and the ids of the last line are forgotten.
    template <typename Rows> void resolve(Rows& rows)
    {
        texts_.resolve(rows);
        for (Recent& recent : recent_)
            recent = Recent{};
    }

private:
    // Up to 16 bytes, as the words of their key.
    struct Recent {
        quint64 word[2] = {0, 0};
        qsizetype size = 0;
        quint32 id = ByteInterner::kMissing;
    };
    SharedPool& pool_;
    BlockTexts texts_;
    Recent recent_[kReadingFieldCount];
    quint32 empty_ = ByteInterner::kMissing;
};

class LineReader {
public:
    explicit LineReader(InputBuffer& input) : input_(input) {}

    // The next line; false at the end of the text or on a failure.
    bool next(QByteArrayView& line)
    {
        if (ended_)
            return false;
        input_.consume(pendingConsume_);
        pendingConsume_ = 0;
        qsizetype scanned = 0;
        while (true) {
            const char* p = input_.data();
            const qsizetype n = input_.size();
            qsizetype i = scanned;
            while (i < n) {
                const quint64 ends =
                    bytemask::anyOf(p + i, '\r', '\n', '\0') & bytemask::first(n - i);
                if (ends) {
                    i += bytemask::lowest(ends);
                    break;
                }
                i = std::min(i + 64, n);
            }
            if (i < n) {
                if (p[i] == '\r' && i + 1 == n && input_.more())
                    continue; // the byte after CR decides whether it is CR LF
                line = QByteArrayView(input_.data(), i);
                if (input_.data()[i] == '\0') {
                    // The text ends here; nothing before the 0 on this line is no line.
                    ended_ = zero_ = true;
                    lineSize_ = pendingConsume_ = i; // a line without an end
                    return i > 0;
                }
                const bool crlf = input_.data()[i] == '\r' && i + 1 < input_.size() &&
                                  input_.data()[i + 1] == '\n';
                lineSize_ = i;
                pendingConsume_ = i + (crlf ? 2 : 1);
                return true;
            }
            scanned = n;
            if (!input_.more()) {
                ended_ = true;
                if (input_.failed() || input_.tooLong() || input_.cancelled() || n == 0)
                    return false;
                line = QByteArrayView(input_.data(), n);
                lineSize_ = pendingConsume_ = n; // the last line needs no end
                return true;
            }
        }
    }

    // The line end of the line last given: CR LF, CR, LF or nothing.
    QByteArrayView lastEnd() const
    {
        return QByteArrayView(input_.data() + lineSize_, pendingConsume_ - lineSize_);
    }
    // The bytes after the line last given, for a line read without next();
    // false at the end of the text.
    bool rest(const char*& p, qsizetype& n)
    {
        if (ended_)
            return false;
        input_.consume(pendingConsume_);
        pendingConsume_ = lineSize_ = 0;
        p = input_.data();
        n = input_.size();
        return true;
    }
    // Takes the first n bytes of the rest as a line and its end.
    void skip(qsizetype n) { pendingConsume_ = lineSize_ = n; }

    // True when a byte 0 ended the text.
    bool endedAtZero() const { return zero_; }

private:
    InputBuffer& input_;
    qsizetype pendingConsume_ = 0;
    qsizetype lineSize_ = 0; // of the line last given, without its end
    bool ended_ = false;
    bool zero_ = false;
};

// Where a block of whole lines ends: after the last line end that is known
// to be one (a CR last in the bytes read may be the first of CR LF).
qsizetype afterLastLine(const char* p, qsizetype n, bool atEnd)
{
    if (atEnd || p[n - 1] == '\n')
        return n;
    const auto* lf = static_cast<const char*>(memrchr(p, '\n', static_cast<size_t>(n - 1)));
    const qsizetype from = lf ? lf - p + 1 : 0;
    const auto* cr =
        static_cast<const char*>(memrchr(p + from, '\r', static_cast<size_t>(n - 1 - from)));
    return cr ? cr - p + 1 : from;
}

// The rows of one block of lines, or where the block failed.
struct TextBlock {
    std::vector<ReadingStore::RowCodes, mapped::HugePageAllocator<ReadingStore::RowCodes>> rows;
    qint64 lines = 0; // read, the header and blank lines included
    bool noHeader = false;
    QString failure; // of line `lines`, when not empty
    bool ended = false; // a byte 0 ended the text
};

// Turns lines into row codes, with the texts interned in the shared pool.
class LineParser {
public:
    explicit LineParser(SharedPool& pool) : texts_(pool) {}

    void parse(InputBuffer& bytes, bool first, TextBlock& out)
    {
        read(bytes, first, out);
        texts_.resolve(out.rows);
        shape_.forget(); // its ids were the block's
    }

private:
    void read(InputBuffer& bytes, bool first, TextBlock& out)
    {
        out.rows.clear();
        out.lines = 0;
        out.noHeader = false;
        out.failure.clear();
        out.ended = false;
        LineReader lines(bytes);
        QByteArrayView line;
        if (first) {
            if (!lines.next(line)) {
                out.noHeader = true;
                return;
            }
            out.lines = 1;
        }
        out.rows.reserve(static_cast<size_t>(bytes.size() / 40));
        while (true) {
            // Parsed in place: a row copied right after its fields were
            // written one by one waits for the stores to land.
            ReadingStore::RowCodes& c = out.rows.emplace_back();
            const char* p;
            qsizetype n, length;
            QByteArrayView value;
            if (shape_.valid() && lines.rest(p, n) &&
                shape_.read(p, n, stamps_, c, value, length)) {
                c.value = texts_.id(ByteInterner::keyOfPadded(value));
                lines.skip(length);
                ++out.lines;
                continue;
            }
            // A line that failed the shape part way is read from scratch.
            c = ReadingStore::RowCodes{};
            if (!lines.next(line)) {
                out.rows.pop_back();
                break;
            }
            ++out.lines;
            int count = 0;
            if (!parseLine(line, c, count, out.failure)) {
                out.rows.pop_back();
                shape_.forget();
                if (!out.failure.isEmpty())
                    return;
                continue;
            }
            shape_.learn(line, lines.lastEnd(), tokens_, count, c);
        }
        out.ended = lines.endedAtZero();
    }

    // False for a line without tokens, or with `why` set for a bad one.
    bool parseLine(QByteArrayView line, ReadingStore::RowCodes& c, int& count, QString& why)
    {
        const Tokenized result = tokenizePaddedLine(line, tokens_, kReadingFieldCount, count);
        if (result != Tokenized::Ok) {
            why = result == Tokenized::TooMany ? QStringLiteral("more than six tokens")
                                               : QStringLiteral("unclosed quote");
            return false;
        }
        if (count == 0)
            return false;
        constexpr int kValue = static_cast<int>(ReadingField::AValue);
        const bool plainValue = count > kValue && !texts_.undoubles(tokens_[kValue]);
        ByteInterner::Key valueKey;
        if (plainValue)
            valueKey = texts_.valueKey(tokens_[kValue]);
        if (!recordNumber(tokens_[0], c.no)) {
            why = QStringLiteral("no record number");
            return false;
        }
        c.rowState = kRowStateAdded;
        if (count < 2 || texts_.undoubles(tokens_[1]) || !stamps_.read(tokens_[1].raw, c))
            c.time = count < 2 ? texts_.empty() : texts_.id(tokens_[1]);
        quint32* ids[] = {&c.channel, &c.value, &c.unit, &c.judge};
        for (int t = 2; t < kReadingFieldCount; ++t)
            *ids[t - 2] = t == kValue && plainValue ? texts_.id(valueKey)
                          : t < count               ? texts_.id(t, tokens_[t])
                                                    : texts_.empty();
        return true;
    }

    TokenTexts texts_;
    StampReader stamps_;
    TextToken tokens_[kReadingFieldCount];
    TextLineShape shape_;
};

} // namespace

LoadOutcome readTextFile(QIODevice& in, FileProgress* progress, qsizetype blockBytes)
{
    if (progress)
        progress->total.store(in.isSequential() ? 0 : in.size(), std::memory_order_relaxed);
    InputBuffer input(in, progress);
    LoadOutcome out;
    out.staged.apply = StagedTable::Apply::Append;
    ReadingStore& rows = out.staged.rows;
    SharedPool pool(rows);
    std::optional<LoadOutcome> failure;
    bool header = false;
    qint64 linesBefore = 0;
    const auto merge = [&](TextBlock& block) {
        if (block.noHeader) {
            failure = LoadOutcome::failure(QStringLiteral("no header line"));
            return false;
        }
        header = true;
        if (!pool.append(block.rows.data(), block.rows.size())) {
            failure = LoadOutcome::failure(QStringLiteral("too many rows"));
            return false;
        }
        if (!block.failure.isEmpty()) {
            failure = LoadOutcome::failure(
                QStringLiteral("line %1: %2").arg(linesBefore + block.lines).arg(block.failure));
            return false;
        }
        linesBefore += block.lines;
        return !block.ended;
    };
    BlockReader<LineParser, TextBlock>::run(
        input, blockBytes, &afterLastLine, [&pool] { return std::make_unique<LineParser>(pool); },
        merge);
    if (failure)
        return std::move(*failure);
    if (input.cancelled()) {
        LoadOutcome c;
        c.cancelled = true;
        c.error = QStringLiteral("cancelled");
        return c;
    }
    if (input.failed())
        return LoadOutcome::failure(QStringLiteral("read error"));
    if (input.tooLong())
        return LoadOutcome::failure(QStringLiteral("line longer than 1 MB"));
    if (!header)
        return LoadOutcome::failure(QStringLiteral("no header line"));
    ChangeList added;
    added.appendAddedRun(1, rows.rowCount());
    rows.setChanges(std::move(added));
    out.ok = true;
    return out;
}
