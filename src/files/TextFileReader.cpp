#include "files/TextFileReader.h"

#include "files/FileProgress.h"
#include "files/InputBuffer.h"
#include "files/TextTokenizer.h"

#include <QIODevice>

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
            while (i < n && p[i] != '\r' && p[i] != '\n' && p[i] != '\0')
                ++i;
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
    qint64 lineNo = 1;
    while (lines.next(line)) {
        ++lineNo;
        int count = 0;
        const Tokenized result = tokenizeLine(line, tokens, kReadingFieldCount, count);
        if (result != Tokenized::Ok)
            return LoadOutcome::failure(
                QStringLiteral("line %1: %2")
                    .arg(lineNo)
                    .arg(result == Tokenized::TooMany ? QStringLiteral("more than six tokens")
                                                      : QStringLiteral("unclosed quote")));
        if (count == 0)
            continue;
        ReadingRow row;
        row.no = recordNumber(tokens[0]);
        if (!row.no)
            return LoadOutcome::failure(QStringLiteral("line %1: no record number").arg(lineNo));
        QString* texts[] = {&row.time, &row.channel, &row.value, &row.unit, &row.judge};
        for (int t = 1; t < count; ++t)
            *texts[t - 1] = tokens[t].text();
        if (out.staged.rows.rowCount() == std::numeric_limits<int>::max())
            return LoadOutcome::failure(QStringLiteral("too many rows"));
        out.staged.rows.appendRow(row);
    }
    if (auto failure = readFailure())
        return std::move(*failure);
    out.ok = true;
    return out;
}
