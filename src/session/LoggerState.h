#pragma once

#include "protocol/FrameAssemblyState.h"
#include "protocol/ReadingState.h"
#include "recording/ScheduleState.h"

#include <QtGlobal>

// The main window's shared run-time state: one instance, GUI thread only.
// Its parts are defined beside the units that work on them, so those units
// take just their part; the fields read flat, as the handlers use them.
struct LoggerState : FrameAssemblyState, ReadingState, ScheduleState {
    qint32 LinkWatchdog = 0; // watchdog ticks since a frame was last decoded
};
