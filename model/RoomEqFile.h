#pragma once

#include "model/DataConver.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// Room-measurement filter text (Room EQ Wizard's "Filter Settings file", Equalizer APO and
// AutoEQ filter lines) read into a channel's EQ bands, and a channel's bands written back.
namespace kesmo {

enum class RoomFilterType { Peaking, LowShelf, HighShelf, None };

// One filter line as the file asks for it.
struct RoomFilter {
    int line = 0; // 1-based line of the text
    bool on = false;
    RoomFilterType type = RoomFilterType::None;
    std::string typeText;   // as written: "PK", "LSC", "None"
    bool hasValues = false; // None, and a switched-off type the bands cannot hold, carry none
    double frequencyHz = 0.0;
    double gainDb = 0.0;
    double q = 0.0;

    bool active() const { return on && type != RoomFilterType::None; }
};

struct RoomPreamp {
    int line = 0;
    double gainDb = 0.0;
};

struct RoomEqText {
    std::vector<RoomFilter> filters; // in file order
    std::vector<RoomPreamp> preamps; // reported, never applied
};

// What is wrong, and where: line 0 means the file as a whole.
struct RoomEqError {
    int line = 0;
    std::string message;
};
// "line 12: ..." or the message alone.
std::string describe(const RoomEqError& error);

struct RoomEqRead {
    RoomEqText text;
    std::optional<RoomEqError> error; // when set, `text` is empty
    bool ok() const { return !error; }
};
RoomEqRead readRoomEqText(std::string_view text);

// A channel with EQ bands, addressed by the name the command line and the field paths use.
struct RoomEqChannel {
    std::string name; // "mic2", "scene[2].rearL"
    int eqChannel = 0;
    int scene = 0;             // 1..3 for an output channel, 0 otherwise
    std::size_t firstBand = 0; // image offset of band 0
    int bandCount = 0;
    CodeRange gainRange = ranges::kEqGain;
    // For the right member of a link: the flag, and the member it follows while the flag is 1.
    std::optional<std::size_t> linkFlag;
    std::string leader;

    std::size_t bandOffset(int band) const;
};
std::optional<RoomEqChannel> findRoomEqChannel(std::string_view name);
// "musicLeft, musicRight, ..., scene[S].mainL .. scene[S].surroundR"
std::string roomEqChannelList();

// True when the channel follows its left member in this image, so its own bands are
// overwritten by the next link copy.
bool followsLink(const RoomEqChannel& channel, std::span<const std::uint8_t> image);

// One band of the channel after an import: what was asked, what is stored.
struct RoomEqBand {
    int band = 0;                    // 0-based
    std::optional<RoomFilter> asked; // none: beyond the file's filters
    bool codesKept = false;          // only the type is written; the other codes stay
    std::uint16_t freq = 0;
    std::uint8_t gain = 0;
    std::uint8_t q = 0;
    std::uint8_t type = 0; // 0 "BY", 1 "P", 2 "LS", 3 "HS"
};

struct RoomEqPlan {
    std::vector<RoomEqBand> bands;   // every band of the channel
    std::vector<RoomFilter> leftOut; // switched-off lines dropped to make room
    std::vector<RoomPreamp> preamps;
};

struct RoomEqPlanResult {
    RoomEqPlan plan;
    std::optional<RoomEqError> error;
    bool ok() const { return !error; }
};
// Quantises the file's filters onto the channel's bands in file order.
RoomEqPlanResult planRoomEq(const RoomEqText& text, const RoomEqChannel& channel);

// The image bytes an import writes, by absolute offset.
struct RoomEqWrite {
    std::size_t offset = 0;
    std::uint8_t value = 0;
};
std::vector<RoomEqWrite> roomEqWrites(const RoomEqPlan& plan, const RoomEqChannel& channel);

// "PK 63.4 Hz -6.2 dB Q 4.87", "OFF PK ...", "None", "not in the file"
std::string describeAsked(const RoomEqBand& band);
// "P 63.7 Hz -6.2 dB Q 4.8", "BY"
std::string describeStored(const RoomEqBand& band);

// The channel's bands of an image as filter text; `title` names the source.
std::string writeRoomEqText(const RoomEqChannel& channel, std::span<const std::uint8_t> image,
                            std::string_view title);

} // namespace kesmo
