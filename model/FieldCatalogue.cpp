#include "model/FieldCatalogue.h"

#include "model/Layout.h"
#include "model/TextFormat.h"

#include <algorithm>
#include <array>
#include <cassert>
#include <charconv>
#include <cstdio>
#include <unordered_map>

namespace kesmo {

namespace {

using namespace layout;

constexpr std::array<const char*, 4> kBandTypes = {"BY", "P", "LS", "HS"};
constexpr std::array<const char*, 2> kCrossoverKinds = {"high-pass", "low-pass"};
constexpr std::array<const char*, 13> kSlopes = {
    "ByPass",      "6dB/ct",           "12dB Bessel",   "12dB Butuerworth", "12dBLink-Riley",
    "18dB Bessel", "18dB Butuerworth", "24dB Bessel",   "24dB Butuerworth", "24dBLink-Riley",
    "36dB Bessel", "36dB Butuerworth", "36dBLink-Riley"};
constexpr std::array<const char*, 5> kFeedbackTexts = {"OFF", "FB.EX1", "FB.EX2", "FB.EX3",
                                                       "FB.EX4"};
constexpr std::array<const char*, 4> kSceneNames = {"Auto", "Sing", "Disco", "Decode"};
constexpr std::array<const char*, 2> kOffOn = {"OFF", "ON"};
constexpr std::array<const char*, 9> kInputs = {"Auto",  "VOD",   "BGM",   "COAX", "OPTI",
                                                "HDMI1", "HDMI2", "HDMI3", "ARC"};
constexpr std::array<const char*, 2> kInfraredTexts = {"Disable", "Enable"};
constexpr std::array<const char*, 2> kSensitivity = {"L", "H"};
constexpr std::array<const char*, kOutputChannels> kChannelNames = {
    "mainL", "mainR", "center", "sub", "rearL", "rearR", "surroundL", "surroundR"};

constexpr CodeRange kAnyByte{0, 0xFF};
constexpr CodeRange kCurrentModeRange{0, kStoredModes};
constexpr CodeRange kSceneRange{0, kScenes};
constexpr unsigned kSensitivityMask = 0x0F;
constexpr unsigned kKeyShift = 4;

// Unit suffixes carry their space; the "OFF" texts of the labels take none.
DisplayFormat integerFormat(int offset, const char* unit) {
    DisplayFormat f;
    f.integerOffset = offset;
    f.unit = unit;
    return f;
}
DisplayFormat realFormat(double scale, double offset, const char* unit) {
    DisplayFormat f;
    f.realScale = scale;
    f.realOffset = offset;
    f.unit = unit;
    return f;
}

std::string indexed(const std::string& prefix, std::size_t i) {
    return prefix + "[" + std::to_string(i) + "]";
}

class Emitter {
public:
    Emitter(std::vector<Field>& out, FieldBlock block) : m_out(out), m_block(block) {}

