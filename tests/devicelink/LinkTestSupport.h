#pragma once

#include "devicelink/Progress.h"

#include <chrono>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace kesmo::test {

// Waits for something a worker thread does; the bound only keeps a broken run from hanging.
inline bool eventually(const std::function<bool()>& done) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(120);
    while (!done()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

// Records the progress steps a transport reports; thread-safe.
class RecordingProgress final : public ProgressSink {
public:
    void step(int s) override {
        std::lock_guard lock(m_mutex);
        m_steps.push_back(s);
    }
    std::vector<int> steps() const {
        std::lock_guard lock(m_mutex);
        return m_steps;
    }

private:
    mutable std::mutex m_mutex;
    std::vector<int> m_steps;
};

} // namespace kesmo::test
