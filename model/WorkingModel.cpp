#include "model/WorkingModel.h"

#include "model/DataConver.h"

#include <initializer_list>
#include <system_error>

namespace kesmo {

using namespace layout;

namespace {

constexpr std::uint8_t kUnityGain = 120;
constexpr std::uint8_t kDefaultQ = 10;
constexpr std::uint8_t kTypeBypassed = 0;
constexpr std::uint8_t kTypePeaking = 1;
constexpr std::uint16_t kTopFrequencyCode = 361;
constexpr std::uint8_t kDynEqReserved9 = 1;
constexpr std::uint8_t kEffectMaxVolume = 70;
constexpr std::uint8_t kMicMaxVolume = 84;
constexpr std::uint8_t kMusicMaxVolume = 84;
constexpr std::uint8_t kStartKeyShift = 14;

std::uint16_t frequencyCode(double hz) {
    return static_cast<std::uint16_t>(nearestFrequencyCode(hz));
}

// Gives every band bandAt(0..N-1) its default frequency, 0 dB, Q code 10 and the given type.
template <class BandAt, std::size_t N>
void setBands(BandAt bandAt, const double (&hz)[N], std::uint8_t type) {
    for (std::size_t i = 0; i < N; ++i)
        bandAt(i).set(frequencyCode(hz[i]), kUnityGain, kDefaultQ, type);
}

template <class BandAt> void setExtraBands(BandAt bandAt) {
    for (std::size_t i = 0; i < kExtraBandCount; ++i)
        bandAt(i).set(frequencyCode(kExtraBandHz), kUnityGain, kDefaultQ, kTypeBypassed);
}

// The defaults below name only non-zero values: initialiseModel starts from a zeroed image.
void setPassLpf(CrossoverView lpf) {
    lpf.set(1, kTopFrequencyCode, 0);
}

void setMusicLeftDefaults(ModeImage& w) {
    MusicBlockView m = musicLeft(w);
    setBands([&](std::size_t i) { return m.eq(i); }, kMusicBandHz, kTypeBypassed);
    setExtraBands([&](std::size_t i) { return m.extraBand(i); });
    setPassLpf(m.lpf());
    m.mainMusicHpf().set(0, 0, 1);
    setBands([&](std::size_t i) { return m.dynEq(i).band(); }, kDynEqBandHz, kTypeBypassed);
    for (std::size_t i = 0; i < music::kDynEqBands; ++i)
        m.dynEq(i).setReserved9(kDynEqReserved9);
    m.lowExciter().setFreq(kTopFrequencyCode);
}

void setMic1Defaults(ModeImage& w) {
    MicBlockView m = mic1(w);
    setBands([&](std::size_t i) { return m.eq(i); }, kMicBandHz, kTypeBypassed);
    setExtraBands([&](std::size_t i) { return m.extraBand(i); });
    setPassLpf(m.lpf());
    m.lowExciter().setFreq(kTopFrequencyCode);
}

template <class EffectView> void setEffectDefaults(EffectView e) {
    setBands([&](std::size_t i) { return e.eq(i); }, kEffectBandHz, kTypeBypassed);
    setPassLpf(e.lpf());
}

void setOutputDefaults(ModeImage& w) {
    OutputChannelView c = outputChannel(w, 1, kMainL);
    setBands([&](std::size_t i) { return c.eq(i); }, kOutputBandHz, kTypeBypassed);
    setPassLpf(c.lpf());
    for (int k = 1; k < kOutputChannels; ++k)
        w.copyWithin(c.offset(), outputChannelOffset(1, k), output::kSize);
    for (int s = 2; s <= kScenes; ++s)
        w.copyWithin(outputChannelOffset(1, 0), outputChannelOffset(s, 0), image::kSceneSize);
}

void writePassword(SystemBlock& sb, std::size_t offset, const char* text, std::size_t size) {
    for (std::size_t i = 0; i < size; ++i)
        sb.setByte(offset + i, static_cast<std::uint8_t>(text[i]));
}

void setSystemDefaults(SystemBlock& sb) {
    sb.setByte(system::kCurrentMode, 0);
    sb.setByte(system::kEffectVolume, 0);
    sb.setByte(system::kMicVolume, 0);
    sb.setByte(system::kMusicVolume, 0);
    sb.setByte(system::kEffectMaxVolume, kEffectMaxVolume);
    sb.setByte(system::kMicMaxVolume, kMicMaxVolume);
    sb.setByte(system::kMusicMaxVolume, kMusicMaxVolume);
    sb.setByte(system::kRearMicPhantom, 0);
    sb.setByte(system::kInputSelect, 0);
    const std::uint8_t sensitivity = sb.byte(system::kSensitivityAndKey) & 0x0F;
    sb.setByte(system::kSensitivityAndKey,
               static_cast<std::uint8_t>(kStartKeyShift << 4) | sensitivity);
    for (std::size_t i = system::kVodGain; i <= system::kInfrared; ++i)
        sb.setByte(i, 0);
    static_assert(sizeof kPlaceholderPanelPassword - 1 == system::kPanelPasswordSize);
    static_assert(sizeof kPlaceholderSystemPassword - 1 == system::kSystemPasswordSize);
    writePassword(sb, system::kPanelPassword, kPlaceholderPanelPassword,
                  system::kPanelPasswordSize);
    writePassword(sb, system::kSystemPassword, kPlaceholderSystemPassword,
                  system::kSystemPasswordSize);
}

void rebindAll(const ParamStore& store) {
    if (BandSetBinder* b = bandSetBinder(store))
        b->rebindAll();
}

void rebindChannels(const ParamStore& store, std::initializer_list<int> channels) {
    if (BandSetBinder* b = bandSetBinder(store))
        for (int c : channels)
            b->rebindChannel(c);
}

// The output pairs by the EqChannel of their right member.
struct OutputPair {
    int eqChannel;
    int right;
    Link link;
};
constexpr OutputPair kOutputPairs[] = {
    {kEqOutputFirst + static_cast<int>(kMainR), kMainR, Link::Main},
    {kEqOutputFirst + static_cast<int>(kRearR), kRearR, Link::Rear},
    {kEqOutputFirst + static_cast<int>(kSurroundR), kSurroundR, Link::Surround},
};

void copyOutputPair(ParamStore& store, const OutputPair& pair, bool rebind) {
    linkCopy(store, pair.link);
    if (!rebind)
        return;
    if (BandSetBinder* b = bandSetBinder(store))
        for (int s = 1; s <= kScenes; ++s)
            b->rebindOutputChannel(s, pair.right);
}

constexpr Link kLinkOrder[] = {Link::Mic, Link::Music, Link::Main, Link::Rear, Link::Surround};

} // namespace

void setBandSetBinder(ParamStore& store, BandSetBinder* binder) {
    store.binder.store(binder);
}

BandSetBinder* bandSetBinder(const ParamStore& store) {
    return store.binder.load();
}

PresetFolders presetFolders(const ParamStore& store) {
    return store.presetFolders;
}

void initialiseModel(ParamStore& store) {
    std::error_code ec;
    std::filesystem::path cwd = std::filesystem::current_path(ec);
    initialiseModel(store, ec ? std::filesystem::path(".") : cwd);
}

void initialiseModel(ParamStore& store, const std::filesystem::path& workingDirectory) {
    ModeImage& w = store.working;
    // Everything without a non-zero default starts at 0 (the mode name included), whatever
    // the image held before.
    w.fill(0);
    setMusicLeftDefaults(w);
    linkCopy(w, Link::Music);
    setMic1Defaults(w);
    linkCopy(w, Link::Mic);
    setEffectDefaults(echoA(w));
    w.copyWithin(image::kEchoA, image::kEchoB, echo::kSize);
    setEffectDefaults(reverbBlock(w));
    w.copyWithin(image::kReverb, image::kSpareReverb, reverb::kSize);
    setOutputDefaults(w);
    rebindAll(store);
    setScene(store, 1);
    setSystemDefaults(store.workingSystem);
    store.bankLoadedFromFile.store(0, std::memory_order_relaxed);
    store.presetFolders = ensurePresetFolders(workingDirectory);
}

void takeOverImage(ParamStore& store, bool withSystemBlock) {
    store.mirror.assign(store.working);
    if (withSystemBlock) {
        store.mirrorSystem.assign(store.workingSystem);
        return;
    }
    rebindAll(store);
}

void takeOverImageFromDevice(ParamStore& store) {
    store.mirror.assign(store.working);
}

void rebindBandSets(ParamStore& store) {
    rebindAll(store);
}

void copyMusicLink(ParamStore& store, bool rebind) {
    linkCopy(store, Link::Music);
    if (rebind)
        rebindChannels(store, {kEqMusicRight, kEqDynMusicRight, kEqDynMusicLeft});
}

void copyMicLink(ParamStore& store, bool rebind) {
    linkCopy(store, Link::Mic);
    if (rebind)
        rebindChannels(store, {kEqMic2});
}

void copyOutputLink(ParamStore& store, int pair, bool rebind) {
    for (const OutputPair& p : kOutputPairs)
        if (p.eqChannel == pair)
            copyOutputPair(store, p, rebind);
}

void applyWorkingLinks(ParamStore& store) {
    for (Link link : kLinkOrder) {
        if (store.working.byte(linkFlagOffset(link)) != 1)
            continue;
        if (link == Link::Mic)
            copyMicLink(store, true);
        else if (link == Link::Music)
            copyMusicLink(store, true);
        for (const OutputPair& p : kOutputPairs)
            if (p.link == link)
                copyOutputPair(store, p, true);
    }
}

void applyStoredModeLinks(ParamStore& store) {
    for (ModeImage& image : store.storedModes)
        for (Link link : kLinkOrder)
            if (image.byte(linkFlagOffset(link)) == 1)
                linkCopy(image, link);
}

void resetEq(ParamStore& store, int eqChannel) {
    ModeImage& w = store.working;
    const auto reset = [](auto bandAt, const auto& hz) { setBands(bandAt, hz, kTypePeaking); };
    switch (eqChannel) {
    case kEqMusicLeft:
    case kEqMusicRight: {
        MusicBlockView m = eqChannel == kEqMusicLeft ? musicLeft(w) : musicRight(w);
        reset([&](std::size_t i) { return m.eq(i); }, kMusicBandHz);
        break;
    }
    case kEqMic1:
    case kEqMic2: {
        MicBlockView m = eqChannel == kEqMic1 ? mic1(w) : mic2(w);
        reset([&](std::size_t i) { return m.eq(i); }, kMicBandHz);
        break;
    }
    case kEqEchoA:
    case kEqEchoB: {
        EchoBlockView e = eqChannel == kEqEchoA ? echoA(w) : echoB(w);
        reset([&](std::size_t i) { return e.eq(i); }, kEffectBandHz);
        break;
    }
    case kEqReverb: {
        ReverbBlockView r = reverbBlock(w);
        reset([&](std::size_t i) { return r.eq(i); }, kEffectBandHz);
        break;
    }
    case kEqDynMusicLeft:
    case kEqDynMusicRight: {
        MusicBlockView m = eqChannel == kEqDynMusicLeft ? musicLeft(w) : musicRight(w);
        reset([&](std::size_t i) { return m.dynEq(i).band(); }, kDynEqBandHz);
        break;
    }
    default: {
        if (eqChannel < kEqOutputFirst || eqChannel >= kEqOutputFirst + kOutputChannels)
            return;
        OutputChannelView c = outputChannel(w, editedScene(store), eqChannel - kEqOutputFirst);
        reset([&](std::size_t i) { return c.eq(i); }, kOutputBandHz);
        break;
    }
    }
    rebindChannels(store, {eqChannel});
}

} // namespace kesmo
