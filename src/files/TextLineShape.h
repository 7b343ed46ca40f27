#pragma once

#include "files/CountingText.h"
#include "files/StampReader.h"
#include "files/TextTokenizer.h"
#include "recording/ReadingStore.h"

#include <QByteArrayView>

// The bytes around the fields of the last line, so that the next line of a
// recording is read by comparing them instead of splitting it into tokens.
// Lines the program wrote repeat them exactly: the record number counts up,
// the stamp keeps its date, channel, unit and judgement change seldom; only
// the value's bytes are found anew.
//
// | piece       | from                       | to                           |
// |-------------|----------------------------|------------------------------|
// | number      | the line's start           | the stamp (record number and |
// |             |                            | the separators after it)     |
// | stamp       | 19 bytes, by StampReader   |                              |
// | middle      | the stamp's end            | the value (channel between)  |
// | value       | up to the first byte 0-32  |                              |
// | tail        | the value's end            | past the line's end (unit,   |
// |             |                            | judgement, CR LF, CR or LF)  |
//
// Each piece but the value is at most 16 bytes. A line that differs in any
// piece is read token by token, and teaches the shape of the next.
class TextLineShape {
public:
    // Learns from a line read token by token (end: its CR LF, CR or LF):
    // six plain tokens, a record number 0..2147483646 in plain digits and a
    // stamp read as seconds make a shape, any other line none.
    void learn(QByteArrayView line, QByteArrayView end, const TextToken* tokens, int count,
               const ReadingStore::RowCodes& c);
    void forget() { valid_ = false; }
    bool valid() const { return valid_; }

    // Reads a line shaped like the last at p (n bytes, 64 more readable):
    // sets its codes but the value's, whose bytes it gives, and its length
    // with its end. False when the line is not shaped so.
    bool read(const char* p, qsizetype n, StampReader& stamps, ReadingStore::RowCodes& c,
              QByteArrayView& value, qsizetype& length);

private:
    struct Piece {
        char bytes[16];
        int size = 0;
        bool set(const char* from, qsizetype size);
        bool at(const char* p) const { return bytemask::samePrefix16(p, bytes, size); }
    };
    bool valid_ = false;
    CountingText number_; // the next line's number and the separators after it
    Piece middle_, tail_;
    bool crOnly_ = false; // the end was a CR alone: a LF after it makes another end
    quint32 channel_ = 0, unit_ = 0, judge_ = 0;
};
