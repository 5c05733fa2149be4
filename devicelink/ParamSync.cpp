#include "devicelink/ParamSync.h"

#include "devicelink/Catalogue.h"

#include <algorithm>
#include <array>
#include <stdexcept>

namespace kesmo {

namespace {

using namespace layout;

// Where an item's offset points: the image, the edited scene (offset relative to its start)
// or the system block.
enum class Area : std::uint8_t { Image, Scene, System };

// How an item's bytes are laid out in the frame's data (v = its bytes, from byte 5 on).
enum class Shape : std::uint8_t {
    Indexed,     // index, v
    Bare,        // v
    ZeroFirst,   // index, 0, v
    ZeroAfter,   // index, v, 0
    HighNibble,  // v >> 4, 0, 0
    LowNibble,   // index, v & 15
    GateFlag,    // index, v (3 bytes), first byte nonzero
    ExciterFlag, // index, harmonic or timbre nonzero, v (4 bytes), five zeros
};

struct SyncItem {
    std::uint8_t code;
    std::uint8_t index;
    Area area;
    Shape shape;
    std::uint16_t offset;
    std::uint8_t width;
    std::uint8_t length; // L of the change frame
    std::uint8_t mask;   // the bits of each byte that belong to the item
};

constexpr std::size_t kData = 5;
// The longest change frame is L = 13, 17 bytes on the wire.
constexpr std::size_t kLongestChange = 17;
constexpr std::size_t kMaxItems = 416;
constexpr std::size_t kMaxWidth = dyneq::kSize; // the widest item

constexpr std::uint8_t dataBytes(Shape shape, std::size_t width) {
    switch (shape) {
    case Shape::Indexed:
        return static_cast<std::uint8_t>(1 + width);
    case Shape::Bare:
        return static_cast<std::uint8_t>(width);
    case Shape::ZeroFirst:
    case Shape::ZeroAfter:
    case Shape::HighNibble:
        return 3;
    case Shape::LowNibble:
        return 2;
    case Shape::GateFlag:
        return 5;
    case Shape::ExciterFlag:
        break;
    }
    return 11;
}

// Consecutive items of one area whose bytes together form one contiguous range: when the
// range is equal in working and mirror, the step skips all of them with one compare.
struct SyncSpan {
    std::uint16_t first;
    std::uint16_t end;
    Area area;
    std::uint16_t offset;
    std::uint16_t width;
};

struct SyncTable {
    std::array<SyncItem, kMaxItems> items{};
    std::size_t count = 0;
    std::array<SyncSpan, kMaxItems> spans{};
    std::size_t spanCount = 0;
    static constexpr std::size_t kSpanBox = 128; // the widest span

    // Groups each run of items into the longest prefix (of a few items) whose bytes form one
    // range, so that interleaved items such as level and sign bytes share one compare.
    constexpr void buildSpans() {
        constexpr std::size_t kLookahead = 32;
        for (std::size_t i = 0; i < count;) {
            std::size_t lo = items[i].offset, hi = lo + items[i].width, end = i + 1;
            std::size_t groupLo = lo, groupHi = hi;
            for (std::size_t j = i + 1; j < count && j < i + kLookahead; ++j) {
                if (items[j].area != items[i].area)
                    break;
                lo = std::min<std::size_t>(lo, items[j].offset);
                hi = std::max<std::size_t>(hi, items[j].offset + items[j].width);
                if (hi - lo > kSpanBox)
                    break;
                if (coversRange(i, j + 1, lo, hi)) {
                    end = j + 1;
                    groupLo = lo;
                    groupHi = hi;
                }
            }
            spans[spanCount++] = {static_cast<std::uint16_t>(i), static_cast<std::uint16_t>(end),
                                  items[i].area, static_cast<std::uint16_t>(groupLo),
                                  static_cast<std::uint16_t>(groupHi - groupLo)};
            i = end;
        }
    }
    // Whether items first .. end - 1 together cover every byte of lo .. hi - 1.
    constexpr bool coversRange(std::size_t first, std::size_t end, std::size_t lo,
                               std::size_t hi) const {
        std::array<bool, kSpanBox> covered{};
        for (std::size_t n = first; n < end; ++n)
            for (std::size_t k = 0; k < items[n].width; ++k)
                covered[items[n].offset + k - lo] = true;
        return std::all_of(covered.begin(), covered.begin() + static_cast<std::ptrdiff_t>(hi - lo),
                           [](bool c) { return c; });
    }