    void scaled(std::string path, std::size_t offset, std::size_t width, FieldScale scale,
                CodeRange range) {
        Field f;
        f.path = std::move(path);
        f.block = m_block;
        f.offset = offset;
        f.width = width;
        f.scale = scale;
        f.range = range;
        m_out.push_back(std::move(f));
    }
    void plain(std::string path, std::size_t offset, CodeRange range = kAnyByte) {
        scaled(std::move(path), offset, 1, FieldScale::Plain, range);
    }
    void toggle(std::string path, std::size_t offset) {
        scaled(std::move(path), offset, 1, FieldScale::Toggle, ranges::kToggle);
    }
    void sign(std::string path, std::size_t offset) {
        scaled(std::move(path), offset, 1, FieldScale::Sign, ranges::kToggle);
    }
    void text(std::string path, std::size_t offset, std::size_t width) {
        scaled(std::move(path), offset, width, FieldScale::Text, kAnyByte);
    }
    void label(std::string path, std::size_t offset, std::size_t width, CodeRange range, int kind,
               DisplayFormat format) {
        scaled(std::move(path), offset, width, FieldScale::Label, range);
        m_out.back().kind = kind;
        m_out.back().format = std::move(format);
    }
    template <std::size_t N>
    void choice(std::string path, std::size_t offset, const std::array<const char*, N>& choices,
                CodeRange range = {0, static_cast<int>(N) - 1}) {
        assert(range.minimum >= 0 && range.maximum < static_cast<int>(N));
        scaled(std::move(path), offset, 1, FieldScale::Choice, range);
        m_out.back().choices = choices;
    }

private:
    std::vector<Field>& m_out;
    FieldBlock m_block;
};

void eqBand(Emitter& e, const std::string& p, std::size_t o, CodeRange gain) {
    e.scaled(p + ".freq", o + eqband::kFreq, 2, FieldScale::FrequencyHz, ranges::kFrequency);
    e.scaled(p + ".gain", o + eqband::kGain, 1, FieldScale::GainDb, gain);
    e.scaled(p + ".q", o + eqband::kQ, 1, FieldScale::Q, ranges::kQ);
    e.choice(p + ".type", o + eqband::kType, kBandTypes);
}

void eqBands(Emitter& e, const std::string& p, std::size_t o, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i)
        eqBand(e, indexed(p, i), o + eqband::kSize * i, ranges::kEqGain);
}

void crossover(Emitter& e, const std::string& p, std::size_t o, int kind) {
    e.choice(p + ".kind", o + crossover::kKind, kCrossoverKinds, {kind, kind});
    e.scaled(p + ".freq", o + crossover::kFreq, 2, FieldScale::FrequencyHz, ranges::kFrequency);
    e.choice(p + ".slope", o + crossover::kSlope, kSlopes, ranges::kSlope);
}

void exciter(Emitter& e, const std::string& p, std::size_t o) {
    e.scaled(p + ".freq", o + exciter::kFreq, 2, FieldScale::FrequencyHz, ranges::kFrequency);
    e.plain(p + ".harmonic", o + exciter::kHarmonic, ranges::kHarmonic);
    e.plain(p + ".timbre", o + exciter::kTimbre, ranges::kTimbre);
}

void reservedBytes(Emitter& e, const std::string& p, std::size_t o, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i)
        e.plain(indexed(p, i), o + i);
}

void attack(Emitter& e, std::string p, std::size_t o) {
    e.label(std::move(p), o, 1, ranges::kAttack, kKindAttack, integerFormat(0, " ms"));
}
void release(Emitter& e, std::string p, std::size_t o) {
    e.label(std::move(p), o, 1, ranges::kRelease, kKindRelease, {});
}
void ratio(Emitter& e, std::string p, std::size_t o) {
    e.label(std::move(p), o, 1, ranges::kRatio, kKindRatio, {});
}
void percent(Emitter& e, std::string p, std::size_t o, CodeRange range, int offset = 0) {
    e.label(std::move(p), o, 1, range, kKindInteger, integerFormat(offset, " %"));
}
// Echo and reverb times and output delays are held in tenths of a millisecond.
void tenthsMs(Emitter& e, std::string p, std::size_t o, CodeRange range) {
    e.label(std::move(p), o, 2, range, kKindReal, realFormat(0.1, 0.0, " ms"));
}

// Echo and reverb blocks open alike: EQ, bypass, wet and dry levels, high- and low-pass.
static_assert(reverb::kEqBands == echo::kEqBands && reverb::kEqBypass == echo::kEqBypass &&
              reverb::kWetVolume == echo::kWetVolume && reverb::kWetSign == echo::kWetSign &&
              reverb::kDryVolume == echo::kDryVolume && reverb::kDrySign == echo::kDrySign &&
              reverb::kHpf == echo::kHpf && reverb::kLpf == echo::kLpf &&
              reverb::kPreDelay == echo::kPreDelay);

void effectHead(Emitter& e, const std::string& p, std::size_t o, CodeRange volume) {
    eqBands(e, p + ".eq", o + echo::kEq, echo::kEqBands);
    e.toggle(p + ".eqBypass", o + echo::kEqBypass);
    percent(e, p + ".wetVolume", o + echo::kWetVolume, volume);
    e.sign(p + ".wetSign", o + echo::kWetSign);
    percent(e, p + ".dryVolume", o + echo::kDryVolume, volume);
    e.sign(p + ".drySign", o + echo::kDrySign);
    crossover(e, p + ".hpf", o + echo::kHpf, 0);
    crossover(e, p + ".lpf", o + echo::kLpf, 1);
}

