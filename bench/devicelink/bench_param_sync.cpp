#include "devicelink/ParamSync.h"

#include <benchmark/benchmark.h>
#include <memory>

using namespace kesmo;

namespace {

struct Link {
    std::unique_ptr<ParamStore> store = std::make_unique<ParamStore>();
    std::unique_ptr<LinkState> link = std::make_unique<LinkState>();
    Frame staging;

    Link() {
        for (std::size_t i = 0; i < ModeImage::kSize; ++i)
            store->working.setByte(i, static_cast<std::uint8_t>(i * 7 + 3));
        store->working.setByte(layout::image::kSceneSelect, 1);
        store->mirror.assign(store->working);
        for (std::size_t i = 0; i < SystemBlock::kSize; ++i)
            store->workingSystem.setByte(i, static_cast<std::uint8_t>(i * 5 + 1));
        store->mirrorSystem.assign(store->workingSystem);
    }
};

void NothingToSend(benchmark::State& state) {
    Link l;
    for (auto _ : state) {
        ParamSync(l.staging, *l.store, *l.link);
        benchmark::DoNotOptimize(l.staging.data()[4]);
    }
}
BENCHMARK(NothingToSend);

// The scene selection is the last item compared.
void OnlyLastItemDiffers(benchmark::State& state) {
    Link l;
    for (auto _ : state) {
        l.store->mirror.setByte(layout::image::kSceneSelect, 0);
        ParamSync(l.staging, *l.store, *l.link);
        benchmark::DoNotOptimize(l.staging.data()[4]);
    }
}
BENCHMARK(OnlyLastItemDiffers);

} // namespace
namespace {
void WholeImageSameAs(benchmark::State& state) {
    Link l;
    for (auto _ : state)
        benchmark::DoNotOptimize(l.store->working.sameAs(l.store->mirror));
}
BENCHMARK(WholeImageSameAs);
}
