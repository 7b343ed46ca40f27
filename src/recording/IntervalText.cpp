#include "recording/IntervalText.h"

#include <limits>

namespace interval {
namespace {

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

} // namespace

bool acceptsKey(QChar typed)
{
    return isDigit(typed) || typed.unicode() == 8;
}

QString digitsOnly(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (QChar c : text)
        if (isDigit(c))
            out.append(c);
    return out;
}

qint32 value(const QString& text)
{
    constexpr qint64 kMax = std::numeric_limits<qint32>::max();
    qint64 result = 0;
    for (QChar c : text) {
        if (!isDigit(c))
            continue;
        result = result * 10 + (c.unicode() - u'0');
        if (result > kMax)
            return static_cast<qint32>(kMax);
    }
    return static_cast<qint32>(result);
}

} // namespace interval
