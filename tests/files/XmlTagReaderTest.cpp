// Tags as the packet reader sees them, read in one pass from the buffer.
#include "files/XmlTagReader.h"
#include "files/InputBuffer.h"

#include <QBuffer>

#include <gtest/gtest.h>

namespace {

// The bytes behind a tag reader.
struct TagSource {
    explicit TagSource(const QByteArray& bytes) : input(device), reader(input)
    {
        device.setData(bytes);
        device.open(QIODevice::ReadOnly);
    }
    QBuffer device;
    InputBuffer input;
    XmlTagReader reader;
};

struct TagCase {
    const char* bytes;
    XmlTag::Kind kind;
    const char* name;
    std::vector<std::pair<const char*, const char*>> attributes;
};

class WellFormedTagTest : public ::testing::TestWithParam<TagCase> {};

TEST_P(WellFormedTagTest, GivesKindNameAndRawValues)
{
    QBuffer device;
    device.setData(GetParam().bytes);
    device.open(QIODevice::ReadOnly);
    InputBuffer input(device);
    XmlTagReader reader(input);
    XmlTag tag;
    ASSERT_EQ(reader.next(tag), XmlTagReader::Result::Ok) << reader.why().toStdString();
    EXPECT_EQ(tag.kind, GetParam().kind);
    EXPECT_EQ(tag.name, QByteArrayView(GetParam().name));
    ASSERT_EQ(tag.attributes.size(), GetParam().attributes.size());
    for (size_t i = 0; i < tag.attributes.size(); ++i) {
        EXPECT_EQ(tag.attributes[i].name, QByteArrayView(GetParam().attributes[i].first));
        EXPECT_EQ(tag.attributes[i].value, QByteArrayView(GetParam().attributes[i].second));
    }
    EXPECT_EQ(reader.skipBlanks(), XmlTagReader::Result::Ok);
    EXPECT_EQ(input.size(), 1); // the byte after the tag
}

const std::string kLong(70, 'v');

INSTANTIATE_TEST_SUITE_P(
    Tags, WellFormedTagTest,
    ::testing::Values(
        TagCase{"<?xml version=\"1.0\"?>x", XmlTag::Declaration, "xml", {{"version", "1.0"}}},
        TagCase{"<?xml?>x", XmlTag::Declaration, "xml", {}},
        TagCase{"</ROWDATA >x", XmlTag::Close, "ROWDATA", {}},
        TagCase{"<a/>x", XmlTag::Empty, "a", {}}, TagCase{"<a />x", XmlTag::Empty, "a", {}},
        TagCase{"<ROW x = 'a\"b>c' y=\"\"/> x", XmlTag::Empty, "ROW", {{"x", "a\"b>c"}, {"y", ""}}},
        TagCase{"<a\n\tb=\"1\"\r\n>x", XmlTag::Open, "a", {{"b", "1"}}},
        TagCase{"<a AUnit=\"1\" AT1T2=\"2\" ATime=\"3\">x",
                XmlTag::Open,
                "a",
                {{"AUnit", "1"}, {"AT1T2", "2"}, {"ATime", "3"}}},
        TagCase{
            "<a b=\"vvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvv\"/>x",
            XmlTag::Empty,
            "a",
            {{"b", kLong.c_str()}}}));

class MalformedTagTest : public ::testing::TestWithParam<const char*> {};

TEST_P(MalformedTagTest, IsMalformed)
{
    QBuffer device;
    device.setData(GetParam());
    device.open(QIODevice::ReadOnly);
    InputBuffer input(device);
    XmlTagReader reader(input);
    XmlTag tag;
    EXPECT_EQ(reader.next(tag), XmlTagReader::Result::Malformed);
    EXPECT_FALSE(reader.why().isEmpty());
}

INSTANTIATE_TEST_SUITE_P(Tags, MalformedTagTest,
                         ::testing::Values("<a b=\"1\" b=\"2\"/>", "<a ATime=\"1\" ATime='2'>",
                                           "<a longer_name=\"1\" x=\"\" longer_name=\"2\">",
                                           "<a b=\"1<\"/>", "<a b=\"1\"c=\"2\"/>", "</a b=\"1\">",
                                           "</a/>", "<a/ >", "<?xml >", "<a?>", "<a b=1/>",
                                           "<a =\"1\"/>", "< a/>", "<a b=\"1\"", "<a", "<"));

TEST(MalformedTag, NamesOfOtherLengthsAreNoRepeat)
{
    // Names whose lengths differ by 256 share the low byte of their length.
    const QByteArray name(300, 'n');
    const QByteArray bytes = "<a " + name + "=\"1\" " + name.first(44) + "=\"2\"/>";
    TagSource source(bytes);
    XmlTagReader& reader = source.reader;
    XmlTag tag;
    ASSERT_EQ(reader.next(tag), XmlTagReader::Result::Ok) << reader.why().toStdString();
    EXPECT_EQ(tag.attributes.size(), 2u);
}

} // namespace

