#include "files/XmlPacketReader.h"

#include "files/BlockReader.h"
#include "files/BlockTexts.h"
#include "files/ByteInterner.h"
#include "files/ByteMasks.h"
#include "files/CountingText.h"
#include "files/FileProgress.h"
#include "files/InputBuffer.h"
#include "files/SharedPool.h"
#include "files/StampReader.h"
#include "files/XmlReferences.h"
#include "files/XmlTagReader.h"

#include "recording/TimeStampFormat.h"

#include <QIODevice>

#include <algorithm>
#include <array>
#include <cstring>
#include <limits>
#include <optional>
#include <vector>

namespace {

constexpr qint64 kMaxNumber = std::numeric_limits<qint32>::max();

// Why a read stopped; BadUtf8 makes a declared-UTF-8 file be read again.
enum class Stop { None, Malformed, BadUtf8, Input };

using Tag = XmlTag;
using Attribute = XmlAttribute;

bool isBlank(char c)
{
    return XmlTagReader::isBlank(c);
}

bool isNameChar(char c)
{
    return XmlTagReader::isNameChar(c);
}

// Decimal digits with an optional '-' (allowSign), within min..max.
char16_t unitOf(QChar c)
{
    return c.unicode();
}

char16_t unitOf(char c)
{
    return static_cast<unsigned char>(c); // bytes of 0x80 and above are no digits either way
}

template <typename Text>
std::optional<qint64> decimal(Text text, bool allowSign, qint64 min, qint64 max)
{
    qsizetype i = 0;
    bool negative = false;
    if (allowSign && i < text.size() && unitOf(text[i]) == u'-') {
        negative = true;
        ++i;
    }
    if (i == text.size())
        return std::nullopt;
    qint64 value = 0;
    for (; i < text.size(); ++i) {
        const char16_t c = unitOf(text[i]);
        if (c < u'0' || c > u'9')
            return std::nullopt;
        value = value * 10 + (c - u'0');
        if (value > max + 1)
            return std::nullopt;
    }
    value = negative ? -value : value;
    if (value < min || value > max)
        return std::nullopt;
    return value;
}

// A packet field's attrname, its word (XmlTagReader::nameWord) and the
// table field it fills (-1: none).
struct PacketField {
    QByteArray name;
    quint64 word = 0;
    int column = -1;
};

bool sameName(const PacketField& field, const XmlAttribute& a)
{
    return field.word == a.nameWord &&
           (a.name.size() <= 8 ||
            (field.name.size() == a.name.size() &&
             std::memcmp(field.name.data(), a.name.data(), size_t(a.name.size())) == 0));
}

// A recorded table logs its rows as "n 0 4" with n counting up by one: the
// next such triple is known by comparing the bytes with its text, and only
// other triples need their digits summed.
class AddedRunText {
public:
    void restart(qint64 first) { text_.restart(first, " 0 4"); }
    // Whether the bytes start with the next triple, ended by a blank or the
    // closing quote (which must be among the bytes); 16 bytes may be read
    // at p (InputBuffer's padding).
    bool matches(const char* p, qsizetype n, char quote) const
    {
        const int length = text_.size();
        return n > length && text_.matches(p) && (p[length] == ' ' || p[length] == quote);
    }
    qint64 next() const { return text_.number(); }
    int size() const { return text_.size(); }
    void step() { text_.step(); }

private:
    CountingText text_;
};

// A value's text by the references of XmlReferences.h; why says what failed.
Stop decodeValue(QByteArrayView raw, bool utf8, QString& out, QString& why)
{
    switch (xmlref::decode(raw, utf8, out)) {
    case xmlref::Decoded::Ok: return Stop::None;
    case xmlref::Decoded::BadUtf8:
        why = QStringLiteral("invalid UTF-8");
        return Stop::BadUtf8;
    case xmlref::Decoded::BadReference: break;
    }
    if (why.isEmpty())
        why = QStringLiteral("bad reference");
    return Stop::Malformed;
}

// Where a block of whole tags ends: before the last '<' read (a value
// holds no '<', so every tag before it is whole); when the only '<' is the
// first byte, after the bytes read if its tag has ended (then only what
// lies between tags follows, blanks in a packet).
qsizetype beforeLastTag(const char* p, qsizetype n, bool atEnd)
{
    if (atEnd)
        return n;
    const auto* last = static_cast<const char*>(memrchr(p + 1, '<', static_cast<size_t>(n - 1)));
    if (last)
        return last - p;
    if (p[0] != '<')
        return n;
    char quote = 0;
    for (qsizetype i = 1; i < n; ++i) {
        if (quote)
            quote = p[i] == quote ? 0 : quote;
        else if (p[i] == '"' || p[i] == '\'')
            quote = p[i];
        else if (p[i] == '>')
            return n;
    }
    return 0;
}

// The rows of one block of ROW elements, and how the block ended.
struct RowBlock {
    enum class End {
        Rows,   // every tag a ROW
        Closed, // ROWDATA closed; DATAPACKET too when packetClosed
        Other,  // the first tag is neither: its bytes on are in rest
        Failed, // stop and why tell
    };
    std::vector<ReadingStore::RowCodes, mapped::HugePageAllocator<ReadingStore::RowCodes>> rows;
    End end = End::Rows;
    bool packetClosed = false;
    QByteArray rest;
    Stop stop = Stop::None;
    QString why;
};

// Reads ROW elements into row codes, with the texts interned in the shared
// pool: one per worker, knowing the packet's fields.
class RowParser {
public:
    RowParser(SharedPool& pool, std::vector<PacketField> fields, bool utf8)
        : pool_(pool), fields_(std::move(fields)), utf8_(utf8), texts_(pool)
    {
    }

