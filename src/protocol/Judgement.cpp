#include "protocol/Judgement.h"

#include "protocol/NumberText.h"

namespace {
constexpr double kNotANumber = -999999.0;
}

QString verdictText(Verdict verdict)
{
    return verdict == Verdict::Pass ? QStringLiteral("Pass") : QStringLiteral("Fail");
}

Verdict judgeReading(QStringView valueText, QStringView loText, QStringView hiText,
                     QStringView decimalSep)
{
    const std::optional<double> value = numberFromText(valueText, decimalSep);
    if (!value || *value == kNotANumber)
        return Verdict::Fail;
    const std::optional<double> lo = numberFromText(loText, decimalSep);
    const std::optional<double> hi = numberFromText(hiText, decimalSep);
    if (!lo || !hi)
        return Verdict::Fail;
    return *lo <= *value && *value <= *hi ? Verdict::Pass : Verdict::Fail;
}
