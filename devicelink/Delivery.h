#pragma once

#include "devicelink/Command.h"

namespace kesmo {

// Whether the device has every edit: nothing queued, no reply awaited, no change in flight, and
// a synchroniser step on a copy of the model finds nothing left to send. The mirror follows a
// change when it is composed, so mirror = working alone does not say that the device has it.
// The caller holds ModelLock.
bool editsDelivered(Command& command);

} // namespace kesmo
