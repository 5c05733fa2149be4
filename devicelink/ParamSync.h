#pragma once

#include "devicelink/Frame.h"
#include "devicelink/LinkState.h"
#include "model/ModeImage.h"

namespace kesmo {

// One synchroniser step: composes the first item where the working copies differ from the
// mirror as a parameter change in `staging` and marks it synchronised in the mirror; with no
// difference, composes a meter request. Always composes a frame and returns 1. Allocates
// nothing. The caller holds ModelLock.
int ParamSync(Frame& staging, ParamStore& store, LinkState& link);

} // namespace kesmo