void echoBlock(Emitter& e, const std::string& p, std::size_t o) {
    effectHead(e, p, o, ranges::kEchoVolume);
    tenthsMs(e, p + ".preDelay", o + echo::kPreDelay, ranges::kEchoPreDelay);
    e.label(p + ".rightPreDelay", o + echo::kRightPreDelay, 2, ranges::kEchoRightPreDelay,
            kKindInteger, integerFormat(0, " %"));
    tenthsMs(e, p + ".delay", o + echo::kDelay, ranges::kEchoDelay);
    e.label(p + ".rightDelay", o + echo::kRightDelay, 2, ranges::kEchoRightDelay, kKindInteger,
            integerFormat(50, " %"));
    percent(e, p + ".repeat", o + echo::kRepeat, ranges::kEchoRepeat);
}

void reverbBlock(Emitter& e, const std::string& p, std::size_t o) {
    effectHead(e, p, o, ranges::kReverbVolume);
    tenthsMs(e, p + ".preDelay", o + reverb::kPreDelay, ranges::kReverbPreDelay);
    tenthsMs(e, p + ".reverbTime", o + reverb::kReverbTime, ranges::kReverbTime);
}

// What music and microphone blocks share: compressor, noise gate, high- and low-pass, EQ,
// extra bands. Their offsets differ.
struct ChannelOffsets {
    std::size_t limitLevel, limitAttack, limitRelease, limitRatio, gateThreshold, gateAttack,
        gateRelease, hpf, lpf, eq, eqBands, eqBypass, extraBands, extraBypass;
};

constexpr ChannelOffsets kMicOffsets{
    mic::kLimitLevel, mic::kLimitAttack, mic::kLimitRelease, mic::kLimitRatio, mic::kGateThreshold,
    mic::kGateAttack, mic::kGateRelease, mic::kHpf,          mic::kLpf,        mic::kEq,
    mic::kEqBands,    mic::kEqBypass,    mic::kExtraBands,   mic::kExtraBypass};
constexpr ChannelOffsets kMusicOffsets{
    music::kLimitLevel,    music::kLimitAttack, music::kLimitRelease, music::kLimitRatio,
    music::kGateThreshold, music::kGateAttack,  music::kGateRelease,  music::kHpf,
    music::kLpf,           music::kEq,          music::kEqBands,      music::kEqBypass,
    music::kExtraBands,    music::kExtraBypass};

void channelStrip(Emitter& e, const std::string& p, std::size_t o, const ChannelOffsets& c) {
    e.label(p + ".limitLevel", o + c.limitLevel, 1, ranges::kLimitLevel, kKindInteger,
            integerFormat(22, " dBV"));
    attack(e, p + ".limitAttack", o + c.limitAttack);
    release(e, p + ".limitRelease", o + c.limitRelease);
    ratio(e, p + ".limitRatio", o + c.limitRatio);
    e.label(p + ".gateThreshold", o + c.gateThreshold, 1, ranges::kGateThreshold, kKindIntegerOff,
            integerFormat(78, " dBV"));
    attack(e, p + ".gateAttack", o + c.gateAttack);
    release(e, p + ".gateRelease", o + c.gateRelease);
    crossover(e, p + ".hpf", o + c.hpf, 0);
    crossover(e, p + ".lpf", o + c.lpf, 1);
    eqBands(e, p + ".eq", o + c.eq, c.eqBands);
    e.toggle(p + ".eqBypass", o + c.eqBypass);
    eqBands(e, p + ".extraBands", o + c.extraBands, kExtraBandCount);
    e.toggle(p + ".extraBypass", o + c.extraBypass);
}

void micBlock(Emitter& e, const std::string& p, std::size_t o) {
    using namespace mic;
    e.label(p + ".micLevel", o + kMicLevel, 1, ranges::kMicLevel, kKindReal,
            realFormat(0.5, 10.0, " dB"));
    e.choice(p + ".feedback", o + kFeedback, kFeedbackTexts);
    channelStrip(e, p, o, kMicOffsets);
    exciter(e, p + ".lowExciter", o + kLowExciter);
    exciter(e, p + ".highExciter", o + kHighExciter);
    reservedBytes(e, p + ".reserved", o + kReserved, kReservedSize);
}

