#include "sim/Engine.h"
#include "sim/PtyHost.h"

#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdlib>
#include <signal.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

// The editor's start-up as a person sees it, offscreen: from starting the process to the first
// painted main window, and the memory it holds once it has read a device.
namespace {

struct Probe {
    pid_t pid = -1;
    int report = -1;
};

Probe spawnProbe(const char* mode, const std::string& ports) {
    int fds[2];
    if (::pipe(fds) != 0)
        return {};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    // The read end may itself be descriptor 3: close it before the write end takes 3.
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    posix_spawn_file_actions_adddup2(&actions, fds[1], 3);
    std::vector<std::string> env{"QT_QPA_PLATFORM=offscreen", "KESMO_PORTS=" + ports};
    for (char** e = environ; *e != nullptr; ++e) {
        const std::string entry(*e);
        if (entry.rfind("QT_QPA_PLATFORM=", 0) != 0 && entry.rfind("KESMO_PORTS=", 0) != 0)
            env.push_back(entry);
    }
    std::vector<char*> envp;
    for (std::string& e : env)
        envp.push_back(e.data());
    envp.push_back(nullptr);
    std::string program = KESMO_STARTUP_PROBE;
    std::string modeArg = mode;
    char* argv[] = {program.data(), modeArg.data(), nullptr};
    Probe probe;
    if (posix_spawn(&probe.pid, program.c_str(), &actions, nullptr, argv, envp.data()) != 0)
        probe.pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    ::close(fds[1]);
    probe.report = fds[0];
    return probe;
}

std::string readReport(const Probe& probe) {
    std::string text;
    char buffer[64];
    ssize_t n;
    while ((n = ::read(probe.report, buffer, sizeof buffer)) > 0)
        text.append(buffer, static_cast<std::size_t>(n));
    return text;
}

void finish(const Probe& probe) {
    ::close(probe.report);
    if (probe.pid > 0) {
        ::kill(probe.pid, SIGTERM);
        int status = 0;
        ::waitpid(probe.pid, &status, 0);
    }
}

void StartToFirstPaint(benchmark::State& state) {
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        Probe probe = spawnProbe("paint", "");
        char byte;
        const bool painted = probe.pid > 0 && ::read(probe.report, &byte, 1) == 1;
        const auto painted_at = std::chrono::steady_clock::now();
        finish(probe);
        if (!painted) {
            state.SkipWithError("the probe did not paint");
            return;
        }
        state.SetIterationTime(std::chrono::duration<double>(painted_at - start).count());
    }
}
BENCHMARK(StartToFirstPaint)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

void ResidentMemoryConnected(benchmark::State& state) {
    kesmo::sim::Engine engine;
    kesmo::sim::PtyHost host(engine);
    std::string error;
    if (!host.start(error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    double megabytes = 0;
    for (auto _ : state) {
        Probe probe = spawnProbe("connected", host.slavePath());
        const std::string text = readReport(probe);
        finish(probe);
        if (text.empty()) {
            state.SkipWithError("the probe did not connect");
            break;
        }
        megabytes = std::stod(text) / 1024.0;
    }
    host.stop();
    state.counters["resident_MB"] = megabytes;
}
BENCHMARK(ResidentMemoryConnected)->Unit(benchmark::kMillisecond)->Iterations(2);

} // namespace
