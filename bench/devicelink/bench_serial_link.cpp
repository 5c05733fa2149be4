#include "devicelink/Command.h"
#include "devicelink/SerialPort.h"
#include "model/WorkingModel.h"
#include "sim/Engine.h"
#include "sim/PtyHost.h"

#include <benchmark/benchmark.h>
#include <chrono>
#include <memory>
#include <string>
#include <thread>

using namespace kesmo;

namespace {

// The editor's link against the simulator on a pseudo-terminal at 115200 baud, polling
// meters while idle.
struct Link {
    sim::Engine engine;
    sim::PtyHost host{engine};
    std::unique_ptr<ParamStore> store = std::make_unique<ParamStore>();
    std::unique_ptr<LinkState> link = std::make_unique<LinkState>();
    std::unique_ptr<Command> command;
    std::unique_ptr<SerialPort> port;
    bool ok = false;

    Link() {
        std::string error;
        if (!host.start(error))
            return;
        initialiseModel(*store);
        takeOverImage(*store, true);
        link->transport = transport::kSerial;
        command = std::make_unique<Command>(*store, *link);
        port = std::make_unique<SerialPort>(*command);
        if (port->open(host.slavePath(), 115200) != 1)
            return;
        ok = port->start() == 1;
        waitFrames(3);
    }
    ~Link() {
        if (port)
            port->close();
        host.stop();
    }
    std::size_t frames() const { return engine.counters().framesReceived; }
    void waitFrames(std::size_t n) const {
        const std::size_t target = frames() + n;
        while (frames() < target)
            std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
};

void ExchangesPerSecond(benchmark::State& state) {
    Link l;
    if (!l.ok) {
        state.SkipWithError("no simulator link");
        return;
    }
    for (auto _ : state)
        l.waitFrames(1);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(ExchangesPerSecond)->Iterations(60)->Unit(benchmark::kMillisecond)->UseRealTime();

// From a page's write into the working image to the change frame arriving at the device.
void EditToChangeFrame(benchmark::State& state) {
    Link l;
    if (!l.ok) {
        state.SkipWithError("no simulator link");
        return;
    }
    const std::size_t gain = musicLeft(l.store->working).eq(2).offset() + layout::eqband::kGain;
    std::uint8_t value = 100;
    int round = 0;
    for (auto _ : state) {
        const std::size_t before = l.engine.count(3);
        value = static_cast<std::uint8_t>(value == 100 ? 140 : 100);
        const auto start = std::chrono::steady_clock::now();
        l.store->working.setByte(gain, value);
        while (l.engine.count(3) == before)
            std::this_thread::sleep_for(std::chrono::microseconds(100));
        state.SetIterationTime(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        // Land the next edit at a different point of the exchange cycle.
        std::this_thread::sleep_for(std::chrono::milliseconds(7 * (round++ % 10)));
    }
}
BENCHMARK(EditToChangeFrame)->Iterations(40)->Unit(benchmark::kMillisecond)->UseManualTime();

} // namespace
