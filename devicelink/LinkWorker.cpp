#include "devicelink/LinkWorker.h"

#include "devicelink/ParamSync.h"

#include <chrono>
#include <mutex>
#include <system_error>

namespace kesmo {

LinkWorker::LinkWorker(Command& command, Clock& clock, ProgressSink* progress, int transportKind)
    : m_command(command), m_clock(clock), m_progress(progress), m_transport(transportKind) {}

LinkWorker::~LinkWorker() {
    stopThread();
}

bool LinkWorker::startThread(std::function<void()> body) {
    if (m_thread.joinable() || !m_shutdown)
        return false;
    m_threadAlive = 1;
    m_kill = 0;
    try {
        m_thread = std::thread([this, body = std::move(body)] {
            body();
            m_threadAlive = 0;
        });
    } catch (const std::system_error&) {
        m_threadAlive = 0;
        return false;
    }
    return true;
}

void LinkWorker::stopThread() {
    if (m_thread.joinable()) {
        m_shutdown->set();
        m_thread.join();
    }
    m_threadAlive = 0;
}

bool LinkWorker::lockModel() {
    // A UI thread that holds the lock while it closes the port must not wait for us forever.
    while (!modelLock().try_lock()) {
        if (m_shutdown->isSet())
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

bool LinkWorker::fetch() {
    Frame& record = inFlight();
    if (m_command.queue().popInto(record))
        return true;
    // A synchroniser step now could send the program's scene to the device before the
    // device's own has been read.
    if (m_command.link().awaitingWorkingMode.load() != 0)
        return false;
    Frame& staging = m_command.stagingRecord();
    // Control fields an earlier frame left behind must not travel with a parameter change
    // (a pause, a progress step, an identity flag).
    staging.clearFromCode();
    ParamSync(staging, m_command.store(), m_command.link());
    if (&staging != &record)
        record = staging;
    return true;
}

void LinkWorker::declareLost() {
    // One PortLost per run: a second one would make the owner drop the next port it opened.
    if (m_kill.exchange(1) != 0)
        return;
    postMessage(Message::PortLost, m_transport, inFlight().field(Frame::kIdentityQuery));
}

void LinkWorker::resetRecords() {
    std::lock_guard lock(modelLock());
    m_command.resetRecords(m_transport, true);
}

} // namespace kesmo
