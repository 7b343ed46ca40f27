#pragma once

#include <QByteArrayView>
#include <QString>

// Tokens of one line of a text file. Bytes 1-32 separate tokens; a run of
// them counts once and those at the line's ends are ignored. A token that
// begins with '"' runs to the closing '"' and may hold separators; two '"'
// inside stand for one. The token ends at its closing quote.
struct TextToken {
    QByteArrayView raw; // between the quotes of a quoted token
    bool quoted = false;

    // The token's characters (code page of CodePage.h, quotes undone).
    QString text() const;
};

enum class Tokenized { Ok, TooMany, UnclosedQuote };

// Splits the line into at most `max` tokens; `count` is set to the number
// found. A line with more tokens than `max` gives TooMany.
Tokenized tokenizeLine(QByteArrayView line, TextToken* tokens, int max, int& count);
// The same for a line of which 64 bytes from its start may be read (see
// InputBuffer): a short line without quotes is split from bit masks.
Tokenized tokenizePaddedLine(QByteArrayView line, TextToken* tokens, int max, int& count);
