#pragma once

#include "devicelink/Command.h"
#include "devicelink/Progress.h"
#include "platform/Clock.h"
#include "platform/Event.h"

#include <atomic>
#include <functional>
#include <memory>
#include <thread>

namespace kesmo {

// What the serial and USB transports share: the worker thread's life, ModelLock taken for a
// pass, the fetch of the next frame and the declaration of a lost port. The transports add
// only how they write, read and wait.
class LinkWorker {
public:
    LinkWorker(const LinkWorker&) = delete;
    LinkWorker& operator=(const LinkWorker&) = delete;

    bool threadAlive() const { return m_threadAlive.load() != 0; }
    // The worker has declared the port lost; it ends at its next pass.
    bool lost() const { return m_kill.load() != 0; }

protected:
    LinkWorker(Command& command, Clock& clock, ProgressSink* progress, int transportKind);
    ~LinkWorker();

    // Runs `body` on a new worker thread; false when a worker is recorded or cannot start.
    bool startThread(std::function<void()> body);
    // Asks the worker to end and joins it.
    void stopThread();
    // Takes ModelLock for one pass; false when shutdown was asked for while waiting.
    bool lockModel();
    // The next frame into the transport's in-flight record: the queue head, else one
    // synchroniser step composed in the staging record. While a connection waits for the
    // device's working mode nothing but queued frames goes out: false then.
    bool fetch();
    // Once per run: the worker ends, and PortLost carries the frame in flight's identity flag.
    void declareLost();
    // The transport's records start clean on every port opened.
    void resetRecords();

    Frame& inFlight() { return m_command.inFlightRecord(m_transport); }
    const Frame& inFlight() const { return m_command.inFlightRecord(m_transport); }
    Frame& receiveRecord() { return m_command.receiveRecord(m_transport); }

    Command& m_command;
    Clock& m_clock;
    ProgressSink* m_progress;
    const int m_transport;
    std::unique_ptr<Event> m_shutdown;
    std::atomic<int> m_kill{0};

private:
    std::atomic<int> m_threadAlive{0};
    std::thread m_thread;
};

} // namespace kesmo
