#include "files/TextTokenizer.h"

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
