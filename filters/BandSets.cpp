#include "filters/BandSets.h"

namespace kesmo {

using namespace layout;

namespace {

int fixedIndex(int eqChannel) {
    if (eqChannel >= 0 && eqChannel < kEqOutputFirst)
        return eqChannel;
    if (eqChannel == kEqDynMusicLeft || eqChannel == kEqDynMusicRight)
        return kEqOutputFirst + eqChannel - kEqDynMusicLeft;
    return -1;
}

int outputIndex(int scene, int index) {
    if (scene < 1 || scene > kScenes || index < 0 || index >= kOutputChannels)
        return -1;
    return (scene - 1) * kOutputChannels + index;
}

// The channels whose block holds an EQ with a high- and a low-pass filter.
struct BlockSet {
    int channel;
    std::size_t block, eq, bands, hpf, lpf;
};
constexpr BlockSet kBlockSets[] = {
    {kEqMusicLeft, image::kMusicLeft, music::kEq, music::kEqBands, music::kHpf, music::kLpf},
    {kEqMusicRight, image::kMusicRight, music::kEq, music::kEqBands, music::kHpf, music::kLpf},
    {kEqMic1, image::kMic1, mic::kEq, mic::kEqBands, mic::kHpf, mic::kLpf},
    {kEqMic2, image::kMic2, mic::kEq, mic::kEqBands, mic::kHpf, mic::kLpf},
    {kEqEchoA, image::kEchoA, echo::kEq, echo::kEqBands, echo::kHpf, echo::kLpf},
    {kEqEchoB, image::kEchoB, echo::kEq, echo::kEqBands, echo::kHpf, echo::kLpf},
    {kEqReverb, image::kReverb, reverb::kEq, reverb::kEqBands, reverb::kHpf, reverb::kLpf},
    {kEqSpareReverb, image::kSpareReverb, reverb::kEq, reverb::kEqBands, reverb::kHpf,
     reverb::kLpf},
};

} // namespace

BandSets::BandSets(ParamStore& store) : m_store(store) {
    ModeImage& w = store.working;
    for (const BlockSet& b : kBlockSets)
        m_fixed[static_cast<std::size_t>(b.channel)].build(
            static_cast<int>(b.bands), w, b.block + b.eq, b.channel,
            CrossoverView(w, b.block + b.hpf), CrossoverView(w, b.block + b.lpf));
    for (const auto& [channel, block] : {std::pair{kEqDynMusicLeft, image::kMusicLeft},
                                         std::pair{kEqDynMusicRight, image::kMusicRight}})
        m_fixed[static_cast<std::size_t>(fixedIndex(channel))].buildDynamic(w,
                                                                            block + music::kDynEq);
    for (int scene = 1; scene <= kScenes; ++scene)
        for (int k = 0; k < kOutputChannels; ++k) {
            const std::size_t block = outputChannelOffset(scene, k);
            m_outputs[static_cast<std::size_t>(outputIndex(scene, k))].build(
                static_cast<int>(output::kEqBands), w, block + output::kEq, kEqOutputFirst + k,
                CrossoverView(w, block + output::kHpf), CrossoverView(w, block + output::kLpf));
        }
    setBandSetBinder(m_store, this);
}

BandSets::~BandSets() {
    if (bandSetBinder(m_store) == this)
        setBandSetBinder(m_store, nullptr);
}

CKTVEQ* BandSets::channel(int eqChannel) {
    if (eqChannel >= kEqOutputFirst && eqChannel < kEqOutputFirst + kOutputChannels)
        return output(editedScene(m_store), eqChannel - kEqOutputFirst);
    const int i = fixedIndex(eqChannel);
    return i < 0 ? nullptr : &m_fixed[static_cast<std::size_t>(i)];
}

CKTVEQ* BandSets::output(int scene, int index) {
    const int i = outputIndex(scene, index);
    return i < 0 ? nullptr : &m_outputs[static_cast<std::size_t>(i)];
}

void BandSets::rebindAll() {
    for (CKTVEQ& set : m_fixed)
        set.rebind();
    for (CKTVEQ& set : m_outputs)
        set.rebind();
}

void BandSets::rebindChannel(int eqChannel) {
    if (CKTVEQ* set = channel(eqChannel))
        set->rebind();
}

void BandSets::rebindOutputChannel(int scene, int index) {
    if (CKTVEQ* set = output(scene, index))
        set->rebind();
}

} // namespace kesmo