void musicBlock(Emitter& e, const std::string& p, std::size_t o) {
    using namespace music;
    channelStrip(e, p, o, kMusicOffsets);
    crossover(e, p + ".mainMusicHpf", o + kMainMusicHpf, 0);
    for (std::size_t i = 0; i < kDynEqBands; ++i) {
        const std::string band = indexed(p + ".dynEq", i);
        const std::size_t b = o + kDynEq + dyneq::kSize * i;
        eqBand(e, band, b + dyneq::kBand, ranges::kDynEqGain);
        e.label(band + ".threshold", b + dyneq::kThreshold, 1, ranges::kDynThreshold, kKindInteger,
                integerFormat(48, " dBV"));
        attack(e, band + ".attack", b + dyneq::kAttack);
        release(e, band + ".release", b + dyneq::kRelease);
        ratio(e, band + ".ratio", b + dyneq::kRatio);
        e.plain(band + ".reserved9", b + dyneq::kReserved9);
    }
    exciter(e, p + ".lowExciter", o + kLowExciter);
    exciter(e, p + ".highExciter", o + kHighExciter);
    reservedBytes(e, p + ".reserved", o + kReserved, kReservedSize);
}

void outputChannel(Emitter& e, const std::string& p, std::size_t o) {
    using namespace output;
    e.toggle(p + ".mute", o + kMute);
    percent(e, p + ".musicLevel", o + kMusicLevel, ranges::kOutputLevel);
    e.sign(p + ".musicSign", o + kMusicSign);
    percent(e, p + ".micLevel", o + kMicLevel, ranges::kOutputLevel);
    e.sign(p + ".micSign", o + kMicSign);
    percent(e, p + ".echoALevel", o + kEchoALevel, ranges::kOutputLevel);
    e.sign(p + ".echoASign", o + kEchoASign);
    percent(e, p + ".echoBLevel", o + kEchoBLevel, ranges::kOutputLevel);
    e.sign(p + ".echoBSign", o + kEchoBSign);
    percent(e, p + ".reverbLevel", o + kReverbLevel, ranges::kOutputLevel);
    e.sign(p + ".reverbSign", o + kReverbSign);
    eqBands(e, p + ".eq", o + kEq, kEqBands);
    e.toggle(p + ".eqBypass", o + kEqBypass);
    e.label(p + ".limitLevel", o + kLimitLevel, 1, ranges::kLimitLevel, kKindInteger,
            integerFormat(22, " dB"));
    attack(e, p + ".limitAttack", o + kLimitAttack);
    release(e, p + ".limitRelease", o + kLimitRelease);
    ratio(e, p + ".limitRatio", o + kLimitRatio);
    crossover(e, p + ".hpf", o + kHpf, 0);
    crossover(e, p + ".lpf", o + kLpf, 1);
    tenthsMs(e, p + ".delay", o + kDelay, ranges::kOutputDelay);
}

void modeImage(Emitter& e) {
    using namespace image;
    e.text("name", kName, kNameSize);
    echoBlock(e, "echoA", kEchoA);
    echoBlock(e, "echoB", kEchoB);
    reverbBlock(e, "reverb", kReverb);
    reverbBlock(e, "spareReverb", kSpareReverb);
    micBlock(e, "mic1", kMic1);
    micBlock(e, "mic2", kMic2);
    e.toggle("micLink", kMicLink);
    musicBlock(e, "musicLeft", kMusicLeft);
    musicBlock(e, "musicRight", kMusicRight);
    e.toggle("musicLink", kMusicLink);
    for (int s = 1; s <= layout::kScenes; ++s)
        for (int k = 0; k < kOutputChannels; ++k)
            outputChannel(e,
                          indexed("scene", static_cast<std::size_t>(s)) + "." +
                              kChannelNames[static_cast<std::size_t>(k)],
                          outputChannelOffset(s, k));
    e.choice("sceneSelect", kSceneSelect, kSceneNames, kSceneRange);
    e.toggle("mainLink", kMainLink);
    e.plain("link2708", kLink2708);
    e.toggle("rearLink", kRearLink);
    e.toggle("surroundLink", kSurroundLink);
    e.plain("fileSum", kFileSum);
}

