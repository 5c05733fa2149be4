#pragma once

#include "sim/Engine.h"

#include <atomic>
#include <chrono>
#include <functional>
#include <string>
#include <thread>

namespace kesmo::sim {

// Runs an engine on the master side of a pseudo-terminal in its own thread. Clients open
// slavePath() as they would a serial port, as often as they like; the host outlives them.
class PtyHost final {
public:
    // Waits the given time unless the host is stopping; replaced in tests to keep delays out
    // of real time. Returns false when the host is to stop.
    using Sleep = std::function<bool(std::chrono::milliseconds)>;

    explicit PtyHost(Engine& engine, Sleep sleep = {});
    ~PtyHost();
    PtyHost(const PtyHost&) = delete;
    PtyHost& operator=(const PtyHost&) = delete;

    bool start(std::string& error);
    void stop();
    const std::string& slavePath() const { return m_slavePath; }
    bool hungUp() const { return m_hungUp.load(); }
    // Ended by itself (hang-up or a fatal error) rather than by stop().
    bool finished() const { return m_finished.load(); }
    // Blocks until the serving thread has ended by itself or stop() was called elsewhere.
    void waitFinished();

private:
    void serve();
    bool waitStop(std::chrono::milliseconds timeout);
    bool writeAll(const Bytes& bytes);
    void closeMaster();

    Engine& m_engine;
    Sleep m_sleep;
    int m_master = -1;
    int m_stopEvent = -1;
    std::string m_slavePath;
    std::thread m_thread;
    std::atomic<bool> m_hungUp{false};
    std::atomic<bool> m_finished{false};
};

} // namespace kesmo::sim
