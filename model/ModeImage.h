#pragma once

#include "model/ByteImage.h"
#include "model/Layout.h"
#include "model/PresetFolders.h"

#include <array>
#include <cassert>
#include <memory>

namespace kesmo {

class BandSetBinder;

class ModeImage final : public ByteImage<layout::kModeImageSize> {};
class SystemBlock final : public ByteImage<layout::kSystemBlockSize> {};

// Typed views: a byte offset into an image, reading and writing fields in place.
class EqBandView {
public:
    EqBandView(ModeImage& image, std::size_t offset) : m_image(&image), m_offset(offset) {}
    std::size_t offset() const { return m_offset; }
    std::uint16_t freq() const { return m_image->word(m_offset + layout::eqband::kFreq); }
    std::uint8_t gain() const { return m_image->byte(m_offset + layout::eqband::kGain); }
    std::uint8_t q() const { return m_image->byte(m_offset + layout::eqband::kQ); }
    std::uint8_t type() const { return m_image->byte(m_offset + layout::eqband::kType); }
    void setFreq(std::uint16_t v) { m_image->setWord(m_offset + layout::eqband::kFreq, v); }
    void setGain(std::uint8_t v) { m_image->setByte(m_offset + layout::eqband::kGain, v); }
    void setQ(std::uint8_t v) { m_image->setByte(m_offset + layout::eqband::kQ, v); }
    void setType(std::uint8_t v) { m_image->setByte(m_offset + layout::eqband::kType, v); }
    void set(std::uint16_t freq, std::uint8_t gain, std::uint8_t q, std::uint8_t type) {
        setFreq(freq);
        setGain(gain);
        setQ(q);
        setType(type);
    }

private:
    ModeImage* m_image;
    std::size_t m_offset;
};

class CrossoverView {
public:
    CrossoverView(ModeImage& image, std::size_t offset) : m_image(&image), m_offset(offset) {}
    std::size_t offset() const { return m_offset; }
    std::uint8_t kind() const { return m_image->byte(m_offset + layout::crossover::kKind); }
    std::uint16_t freq() const { return m_image->word(m_offset + layout::crossover::kFreq); }
    std::uint8_t slope() const { return m_image->byte(m_offset + layout::crossover::kSlope); }
    void setKind(std::uint8_t v) { m_image->setByte(m_offset + layout::crossover::kKind, v); }
    void setFreq(std::uint16_t v) { m_image->setWord(m_offset + layout::crossover::kFreq, v); }
    void setSlope(std::uint8_t v) { m_image->setByte(m_offset + layout::crossover::kSlope, v); }
    void set(std::uint8_t kind, std::uint16_t freq, std::uint8_t slope) {
        setKind(kind);
        setFreq(freq);
        setSlope(slope);
    }

private:
    ModeImage* m_image;
    std::size_t m_offset;
};

class DynEqBandView {
public:
    DynEqBandView(ModeImage& image, std::size_t offset) : m_image(&image), m_offset(offset) {}
    std::size_t offset() const { return m_offset; }
    EqBandView band() const { return {*m_image, m_offset + layout::dyneq::kBand}; }
    std::uint8_t threshold() const { return get(layout::dyneq::kThreshold); }
    std::uint8_t attack() const { return get(layout::dyneq::kAttack); }
    std::uint8_t release() const { return get(layout::dyneq::kRelease); }
    std::uint8_t ratio() const { return get(layout::dyneq::kRatio); }
    std::uint8_t reserved9() const { return get(layout::dyneq::kReserved9); }
    void setThreshold(std::uint8_t v) { put(layout::dyneq::kThreshold, v); }
    void setAttack(std::uint8_t v) { put(layout::dyneq::kAttack, v); }
    void setRelease(std::uint8_t v) { put(layout::dyneq::kRelease, v); }
    void setRatio(std::uint8_t v) { put(layout::dyneq::kRatio, v); }
    void setReserved9(std::uint8_t v) { put(layout::dyneq::kReserved9, v); }

private:
    std::uint8_t get(std::size_t rel) const { return m_image->byte(m_offset + rel); }
    void put(std::size_t rel, std::uint8_t v) { m_image->setByte(m_offset + rel, v); }
    ModeImage* m_image;
    std::size_t m_offset;
};

class ExciterView {
public:
    ExciterView(ModeImage& image, std::size_t offset) : m_image(&image), m_offset(offset) {}
    std::size_t offset() const { return m_offset; }
    std::uint16_t freq() const { return m_image->word(m_offset + layout::exciter::kFreq); }
    std::uint8_t harmonic() const { return m_image->byte(m_offset + layout::exciter::kHarmonic); }
    std::uint8_t timbre() const { return m_image->byte(m_offset + layout::exciter::kTimbre); }
    void setFreq(std::uint16_t v) { m_image->setWord(m_offset + layout::exciter::kFreq, v); }
    void setHarmonic(std::uint8_t v) { m_image->setByte(m_offset + layout::exciter::kHarmonic, v); }
    void setTimbre(std::uint8_t v) { m_image->setByte(m_offset + layout::exciter::kTimbre, v); }
    bool switchedOn() const { return harmonic() != 0 || timbre() != 0; }

private:
    ModeImage* m_image;
    std::size_t m_offset;
};

// Base of the block views: byte and word fields by relative offset.
class BlockView {
public:
    BlockView(ModeImage& image, std::size_t offset) : m_image(&image), m_offset(offset) {}
    std::size_t offset() const { return m_offset; }
    std::uint8_t byte(std::size_t rel) const { return m_image->byte(m_offset + rel); }
    void setByte(std::size_t rel, std::uint8_t v) { m_image->setByte(m_offset + rel, v); }
    std::uint16_t word(std::size_t rel) const { return m_image->word(m_offset + rel); }
    void setWord(std::size_t rel, std::uint16_t v) { m_image->setWord(m_offset + rel, v); }

protected:
    EqBandView bandAt(std::size_t rel, std::size_t i) const {
        return {*m_image, m_offset + rel + layout::eqband::kSize * i};
    }
    CrossoverView crossoverAt(std::size_t rel) const { return {*m_image, m_offset + rel}; }
    ExciterView exciterAt(std::size_t rel) const { return {*m_image, m_offset + rel}; }
    ModeImage* m_image;
    std::size_t m_offset;
};

class EchoBlockView : public BlockView {
public:
    using BlockView::BlockView;
    EqBandView eq(std::size_t i) const { return bandAt(layout::echo::kEq, i); }
    CrossoverView hpf() const { return crossoverAt(layout::echo::kHpf); }
    CrossoverView lpf() const { return crossoverAt(layout::echo::kLpf); }
    std::uint8_t eqBypass() const { return byte(layout::echo::kEqBypass); }
    std::uint8_t wetVolume() const { return byte(layout::echo::kWetVolume); }
    std::uint8_t wetSign() const { return byte(layout::echo::kWetSign); }
    std::uint8_t dryVolume() const { return byte(layout::echo::kDryVolume); }
    std::uint8_t drySign() const { return byte(layout::echo::kDrySign); }
    std::uint16_t preDelay() const { return word(layout::echo::kPreDelay); }
    std::uint16_t rightPreDelay() const { return word(layout::echo::kRightPreDelay); }
    std::uint16_t delay() const { return word(layout::echo::kDelay); }
    std::uint16_t rightDelay() const { return word(layout::echo::kRightDelay); }
    std::uint8_t repeat() const { return byte(layout::echo::kRepeat); }
    void setPreDelay(std::uint16_t v) { setWord(layout::echo::kPreDelay, v); }
    void setRightPreDelay(std::uint16_t v) { setWord(layout::echo::kRightPreDelay, v); }
    void setDelay(std::uint16_t v) { setWord(layout::echo::kDelay, v); }
    void setRightDelay(std::uint16_t v) { setWord(layout::echo::kRightDelay, v); }
};

class ReverbBlockView : public BlockView {
public:
    using BlockView::BlockView;
    EqBandView eq(std::size_t i) const { return bandAt(layout::reverb::kEq, i); }
    CrossoverView hpf() const { return crossoverAt(layout::reverb::kHpf); }
    CrossoverView lpf() const { return crossoverAt(layout::reverb::kLpf); }
    std::uint8_t eqBypass() const { return byte(layout::reverb::kEqBypass); }
    std::uint8_t wetVolume() const { return byte(layout::reverb::kWetVolume); }
    std::uint8_t dryVolume() const { return byte(layout::reverb::kDryVolume); }
    std::uint16_t preDelay() const { return word(layout::reverb::kPreDelay); }
    std::uint16_t reverbTime() const { return word(layout::reverb::kReverbTime); }
    void setPreDelay(std::uint16_t v) { setWord(layout::reverb::kPreDelay, v); }
    void setReverbTime(std::uint16_t v) { setWord(layout::reverb::kReverbTime, v); }
};

class MicBlockView : public BlockView {
public:
    using BlockView::BlockView;
    EqBandView eq(std::size_t i) const { return bandAt(layout::mic::kEq, i); }
    EqBandView extraBand(std::size_t i) const { return bandAt(layout::mic::kExtraBands, i); }
    CrossoverView hpf() const { return crossoverAt(layout::mic::kHpf); }
    CrossoverView lpf() const { return crossoverAt(layout::mic::kLpf); }
    ExciterView lowExciter() const { return exciterAt(layout::mic::kLowExciter); }
    ExciterView highExciter() const { return exciterAt(layout::mic::kHighExciter); }
    std::uint8_t micLevel() const { return byte(layout::mic::kMicLevel); }
    std::uint8_t feedback() const { return byte(layout::mic::kFeedback); }
    std::uint8_t eqBypass() const { return byte(layout::mic::kEqBypass); }
};

class MusicBlockView : public BlockView {
public:
    using BlockView::BlockView;
    EqBandView eq(std::size_t i) const { return bandAt(layout::music::kEq, i); }
    EqBandView extraBand(std::size_t i) const { return bandAt(layout::music::kExtraBands, i); }
    CrossoverView hpf() const { return crossoverAt(layout::music::kHpf); }
    CrossoverView lpf() const { return crossoverAt(layout::music::kLpf); }
    CrossoverView mainMusicHpf() const { return crossoverAt(layout::music::kMainMusicHpf); }
    DynEqBandView dynEq(std::size_t i) const {
        return {*m_image, m_offset + layout::music::kDynEq + layout::dyneq::kSize * i};
    }
    ExciterView lowExciter() const { return exciterAt(layout::music::kLowExciter); }
    ExciterView highExciter() const { return exciterAt(layout::music::kHighExciter); }
    std::uint8_t eqBypass() const { return byte(layout::music::kEqBypass); }
};

class OutputChannelView : public BlockView {
public:
    using BlockView::BlockView;
    EqBandView eq(std::size_t i) const { return bandAt(layout::output::kEq, i); }
    CrossoverView hpf() const { return crossoverAt(layout::output::kHpf); }
    CrossoverView lpf() const { return crossoverAt(layout::output::kLpf); }
    std::uint8_t mute() const { return byte(layout::output::kMute); }
    std::uint8_t eqBypass() const { return byte(layout::output::kEqBypass); }
    std::uint16_t delay() const { return word(layout::output::kDelay); }
    void setDelay(std::uint16_t v) { setWord(layout::output::kDelay, v); }
};

// Typed access to the blocks of one image.
inline EchoBlockView echoA(ModeImage& m) {
    return {m, layout::image::kEchoA};
}
inline EchoBlockView echoB(ModeImage& m) {
    return {m, layout::image::kEchoB};
}
inline ReverbBlockView reverbBlock(ModeImage& m) {
    return {m, layout::image::kReverb};
}
inline ReverbBlockView spareReverbBlock(ModeImage& m) {
    return {m, layout::image::kSpareReverb};
}
inline MicBlockView mic1(ModeImage& m) {
    return {m, layout::image::kMic1};
}
inline MicBlockView mic2(ModeImage& m) {
    return {m, layout::image::kMic2};
}
inline MusicBlockView musicLeft(ModeImage& m) {
    return {m, layout::image::kMusicLeft};
}
inline MusicBlockView musicRight(ModeImage& m) {
    return {m, layout::image::kMusicRight};
}
inline OutputChannelView outputChannel(ModeImage& m, int scene, int index) {
    return {m, layout::outputChannelOffset(scene, index)};
}

// Master volume channels of the system block.
enum class MasterChannel { Effect, Mic, Music };
std::size_t masterVolumeOffset(MasterChannel c);
std::size_t masterMaxOffset(MasterChannel c);

// Sets a maximum volume; a master volume above the new maximum becomes the maximum, which
// also clears its mute bit.
void setMaxVolume(SystemBlock& sb, MasterChannel c, std::uint8_t maximum);

// Every copy of the model the program keeps.
class ParamStore {
public:
    ModeImage working;
    ModeImage mirror;
    SystemBlock workingSystem;
    SystemBlock mirrorSystem;
    std::array<ModeImage, layout::kStoredModes> storedModes;     // modes 1..21 at 0..20
    std::array<SystemBlock, layout::kStoredModes> storedSystems; // their system blocks
    SystemBlock fileHeaderSystem;                                // head of an all-modes file
    std::atomic<int> fallbackScene{1};
    // The band sets bound to this store's working image, when the filters have registered.
    std::atomic<BandSetBinder*> binder{nullptr};
    PresetFolders presetFolders; // set by initialiseModel