namespace {

TEST(TagSequence, NamesLikeTheTagBeforeAreStillCheckedWhereTheyDiffer)
{
    // Each tag after the first starts as the one before and then differs.
    QBuffer device;
    device.setData("<R RowState=\"1\" ab=\"2\"/><R RowState=\"3\" abc=\"4\"/>"
                   "<R RowState=\"5\" abc=\"6\" RowState=\"7\"/>");
    device.open(QIODevice::ReadOnly);
    InputBuffer input(device);
    XmlTagReader reader(input);
    XmlTag tag;
    ASSERT_EQ(reader.next(tag), XmlTagReader::Result::Ok);
    ASSERT_EQ(reader.next(tag), XmlTagReader::Result::Ok);
    ASSERT_EQ(tag.attributes.size(), 2u);
    EXPECT_EQ(tag.attributes[1].name, QByteArrayView("abc"));
    EXPECT_EQ(tag.attributes[1].value, QByteArrayView("4"));
    EXPECT_EQ(reader.next(tag), XmlTagReader::Result::Malformed);
}

} // namespace

namespace {

// A tag after one of the same shape is known from comparing the bytes
// around its values: whatever the second tag holds, it must read exactly as
// it reads on its own.
struct Outcome {
    XmlTagReader::Result result = XmlTagReader::Result::Ok;
    XmlTag::Kind kind = XmlTag::Open;
    QByteArray name;
    std::vector<std::tuple<QByteArray, QByteArray, bool>> attributes;
    qsizetype left = 0;
    bool operator==(const Outcome& o) const
    {
        return result == o.result && kind == o.kind && name == o.name &&
               attributes == o.attributes && left == o.left;
    }
};

Outcome lastTagOf(const QByteArray& bytes, int tags)
{
    TagSource source(bytes);
    InputBuffer& input = source.input;
    XmlTagReader& reader = source.reader;
    XmlTag tag;
    Outcome out;
    out.result = XmlTagReader::Result::Ok;
    for (int t = 0; t < tags && out.result == XmlTagReader::Result::Ok; ++t)
        out.result = reader.next(tag);
    if (out.result != XmlTagReader::Result::Ok)
        return out;
    out.kind = tag.kind;
    out.name = tag.name.toByteArray();
    for (const XmlAttribute& a : tag.attributes)
        out.attributes.emplace_back(a.name.toByteArray(), a.value.toByteArray(), a.hasReference);
    out.left = input.size();
    return out;
}

class SameShapeTest : public ::testing::TestWithParam<const char*> {};

TEST_P(SameShapeTest, ReadsAsTheTagAlone)
{
    const QByteArray first = "<ROW RowState=\"4\" ANo=\"1\" AValue=\" 1.0\"/>";
    const QByteArray second = GetParam();
    const Outcome alone = lastTagOf(second + "x", 1);
    const Outcome after = lastTagOf(first + second + "x", 2);
    EXPECT_TRUE(after == alone) << second.constData();
}

INSTANTIATE_TEST_SUITE_P(
    Tags, SameShapeTest,
    ::testing::Values(
        "<ROW RowState=\"4\" ANo=\"12345\" AValue=\"\"/>",
        "<ROW RowState=\"4\" ANo=\"2\" AValue=\"a&amp;b\"/>",
        "<ROW RowState=\"4\" ANo=\"2\" AValue=\"a<b\"/>",
        "<ROW RowState=\"4\" ANo=\"2\" AValue=\"a>b 'c'\"/>",
        "<ROW RowState=\"4\" ANo=\"2\" AValue=\"vvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvvv\">",
        "<ROW RowState=\"4\" ANo=\"2\" AValue=\" 1.0\" AValue=\"2\"/>",
        "<ROW RowState=\"4\" ANo=\"2\" AValue=' 1.0'/>",
        "<ROW RowState=\"4\"  ANo=\"2\" AValue=\" 1.0\"/>", "<ROW RowState=\"4\" ANo=\"2\"/>",
        "<ROW RowState=\"4\" ANo=\"2\" AValue=\"", "<ROW RowState=\"4\" ANo=\"2\" AValue=\" 1.0\"",
        "<ROWS RowState=\"4\"/>"));

} // namespace
