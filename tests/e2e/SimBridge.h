#pragma once

#include "platform/FakeCh9326Bridge.h"
#include "sim/Engine.h"

#include <span>
#include <string>

namespace kesmo::test {

// Puts the processor simulator behind a fake bridge: the UART bytes of every report the host
// writes go to the engine, and its answers come back as reports at once (answer delays are not
// kept). A hang-up pulls the bridge out. Both objects must outlive the bridge's use.
inline void forwardToEngine(FakeCh9326Bridge& bridge, const std::string& path,
                            sim::Engine& engine) {
    bridge.setUartPeer(path, [&bridge, &engine, path](std::span<const std::uint8_t> bytes) {
        const sim::Output out = engine.feed(bytes);
        for (const sim::Write& w : out.writes)
            bridge.injectUartBytes(path, w.bytes);
        if (out.hangUp)
            bridge.pullOut(path);
    });
}

} // namespace kesmo::test
