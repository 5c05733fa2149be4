#pragma once

#include "devicelink/Frame.h"

#include <memory>

namespace kesmo {

// One queued frame; owns its buffer, zero-filled with the header FF 55.
class SendData {
public:
    SendData() : m_frame(std::make_unique<Frame>()) {}
    Frame& frame() { return *m_frame; }
    const Frame& frame() const { return *m_frame; }

private:
    std::unique_ptr<Frame> m_frame;
};

} // namespace kesmo
