#include "filters/KTVEQ.h"

#include <benchmark/benchmark.h>
#include <memory>

using namespace kesmo;
using namespace kesmo::layout;

namespace {

// A microphone channel: 20 peaking bands and both crossovers at their steepest.
struct MicChannel {
    std::unique_ptr<ModeImage> image = std::make_unique<ModeImage>();
    CKTVEQ set;

    MicChannel() {
        MicBlockView block = mic1(*image);
        for (std::size_t i = 0; i < mic::kEqBands; ++i)
            block.eq(i).set(static_cast<std::uint16_t>(20 + 16 * i), 130, 10, 1);
        block.hpf().set(0, 60, 11);
        block.lpf().set(1, 300, 12);
        set.build(static_cast<int>(mic::kEqBands), *image, image::kMic1 + mic::kEq, kEqMic1,
                  block.hpf(), block.lpf());
        set.layout({35, 10, 1129, 330});
    }
};

// What one mouse-move step of a band drag costs: one band recomputed, the set re-summed.
void BandDragStep(benchmark::State& state) {
    MicChannel channel;
    CFilter& band = *channel.set.filter(7);
    int gain = 100;
    for (auto _ : state) {
        band.setGainCode(gain);
        gain = gain == 100 ? 140 : 100;
        channel.set.combine();
        benchmark::DoNotOptimize(channel.set.combinedPoints().data());
    }
}
BENCHMARK(BandDragStep);

// The dearest filter to recompute: a 36 dB/octave crossover, three sections.
void CrossoverDragStep(benchmark::State& state) {
    MicChannel channel;
    CFilter& lp = *channel.set.lowPass();
    int code = 300;
    for (auto _ : state) {
        lp.setCrossoverFrequencyCode(code);
        code = code == 300 ? 301 : 300;
        channel.set.combine();
        benchmark::DoNotOptimize(channel.set.combinedPoints().data());
    }
}
BENCHMARK(CrossoverDragStep);

} // namespace
