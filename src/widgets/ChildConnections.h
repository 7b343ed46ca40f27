#pragma once

class QObject;

// An object deletes its children only after the destructors of its own
// classes have run. A child that signals then (an edit that still has the
// keyboard focus ends its editing as it goes) would call a slot of an object
// that is no longer whole: a debug build aborts with "class destructor may
// have already run", a release build calls into a destroyed object. A class
// that connects its children's signals to its own slots, or to functors
// bound to itself, calls this first thing in its destructor.
void disconnectChildren(QObject& owner);
