#pragma once

#include <QString>

#include <cstdlib>
#include <vector>

// Value texts as the readout gives them: sign position, three digits, a
// decimal point and tenths, from "-200.0" to " 1372.0".
inline std::vector<QString> readoutValueTexts()
{
    std::vector<QString> values;
    for (int tenths = -2000; tenths <= 13720; ++tenths) {
        const int magnitude = std::abs(tenths);
        values.push_back(QStringLiteral("%1%2.%3")
                             .arg(QChar(tenths < 0 ? u'-' : u' '))
                             .arg(magnitude / 10, 3, 10, QLatin1Char('0'))
                             .arg(magnitude % 10));
    }
    return values;
}

// The value of reading n: a slow drift with jitter, so values repeat as a
// steady process gives them.
inline const QString& driftingValue(const std::vector<QString>& values, long long n)
{
    return values[(static_cast<size_t>(n / 7) * 13 + static_cast<size_t>(n % 5)) % values.size()];
}
