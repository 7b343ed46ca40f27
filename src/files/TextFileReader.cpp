#include "files/TextFileReader.h"

#include "files/ByteInterner.h"
#include "files/ByteMasks.h"
#include "files/CodePage.h"
#include "files/FileProgress.h"
#include "files/InputBuffer.h"
#include "files/StampReader.h"
#include "files/TextTokenizer.h"

#include "recording/TimeStampFormat.h"

#include <QIODevice>

#include <algorithm>
#include <cstring>
#include <limits>
#include <optional>

namespace {

std::optional<qint32> recordNumber(const TextToken& token)
{
    const QByteArrayView raw = token.raw;
    qsizetype i = 0;
    bool negative = false;
    if (i < raw.size() && (raw[i] == '+' || raw[i] == '-'))
        negative = raw[i++] == '-';
    if (i == raw.size())
        return std::nullopt;
    qint64 value = 0;
    for (; i < raw.size(); ++i) {
        if (raw[i] < '0' || raw[i] > '9')
            return std::nullopt;
        value = value * 10 + (raw[i] - '0');
        if (value > qint64(std::numeric_limits<qint32>::max()) + 1)
            return std::nullopt;
    }
    value = negative ? -value : value;
    if (value > std::numeric_limits<qint32>::max())
        return std::nullopt;
    return static_cast<qint32>(value);
}

// Tokens become pool ids of the staged store: through the byte cache when
// their bytes stand for their text as they are, decoded otherwise.
class TokenTexts {
public:
    explicit TokenTexts(ReadingStore& rows) : rows_(rows) {}

    // A quoted token with doubled quotes inside: its text is not its bytes.
    static bool undoubles(const TextToken& token)
    {
        return token.quoted && token.raw.contains('"');
    }

    // Channel, unit and judgement mostly repeat the line before.
    quint32 id(int column, const TextToken& token)
    {
        if (undoubles(token))
            return rows_.internText(token.text());
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
        cache_.prefetch(key);
        return key;
    }

    quint32 id(const TextToken& token)
    {
        if (undoubles(token))
            return rows_.internText(token.text());
        return id(ByteInterner::keyOfPadded(token.raw));
    }

    // Quoted or not, the same bytes stand for the same text once the
    // doubled quotes are out of the way.
    quint32 id(const ByteInterner::Key& key)
    {
        quint32 id = cache_.find(key);
        if (id == ByteInterner::kMissing) {
            id = rows_.internText(codepage::decode(key.bytes.data(), key.bytes.size()));
            cache_.insert(key, id);
        }
        return id;
    }
    quint32 empty()
    {
        if (empty_ == ByteInterner::kMissing)
            empty_ = rows_.internText(QString());
        return empty_;
    }

private:
    // Up to 16 bytes, as the words of their key.
    struct Recent {
        quint64 word[2] = {0, 0};
        qsizetype size = 0;
        quint32 id = ByteInterner::kMissing;
    };
    ReadingStore& rows_;
    ByteInterner cache_;
    Recent recent_[kReadingFieldCount];
    quint32 empty_ = ByteInterner::kMissing;
};

class LineReader {
public:
    LineReader(QIODevice& in, FileProgress* progress) : input_(in, progress) {}

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
                    ended_ = true;
                    return i > 0;
                }
                const bool crlf = input_.data()[i] == '\r' && i + 1 < input_.size() &&
                                  input_.data()[i + 1] == '\n';
                pendingConsume_ = i + (crlf ? 2 : 1);
                return true;
            }
            scanned = n;
            if (!input_.more()) {
                ended_ = true;
                if (input_.failed() || input_.tooLong() || input_.cancelled() || n == 0)
                    return false;
                line = QByteArrayView(input_.data(), n);
                return true;
            }
        }
    }

    const InputBuffer& input() const { return input_; }

private:
    InputBuffer input_;
    qsizetype pendingConsume_ = 0;
    bool ended_ = false;
};

} // namespace

LoadOutcome readTextFile(QIODevice& in, FileProgress* progress)
{
    if (progress)
        progress->total.store(in.isSequential() ? 0 : in.size(), std::memory_order_relaxed);
    LineReader lines(in, progress);
    LoadOutcome out;
    out.staged.apply = StagedTable::Apply::Append;
    QByteArrayView line;
    const auto readFailure = [&lines]() -> std::optional<LoadOutcome> {
        const InputBuffer& input = lines.input();
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
        return std::nullopt;
    };
    if (!lines.next(line)) {
        if (auto failure = readFailure())
            return std::move(*failure);
        return LoadOutcome::failure(QStringLiteral("no header line"));
    }
    TextToken tokens[kReadingFieldCount];
    ReadingStore& rows = out.staged.rows;
    TokenTexts texts(rows);
    StampReader stamps;
    qint64 lineNo = 1;
    while (lines.next(line)) {
        ++lineNo;
        int count = 0;
        const Tokenized result = tokenizePaddedLine(line, tokens, kReadingFieldCount, count);
        if (result != Tokenized::Ok)
            return LoadOutcome::failure(QStringLiteral("line %1: %2")
                                            .arg(lineNo)
                                            .arg(result == Tokenized::TooMany
                                                     ? QStringLiteral("more than six tokens")
                                                     : QStringLiteral("unclosed quote")));
        if (count == 0)
            continue;
        constexpr int kValue = static_cast<int>(ReadingField::AValue);
        const bool plainValue = count > kValue && !texts.undoubles(tokens[kValue]);
        ByteInterner::Key valueKey;
        if (plainValue)
            valueKey = texts.valueKey(tokens[kValue]);
        ReadingStore::RowCodes c;
        const auto no = recordNumber(tokens[0]);
        if (!no)
            return LoadOutcome::failure(QStringLiteral("line %1: no record number").arg(lineNo));
        c.no = *no;
        c.rowState = kRowStateAdded;
        if (count < 2 || texts.undoubles(tokens[1]) || !stamps.read(tokens[1].raw, c))
            c.time = count < 2 ? texts.empty() : texts.id(tokens[1]);
        quint32* ids[] = {&c.channel, &c.value, &c.unit, &c.judge};
        for (int t = 2; t < kReadingFieldCount; ++t)
            *ids[t - 2] = t == kValue && plainValue ? texts.id(valueKey)
                          : t < count               ? texts.id(t, tokens[t])
                                                    : texts.empty();
        if (rows.rowCount() == std::numeric_limits<int>::max())
            return LoadOutcome::failure(QStringLiteral("too many rows"));
        rows.appendCodes(c);
    }
    {
        ChangeList added;
        added.appendAddedRun(1, rows.rowCount());
        rows.setChanges(std::move(added));
    }
    if (auto failure = readFailure())
        return std::move(*failure);
    out.ok = true;
    return out;
}
