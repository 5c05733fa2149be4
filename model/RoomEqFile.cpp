#include "model/RoomEqFile.h"

#include "model/Layout.h"
#include "model/TextFormat.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>

namespace kesmo {

namespace {

using namespace layout;

constexpr std::string_view kWhitespace = " \t\v\f";

// Filter values beyond these are not measurements; they would also overflow the designer.
constexpr double kMaxFilterHz = 96000.0; // half the processor's sample rate
constexpr double kMaxAbsGainDb = 100.0;
constexpr double kMaxFilterQ = 1000.0;
// A shelf written without Q: the cookbook's slope 1, the usual 12 dB per octave shelf.
constexpr double kShelfDefaultQ = 0.70710678118654752;

enum BandType : std::uint8_t { kBypass = 0, kPeaking = 1, kLowShelf = 2, kHighShelf = 3 };

bool equalNoCase(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
        return lower(x) == lower(y);
    });
}

bool startsWithNoCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && equalNoCase(text.substr(0, prefix.size()), prefix);
}

std::string_view trimmed(std::string_view s) {
    const auto first = s.find_first_not_of(kWhitespace);
    if (first == std::string_view::npos)
        return {};
    const auto last = s.find_last_not_of(kWhitespace);
    return s.substr(first, last - first + 1);
}

std::vector<std::string_view> tokensOf(std::string_view s) {
    std::vector<std::string_view> out;
    std::size_t i = 0;
    while ((i = s.find_first_not_of(kWhitespace, i)) != std::string_view::npos) {
        const std::size_t end = std::min(s.find_first_of(kWhitespace, i), s.size());
        out.push_back(s.substr(i, end - i));
        i = end;
    }
    return out;
}