    ModeImage& storedMode(int n) { return storedModes.at(static_cast<std::size_t>(n - 1)); }
    SystemBlock& storedSystem(int n) { return storedSystems.at(static_cast<std::size_t>(n - 1)); }
};

// The process-wide store.
ParamStore& paramStore();

// The scene being edited, always 1..3: sceneSelect when it names a scene, else the fallback.
int editedScene(const ParamStore& store);
int editedScene(const ModeImage& image, int fallbackScene);
// s = 0 sets only sceneSelect; 1..3 sets sceneSelect and the fallback; other values do nothing.
void setScene(ParamStore& store, int s);

// Offset of the EqBand record with the given wire band index (0..190), in the given scene.
constexpr std::size_t bandRecord(int wireBandIndex, int scene) {
    using namespace layout;
    struct Run {
        int first, last;
        std::size_t base;
    };
    constexpr Run kRuns[] = {
        {0, 14, image::kMusicLeft + music::kEq},
        {15, 19, image::kMusicLeft + music::kExtraBands},
        {20, 34, image::kMusicRight + music::kEq},
        {35, 39, image::kMusicRight + music::kExtraBands},
        {40, 59, image::kMic1 + mic::kEq},
        {60, 64, image::kMic1 + mic::kExtraBands},
        {65, 84, image::kMic2 + mic::kEq},
        {85, 89, image::kMic2 + mic::kExtraBands},
        {90, 96, image::kEchoA + echo::kEq},
        {97, 103, image::kReverb + reverb::kEq},
        {104, 110, image::kEchoB + echo::kEq},
    };
    const int i = wireBandIndex;
    for (const Run& r : kRuns)
        if (i >= r.first && i <= r.last)
            return r.base + eqband::kSize * static_cast<std::size_t>(i - r.first);
    assert(i >= 111 && i < kWireBandCount);
    const int k = (i - 111) / 10;
    const int b = (i - 111) % 10;
    return outputChannelOffset(scene, k) + output::kEq +
           eqband::kSize * static_cast<std::size_t>(b);
}

// Link copies: left member over right member.
enum class Link { Mic, Music, Main, Rear, Surround };
std::size_t linkFlagOffset(Link link);
// Within one image (used for stored modes).
void linkCopy(ModeImage& image, Link link);
// In the working image and the mirror together, so the synchroniser sends nothing.
void linkCopy(ParamStore& store, Link link);

} // namespace kesmo