void systemBlock(Emitter& e) {
    using namespace layout::system;
    e.plain("system.currentMode", kCurrentMode, kCurrentModeRange);
    e.scaled("system.effectVolume", kEffectVolume, 1, FieldScale::MasterVolume,
             ranges::kEffectVolume);
    e.scaled("system.micVolume", kMicVolume, 1, FieldScale::MasterVolume, ranges::kMicVolume);
    e.scaled("system.musicVolume", kMusicVolume, 1, FieldScale::MasterVolume, ranges::kMusicVolume);
    e.plain("system.effectMaxVolume", kEffectMaxVolume, ranges::kEffectVolume);
    e.plain("system.micMaxVolume", kMicMaxVolume, ranges::kMicVolume);
    e.plain("system.musicMaxVolume", kMusicMaxVolume, ranges::kMusicVolume);
    e.choice("system.rearMicPhantom", kRearMicPhantom, kOffOn);
    e.choice("system.inputSelect", kInputSelect, kInputs);
    e.scaled("system.sensitivityAndKey", kSensitivityAndKey, 1, FieldScale::SensitivityAndKey,
             ranges::kKeyShift);
    const std::array<std::pair<const char*, std::size_t>, 4> gains = {{{"vodGain", kVodGain},
                                                                       {"bgmGain", kBgmGain},
                                                                       {"coaxGain", kCoaxGain},
                                                                       {"optiGain", kOptiGain}}};
    for (const auto& [name, offset] : gains)
        e.label(std::string("system.") + name, offset, 1, ranges::kInputGain, kKindReal,
                realFormat(0.5, 10.0, ""));
    e.choice("system.infrared", kInfrared, kInfraredTexts);
    e.text("system.panelPassword", kPanelPassword, kPanelPasswordSize);
    e.text("system.systemPassword", kSystemPassword, kSystemPasswordSize);
    reservedBytes(e, "system.reserved", kReserved, kReservedSize);
}

std::vector<Field> buildCatalogue() {
    std::vector<Field> fields;
    Emitter system(fields, FieldBlock::System);
    systemBlock(system);
    Emitter image(fields, FieldBlock::Image);
    modeImage(image);
    std::stable_sort(fields.begin(), fields.end(), [](const Field& a, const Field& b) {
        if (a.block != b.block)
            return a.block == FieldBlock::System;
        return a.offset < b.offset;
    });
    return fields;
}

struct Index {
    std::unordered_map<std::string_view, std::size_t> byPath;
    std::vector<const Field*> imageBytes = std::vector<const Field*>(kModeImageSize, nullptr);
    std::vector<const Field*> systemBytes = std::vector<const Field*>(kSystemBlockSize, nullptr);
};

const Index& index() {
    static const Index idx = [] {
        Index out;
        for (const Field& f : fieldCatalogue()) {
            out.byPath.emplace(f.path, static_cast<std::size_t>(&f - fieldCatalogue().data()));
            auto& bytes = f.block == FieldBlock::Image ? out.imageBytes : out.systemBytes;
            for (std::size_t i = 0; i < f.width && f.offset + i < bytes.size(); ++i)
                bytes[f.offset + i] = &f;
        }
        return out;
    }();
    return idx;
}

std::optional<Field> rawField(std::string_view address) {
    for (auto [prefix, block] : {std::pair{std::string_view("image["), FieldBlock::Image},
                                 std::pair{std::string_view("system["), FieldBlock::System}}) {
        if (!address.starts_with(prefix) || !address.ends_with(']'))
            continue;
        unsigned long long i = 0;
        if (parseNumber(address.substr(prefix.size(), address.size() - prefix.size() - 1), i) !=
                NumberParse::Good ||
            i >= blockSize(block))
            return std::nullopt;
        Field f;
        f.path = std::string(prefix) + std::to_string(i) + "]";
        f.block = block;
        f.offset = static_cast<std::size_t>(i);
        return f;
    }
    return std::nullopt;
}

template <typename... Args> std::string printed(const char* format, Args... args) {
    char text[64];
    std::snprintf(text, sizeof text, format, args...);
    return text;
}

} // namespace