// A signed decimal; a comma stands for the decimal point as some locales write it.
std::optional<double> numberOf(std::string_view token) {
    std::string text(token);
    if (!text.empty() && text.front() == '+')
        text.erase(0, 1);
    if (text.find('.') == std::string::npos)
        std::replace(text.begin(), text.end(), ',', '.');
    if (text.empty() || !(std::isdigit(static_cast<unsigned char>(text.front())) ||
                          text.front() == '-' || text.front() == '.'))
        return std::nullopt;
    double value = 0.0;
    const auto r = std::from_chars(text.data(), text.data() + text.size(), value);
    if (r.ec != std::errc() || r.ptr != text.data() + text.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::string shortText(double value) {
    char text[64];
    const auto r = std::to_chars(text, text + sizeof text, value);
    return r.ec == std::errc() ? std::string(text, r.ptr) : "?";
}

struct TypeName {
    std::string_view text;
    RoomFilterType type;
};
constexpr std::array<TypeName, 6> kTypeNames = {{
    {"PK", RoomFilterType::Peaking},
    {"LS", RoomFilterType::LowShelf},
    {"LSC", RoomFilterType::LowShelf},
    {"HS", RoomFilterType::HighShelf},
    {"HSC", RoomFilterType::HighShelf},
    {"None", RoomFilterType::None},
}};

std::optional<RoomFilterType> typeOf(std::string_view text) {
    for (const TypeName& t : kTypeNames)
        if (equalNoCase(text, t.text))
            return t.type;
    return std::nullopt;
}

// "6dB", "12dB": REW's fixed-slope shelves, which are types of their own.
bool isSlopeToken(std::string_view t) {
    return t.size() > 2 && std::isdigit(static_cast<unsigned char>(t.front())) &&
           equalNoCase(t.substr(t.size() - 2), "dB");
}

class LineReader {
public:
    LineReader(int line, std::vector<std::string_view> tokens)
        : m_line(line), m_tokens(std::move(tokens)) {}

    std::optional<RoomEqError> filter(RoomFilter& out) {
        out.line = m_line;
        const std::optional<std::string_view> state = next();
        if (!state || !(equalNoCase(*state, "ON") || equalNoCase(*state, "OFF")))
            return fail("malformed filter line: ON or OFF expected after the colon");
        out.on = equalNoCase(*state, "ON");
        const std::optional<std::string_view> typeText = next();
        if (!typeText)
            return fail("malformed filter line: no filter type");
        out.typeText = std::string(*typeText);
        if (const auto slope = peek(); slope && isSlopeToken(*slope)) {
            out.typeText += " " + std::string(*slope);
            ++m_at;
        }
        const std::optional<RoomFilterType> type =
            out.typeText.find(' ') == std::string::npos ? typeOf(out.typeText) : std::nullopt;
        if (!type) {
            // Switched off, it is a flat band whatever it would have been.
            if (!out.on)
                return std::nullopt;
            return fail("unknown filter type " + out.typeText +
                        "; the EQ bands hold PK, LS and HS filters only");
        }
        out.type = *type;
        if (out.type == RoomFilterType::None)
            return std::nullopt;
        return values(out);
    }

    std::optional<RoomEqError> preamp(double& gainDb) {
        const std::optional<std::string_view> value = next();
        const std::optional<double> number = value ? numberOf(*value) : std::nullopt;
        if (!number)
            return fail("malformed Preamp line: a gain in dB expected");
        skipUnit("dB");
        if (m_at != m_tokens.size())
            return fail("malformed Preamp line: unexpected '" + std::string(m_tokens[m_at]) + "'");
        gainDb = *number;
        return std::nullopt;
    }

private:
    std::optional<RoomEqError> values(RoomFilter& out) {
        std::optional<double> fc, gain, q;
        while (const std::optional<std::string_view> key = next()) {
            std::optional<double>* slot = nullptr;
            std::string_view unit;
            if (equalNoCase(*key, "Fc")) {
                slot = &fc;
                unit = "Hz";
            } else if (equalNoCase(*key, "Gain")) {
                slot = &gain;
                unit = "dB";
            } else if (equalNoCase(*key, "Q")) {
                slot = &q;
            } else if (equalNoCase(*key, "BW") && peek() && equalNoCase(*peek(), "Oct")) {
                ++m_at;
                slot = &q;
            } else {
                return fail("malformed filter line: unexpected '" + std::string(*key) + "'");
            }
            if (slot->has_value())
                return fail("malformed filter line: " + std::string(*key) + " given twice");
            const std::optional<std::string_view> value = next();
            const std::optional<double> number = value ? numberOf(*value) : std::nullopt;
            if (!number)
                return fail("malformed filter line: no number after " + std::string(*key));
            if (equalNoCase(*key, "BW")) {
                // Bandwidth in octaves between the half-gain points.
                if (*number <= 0.0 || *number > 20.0)
                    return fail("bandwidth " + shortText(*number) + " octaves is out of range");
                const double twoN = std::exp2(*number);
                *slot = std::sqrt(twoN) / (twoN - 1.0);
            } else {
                *slot = *number;
            }
            if (!unit.empty())
                skipUnit(unit);
        }
        if (!fc)
            return fail("no Fc (filter frequency)");
        if (!gain)
            return fail("no Gain");
        if (!q && out.type != RoomFilterType::Peaking)
            q = kShelfDefaultQ;
        if (!q)
            return fail("no Q");
        if (!(*fc > 0.0 && *fc < kMaxFilterHz))
            return fail("Fc " + shortText(*fc) + " Hz is out of range");
        if (std::fabs(*gain) > kMaxAbsGainDb)
            return fail("Gain " + shortText(*gain) + " dB is out of range");
        if (!(*q > 0.0 && *q <= kMaxFilterQ))
            return fail("Q " + shortText(*q) + " is out of range");
        out.hasValues = true;
        out.frequencyHz = *fc;
        out.gainDb = *gain;
        out.q = *q;
        return std::nullopt;
    }

    std::optional<std::string_view> next() {
        if (m_at >= m_tokens.size())
            return std::nullopt;
        return m_tokens[m_at++];
    }
    std::optional<std::string_view> peek() const {
        if (m_at >= m_tokens.size())
            return std::nullopt;
        return m_tokens[m_at];
    }
    void skipUnit(std::string_view unit) {
        if (peek() && equalNoCase(*peek(), unit))
            ++m_at;
    }
    RoomEqError fail(std::string message) const { return {m_line, std::move(message)}; }

    int m_line;
    std::vector<std::string_view> m_tokens;
    std::size_t m_at = 0;
};

// "Filter:", "Filter 1:", "Filter  12 :" give the text after the colon. "Filter Settings file"
// and other header lines that merely start with the word give nothing; "Filter 3 ON PK" is a
// filter line without its colon.
std::optional<std::string_view> filterLineBody(std::string_view line, bool& malformed) {
    malformed = false;
    constexpr std::string_view kWord = "Filter";
    if (!startsWithNoCase(line, kWord))
        return std::nullopt;
    std::string_view rest = line.substr(kWord.size());
    if (!rest.empty() && rest.front() != ':') {
        if (kWhitespace.find(rest.front()) == std::string_view::npos)
            return std::nullopt;
        rest = rest.substr(std::min(rest.find_first_not_of(kWhitespace), rest.size()));
        const auto isDigit = [](char c) { return std::isdigit(static_cast<unsigned char>(c)); };
        const auto digits = static_cast<std::size_t>(
            std::find_if_not(rest.begin(), rest.end(), isDigit) - rest.begin());
        if (digits == 0 && !rest.starts_with(':'))
            return std::nullopt;
        rest.remove_prefix(digits);
        rest = rest.substr(std::min(rest.find_first_not_of(kWhitespace), rest.size()));
    }
    if (!rest.starts_with(':')) {
        malformed = true;
        return std::nullopt;
    }
    return rest.substr(1);
}

} // namespace

std::string describe(const RoomEqError& error) {
    if (error.line <= 0)
        return error.message;
    return "line " + std::to_string(error.line) + ": " + error.message;
}

RoomEqRead readRoomEqText(std::string_view text) {
    RoomEqRead out;
    constexpr std::string_view kBom = "\xEF\xBB\xBF";
    if (text.starts_with(kBom))
        text.remove_prefix(kBom.size());
    int lineNumber = 0;
    std::size_t at = 0;
    while (at <= text.size()) {
        const std::size_t end = std::min(text.find('\n', at), text.size());
        std::string_view raw = text.substr(at, end - at);
        at = end + 1;
        ++lineNumber;
        if (!raw.empty() && raw.back() == '\r')
            raw.remove_suffix(1);
        const std::string_view line = trimmed(raw);
        bool malformed = false;
        std::optional<RoomEqError> error;
        if (const auto body = filterLineBody(line, malformed)) {
            RoomFilter filter;
            error = LineReader(lineNumber, tokensOf(*body)).filter(filter);
            if (!error)
                out.text.filters.push_back(std::move(filter));
        } else if (malformed) {
            error = RoomEqError{lineNumber, "malformed filter line: no colon"};
        } else if (startsWithNoCase(line, "Preamp:")) {
            RoomPreamp preamp{lineNumber, 0.0};
            error = LineReader(lineNumber, tokensOf(line.substr(7))).preamp(preamp.gainDb);
            if (!error)
                out.text.preamps.push_back(preamp);
        } else if (startsWithNoCase(line, "Channel:") &&
                   !equalNoCase(trimmed(line.substr(8)), "all")) {
            // Equalizer APO's per-channel sections would mix two channels' filters in one.
            error = RoomEqError{lineNumber, "filters for selected channels only ('" +
                                                std::string(line) +
                                                "'); keep one channel's filters in the file"};
        }
        if (error) {
            out.text = {};
            out.error = std::move(error);
            return out;
        }
    }
    return out;
}

std::size_t RoomEqChannel::bandOffset(int band) const {
    return firstBand + eqband::kSize * static_cast<std::size_t>(band);
}

namespace {

struct OutputName {
    std::string_view name;
    std::optional<std::size_t> linkFlag;
    std::string_view leader;
};
constexpr std::array<OutputName, kOutputChannels> kOutputNames = {{
    {"mainL", std::nullopt, ""},
    {"mainR", image::kMainLink, "mainL"},
    {"center", std::nullopt, ""},
    {"sub", std::nullopt, ""},
    {"rearL", std::nullopt, ""},
    {"rearR", image::kRearLink, "rearL"},
    {"surroundL", std::nullopt, ""},
    {"surroundR", image::kSurroundLink, "surroundL"},
}};

std::vector<RoomEqChannel> inputChannels() {
    const auto channel = [](std::string name, int eqChannel, std::size_t firstBand, int bands,
                            std::optional<std::size_t> linkFlag = std::nullopt,
                            std::string leader = {}) {
        RoomEqChannel c;
        c.name = std::move(name);
        c.eqChannel = eqChannel;
        c.firstBand = firstBand;
        c.bandCount = bands;
        c.linkFlag = linkFlag;
        c.leader = std::move(leader);
        return c;
    };
    constexpr int kMusicBands = static_cast<int>(music::kEqBands);
    constexpr int kMicBands = static_cast<int>(mic::kEqBands);
    constexpr int kEffectBands = static_cast<int>(echo::kEqBands);
    return {
        channel("musicLeft", kEqMusicLeft, image::kMusicLeft + music::kEq, kMusicBands),
        channel("musicRight", kEqMusicRight, image::kMusicRight + music::kEq, kMusicBands,
                image::kMusicLink, "musicLeft"),
        channel("mic1", kEqMic1, image::kMic1 + mic::kEq, kMicBands),
        channel("mic2", kEqMic2, image::kMic2 + mic::kEq, kMicBands, image::kMicLink, "mic1"),
        channel("echoA", kEqEchoA, image::kEchoA + echo::kEq, kEffectBands),
        channel("echoB", kEqEchoB, image::kEchoB + echo::kEq, kEffectBands),
        channel("reverb", kEqReverb, image::kReverb + reverb::kEq, kEffectBands),
    };
}

std::optional<RoomEqChannel> outputChannel(std::string_view name) {
    constexpr std::string_view kPrefix = "scene[";
    if (!name.starts_with(kPrefix) || name.size() < kPrefix.size() + 3)
        return std::nullopt;
    const char digit = name[kPrefix.size()];
    if (digit < '1' || digit > '0' + kScenes || name.substr(kPrefix.size() + 1, 2) != "].")
        return std::nullopt;
    const int scene = digit - '0';
    const std::string_view member = name.substr(kPrefix.size() + 3);
    for (std::size_t k = 0; k < kOutputNames.size(); ++k) {
        const OutputName& o = kOutputNames[k];
        if (member != o.name)
            continue;
        RoomEqChannel c;
        c.name = std::string(name);
        c.eqChannel = kEqOutputFirst + static_cast<int>(k);
        c.scene = scene;
        c.firstBand = outputChannelOffset(scene, static_cast<int>(k)) + output::kEq;
        c.bandCount = static_cast<int>(output::kEqBands);
        c.linkFlag = o.linkFlag;
        if (o.linkFlag)
            c.leader = std::string(name.substr(0, kPrefix.size() + 3)) + std::string(o.leader);
        return c;
    }
    return std::nullopt;
}

} // namespace

std::optional<RoomEqChannel> findRoomEqChannel(std::string_view name) {
    for (RoomEqChannel& c : inputChannels())
        if (c.name == name)
            return std::move(c);
    return outputChannel(name);
}

std::string roomEqChannelList() {
    std::string out;
    for (const RoomEqChannel& c : inputChannels())
        out += c.name + ", ";
    out += "scene[S]." + std::string(kOutputNames.front().name) + " .. scene[S]." +
           std::string(kOutputNames.back().name) + " (S 1..3)";
    return out;
}

bool followsLink(const RoomEqChannel& channel, std::span<const std::uint8_t> image) {
    return channel.linkFlag && *channel.linkFlag < image.size() && image[*channel.linkFlag] == 1;
}

RoomEqPlanResult planRoomEq(const RoomEqText& text, const RoomEqChannel& channel) {
    RoomEqPlanResult out;
    const auto bands = static_cast<std::size_t>(channel.bandCount);
    std::vector<const RoomFilter*> placed;
    for (const RoomFilter& f : text.filters)
        placed.push_back(&f);
    if (placed.size() > bands) {
        // Switched-off lines give way to active filters.
        std::erase_if(placed, [](const RoomFilter* f) { return !f->active(); });
        if (placed.size() > bands) {
            out.error =
                RoomEqError{placed[bands]->line, std::to_string(placed.size()) +
                                                     " active filters, but " + channel.name +
                                                     " has " + std::to_string(bands) + " EQ bands"};
            return out;
        }
        for (const RoomFilter& f : text.filters)
            if (!f.active())
                out.plan.leftOut.push_back(f);
    }
    for (std::size_t i = 0; i < bands; ++i) {
        RoomEqBand band;
        band.band = static_cast<int>(i);
        band.type = kBypass;
        band.codesKept = true;
        if (i < placed.size()) {
            const RoomFilter& f = *placed[i];
            band.asked = f;
            if (f.hasValues) {
                band.codesKept = false;
                band.freq = static_cast<std::uint16_t>(nearestFrequencyCode(f.frequencyHz));
                band.gain = static_cast<std::uint8_t>(channel.gainRange.clamp(gainCode(f.gainDb)));
                band.q = static_cast<std::uint8_t>(nearestQCode(f.q));
                if (f.on)
                    band.type = f.type == RoomFilterType::LowShelf    ? kLowShelf
                                : f.type == RoomFilterType::HighShelf ? kHighShelf
                                                                      : kPeaking;
            }
        }
        out.plan.bands.push_back(std::move(band));
    }
    out.plan.preamps = text.preamps;
    return out;
}

std::vector<RoomEqWrite> roomEqWrites(const RoomEqPlan& plan, const RoomEqChannel& channel) {
    std::vector<RoomEqWrite> out;
    for (const RoomEqBand& b : plan.bands) {
        const std::size_t at = channel.bandOffset(b.band);
        if (!b.codesKept) {
            out.push_back({at + eqband::kFreq, static_cast<std::uint8_t>(b.freq & 0xFF)});
            out.push_back({at + eqband::kFreq + 1, static_cast<std::uint8_t>(b.freq >> 8)});
            out.push_back({at + eqband::kGain, b.gain});
            out.push_back({at + eqband::kQ, b.q});
        }
        out.push_back({at + eqband::kType, b.type});
    }
    return out;
}

namespace {

std::string askedValues(const RoomFilter& f) {
    return shortText(f.frequencyHz) + " Hz " + shortText(f.gainDb) + " dB Q " + shortText(f.q);
}

constexpr std::array<const char*, 4> kStoredTypeNames = {"BY", "P", "LS", "HS"};
constexpr std::array<const char*, 4> kWrittenTypeNames = {"PK", "PK", "LS", "HS"};

std::string tableFrequencyText(double hz) {
    return fixedText(hz, hz < 100.0 ? 1 : 0);
}

} // namespace

std::string describeAsked(const RoomEqBand& band) {
    if (!band.asked)
        return "not in the file";
    const RoomFilter& f = *band.asked;
    std::string out = f.on ? "" : "OFF ";
    out += f.typeText;
    if (f.hasValues)
        out += " " + askedValues(f);
    return out;
}

std::string describeStored(const RoomEqBand& band) {
    std::string out = kStoredTypeNames[std::min<std::size_t>(band.type, 3)];
    if (band.codesKept)
        return out;
    return out + " " + shortText(eqFrequencyHz(band.freq)) + " Hz " + shortText(gainDb(band.gain)) +
           " dB Q " + shortText(qValue(band.q));
}

std::string writeRoomEqText(const RoomEqChannel& channel, std::span<const std::uint8_t> image,
                            std::string_view title) {
    std::string out = "Filter Settings file\n\n";
    out += std::string(title) + "\n\nEqualiser: Generic\n" + channel.name + "\n";
    for (int i = 0; i < channel.bandCount; ++i) {
        const std::size_t at = channel.bandOffset(i);
        if (at + eqband::kSize > image.size())
            break;
        const int freq = image[at + eqband::kFreq] | (image[at + eqband::kFreq + 1] << 8);
        const std::uint8_t type = image[at + eqband::kType];
        const bool on = type >= kPeaking && type <= kHighShelf;
        std::string number = std::to_string(i + 1);
        number.insert(0, number.size() < 2 ? 2 - number.size() : 0, ' ');
        // A bypassed band is written switched off with its codes, so they come back on import.
        std::string kind = kWrittenTypeNames[on ? type : 0];
        kind.resize(8, ' ');
        out += "Filter " + number + ": " + (on ? "ON  " : "OFF ") + kind + " Fc " +
               tableFrequencyText(eqFrequencyHz(freq)) + " Hz  Gain " +
               fixedText(gainDb(image[at + eqband::kGain]), 1) + " dB  Q " +
               fixedText(qValue(image[at + eqband::kQ]), 2) + "\n";
    }
    return out;
}

} // namespace kesmo
