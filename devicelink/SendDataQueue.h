#pragma once

#include "devicelink/SendData.h"

#include <deque>
#include <memory>

namespace kesmo {

// The CommandQueue: first in, first out, owning its elements. Callers hold ModelLock.
class SendDataQueue {
public:
    void append(std::unique_ptr<SendData> item) { m_items.push_back(std::move(item)); }
    bool hasFrames() const { return !m_items.empty(); }
    std::size_t count() const { return m_items.size(); }
    const SendData& at(std::size_t i) const { return *m_items.at(i); }
    SendData& at(std::size_t i) { return *m_items.at(i); }
    // Copies all bytes of the head frame into `record` and destroys the head; 0 when empty.
    int popInto(Frame& record) {
        if (m_items.empty())
            return 0;
        record = m_items.front()->frame();
        m_items.pop_front();
        return 1;
    }
    void clear() { m_items.clear(); }

private:
    std::deque<std::unique_ptr<SendData>> m_items;
};

using CommandQueue = SendDataQueue;

} // namespace kesmo