NumberParse parseNumber(std::string_view text, unsigned long long& value) {
    bool negative = false;
    if (text.starts_with('-')) {
        negative = true;
        text.remove_prefix(1);
    }
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        text.remove_prefix(2);
        base = 16;
    }
    if (text.empty() || text.front() == '+' || text.front() == '-')
        return NumberParse::Bad;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (end != text.data() + text.size() ||
        (ec != std::errc() && ec != std::errc::result_out_of_range))
        return NumberParse::Bad;
    return ec == std::errc::result_out_of_range || negative ? NumberParse::OutOfRange
                                                            : NumberParse::Good;
}

const std::vector<Field>& fieldCatalogue() {
    static const std::vector<Field> fields = buildCatalogue();
    return fields;
}

std::optional<Field> findField(std::string_view address) {
    const Index& idx = index();
    if (const auto it = idx.byPath.find(address); it != idx.byPath.end())
        return fieldCatalogue()[it->second];
    return rawField(address);
}

const Field* fieldAt(FieldBlock block, std::size_t offset) {
    const auto& bytes = block == FieldBlock::Image ? index().imageBytes : index().systemBytes;
    return offset < bytes.size() ? bytes[offset] : nullptr;
}

std::size_t blockSize(FieldBlock block) {
    return block == FieldBlock::Image ? kModeImageSize : kSystemBlockSize;
}

unsigned fieldCode(const Field& field, std::span<const std::uint8_t> block) {
    if (field.isText() || field.offset + field.width > block.size())
        return 0;
    unsigned code = block[field.offset];
    if (field.width == 2)
        code |= static_cast<unsigned>(block[field.offset + 1]) << 8;
    return code;
}

bool fieldAccepts(const Field& field, unsigned long long code) {
    if (field.isText() || code >> (8 * field.width) != 0)
        return false;
    const auto c = static_cast<unsigned>(code);
    switch (field.scale) {
    case FieldScale::MasterVolume:
        return field.range.contains(static_cast<int>(c & layout::system::kLevelMask));
    case FieldScale::SensitivityAndKey:
        return (c & kSensitivityMask) < kSensitivity.size() &&
               field.range.contains(static_cast<int>(c >> kKeyShift));
    default:
        return field.range.contains(static_cast<int>(c));
    }
}

std::string fieldDisplay(const Field& field, unsigned code) {
    if (field.isText())
        return {};
    if (!fieldAccepts(field, code))
        return "out of range";
    const int c = static_cast<int>(code);
    switch (field.scale) {
    case FieldScale::FrequencyHz: {
        const double hz = eqFrequencyHz(c);
        return fixedText(hz, hz < 100.0 ? 1 : 0) + " Hz";
    }
    case FieldScale::GainDb:
        return fixedText(gainDb(c), 1) + " dB";
    case FieldScale::Q:
        return "Q " + fixedText(qValue(c), 2);
    case FieldScale::Label:
        return formatCode(field.kind, c, field.format);
    case FieldScale::Choice:
        return field.choices[code];
    case FieldScale::Toggle:
        return code != 0 ? "on" : "off";
    case FieldScale::Sign:
        return code != 0 ? "-" : "+";
    case FieldScale::MasterVolume:
        return "level " + std::to_string(code & layout::system::kLevelMask) +
               ((code & layout::system::kMuteBit) != 0 ? ", muted" : "");
    case FieldScale::SensitivityAndKey:
        return std::string("sensitivity ") + kSensitivity[code & kSensitivityMask] + ", key " +
               formatCode(kKindInteger, c >> kKeyShift, integerFormat(7, ""));
    case FieldScale::Plain:
    case FieldScale::Text:
        break;
    }
    return {};
}

std::string fieldText(const Field& field, std::span<const std::uint8_t> block) {
    std::string out = "\"";
    for (std::size_t i = 0; i < field.width && field.offset + i < block.size(); ++i) {
        const std::uint8_t b = block[field.offset + i];
        if (b == '"' || b == '\\')
            out += {'\\', static_cast<char>(b)};
        else if (b >= 0x20 && b < 0x7F)
            out += static_cast<char>(b);
        else
            out += printed("\\x%02X", static_cast<unsigned>(b));
    }
    return out + "\"";
}

} // namespace kesmo
