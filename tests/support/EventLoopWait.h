#pragma once

#include <functional>

// Runs the event loop until done() holds or limitMs pass; false on the
// limit. Unlike QTest::qWaitFor it does not sleep between rounds: a read
// thread hands over one report per queued call, so sleeping would slow a
// simulated session to one report per round.
bool pumpUntil(const std::function<bool()>& done, int limitMs = 60000);

// Runs the event loop for ms milliseconds.
void pumpFor(int ms);