    // Reads the block, then gives its rows the pool ids of the texts met
    // first in it.
    void parse(InputBuffer& bytes, bool /*first*/, RowBlock& out)
    {
        read(bytes, out);
        texts_.resolve(out.rows);
        for (Recent& recent : recent_)
            recent = Recent{};
    }
    Stop readRow(const Tag& tag, ReadingStore::RowCodes& c);
    const QString& why() const { return why_; }

private:
    void read(InputBuffer& bytes, RowBlock& out);
    Stop fail(const QString& why)
    {
        if (why_.isEmpty())
            why_ = why;
        return Stop::Malformed;
    }
    Stop decode(QByteArrayView raw, QString& out) { return decodeValue(raw, utf8_, out, why_); }
    bool number(const Attribute& a, bool allowSign, qint64 min, qint64& value, Stop& stop);
    Stop textId(const ByteInterner::Key& key, quint32& id);
    Stop textId(int column, QByteArrayView raw, quint32& id);
    int columnOf(size_t k, const Attribute& a);
    static constexpr int kRowStateColumn = -2;

    SharedPool& pool_;
    std::vector<PacketField> fields_;
    bool utf8_;
    QString why_;
    QString scratch_;
    BlockTexts texts_; // raw attribute bytes -> pool id
    quint32 emptyId_ = ByteInterner::kMissing;
    std::array<size_t, 8> fieldGuess_{};
    std::vector<int> columns_; // of the row being read: its attributes' fields
    StampReader stamps_;
    Tag tag_;
    // Up to 16 bytes, as the words of their key.
    struct Recent {
        quint64 word[2] = {0, 0};
        qsizetype size = 0;
        quint32 id = ByteInterner::kMissing;
    };
    Recent recent_[kReadingFieldCount];
};

// What follows </ROWDATA>: </DATAPACKET>, then only blanks, read to the end
// of the input. packetClosed: whether </DATAPACKET> came (before too).
Stop readTail(XmlTagReader& tags, InputBuffer& input, bool& packetClosed, QString& why)
{
    const auto stopOf = [&](XmlTagReader::Result result) {
        if (result == XmlTagReader::Result::Input)
            return Stop::Input;
        why = tags.why();
        return Stop::Malformed;
    };
    while (true) {
        if (const auto r = tags.skipBlanks(); r != XmlTagReader::Result::Ok)
            return stopOf(r);
        if (input.size() == 0)
            return Stop::None;
        if (packetClosed) {
            why = QStringLiteral("content after the packet");
            return Stop::Malformed;
        }
        Tag tag;
        if (const auto r = tags.next(tag); r != XmlTagReader::Result::Ok)
            return stopOf(r);
        if (tag.kind != Tag::Close || tag.name != "DATAPACKET") {
            why = QStringLiteral("expected DATAPACKET");
            return Stop::Malformed;
        }
        packetClosed = true;
    }
}

void RowParser::read(InputBuffer& bytes, RowBlock& out)
{
    out.rows.clear();
    out.end = RowBlock::End::Rows;
    out.packetClosed = false;
    out.rest.clear();
    out.stop = Stop::None;
    why_.clear();
    const auto failed = [&](Stop stop, const QString& why) {
        out.end = RowBlock::End::Failed;
        out.stop = stop;
        out.why = why;
    };
    XmlTagReader tags(bytes);
    for (bool firstTag = true;; firstTag = false) {
        if (tags.skipBlanks() != XmlTagReader::Result::Ok)
            return failed(Stop::Malformed, tags.why());
        if (bytes.size() == 0)
            return;
        const char* at = bytes.data();
        const qsizetype left = bytes.size();
        if (tags.next(tag_) != XmlTagReader::Result::Ok)
            return failed(Stop::Malformed, tags.why());
        if (tag_.kind == Tag::Empty && tag_.name == "ROW") {
            if (const Stop s = readRow(tag_, out.rows.emplace_back()); s != Stop::None) {
                out.rows.pop_back();
                return failed(s, why_);
            }
            continue;
        }
        if (tag_.kind == Tag::Close && tag_.name == "ROWDATA") {
            out.end = RowBlock::End::Closed;
            QString why;
            if (const Stop s = readTail(tags, bytes, out.packetClosed, why); s != Stop::None)
                failed(s, why);
            return;
        }
        if (!firstTag)
            return failed(Stop::Malformed, QStringLiteral("expected ROW"));
        // After </ROWDATA> in a block before, this may be right: the merge decides.
        out.end = RowBlock::End::Other;
        out.rest.reserve(left + InputBuffer::kPadding);
        out.rest.append(at, left);
        return;
    }
}

class PacketParser {
public:
    // bytesOnly: a declared UTF-8 is not honoured (the file proved not to be).
    PacketParser(QIODevice& in, FileProgress* progress, bool bytesOnly, qsizetype blockBytes)
        : input_(in, progress), tags_(input_), bytesOnly_(bytesOnly), blockBytes_(blockBytes)
    {
    }

