#pragma once

#include "protocol/DecodedReading.h"
#include "protocol/Judgement.h"

#include <QString>

#include <optional>

// What a face of the logger (the window, a headless run, a test) hears from
// the session, in the order the session runs: for one shown frame
// readingsArriving(true), readingDecoded, then rowAppended when it became a
// record, then chartValueAdded. Every call comes on the session's thread
// and must not destroy the session.
class SessionObserver {
public:
    enum class LinkState { Idle, Connected };

    virtual ~SessionObserver() = default;

    // The device list was refilled; the session's cables() holds it.
    virtual void devicesListed() {}
    // Connected after a connect press, or when a cable comes back while the
    // link is wanted (a connect button goes down again); idle after a
    // disconnect press.
    virtual void linkStateChanged(LinkState) {}
    // The link is down without a disconnect press (no cable, a silent meter,
    // the linked cable removed): a connect button goes up, the link state is
    // left. Only after the cable's removal is the link still wanted.
    virtual void connectionReleased() {}
    // The watchdog: true when a frame was decoded, false about 30 ms later.
    virtual void readingsArriving(bool) {}
    // A frame decoded; the state holds the current reading. verdict is set
    // for T1 and T2 readings, which are judged against their limits.
    virtual void readingDecoded(const DecodedReading&, std::optional<Verdict>) {}
    // The reading became the table's row `row` (the table tells views too).
    virtual void rowAppended(int) {}
    // A new recording starts: the table is empty and numbering restarts.
    virtual void tableEmptied() {}
    // The reading goes to the trend chart.
    virtual void chartValueAdded(double) {}
    // A message for the user, to be shown and acknowledged.
    virtual void information(const QString&) {}
};
