#pragma once

#include <QString>

// The current reading as the readout shows it; each field keeps its value
// until a later frame sets it again.
struct ReadingState {
    QString ValueText;   // e.g. " 023.5", "----", " 0L "
    QString UnitText;    // LCD symbol letters, e.g. "#-K"
    QString ChannelText; // "T1", "T2" or "T1-T2"
    QString JudgeText;   // "Pass" or "Fail" of the last judged reading
    double CurrentValue = 0.0;
};
