#pragma once

#include "devicelink/Messages.h"

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

namespace kesmo::test {

struct Posted {
    Message message;
    std::intptr_t wParam, lParam;
    bool operator==(const Posted&) const = default;
};

// Records what the device link posts; thread-safe, as the real sink is.
class RecordingSink final : public MessageSink {
public:
    void post(Message message, std::intptr_t wParam, std::intptr_t lParam) override {
        std::lock_guard lock(m_mutex);
        m_posted.push_back({message, wParam, lParam});
    }
    void postNotice(const char* text, const char* caption) override {
        std::lock_guard lock(m_mutex);
        m_notices.push_back({text, caption});
    }
    std::vector<Posted> posted() const {
        std::lock_guard lock(m_mutex);
        return m_posted;
    }
    std::vector<std::pair<std::string, std::string>> notices() const {
        std::lock_guard lock(m_mutex);
        return m_notices;
    }
    std::size_t count(Message m) const {
        std::lock_guard lock(m_mutex);
        std::size_t n = 0;
        for (const Posted& p : m_posted)
            n += p.message == m;
        return n;
    }

private:
    mutable std::mutex m_mutex;
    std::vector<Posted> m_posted;
    std::vector<std::pair<std::string, std::string>> m_notices;
};

} // namespace kesmo::test
