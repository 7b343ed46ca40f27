#pragma once

#include "protocol/DecodedReading.h"
#include "protocol/Judgement.h"
#include "protocol/ReadingState.h"

#include <QString>

#include <optional>

// The user's low and high limits of T1 and T2, as typed.
struct ReadoutLimits {
    QString t1Lo = QStringLiteral("0");
    QString t1Hi = QStringLiteral("0");
    QString t2Lo = QStringLiteral("0");
    QString t2Hi = QStringLiteral("0");
};

// Takes a decoded frame into the current reading: value, unit, channel and
// the judgement of T1 and T2 against their limits (the difference T1-T2 is
// not judged; its judgement text stays). A frame that leaves the unit or
// type unchanged keeps the letter shown before, as the LCD does.
struct ReadoutUpdate {
    ReadoutLimits limits;
    QString decimalSep = QStringLiteral(".");
    QChar unitShown = QLatin1Char('#'); // as the LCD shows at start
    QChar typeShown = QLatin1Char('K');

    // The verdict of a T1 or T2 reading; none for other channels.
    std::optional<Verdict> apply(const DecodedReading& reading, ReadingState& state);
};
