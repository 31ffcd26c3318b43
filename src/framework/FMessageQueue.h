#pragma once

#include "FMessage.h"

// The deferred message queue. post() appends the message and its receiver to a
// first-in-first-out list from any thread without waiting; the main thread's event loop
// delivers them one at a time in posting order. Needs the QCoreApplication to exist.
namespace FMessageQueue {

// False when there is no event loop to deliver to (the message is then dropped).
bool post(FMessageReceiver* receiver, FMessage message);

// Delivers every message posted so far (main thread only); for loops that must not
// return to the event loop, and for tests.
void deliverPending();

} // namespace FMessageQueue
