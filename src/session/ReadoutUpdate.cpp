#include "session/ReadoutUpdate.h"

std::optional<Verdict> ReadoutUpdate::apply(const DecodedReading& reading, ReadingState& state)
{
    if (!reading.unitSymbol.isNull())
        unitShown = reading.unitSymbol;
    if (!reading.typeLetter.isNull())
        typeShown = reading.typeLetter;
    // Rebuilt only when it changes, so a steady meter costs no allocation.
    const QStringView unit = state.UnitText;
    if (unit.size() != 3 || unit[0] != unitShown || unit[1] != QLatin1Char('-') ||
        unit[2] != typeShown)
        state.UnitText = QString(unitShown) + QLatin1Char('-') + typeShown;
    state.ValueText = reading.valueText;

    std::optional<Verdict> verdict;
    const auto judge = [&](const QString& lo, const QString& hi) {
        verdict = judgeReading(state.ValueText, lo, hi, decimalSep);
        state.JudgeText = verdictText(*verdict);
    };
    switch (reading.channel) {
    case MeterChannel::T1:
        state.ChannelText = QStringLiteral("T1");
        judge(limits.t1Lo, limits.t1Hi);
        break;
    case MeterChannel::T2:
        state.ChannelText = QStringLiteral("T2");
        judge(limits.t2Lo, limits.t2Hi);
        break;
    case MeterChannel::T1MinusT2: state.ChannelText = QStringLiteral("T1-T2"); break;
    case MeterChannel::None: break;
    }
    if (reading.value)
        state.CurrentValue = *reading.value;
    return verdict;
}