    Stop parse(StagedTable& staged, bool& declaredUtf8, bool& byteOrderMark);
    const InputBuffer& input() const { return input_; }
    const QString& why() const { return why_; }

private:
    Stop fail(const QString& why)
    {
        if (why_.isEmpty())
            why_ = why;
        return Stop::Malformed;
    }
    Stop inputStop()
    {
        why_ = QStringLiteral("read stopped");
        return Stop::Input;
    }
    Stop stop(XmlTagReader::Result result)
    {
        switch (result) {
        case XmlTagReader::Result::Ok: return Stop::None;
        case XmlTagReader::Result::Input: return inputStop();
        case XmlTagReader::Result::Malformed: break;
        }
        return fail(tags_.why());
    }
    bool ensure(qsizetype n)
    {
        while (input_.size() < n)
            if (!input_.more())
                return false;
        return true;
    }
    Stop skipBlanks();
    Stop nextTag(Tag& tag);
    Stop expect(Tag::Kind kind, const char* name, Tag& tag);
    Stop decode(QByteArrayView raw, QString& out);
    Stop readFields(Tag& tag);
    Stop readParams(ChangeList& changes);
    Stop readRows(ReadingStore& rows);

    InputBuffer input_;
    XmlTagReader tags_;
    bool bytesOnly_;
    qsizetype blockBytes_; // of the rows, read on two cores
    bool utf8_ = false;
    QString why_;
    std::vector<PacketField> fields_;
    QString scratch_;
};

Stop PacketParser::skipBlanks()
{
    return stop(tags_.skipBlanks());
}

Stop PacketParser::nextTag(Tag& tag)
{
    return stop(tags_.next(tag));
}

Stop PacketParser::expect(Tag::Kind kind, const char* name, Tag& tag)
{
    if (Stop s = nextTag(tag); s != Stop::None)
        return s;
    if (tag.kind != kind || tag.name != QByteArrayView(name))
        return fail(QStringLiteral("expected %1").arg(QLatin1String(name)));
    return Stop::None;
}

Stop PacketParser::decode(QByteArrayView raw, QString& out)
{
    return decodeValue(raw, utf8_, out, why_);
}

Stop PacketParser::readFields(Tag& tag)
{
    std::array<bool, kReadingFieldCount> found{};
    while (true) {
        if (Stop s = nextTag(tag); s != Stop::None)
            return s;
        if (tag.kind == Tag::Close && tag.name == "FIELDS")
            break;
        if (tag.kind != Tag::Empty || tag.name != "FIELD")
            return fail(QStringLiteral("expected FIELD"));
        QString name, type;
        bool hasName = false;
        for (const Attribute& a : tag.attributes) {
            if (a.name == "attrname") {
                hasName = true;
                if (Stop s = decode(a.value, name); s != Stop::None)
                    return s;
            } else if (a.name == "fieldtype") {
                if (Stop s = decode(a.value, type); s != Stop::None)
                    return s;
            } else if (Stop s = decode(a.value, scratch_); s != Stop::None) {
                return s;
            }
        }
        if (!hasName || name.isEmpty())
            return fail(QStringLiteral("FIELD without attrname"));
        const auto field = readingFieldByName(name);
        int column = -1;
        if (field) {
            column = static_cast<int>(*field);
            if (found[column])
                return fail(QStringLiteral("field %1 given twice").arg(name));
            found[column] = true;
            static const char* const kIntegers[] = {"i1", "i2", "i4", "i8", "ui1", "ui2", "ui4"};
            bool typeOk = false;
            if (*field == ReadingField::ANo) {
                for (const char* t : kIntegers)
                    typeOk = typeOk || type == QLatin1String(t);
            } else {
                typeOk = type == QLatin1String("string.uni");
            }
            if (!typeOk)
                return fail(QStringLiteral("field %1 has type %2").arg(name, type));
        }
        const QByteArray utf8 = name.toUtf8();
        for (const auto& known : fields_)
            if (known.name == utf8)
                return fail(QStringLiteral("FIELD %1 given twice").arg(name));
        fields_.push_back({utf8, XmlTagReader::nameWord(utf8), column});
    }
    for (int f = 0; f < kReadingFieldCount; ++f)
        if (!found[f])
            return fail(QStringLiteral("no FIELD for %1")
                            .arg(readingFieldName(static_cast<ReadingField>(f))));
    return Stop::None;
}

// PARAMS is read byte by byte: its CHANGE_LOG holds three numbers per row
// and may be far longer than any other element.
Stop PacketParser::readParams(ChangeList& changes)
{
    // Called with the buffer at "<PARAMS".
    input_.consume(7);
    while (true) {
        if (!ensure(1))
            return input_.atEnd() ? fail(QStringLiteral("unfinished PARAMS")) : inputStop();
        char c = input_.data()[0];
        if (isBlank(c)) {
            input_.consume(1);
            continue;
        }
        if (c == '>' || c == '/') {
            const bool empty = c == '/';
            if (empty && (!ensure(2) || input_.data()[1] != '>'))
                return fail(QStringLiteral("bad PARAMS"));
            input_.consume(empty ? 2 : 1);
            if (!empty) {
                Tag close;
                if (Stop s = expect(Tag::Close, "PARAMS", close); s != Stop::None)
                    return s;
            }
            return Stop::None;
        }
        QByteArray name;
        while (ensure(1) && isNameChar(input_.data()[0])) {
            name.append(input_.data()[0]);
            input_.consume(1);
            if (name.size() > 256)
                return fail(QStringLiteral("bad PARAMS"));
        }
        while (ensure(1) && isBlank(input_.data()[0]))
            input_.consume(1);
        if (name.isEmpty() || !ensure(1) || input_.data()[0] != '=')
            return fail(QStringLiteral("bad PARAMS attribute"));
        input_.consume(1);
        while (ensure(1) && isBlank(input_.data()[0]))
            input_.consume(1);
        if (!ensure(1) || (input_.data()[0] != '"' && input_.data()[0] != '\''))
            return fail(QStringLiteral("bad PARAMS attribute"));
        const char quote = input_.data()[0];
        input_.consume(1);
        if (name == "CHANGE_LOG") {
            // Decimal numbers and blanks only, so no references to undo.
            std::array<qint64, 3> triple{};
            int inTriple = 0;
            qint64 number = -1;
            bool hadLog = !changes.isEmpty();
            if (hadLog)
                return fail(QStringLiteral("CHANGE_LOG given twice"));
            AddedRunText added;
            // A run of such triples goes into the list at once when it ends.
            qint64 runFirst = 0, runCount = 0;
            const auto endRun = [&] {
                changes.appendAddedRun(runFirst, runCount);
                runCount = 0;
            };
            // Digits straight from the buffer, consumed a buffer at a time.
            bool closed = false;
            while (!closed) {
                if (!ensure(1))
                    return input_.atEnd() ? fail(QStringLiteral("unfinished CHANGE_LOG"))
                                          : inputStop();
                const char* p = input_.data();
                const qsizetype n = input_.size();
                qsizetype i = 0;
                while (i < n) {
                    if (inTriple == 0 && number < 0 && added.matches(p + i, n - i, quote)) {
                        if (runCount++ == 0)
                            runFirst = added.next();
                        i += added.size();
                        added.step();
                        continue;
                    }
                    auto digit = static_cast<unsigned>(static_cast<unsigned char>(p[i]) - '0');
                    if (digit <= 9) {
                        // A run of digits; a number cut by the buffer's end goes on in
                        // the next one.
                        qint64 value = number < 0 ? 0 : number;
                        do {
                            value = value * 10 + digit;
                            if (value > kMaxNumber)
                                return fail(QStringLiteral("CHANGE_LOG number out of range"));
                        } while (++i < n && (digit = static_cast<unsigned>(
                                                 static_cast<unsigned char>(p[i]) - '0')) <= 9);
                        number = value;
                        if (i == n)
                            break;
                    }
                    const char d = p[i++];
                    if (number >= 0) {
                        triple[inTriple++] = number;
                        number = -1;
                        if (inTriple == 3) {
                            endRun();
                            changes.append({triple[0], triple[1], triple[2]});
                            if (triple[1] == 0 && triple[2] == 4 && triple[0] < kMaxNumber)
                                added.restart(triple[0] + 1);
                            inTriple = 0;
                        }
                    }
                    if (d == quote) {
                        closed = true;
                        break;
                    }
                    if (d != ' ')
                        return fail(QStringLiteral("CHANGE_LOG holds other than numbers"));
                }
                input_.consume(i);
            }
            endRun();
            if (inTriple != 0)
                return fail(QStringLiteral("CHANGE_LOG is not a list of triples"));
        } else {
            QByteArray value;
            while (true) {
                if (!ensure(1))
                    return input_.atEnd() ? fail(QStringLiteral("unfinished PARAMS")) : inputStop();
                const char d = input_.data()[0];
                input_.consume(1);
                if (d == quote)
                    break;
                if (value.size() >= (1 << 20))
                    return fail(QStringLiteral("PARAMS attribute too long"));
                value.append(d);
            }
            if (Stop s = decode(value, scratch_); s != Stop::None)
                return s;
        }
        if (!ensure(1))
            return fail(QStringLiteral("unfinished PARAMS"));
        const char after = input_.data()[0];
        if (!isBlank(after) && after != '/' && after != '>')
            return fail(QStringLiteral("bad PARAMS attribute list"));
    }
}

// A number straight from its bytes when it holds no reference. Given as a
// flag and an out value, not as an optional: an optional built from a flag
// byte is read back whole before that byte's store has landed.
bool RowParser::number(const Attribute& a, bool allowSign, qint64 min, qint64& value, Stop& stop)
{
    stop = Stop::None;
    const QByteArrayView raw = a.value;
    std::optional<qint64> slow;
    if (!a.hasReference) {
        // Up to nine digits cannot leave the range while they are summed.
        const qsizetype sign = allowSign && !raw.isEmpty() && raw[0] == '-' ? 1 : 0;
        const qsizetype digits = raw.size() - sign;
        if (digits > 0 && digits <= 9) {
            value = 0;
            for (qsizetype i = sign; i < raw.size(); ++i) {
                const unsigned digit = static_cast<unsigned char>(raw[i]) - unsigned('0');
                if (digit > 9)
                    return false;
                value = value * 10 + digit;
            }
            value = sign ? -value : value;
            return value >= min;
        }
        slow = decimal(raw, allowSign, min, kMaxNumber);
    } else {
        if ((stop = decode(raw, scratch_)) != Stop::None)
            return false;
        slow = decimal(QStringView(scratch_), allowSign, min, kMaxNumber);
    }
    value = slow.value_or(0);
    return slow.has_value();
}

Stop RowParser::textId(int column, QByteArrayView raw, quint32& id)
{
    const ByteInterner::Key key = ByteInterner::keyOfPadded(raw);
    // Channel, unit and judgement mostly repeat the row before.
    if (column == static_cast<int>(ReadingField::AValue))
        return textId(key, id);
    Recent& recent = recent_[column];
    if (recent.id != ByteInterner::kMissing && recent.size == raw.size() &&
        recent.word[0] == key.word[0] && recent.word[1] == key.word[1]) {
        id = recent.id;
        return Stop::None;
    }
    if (Stop s = textId(key, id); s != Stop::None)
        return s;
    if (raw.size() <= 16)
        recent = {{key.word[0], key.word[1]}, raw.size(), id};
    return Stop::None;
}

Stop RowParser::textId(const ByteInterner::Key& key, quint32& id)
{
    Stop stop = Stop::None;
    const quint32 found = texts_.id(key, [&]() -> std::optional<QString> {
        QString text;
        stop = decode(key.bytes, text);
        return stop == Stop::None ? std::optional(std::move(text)) : std::nullopt;
    });
    if (found == ByteInterner::kMissing)
        return stop;
    id = found;
    return Stop::None;
}

// Rows list their fields in the same order: the field that came at this
// place last time is tried first.
int RowParser::columnOf(size_t k, const Attribute& a)
{
    size_t& guess = fieldGuess_[std::min<size_t>(k, fieldGuess_.size() - 1)];
    if (guess < fields_.size() && sameName(fields_[guess], a))
        return fields_[guess].column;
    for (size_t f = 0; f < fields_.size(); ++f)
        if (sameName(fields_[f], a)) {
            guess = f;
            return fields_[f].column;
        }
    return -1;
}

Stop RowParser::readRow(const Tag& tag, ReadingStore::RowCodes& c)
{
    if (emptyId_ == ByteInterner::kMissing)
        emptyId_ = pool_.intern(QString());
    c.hasNo = false;
    c.time = c.channel = c.value = c.unit = c.judge = emptyId_;
    quint32* ids[kReadingFieldCount] = {nullptr, &c.time, &c.channel, &c.value, &c.unit, &c.judge};
    // The fields first, so that the value's slot in the byte cache is on its
    // way from memory while the other attributes are read.
    static const quint64 kRowState = XmlTagReader::nameWord("RowState");
    constexpr int kValue = static_cast<int>(ReadingField::AValue);
    columns_.resize(tag.attributes.size());
    ByteInterner::Key valueKey;
    for (size_t k = 0; k < tag.attributes.size(); ++k) {
        const Attribute& a = tag.attributes[k];
        columns_[k] = a.nameWord == kRowState ? kRowStateColumn : columnOf(k, a);
        if (columns_[k] == kValue) {
            valueKey = ByteInterner::keyOfPadded(a.value);
            texts_.prefetch(valueKey);
        }
    }
    for (size_t k = 0; k < tag.attributes.size(); ++k) {
        const Attribute& a = tag.attributes[k];
        const int column = columns_[k];
        if (column == kRowStateColumn) {
            Stop stop;
            qint64 state;
            const bool isNumber = number(a, false, 0, state, stop);
            if (stop != Stop::None)
                return stop;
            if (!isNumber)
                return fail(QStringLiteral("bad RowState"));
            c.rowState = static_cast<qint32>(state);
            continue;
        }
        if (column == static_cast<int>(ReadingField::ANo)) {
            Stop stop;
            qint64 no;
            const bool isNumber = number(a, true, std::numeric_limits<qint32>::min(), no, stop);
            if (stop != Stop::None)
                return stop;
            if (!isNumber)
                return fail(QStringLiteral("bad ANo"));
            c.no = static_cast<qint32>(no);
            c.hasNo = true;
        } else if (column == static_cast<int>(ReadingField::ATime) && a.value.size() == 19 &&
                   !a.hasReference && stamps_.read(a.value, c)) {
            continue;
        } else if (column == kValue) {
            if (Stop s = textId(valueKey, c.value); s != Stop::None)
                return s;
        } else if (column > 0) {
            if (Stop s = textId(column, a.value, *ids[column]); s != Stop::None)
                return s;
            if (column == static_cast<int>(ReadingField::ATime))
                c.timeIsText = true;
        } else if (Stop s = decode(a.value, scratch_); s != Stop::None) {
            return s; // an attribute the table has no field for: checked, then dropped
        }
    }
    return Stop::None;
}

Stop PacketParser::parse(StagedTable& staged, bool& declaredUtf8, bool& byteOrderMark)
{
    staged.apply = StagedTable::Apply::Replace;
    ReadingStore& rows = staged.rows;
    ensure(3);
    byteOrderMark = input_.size() >= 3 && QByteArrayView(input_.data(), 3) == "\xEF\xBB\xBF";
    if (byteOrderMark)
        input_.consume(3);
    if (!ensure(1) || input_.data()[0] != '<')
        return input_.failed() || input_.cancelled() ? inputStop()
                                                     : fail(QStringLiteral("no '<' at the start"));
    Tag tag;
    if (Stop s = nextTag(tag); s != Stop::None)
        return s;
    if (tag.kind == Tag::Declaration) {
        if (tag.name != "xml")
            return fail(QStringLiteral("bad declaration"));
        for (const Attribute& a : tag.attributes)
            if (a.name == "encoding")
                declaredUtf8 = a.value.compare("UTF-8", Qt::CaseInsensitive) == 0;
        if (Stop s = nextTag(tag); s != Stop::None)
            return s;
    }
    utf8_ = byteOrderMark || (declaredUtf8 && !bytesOnly_);
    if (tag.kind != Tag::Open || tag.name != "DATAPACKET")
        return fail(QStringLiteral("expected DATAPACKET"));
    for (const Attribute& a : tag.attributes)
        if (Stop s = decode(a.value, scratch_); s != Stop::None)
            return s;
    if (Stop s = expect(Tag::Open, "METADATA", tag); s != Stop::None)
        return s;
    if (Stop s = expect(Tag::Open, "FIELDS", tag); s != Stop::None)
        return s;
    if (Stop s = readFields(tag); s != Stop::None)
        return s;
    ChangeList changes;
    if (Stop s = skipBlanks(); s != Stop::None)
        return s;
    if (ensure(8) && QByteArrayView(input_.data(), 7) == "<PARAMS" &&
        (isBlank(input_.data()[7]) || input_.data()[7] == '/' || input_.data()[7] == '>')) {
        if (Stop s = readParams(changes); s != Stop::None)
            return s;
    }
    if (Stop s = expect(Tag::Close, "METADATA", tag); s != Stop::None)
        return s;
    if (Stop s = nextTag(tag); s != Stop::None)
        return s;
    if (tag.name != "ROWDATA" || (tag.kind != Tag::Open && tag.kind != Tag::Empty))
        return fail(QStringLiteral("expected ROWDATA"));
    if (tag.kind == Tag::Open) {
        if (Stop s = readRows(rows); s != Stop::None)
            return s;
    } else {
        bool packetClosed = false;
        QString why;
        if (Stop s = readTail(tags_, input_, packetClosed, why); s != Stop::None)
            return s == Stop::Input ? inputStop() : fail(why);
        if (!packetClosed)
            return fail(QStringLiteral("expected DATAPACKET"));
    }
    rows.setChanges(std::move(changes));
    return Stop::None;
}

// The rows, then the end of the packet, read in blocks on two cores.
Stop PacketParser::readRows(ReadingStore& rows)
{
    enum class After { Rows, RowData, Packet } after = After::Rows;
    SharedPool pool(rows);
    Stop failure = Stop::None;
    const auto fails = [&](Stop stop, const QString& why) {
        failure = stop;
        if (why_.isEmpty())
            why_ = why;
        return false;
    };
    const auto merge = [&](RowBlock& block) {
        if (block.end == RowBlock::End::Failed)
            return fails(block.stop, block.why);
        if (after != After::Rows) {
            if (!block.rows.empty() || block.end == RowBlock::End::Closed)
                return fails(Stop::Malformed, QStringLiteral("content after ROWDATA"));
            if (block.end == RowBlock::End::Other) {
                InputBuffer rest(block.rest.constData(), block.rest.size());
                XmlTagReader tags(rest);
                bool packetClosed = after == After::Packet;
                QString why;
                if (Stop s = readTail(tags, rest, packetClosed, why); s != Stop::None)
                    return fails(s, why);
                after = packetClosed ? After::Packet : After::RowData;
            }
            return true;
        }
        if (!pool.append(block.rows.data(), block.rows.size()))
            return fails(Stop::Malformed, QStringLiteral("too many rows"));
        if (block.end == RowBlock::End::Other)
            return fails(Stop::Malformed, QStringLiteral("expected ROW"));
        if (block.end == RowBlock::End::Closed)
            after = block.packetClosed ? After::Packet : After::RowData;
        return true;
    };
    BlockReader<RowParser, RowBlock>::run(
        input_, blockBytes_, &beforeLastTag,
        [&] { return std::make_unique<RowParser>(pool, fields_, utf8_); }, merge);
    if (failure != Stop::None)
        return failure;
    if (input_.failed() || input_.cancelled())
        return inputStop();
    if (input_.tooLong())
        return fail(QStringLiteral("unfinished element"));
    if (after != After::Packet)
        return fail(after == After::Rows ? QStringLiteral("unfinished ROWDATA")
                                         : QStringLiteral("expected DATAPACKET"));
    return Stop::None;
}

} // namespace