    // The table is built at compile time: an item that does not fit stops the build.
    constexpr void add(CommandCode code, int index, Area area, std::size_t offset,
                       std::size_t width, Shape shape = Shape::Indexed) {
        if (count == kMaxItems || width > kMaxWidth)
            throw std::length_error("synchroniser item table too small");
        const std::uint8_t mask = shape == Shape::HighNibble  ? 0xF0
                                  : shape == Shape::LowNibble ? 0x0F
                                                              : 0xFF;
        items[count++] = {static_cast<std::uint8_t>(code),
                          static_cast<std::uint8_t>(index),
                          area,
                          shape,
                          static_cast<std::uint16_t>(offset),
                          static_cast<std::uint8_t>(width),
                          static_cast<std::uint8_t>(dataBytes(shape, width) + 2),
                          mask};
    }
    constexpr void image(CommandCode code, int index, std::size_t offset, std::size_t width = 1,
                         Shape shape = Shape::Indexed) {
        add(code, index, Area::Image, offset, width, shape);
    }
    constexpr void scene(CommandCode code, int index, std::size_t offset, std::size_t width = 1,
                         Shape shape = Shape::Indexed) {
        add(code, index, Area::Scene, offset, width, shape);
    }
    constexpr void system(CommandCode code, int index, std::size_t offset,
                          Shape shape = Shape::Indexed) {
        add(code, index, Area::System, offset, 1, shape);
    }
};

constexpr std::size_t channelRel(int c) {
    return output::kSize * static_cast<std::size_t>(c);
}

// The items in the order of comparison.
constexpr SyncTable buildTable() {
    using C = CommandCode;
    SyncTable t;
    constexpr std::size_t eA = image::kEchoA, eB = image::kEchoB, rv = image::kReverb;
    constexpr std::size_t m1 = image::kMic1, m2 = image::kMic2;
    constexpr std::size_t mL = image::kMusicLeft, mR = image::kMusicRight;

    t.system(C::Volume, 2, system::kEffectVolume);
    t.system(C::Volume, 1, system::kMicVolume);
    t.system(C::Volume, 0, system::kMusicVolume);

    struct LevelByte {
        C code;
        int index;
        std::size_t offset;
    };
    const LevelByte effectLevels[] = {
        {C::Level, 0, eA + echo::kRepeat},      {C::Level, 1, eA + echo::kWetVolume},
        {C::Sign, 1, eA + echo::kWetSign},      {C::Level, 2, eA + echo::kDryVolume},
        {C::Sign, 2, eA + echo::kDrySign},      {C::Level, 3, eB + echo::kRepeat},
        {C::Level, 4, eB + echo::kWetVolume},   {C::Sign, 4, eB + echo::kWetSign},
        {C::Level, 5, eB + echo::kDryVolume},   {C::Sign, 5, eB + echo::kDrySign},
        {C::Level, 6, rv + reverb::kWetVolume}, {C::Level, 7, rv + reverb::kDryVolume},
        {C::Sign, 6, rv + reverb::kWetSign},    {C::Sign, 7, rv + reverb::kDrySign},
    };
    for (const LevelByte& l : effectLevels)
        t.image(l.code, l.index, l.offset);
    // The device numbers the output channels in its own order for levels and signs.
    constexpr int deviceOrder[] = {kMainL,     kCenter, kSub,   kRearL,
                                   kSurroundL, kMainR,  kRearR, kSurroundR};
    for (int k = 0; k < kOutputChannels; ++k) {
        const int first = k <= 4 ? 8 + 5 * k : 18 + 5 * k;
        const std::size_t rel = channelRel(deviceOrder[k]) + output::kMusicLevel;
        for (int j = 0; j < 5; ++j)
            t.scene(C::Level, first + j, rel + 2 * static_cast<std::size_t>(j));
        for (int j = 0; j < 5; ++j)
            t.scene(C::Sign, first + j, rel + 1 + 2 * static_cast<std::size_t>(j));
    }

    const std::size_t sceneStart = outputChannelOffset(1, 0);
    for (int i = 0; i < kWireBandCount; ++i) {
        const std::size_t at = bandRecord(i, 1);
        if (at >= sceneStart)
            t.scene(C::EqBand, i, at - sceneStart, eqband::kSize);
        else
            t.image(C::EqBand, i, at, eqband::kSize);
    }

    // High-pass record first; both travel under the same index.
    const std::size_t filterPairs[] = {mL + music::kHpf, mR + music::kHpf, m1 + mic::kHpf,
                                       m2 + mic::kHpf,   eA + echo::kHpf,  rv + reverb::kHpf,
                                       eB + echo::kHpf};
    int index = 0;
    for (std::size_t hpf : filterPairs) {
        t.image(C::Crossover, index, hpf, crossover::kSize);
        t.image(C::Crossover, index++, hpf + crossover::kSize, crossover::kSize);
    }
    for (int c = 0; c < kOutputChannels; ++c) {
        t.scene(C::Crossover, index, channelRel(c) + output::kHpf, crossover::kSize);
        t.scene(C::Crossover, index++, channelRel(c) + output::kLpf, crossover::kSize);
    }
    t.image(C::Crossover, index++, mL + music::kMainMusicHpf, crossover::kSize);
    t.image(C::Crossover, index, mR + music::kMainMusicHpf, crossover::kSize);

    const std::size_t values16[] = {eA + echo::kPreDelay,   eA + echo::kRightPreDelay,
                                    eA + echo::kDelay,      eA + echo::kRightDelay,
                                    eB + echo::kPreDelay,   eB + echo::kRightPreDelay,
                                    eB + echo::kDelay,      eB + echo::kRightDelay,
                                    rv + reverb::kPreDelay, rv + reverb::kReverbTime};
    index = 0;
    for (std::size_t at : values16)
        t.image(C::Value16, index++, at, 2);
    for (int c = 0; c < kOutputChannels; ++c)
        t.scene(C::Value16, index++, channelRel(c) + output::kDelay, 2);

    // Only the left channel of each output pair carries a limiter.
    t.image(C::Limiter, 0, m1 + mic::kLimitLevel, 4);
    t.image(C::Limiter, 1, m2 + mic::kLimitLevel, 4);
    index = 2;
    for (int c : {kMainL, kCenter, kSub, kRearL, kSurroundL})
        t.scene(C::Limiter, index++, channelRel(c) + output::kLimitLevel, 4);
    t.image(C::Limiter, index, mL + music::kLimitLevel, 4);

    for (int c = 0; c < kOutputChannels; ++c)
        t.scene(C::Mute, c, channelRel(c) + output::kMute, 1, Shape::ZeroAfter);

    t.system(C::InputLevel, 0, system::kSensitivityAndKey, Shape::LowNibble);
    t.image(C::InputLevel, 1, m1 + mic::kMicLevel);
    t.image(C::InputLevel, 2, m2 + mic::kMicLevel);
    index = 3;
    for (std::size_t at :
         {system::kVodGain, system::kBgmGain, system::kCoaxGain, system::kOptiGain})
        t.system(C::InputLevel, index++, at);

    const std::size_t bypasses[] = {
        mL + music::kEqBypass,    mL + music::kExtraBypass, mR + music::kEqBypass,
        mR + music::kExtraBypass, m1 + mic::kEqBypass,      m1 + mic::kExtraBypass,
        m2 + mic::kEqBypass,      m2 + mic::kExtraBypass,   eA + echo::kEqBypass,
        rv + reverb::kEqBypass,   eB + echo::kEqBypass};
    index = 0;
    for (std::size_t at : bypasses)
        t.image(C::Bypass, index++, at);
    for (int c = 0; c < kOutputChannels; ++c)
        t.scene(C::Bypass, index++, channelRel(c) + output::kEqBypass);

    index = 0;
    for (std::size_t at : {image::kMicLink, image::kMusicLink, image::kMainLink, image::kLink2708,
                           image::kRearLink, image::kSurroundLink})
        t.image(C::LinkFlag, index++, at);

    index = 0;
    for (std::size_t block : {mL, mR})
        for (std::size_t b = 0; b < music::kDynEqBands; ++b)
            t.image(C::DynEqBand, index++, block + music::kDynEq + dyneq::kSize * b, dyneq::kSize);

    t.image(C::Feedback, 0, m1 + mic::kFeedback, 1, Shape::ZeroFirst);
    t.image(C::Feedback, 1, m2 + mic::kFeedback, 1, Shape::ZeroFirst);
    t.system(C::KeyShift, 0, system::kSensitivityAndKey, Shape::HighNibble);
    t.system(C::InputSelect, 0, system::kInputSelect, Shape::Bare);

    t.image(C::NoiseGate, 0, m1 + mic::kGateThreshold, 3, Shape::GateFlag);
    t.image(C::NoiseGate, 1, m2 + mic::kGateThreshold, 3, Shape::GateFlag);
    t.image(C::NoiseGate, 2, mL + music::kGateThreshold, 3, Shape::GateFlag);

    const std::size_t exciters[] = {mL + music::kHighExciter, mR + music::kHighExciter,
                                    m1 + mic::kHighExciter,   m2 + mic::kHighExciter,
                                    mL + music::kLowExciter,  mR + music::kLowExciter,
                                    m1 + mic::kLowExciter,    m2 + mic::kLowExciter};
    index = 0;
    for (std::size_t at : exciters)
        t.image(C::Exciter, index++, at, exciter::kSize, Shape::ExciterFlag);

    t.system(C::MaxVolume, 0, system::kMusicMaxVolume);
    t.system(C::MaxVolume, 1, system::kMicMaxVolume);
    t.system(C::MaxVolume, 2, system::kEffectMaxVolume);
    t.system(C::Phantom, 0, system::kRearMicPhantom, Shape::Bare);
    t.system(C::Infrared, 0, system::kInfrared, Shape::Bare);
    t.image(C::SceneSelect, 0, image::kSceneSelect, 1, Shape::Bare);
    t.buildSpans();
    return t;
}

constexpr SyncTable kSyncTable = buildTable();

// The working bytes of one item, read once: the frame carries them and the mirror takes
// them, so a page edit landing in between stays a difference for the next step.
struct Snapshot {
    std::array<std::uint8_t, kMaxWidth> bytes{};

