#include "recording/ReadingRow.h"

namespace {

const char* const kFieldNames[kReadingFieldCount] = {"ANo",    "ATime", "AT1T2",
                                                     "AValue", "AUnit", "AJudge"};

} // namespace

QString readingFieldName(ReadingField field)
{
    return QString::fromLatin1(kFieldNames[static_cast<int>(field)]);
}

std::optional<ReadingField> readingFieldByName(QStringView name)
{
    for (int i = 0; i < kReadingFieldCount; ++i)
        if (name.compare(QLatin1String(kFieldNames[i]), Qt::CaseInsensitive) == 0)
            return static_cast<ReadingField>(i);
    return std::nullopt;
}

QString ReadingRow::text(ReadingField field) const
{
    switch (field) {
    case ReadingField::ANo: return no ? QString::number(*no) : QString();
    case ReadingField::ATime: return time;
    case ReadingField::AT1T2: return channel;
    case ReadingField::AValue: return value;
    case ReadingField::AUnit: return unit;
    case ReadingField::AJudge: return judge;
    }
    return {};
}

bool ReadingRow::operator==(const ReadingRow& other) const
{
    return no == other.no && time == other.time && channel == other.channel &&
           value == other.value && unit == other.unit && judge == other.judge;
}
