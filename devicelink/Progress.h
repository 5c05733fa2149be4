#pragma once

namespace kesmo {

// Where a transport reports that a frame with a progress step was written. Called on the
// transport thread while it holds ModelLock; an implementation must not block on the UI.
class ProgressSink {
public:
    virtual ~ProgressSink() = default;
    virtual void step(int progressStep) = 0;
};

} // namespace kesmo
