#pragma once

namespace kesmo {

// A manual-reset event on an eventfd: it stays signalled until reset, and a wait on
// descriptors sees it as readable.
class Event {
public:
    Event();
    ~Event();
    Event(const Event&) = delete;
    Event& operator=(const Event&) = delete;

    // False when the eventfd could not be created.
    bool valid() const { return m_fd >= 0; }
    int fd() const { return m_fd; }

    void set();
    void reset();
    bool isSet() const;

private:
    int m_fd;
};

} // namespace kesmo