LoadOutcome readXmlPacket(QIODevice& in, FileProgress* progress, qsizetype blockBytes)
{
    const qint64 start = in.isSequential() ? 0 : in.pos();
    if (progress)
        progress->total.store(in.isSequential() ? 0 : in.size() - start, std::memory_order_relaxed);
    for (bool bytesOnly : {false, true}) {
        LoadOutcome out;
        bool declaredUtf8 = false, byteOrderMark = false;
        PacketParser parser(in, progress, bytesOnly, blockBytes);
        const Stop stop = parser.parse(out.staged, declaredUtf8, byteOrderMark);
        // A file declared UTF-8 whose bytes are not is read again byte by byte.
        const bool retry = stop == Stop::BadUtf8 && !byteOrderMark && !bytesOnly;
        if (stop == Stop::None) {
            out.ok = true;
            return out;
        }
        if (!retry) {
            if (parser.input().cancelled()) {
                out = LoadOutcome{};
                out.cancelled = true;
                out.error = QStringLiteral("cancelled");
                return out;
            }
            return LoadOutcome::failure(parser.why());
        }
        if (in.isSequential() || !in.seek(start))
            return LoadOutcome::failure(QStringLiteral("cannot read the file again"));
        if (progress)
            progress->done.store(0, std::memory_order_relaxed);
    }
    return LoadOutcome::failure(QStringLiteral("unreadable"));
}
