#include "files/TextTokenizer.h"

#include "files/ByteMasks.h"
#include "files/CodePage.h"

QString TextToken::text() const
{
    if (!quoted || !raw.contains('"'))
        return codepage::decode(raw.data(), raw.size());
    QByteArray undoubled;
    undoubled.reserve(raw.size());
    for (qsizetype i = 0; i < raw.size(); ++i) {
        undoubled.append(raw[i]);
        if (raw[i] == '"')
            ++i; // the second of a doubled quote
    }
    return codepage::decode(undoubled.constData(), undoubled.size());
}

Tokenized tokenizeLine(QByteArrayView line, TextToken* tokens, int max, int& count)
{
    count = 0;
    const char* p = line.data();
    const qsizetype n = line.size();
    const auto separator = [](char c) {
        const auto b = static_cast<unsigned char>(c);
        return b >= 1 && b <= 32;
    };
    qsizetype i = 0;
    while (true) {
        while (i < n && separator(p[i]))
            ++i;
        if (i == n)
            return Tokenized::Ok;
        if (count == max)
            return Tokenized::TooMany;
        TextToken& token = tokens[count++];
        if (p[i] == '"') {
            const qsizetype start = ++i;
            while (true) {
                if (i == n)
                    return Tokenized::UnclosedQuote;
                if (p[i] == '"') {
                    if (i + 1 < n && p[i + 1] == '"') {
                        i += 2;
                        continue;
                    }
                    break;
                }
                ++i;
            }
            token.raw = line.sliced(start, i - start);
            token.quoted = true;
            ++i;
        } else {
            const qsizetype start = i;
            while (i < n && !separator(p[i]))
                ++i;
            token.raw = line.sliced(start, i - start);
            token.quoted = false;
        }
    }
}

Tokenized tokenizePaddedLine(QByteArrayView line, TextToken* tokens, int max, int& count)
{
    const qsizetype n = line.size();
    if (n > 63)
        return tokenizeLine(line, tokens, max, count);
    const char* p = line.data();
    const quint64 inLine = bytemask::first(n);
    if (bytemask::equal(p, '"') & inLine)
        return tokenizeLine(line, tokens, max, count);
    // Bytes 0..32 separate (a line holds no 0); past the line all separate,
    // so the last bit is a separator and every token has an end. Starts and
    // ends are taken from two masks, one bit each per token.
    const quint64 inToken = ~(bytemask::atMost(p, 32) | ~inLine);
    quint64 starts = inToken & ~(inToken << 1);
    quint64 ends = ~inToken & (inToken << 1);
    for (count = 0; starts; ++count) {
        if (count == max)
            return Tokenized::TooMany;
        const int start = bytemask::lowest(starts);
        tokens[count].raw = QByteArrayView(p + start, bytemask::lowest(ends) - start);
        tokens[count].quoted = false;
        starts &= starts - 1;
        ends &= ends - 1;
    }
    return Tokenized::Ok;
}
