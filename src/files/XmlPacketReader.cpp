#include "files/XmlPacketReader.h"

#include "files/FileProgress.h"
#include "files/InputBuffer.h"
#include "files/XmlReferences.h"

#include <QIODevice>

#include <array>
#include <limits>
#include <optional>
#include <vector>

namespace {

constexpr qint64 kMaxNumber = std::numeric_limits<qint32>::max();

// Why a read stopped; BadUtf8 makes a declared-UTF-8 file be read again.
enum class Stop { None, Malformed, BadUtf8, Input };

struct Attribute {
    QByteArrayView name;
    QByteArrayView value; // raw, between the quotes
};

struct Tag {
    enum Kind { Open, Close, Empty, Declaration } kind = Open;
    QByteArrayView name;
    std::vector<Attribute> attributes;
};

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

bool isNameChar(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
           c == '_' || c == '-' || c == '.' || c == ':';
}

std::optional<qint64> decimal(QStringView text, bool allowSign, qint64 min, qint64 max)
{
    qsizetype i = 0;
    bool negative = false;
    if (allowSign && i < text.size() && text[i] == u'-') {
        negative = true;
        ++i;
    }
    if (i == text.size())
        return std::nullopt;
    qint64 value = 0;
    for (; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
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

class PacketParser {
public:
    // bytesOnly: a declared UTF-8 is not honoured (the file proved not to be).
    PacketParser(QIODevice& in, FileProgress* progress, bool bytesOnly)
        : input_(in, progress), bytesOnly_(bytesOnly)
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
    Stop readChangeLog(ChangeList& changes);
    Stop readParams(ChangeList& changes);
    Stop readRow(const Tag& tag, ReadingStore& rows);

    InputBuffer input_;
    bool bytesOnly_;
    bool utf8_ = false;
    QString why_;
    // attrname of each packet field, and the table field it fills (-1: none).
    std::vector<std::pair<QByteArray, int>> fields_;
    QString scratch_;
};

Stop PacketParser::skipBlanks()
{
    while (true) {
        qsizetype i = 0;
        while (i < input_.size() && isBlank(input_.data()[i]))
            ++i;
        input_.consume(i);
        if (input_.size() > 0)
            return Stop::None;
        if (!input_.more())
            return input_.atEnd() ? Stop::None : inputStop();
    }
}

// A tag from '<' to '>' (a '>' inside quotes does not end it), parsed in place.
Stop PacketParser::nextTag(Tag& tag)
{
    if (Stop s = skipBlanks(); s != Stop::None)
        return s;
    if (input_.size() == 0)
        return fail(QStringLiteral("packet ends early"));
    if (input_.data()[0] != '<')
        return fail(QStringLiteral("text outside an element"));
    qsizetype i = 1;
    char quote = 0;
    while (true) {
        const char* p = input_.data();
        const qsizetype n = input_.size();
        for (; i < n; ++i) {
            const char c = p[i];
            if (quote) {
                if (c == quote)
                    quote = 0;
            } else if (c == '"' || c == '\'') {
                quote = c;
            } else if (c == '>') {
                break;
            }
        }
        if (i < n)
            break;
        if (!input_.more())
            return input_.atEnd() || input_.tooLong() ? fail(QStringLiteral("unfinished element"))
                                                      : inputStop();
    }
    // The tag is parsed in place: its bytes stay where they are until the
    // buffer is next refilled, which only the next tag's read does.
    QByteArrayView body(input_.data() + 1, i - 1);
    input_.consume(i + 1);
    tag.attributes.clear();
    if (body.startsWith('?')) {
        if (!body.endsWith('?'))
            return fail(QStringLiteral("bad declaration"));
        tag.kind = Tag::Declaration;
        body = body.sliced(1, body.size() - 2);
    } else if (body.startsWith('/')) {
        tag.kind = Tag::Close;
        body = body.sliced(1);
    } else if (body.endsWith('/')) {
        tag.kind = Tag::Empty;
        body.chop(1);
    } else {
        tag.kind = Tag::Open;
    }
    qsizetype k = 0;
    while (k < body.size() && isNameChar(body[k]))
        ++k;
    if (k == 0)
        return fail(QStringLiteral("element without a name"));
    tag.name = body.first(k);
    while (true) {
        const qsizetype before = k;
        while (k < body.size() && isBlank(body[k]))
            ++k;
        if (k == body.size())
            break;
        if (k == before || tag.kind == Tag::Close)
            return fail(QStringLiteral("bad attribute list"));
        const qsizetype nameStart = k;
        while (k < body.size() && isNameChar(body[k]))
            ++k;
        Attribute a;
        a.name = body.sliced(nameStart, k - nameStart);
        while (k < body.size() && isBlank(body[k]))
            ++k;
        if (a.name.isEmpty() || k == body.size() || body[k] != '=')
            return fail(QStringLiteral("bad attribute"));
        ++k;
        while (k < body.size() && isBlank(body[k]))
            ++k;
        if (k == body.size() || (body[k] != '"' && body[k] != '\''))
            return fail(QStringLiteral("attribute without quotes"));
        const char q = body[k++];
        const qsizetype end = body.indexOf(q, k);
        if (end < 0)
            return fail(QStringLiteral("attribute without its closing quote"));
        a.value = body.sliced(k, end - k);
        if (a.value.contains('<'))
            return fail(QStringLiteral("'<' in an attribute"));
        k = end + 1;
        for (const Attribute& seen : tag.attributes)
            if (seen.name == a.name)
                return fail(QStringLiteral("attribute given twice"));
        tag.attributes.push_back(a);
    }
    return Stop::None;
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
    switch (xmlref::decode(raw, utf8_, out)) {
    case xmlref::Decoded::Ok: return Stop::None;
    case xmlref::Decoded::BadUtf8: why_ = QStringLiteral("invalid UTF-8"); return Stop::BadUtf8;
    case xmlref::Decoded::BadReference: break;
    }
    return fail(QStringLiteral("bad reference"));
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
        for (const auto& known : fields_)
            if (known.first == name.toUtf8())
                return fail(QStringLiteral("FIELD %1 given twice").arg(name));
        fields_.emplace_back(name.toUtf8(), column);
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
            while (true) {
                if (!ensure(1))
                    return input_.atEnd() ? fail(QStringLiteral("unfinished CHANGE_LOG"))
                                          : inputStop();
                const char d = input_.data()[0];
                input_.consume(1);
                if (d >= '0' && d <= '9') {
                    number = (number < 0 ? 0 : number * 10) + (d - '0');
                    if (number > kMaxNumber)
                        return fail(QStringLiteral("CHANGE_LOG number out of range"));
                    continue;
                }
                if (number >= 0) {
                    triple[inTriple++] = number;
                    number = -1;
                    if (inTriple == 3) {
                        changes.append({triple[0], triple[1], triple[2]});
                        inTriple = 0;
                    }
                }
                if (d == quote)
                    break;
                if (d != ' ')
                    return fail(QStringLiteral("CHANGE_LOG holds other than numbers"));
            }
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

Stop PacketParser::readRow(const Tag& tag, ReadingStore& rows)
{
    ReadingRow row;
    qint32 rowState = 0;
    QString* texts[kReadingFieldCount] = {nullptr,    &row.time, &row.channel,
                                          &row.value, &row.unit, &row.judge};
    for (const Attribute& a : tag.attributes) {
        if (a.name == "RowState") {
            if (Stop s = decode(a.value, scratch_); s != Stop::None)
                return s;
            const auto state = decimal(scratch_, false, 0, kMaxNumber);
            if (!state)
                return fail(QStringLiteral("bad RowState"));
            rowState = static_cast<qint32>(*state);
            continue;
        }
        int column = -1;
        for (const auto& field : fields_)
            if (QByteArrayView(field.first) == a.name) {
                column = field.second;
                break;
            }
        if (column == static_cast<int>(ReadingField::ANo)) {
            if (Stop s = decode(a.value, scratch_); s != Stop::None)
                return s;
            const auto no = decimal(scratch_, true, std::numeric_limits<qint32>::min(), kMaxNumber);
            if (!no)
                return fail(QStringLiteral("bad ANo"));
            row.no = static_cast<qint32>(*no);
        } else if (Stop s = decode(a.value, column > 0 ? *texts[column] : scratch_);
                   s != Stop::None) {
            return s;
        }
    }
    if (rows.rowCount() == std::numeric_limits<int>::max())
        return fail(QStringLiteral("too many rows"));
    rows.appendStoredRow(row, rowState);
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
        while (true) {
            if (Stop s = nextTag(tag); s != Stop::None)
                return s;
            if (tag.kind == Tag::Close && tag.name == "ROWDATA")
                break;
            if (tag.kind != Tag::Empty || tag.name != "ROW")
                return fail(QStringLiteral("expected ROW"));
            if (Stop s = readRow(tag, rows); s != Stop::None)
                return s;
        }
    }
    if (Stop s = expect(Tag::Close, "DATAPACKET", tag); s != Stop::None)
        return s;
    if (Stop s = skipBlanks(); s != Stop::None)
        return s;
    if (input_.size() > 0)
        return fail(QStringLiteral("content after the packet"));
    rows.setChanges(std::move(changes));
    return Stop::None;
}

} // namespace

LoadOutcome readXmlPacket(QIODevice& in, FileProgress* progress)
{
    const qint64 start = in.isSequential() ? 0 : in.pos();
    if (progress)
        progress->total.store(in.isSequential() ? 0 : in.size() - start, std::memory_order_relaxed);
    for (bool bytesOnly : {false, true}) {
        LoadOutcome out;
        bool declaredUtf8 = false, byteOrderMark = false;
        PacketParser parser(in, progress, bytesOnly);
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