    template <std::size_t N>
    bool read(const SyncItem& item, const ByteImage<N>& working, const ByteImage<N>& mirror,
              std::size_t offset) {
        bool differ = false;
        for (std::size_t i = 0; i < item.width; ++i) {
            bytes[i] = working.byte(offset + i);
            differ |= ((bytes[i] ^ mirror.byte(offset + i)) & item.mask) != 0;
        }
        return differ;
    }
    template <std::size_t N>
    void markSynchronised(const SyncItem& item, ByteImage<N>& mirror, std::size_t offset) const {
        const auto keep = static_cast<std::uint8_t>(~item.mask);
        for (std::size_t i = 0; i < item.width; ++i)
            mirror.setByte(offset + i, static_cast<std::uint8_t>((mirror.byte(offset + i) & keep) |
                                                                 (bytes[i] & item.mask)));
    }
};

void startFrame(Frame& staging, std::uint8_t code, std::uint8_t length) {
    std::fill(staging.data() + 4, staging.data() + kLongestChange, std::uint8_t{0});
    staging.setLength(length);
    staging.setCode(code);
}

void compose(Frame& f, const SyncItem& item, const Snapshot& v) {
    startFrame(f, item.code, item.length);
    std::uint8_t* data = f.data() + kData;
    auto copy = [&](std::size_t at) { std::copy_n(v.bytes.begin(), item.width, data + at); };
    switch (item.shape) {
    case Shape::Indexed:
        data[0] = item.index;
        copy(1);
        break;
    case Shape::Bare:
        copy(0);
        break;
    case Shape::ZeroFirst:
        data[0] = item.index;
        data[2] = v.bytes[0];
        break;
    case Shape::ZeroAfter:
        data[0] = item.index;
        data[1] = v.bytes[0];
        break;
    case Shape::HighNibble:
        data[0] = static_cast<std::uint8_t>(v.bytes[0] >> 4);
        break;
    case Shape::LowNibble:
        data[0] = item.index;
        data[1] = static_cast<std::uint8_t>(v.bytes[0] & 0x0F);
        break;
    case Shape::GateFlag:
        data[0] = item.index;
        copy(1);
        data[1 + item.width] = v.bytes[0] != 0 ? 1 : 0;
        break;
    case Shape::ExciterFlag:
        data[0] = item.index;
        data[1] = v.bytes[exciter::kHarmonic] != 0 || v.bytes[exciter::kTimbre] != 0 ? 1 : 0;
        copy(2);
        break;
    }
    frameChecksum(f);
}

template <std::size_t N>
bool syncItem(Frame& staging, const SyncItem& item, const ByteImage<N>& working,
              ByteImage<N>& mirror, std::size_t offset) {
    Snapshot v;
    if (!v.read(item, working, mirror, offset))
        return false;
    compose(staging, item, v);
    v.markSynchronised(item, mirror, offset);
    return true;
}

} // namespace

int ParamSync(Frame& staging, ParamStore& store, LinkState& link) {
    const SyncTable& table = kSyncTable;
    const std::size_t sceneBase = outputChannelOffset(editedScene(store), 0);
    auto base = [&](Area area) { return area == Area::Scene ? sceneBase : 0; };
    for (std::size_t s = 0; s < table.spanCount; ++s) {
        const SyncSpan& span = table.spans[s];
        const bool same =
            span.area == Area::System
                ? store.workingSystem.sameAs(store.mirrorSystem, span.offset, span.width)
                : store.working.sameAs(store.mirror, base(span.area) + span.offset, span.width);
        if (same)
            continue;
        for (std::size_t n = span.first; n < span.end; ++n) {
            const SyncItem& item = table.items[n];
            const bool sent =
                item.area == Area::System
                    ? syncItem(staging, item, store.workingSystem, store.mirrorSystem, item.offset)
                    : syncItem(staging, item, store.working, store.mirror,
                               base(item.area) + item.offset);
            if (sent)
                return 1;
        }
    }

    // Nothing to send: poll the meters, levels and limits in turn.
    const bool limits = link.lamps.alternation.load(std::memory_order_relaxed) != 0;
    link.lamps.alternation.store(limits ? 0 : 1, std::memory_order_relaxed);
    const std::uint8_t scene = store.working.byte(image::kSceneSelect);
    startFrame(
        staging,
        static_cast<std::uint8_t>(limits ? CommandCode::MeterLimits : CommandCode::MeterLevels), 3);
    staging[kData] = scene;
    store.mirror.setByte(image::kSceneSelect, scene);
    frameChecksum(staging);
    return 1;
}

} // namespace kesmo
