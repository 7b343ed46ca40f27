#include "protocol/LimitEditRules.h"

#include "protocol/NumberText.h"

bool limitKeyAccepted(QChar typed, QStringView decimalSep)
{
    if (typed == QChar(8) || typed == QLatin1Char('-'))
        return true;
    if (typed >= QLatin1Char('0') && typed <= QLatin1Char('9'))
        return true;
    return !decimalSep.isEmpty() && typed == decimalSep[0];
}

std::optional<LimitRepair> repairLimitText(QStringView text, QStringView decimalSep)
{
    if (text.trimmed() == QLatin1String("-"))
        return LimitRepair{QStringLiteral("-0"), 1, 1};
    if (!numberFromText(text, decimalSep))
        return LimitRepair{QStringLiteral("0"), 0, 1};
    return std::nullopt;
}
