#pragma once

#include "devicelink/SerialPort.h"
#include "shell/ConnectionControl.h"
#include "sim/Engine.h"
#include "sim/PtyHost.h"
#include "tests/devicelink/LinkTestSupport.h"

#include <chrono>
#include <deque>
#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace kesmo::test {

// Records what the controller asks of the user interface, in order, as short lines.
class RecorderUi final : public ConnectionUi {
public:
    void showLookup() override { add("lookup"); }
    void startBar(int count) override { add("bar " + std::to_string(count)); }
    void step(int n) override {
        std::lock_guard lock(m_mutex);
        m_steps.push_back(n);
    }
    void showBusy() override { add("busy"); }
    void hideProgress() override { add("hide"); }
    void showMessage(const std::string& text) override { add("message " + text); }
    std::optional<std::string> saveFile(PresetFileKind kind,
                                        const std::filesystem::path&) override {
        add(kind == PresetFileKind::Bank ? "save .dat" : "save .dia");
        return chosenPath;
    }
    std::optional<std::string> openFile(PresetFileKind kind,
                                        const std::filesystem::path&) override {
        add(kind == PresetFileKind::Bank ? "open .dat" : "open .dia");
        return chosenPath;
    }
    void refreshAll() override { add("refresh"); }
    void showProgram(bool updateLabel) override {
        add(updateLabel ? "program label" : "program button");
    }
    void reloadSystemPage() override { add("system page"); }
    int languageFlag() const override { return language; }

    std::vector<std::string> calls() const {
        std::lock_guard lock(m_mutex);
        return m_calls;
    }
    std::vector<std::string> messages() const {
        std::vector<std::string> out;
        for (const std::string& c : calls())
            if (c.starts_with("message "))
                out.push_back(c.substr(8));
        return out;
    }
    std::vector<int> steps() const {
        std::lock_guard lock(m_mutex);
        return m_steps;
    }
    void clear() {
        std::lock_guard lock(m_mutex);
        m_calls.clear();
        m_steps.clear();
    }

    std::optional<std::string> chosenPath; // what the file dialogs return
    int language = 0;

private:
    void add(std::string call) {
        std::lock_guard lock(m_mutex);
        m_calls.push_back(std::move(call));
    }
    mutable std::mutex m_mutex;
    std::vector<std::string> m_calls;
    std::vector<int> m_steps;
};

// The owner's message queue: the device link posts from its thread, the test thread drains.
class QueueSink final : public MessageSink {
public:
    struct Posted {
        Message message;
        std::intptr_t wParam, lParam;
    };
    void post(Message message, std::intptr_t wParam, std::intptr_t lParam) override {
        std::lock_guard lock(m_mutex);
        m_queue.push_back({message, wParam, lParam});
    }
    void postNotice(const char*, const char*) override {}
    std::deque<Posted> take() {
        std::lock_guard lock(m_mutex);
        return std::exchange(m_queue, {});
    }

private:
    std::mutex m_mutex;
    std::deque<Posted> m_queue;
};

class ListCandidates final : public PortCandidates {
public:
    std::vector<std::string> serialPorts() override { return serial; }
    std::vector<std::string> usbPaths() override { return usb; }
    std::vector<std::string> serial, usb;
};

// Real time, except that the pacing pauses after bulk and long writes are skipped: the
// simulator needs no time to store what it was sent.
class NoPauseClock final : public Clock {
public:
    TimePoint now() const override { return steadyClock().now(); }
    void sleep(Duration d) override {
        if (d < Duration{1000})
            steadyClock().sleep(d);
    }
    int poll(std::span<pollfd> fds, Duration timeout) override {
        return steadyClock().poll(fds, timeout);
    }
};

inline Clock& noPauseClock() {
    static NoPauseClock clock;
    return clock;
}

// A serial transport whose clock is chosen per port, so that a silent port runs its retries
// in virtual time while a live one keeps real time for its replies.
class PerPortSerial final : public LinkPort {
public:
    PerPortSerial(Command& command, ProgressSink& progress)
        : m_command(command), m_progress(progress) {}
    int open(const std::string& port) override {
        m_port.reset();
        const auto it = clocks.find(port);
        m_port = std::make_unique<SerialPort>(
            m_command, it == clocks.end() ? noPauseClock() : *it->second, &m_progress);
        opened.push_back(port);
        return SerialLinkPort<SerialPort>(*m_port).open(port);
    }
    int start() override { return m_port ? m_port->start() : 0; }
    void close() override {
        if (m_port)
            m_port->close();
    }
    SerialPort* port() { return m_port.get(); }

    std::map<std::string, Clock*> clocks;
    std::vector<std::string> opened;

private:
    Command& m_command;
    ProgressSink& m_progress;
    std::unique_ptr<SerialPort> m_port;
};

// A simulator on its own pseudo-terminal.
struct SimDevice {
    sim::Engine engine;
    sim::PtyHost host{engine};
    SimDevice() {
        std::string error;
        EXPECT_TRUE(host.start(error)) << error;
    }
    ~SimDevice() { host.stop(); }
    const std::string& path() const { return host.slavePath(); }
};

} // namespace kesmo::test
