#include "protocol/NumberText.h"

#include <charconv>
#include <string>

namespace {

bool isBlank(QChar c)
{
    return c.unicode() <= ' ';
}

bool isDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

} // namespace

std::optional<double> numberFromText(QStringView text, QStringView decimalSep)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isBlank(text[begin]))
        ++begin;
    while (end > begin && isBlank(text[end - 1]))
        --end;

    // The number is rebuilt in the form std::from_chars reads: '-', digits,
    // '.', digits. The leading '+' is dropped because from_chars refuses it.
    std::string ascii;
    ascii.reserve(static_cast<size_t>(end - begin) + 1);
    qsizetype i = begin;
    if (i < end && (text[i] == QLatin1Char('-') || text[i] == QLatin1Char('+'))) {
        if (text[i] == QLatin1Char('-'))
            ascii.push_back('-');
        ++i;
    }
    int digits = 0;
    while (i < end && isDigit(text[i])) {
        ascii.push_back(static_cast<char>(text[i].unicode()));
        ++digits;
        ++i;
    }
    if (!decimalSep.isEmpty() && i < end && text.mid(i).startsWith(decimalSep)) {
        i += decimalSep.size();
        ascii.push_back('.');
        while (i < end && isDigit(text[i])) {
            ascii.push_back(static_cast<char>(text[i].unicode()));
            ++digits;
            ++i;
        }
    }
    if (i != end || digits == 0)
        return std::nullopt;

    double value = 0.0;
    const char* first = ascii.data();
    const char* last = first + ascii.size();
    const auto [ptr, error] = std::from_chars(first, last, value, std::chars_format::fixed);
    if (error != std::errc() || ptr != last)
        return std::nullopt; // beyond the range of a double
    return value;
}
