#include "model/ModeImage.h"
#include "model/RoomEqFile.h"
#include "tests/model/RoomEqFixture.h"

#include <gtest/gtest.h>
#include <memory>

namespace kesmo {
namespace {

using namespace layout;

using test::kRewFilters;
using test::rewFile;

struct Record {
    int freq, gain, q, type;
    friend bool operator==(const Record&, const Record&) = default;
};
std::ostream& operator<<(std::ostream& os, const Record& r) {
    return os << "{freq " << r.freq << ", gain " << r.gain << ", q " << r.q << ", type " << r.type
              << "}";
}

Record recordAt(const ModeImage& image, std::size_t offset) {
    return {image.word(offset + eqband::kFreq), image.byte(offset + eqband::kGain),
            image.byte(offset + eqband::kQ), image.byte(offset + eqband::kType)};
}

// Every byte different, so a write to the wrong place shows.
std::unique_ptr<ModeImage> patterned() {
    auto image = std::make_unique<ModeImage>();
    for (std::size_t i = 0; i < kModeImageSize; ++i)
        image->setByte(i, static_cast<std::uint8_t>((i * 7 + 3) & 0xFF));
    return image;
}

RoomEqChannel channel(std::string_view name) {
    const std::optional<RoomEqChannel> c = findRoomEqChannel(name);
    EXPECT_TRUE(c) << name;
    return c.value_or(RoomEqChannel{});
}

// Reads, plans and writes the text into the image; the error text when refused.
std::string import(std::string_view text, const RoomEqChannel& c, ModeImage& image,
                   RoomEqPlan* plan = nullptr) {
    const RoomEqRead read = readRoomEqText(text);
    if (!read.ok())
        return describe(*read.error);
    const RoomEqPlanResult planned = planRoomEq(read.text, c);
    if (!planned.ok())
        return describe(*planned.error);
    for (const RoomEqWrite& w : roomEqWrites(planned.plan, c))
        image.setByte(w.offset, w.value);
    if (plan)
        *plan = planned.plan;
    return {};
}

TEST(RoomEqText, ReadsRewAndEqualizerApoLines) {
    const RoomEqRead read =
        readRoomEqText(rewFile("Filter  1: ON  PK       Fc   63.40 Hz  Gain  -6.20 dB  Q  4.870\n"
                               "Filter  2: ON  LS       Fc   80.0 Hz   Gain  -2.50 dB  Q  0.710\n"
                               "Filter  3: ON  None\r\n"
                               "Filter  4: OFF PK       Fc   1000 Hz   Gain   3.00 dB  Q  1.41\n"
                               "Preamp: -5.0 dB\n"
                               "Filter: ON HSC Fc 8000 Hz Gain +2 dB Q 0.9\n"));
    ASSERT_TRUE(read.ok()) << describe(*read.error);
    const auto& f = read.text.filters;
    ASSERT_EQ(f.size(), 5u);
    EXPECT_EQ(f[0].line, 10);
    EXPECT_TRUE(f[0].on);
    EXPECT_EQ(f[0].type, RoomFilterType::Peaking);
    EXPECT_DOUBLE_EQ(f[0].frequencyHz, 63.4);
    EXPECT_DOUBLE_EQ(f[0].gainDb, -6.2);
    EXPECT_DOUBLE_EQ(f[0].q, 4.87);
    EXPECT_EQ(f[1].type, RoomFilterType::LowShelf);
    EXPECT_EQ(f[2].type, RoomFilterType::None);
    EXPECT_FALSE(f[2].active());
    EXPECT_FALSE(f[3].on);
    EXPECT_TRUE(f[3].hasValues);
    EXPECT_EQ(f[4].line, 15);
    EXPECT_EQ(f[4].type, RoomFilterType::HighShelf);
    EXPECT_DOUBLE_EQ(f[4].gainDb, 2.0);
    ASSERT_EQ(read.text.preamps.size(), 1u);
    EXPECT_EQ(read.text.preamps[0].line, 14);
    EXPECT_DOUBLE_EQ(read.text.preamps[0].gainDb, -5.0);
}

// One filter line into band 0 of Mic 1: the record it leaves.
TEST(RoomEqImport, QuantisesEachLineToTheCodesTheProcessorStores) {
    struct Case {
        const char* line;
        Record expected;
    };
    const Case cases[] = {
        {"Filter 1: ON PK Fc 1000 Hz Gain 3.0 dB Q 1.41", {204, 135, 22, 1}},
        {"Filter 1: ON PK Fc 63.40 Hz Gain -6.20 dB Q 4.870", {61, 89, 43, 1}},
        // Between table entries: nearer one, half-way goes up.
        {"Filter 1: ON PK Fc 1005 Hz Gain 0.1 dB Q 0.71", {204, 121, 10, 1}},
        {"Filter 1: ON PK Fc 1010 Hz Gain -2.5 dB Q 1.46", {205, 108, 23, 1}},
        // Beyond the tables and the band's gain range.
        {"Filter 1: ON PK Fc 10 Hz Gain 15 dB Q 200", {0, 180, 100, 1}},
        {"Filter 1: ON PK Fc 25000 Hz Gain -30 dB Q 0.1", {361, 0, 0, 1}},
        {"Filter: ON LS Fc 80.0 Hz Gain -2.50 dB Q 0.710", {73, 108, 10, 2}},
        {"Filter: ON LSC Fc 80.0 Hz Gain 1 dB Q 0.710", {73, 125, 10, 2}},
        {"Filter: ON HS Fc 8000 Hz Gain -3 dB Q 0.71", {312, 105, 10, 3}},
        {"Filter: ON HSC Fc 8000 Hz Gain -3 dB Q 0.71", {312, 105, 10, 3}},
        // A shelf without Q is the cookbook's slope 1 (Q 0.707).
        {"Filter: ON LS Fc 80 Hz Gain -3 dB", {73, 105, 10, 2}},
        // Bandwidth in octaves: 1 octave is Q 1.414.
        {"Filter: ON PK Fc 1000 Hz Gain 3 dB BW Oct 1.0", {204, 135, 22, 1}},
        // Switched off: bypassed, the values kept for a later switch-on.
        {"Filter 1: OFF PK Fc 1000 Hz Gain 3.00 dB Q 1.41", {204, 135, 22, 0}},
        {"filter 1: on pk fc 63,70 hz gain -6,2 db q 4,8", {61, 89, 43, 1}},
        {"Filter\t1:\tON\tPK\tFc\t1000\tHz\tGain\t3\tdB\tQ\t1.41", {204, 135, 22, 1}},
    };
    const RoomEqChannel mic1 = channel("mic1");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        auto image = patterned();
        ASSERT_EQ(import(rewFile(c.line), mic1, *image), "");
        EXPECT_EQ(recordAt(*image, mic1.bandOffset(0)), c.expected);
    }
}

TEST(RoomEqImport, FillsBandsInFileOrderAndBypassesTheRestKeepingTheirCodes) {
    const RoomEqChannel mic2 = channel("mic2");
    auto image = patterned();
    const auto before = image->snapshot();
    ASSERT_EQ(
        import(rewFile(std::string(kRewFilters) + "Filter: ON PK Fc 1000 Hz Gain 3.0 dB Q 1.41\n"),
               mic2, *image),
        "");
    EXPECT_EQ(recordAt(*image, mic2.bandOffset(0)), (Record{61, 89, 43, 1}));
    EXPECT_EQ(recordAt(*image, mic2.bandOffset(1)), (Record{73, 108, 10, 2}));
    EXPECT_EQ(recordAt(*image, mic2.bandOffset(3)), (Record{204, 135, 22, 0}));
    EXPECT_EQ(recordAt(*image, mic2.bandOffset(4)), (Record{204, 135, 22, 1}));
    const auto after = image->snapshot();
    for (std::size_t i = 0; i < kModeImageSize; ++i) {
        const bool inBands = i >= mic2.firstBand && i < mic2.bandOffset(5);
        const bool typeByte = i >= mic2.firstBand && i < mic2.bandOffset(mic2.bandCount) &&
                              (i - mic2.firstBand) % eqband::kSize == eqband::kType;
        if (typeByte && !inBands) {
            EXPECT_EQ(after[i], 0) << "band type at " << i << " is bypassed";
        } else if (!inBands && !typeByte) {
            EXPECT_EQ(after[i], before[i]) << "byte " << i << " is not the import's";
        }
    }
    // "None" bypasses the band and keeps its codes.
    EXPECT_EQ(after[mic2.bandOffset(2) + eqband::kGain],
              before[mic2.bandOffset(2) + eqband::kGain]);
    EXPECT_EQ(after[mic2.bandOffset(2) + eqband::kType], 0);
}

TEST(RoomEqImport, SwitchedOffLinesGiveWayWhenTheFileHasMoreLinesThanBands) {
    // Twenty active filters and two switched-off ones into a 20-band channel.
    std::string lines;
    for (int i = 0; i < 22; ++i)
        lines += i == 3 || i == 7 ? "Filter: OFF PK Fc 500 Hz Gain 1 dB Q 1\n"
                                  : "Filter: ON PK Fc 1000 Hz Gain -1 dB Q 2\n";
    const RoomEqChannel mic1 = channel("mic1");
    auto image = patterned();
    RoomEqPlan plan;
    ASSERT_EQ(import(rewFile(lines), mic1, *image, &plan), "");
    for (int b = 0; b < mic1.bandCount; ++b)
        EXPECT_EQ(recordAt(*image, mic1.bandOffset(b)), (Record{204, 115, 28, 1})) << b;
    ASSERT_EQ(plan.leftOut.size(), 2u);
    EXPECT_EQ(plan.leftOut[0].line, 13);
    EXPECT_EQ(plan.leftOut[1].line, 17);
}

TEST(RoomEqImport, RefusalsNameTheLineAndWriteNothing) {
    std::string twentyOne;
    for (int i = 0; i < 21; ++i)
        twentyOne += "Filter " + std::to_string(i + 1) + ": ON PK Fc 1000 Hz Gain -1 dB Q 2\n";
    struct Case {
        std::string filterLines;
        const char* error;
    };
    const Case cases[] = {
        {"Filter 1: ON PK Fc 100 Hz Gain 1 dB Q 1\nFilter 2: ON LP Fc 80 Hz Q 0.71\n",
         "line 11: unknown filter type LP; the EQ bands hold PK, LS and HS filters only"},
        {"Filter 1: ON Modal Fc 40 Hz Gain -6 dB Q 9\n", "line 10: unknown filter type Modal"},
        {"Filter 1: ON LS 6dB Fc 80 Hz Gain -6 dB\n", "line 10: unknown filter type LS 6dB"},
        {twentyOne, "line 30: 21 active filters, but mic1 has 20 EQ bands"},
        {"Filter 1: ON PK Gain 3 dB Q 1\n", "line 10: no Fc (filter frequency)"},
        {"Filter 1: ON PK Fc 100 Hz Q 1\n", "line 10: no Gain"},
        {"Filter 1: ON PK Fc 100 Hz Gain 1 dB\n", "line 10: no Q"},
        {"Filter 1 ON PK Fc 100 Hz Gain 1 dB Q 1\n", "line 10: malformed filter line: no colon"},
        {"Filter 1: YES PK Fc 100 Hz Gain 1 dB Q 1\n", "line 10: malformed filter line: ON or OFF"},
        {"Filter 1: ON PK Fc 1OO Hz Gain 1 dB Q 1\n", "line 10: malformed filter line: no number"},
        {"Filter 1: ON PK Fc 100 Hz Gain 1 dB Gain 2 dB Q 1\n", "line 10: malformed filter line: "
                                                                "Gain given twice"},
        {"Filter 1: ON PK Fc nan Hz Gain 1 dB Q 1\n", "line 10: malformed filter line: no number"},
        {"Filter 1: ON PK Fc 100 Hz Gain 1e308 dB Q 1\n", "line 10: Gain 1e+308 dB is out of "
                                                          "range"},
        {"Filter 1: ON PK Fc 96000 Hz Gain 1 dB Q 1\n", "line 10: Fc 96000 Hz is out of range"},
        {"Filter 1: ON PK Fc 100 Hz Gain 1 dB Q 0\n", "line 10: Q 0 is out of range"},
        {"Filter 1: ON PK Fc 100 Hz Gain 1 dB Q 1 Slope 3\n", "line 10: malformed filter line: "
                                                              "unexpected 'Slope'"},
        {"Preamp: loud\n", "line 10: malformed Preamp line"},
        {"Channel: L\nFilter 1: ON PK Fc 100 Hz Gain 1 dB Q 1\n",
         "line 10: filters for selected channels only ('Channel: L')"},
    };
    const RoomEqChannel mic1 = channel("mic1");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.filterLines);
        auto image = patterned();
        const auto before = image->snapshot();
        const std::string error = import(rewFile(c.filterLines), mic1, *image);
        EXPECT_TRUE(error.starts_with(c.error)) << error;
        EXPECT_EQ(image->snapshot(), before);
    }
}

TEST(RoomEqImport, HeaderAndSwitchedOffUnknownTypesAreNotFilters) {
    const RoomEqRead read = readRoomEqText("\xEF\xBB\xBF"
                                           "Filter Settings file\n"
                                           "Filters follow\n"
                                           "Channel: all\n"
                                           "Filter 1: OFF LP Fc 80 Hz Q 0.71\n"
                                           "Filter 2: ON PK Fc 100 Hz Gain 1 dB Q 1");
    ASSERT_TRUE(read.ok()) << describe(*read.error);
    ASSERT_EQ(read.text.filters.size(), 2u);
    EXPECT_FALSE(read.text.filters[0].hasValues);
    EXPECT_EQ(read.text.filters[1].line, 5);
}

TEST(RoomEqChannels, NamesAddressTheirBandRecords) {
    struct Case {
        const char* name;
        std::size_t firstBand;
        int bands;
        std::optional<std::size_t> linkFlag;
    };
    const Case cases[] = {
        {"musicLeft", 568, 15, std::nullopt},
        {"musicRight", 732, 15, image::kMusicLink},
        {"mic1", 255, 20, std::nullopt},
        {"mic2", 412, 20, image::kMicLink},
        {"echoA", 20, 7, std::nullopt},
        {"echoB", 77, 7, std::nullopt},
        {"reverb", 134, 7, std::nullopt},
        {"scene[1].mainL", 882 + 11, 10, std::nullopt},
        {"scene[1].mainR", 882 + 76 + 11, 10, image::kMainLink},
        {"scene[2].rearL", 882 + 608 + 4 * 76 + 11, 10, std::nullopt},
        {"scene[3].surroundR", 882 + 2 * 608 + 7 * 76 + 11, 10, image::kSurroundLink},
        {"scene[3].rearR", 882 + 2 * 608 + 5 * 76 + 11, 10, image::kRearLink},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const RoomEqChannel ch = channel(c.name);
        EXPECT_EQ(ch.firstBand, c.firstBand);
        EXPECT_EQ(ch.bandCount, c.bands);
        EXPECT_EQ(ch.linkFlag, c.linkFlag);
    }
    for (const char* name : {"mic3", "spareReverb", "scene[0].mainL", "scene[4].mainL",
                             "scene[1].main", "scene[1]", "scene[12].sub", "", "musicLeft.eq"})
        EXPECT_FALSE(findRoomEqChannel(name)) << name;

    auto image = patterned();
    image->setByte(image::kMicLink, 1);
    EXPECT_TRUE(followsLink(channel("mic2"), image->snapshot()));
    EXPECT_FALSE(followsLink(channel("mic1"), image->snapshot()));
    image->setByte(image::kMicLink, 0);
    EXPECT_FALSE(followsLink(channel("mic2"), image->snapshot()));
}

// Export, import into another image: every band's codes come back.
TEST(RoomEqExport, RoundTripsEveryBandOfEveryChannel) {
    for (const char* name : {"musicLeft", "musicRight", "mic1", "mic2", "echoA", "echoB", "reverb",
                             "scene[1].mainL", "scene[2].center", "scene[3].surroundR"}) {
        SCOPED_TRACE(name);
        const RoomEqChannel c = channel(name);
        auto source = patterned();
        for (int b = 0; b < c.bandCount; ++b) {
            EqBandView band(*source, c.bandOffset(b));
            const int k = b * 37 + static_cast<int>(c.firstBand);
            band.set(static_cast<std::uint16_t>(k * 13 % 362), static_cast<std::uint8_t>(k % 181),
                     static_cast<std::uint8_t>(k * 7 % 101), static_cast<std::uint8_t>(b % 4));
        }
        const std::string text = writeRoomEqText(c, source->snapshot(), "Kesmo");
        auto target = std::make_unique<ModeImage>();
        ASSERT_EQ(import(text, c, *target), "") << text;
        for (int b = 0; b < c.bandCount; ++b)
            EXPECT_EQ(recordAt(*target, c.bandOffset(b)), recordAt(*source, c.bandOffset(b))) << b;
    }
}

TEST(RoomEqExport, WritesRewFilterLines) {
    const RoomEqChannel c = channel("echoA");
    auto image = std::make_unique<ModeImage>();
    EqBandView(*image, c.bandOffset(0)).set(61, 89, 43, 1);
    EqBandView(*image, c.bandOffset(1)).set(204, 120, 10, 3);
    EqBandView(*image, c.bandOffset(2)).set(361, 180, 100, 0);
    const std::string text = writeRoomEqText(c, image->snapshot(), "Kesmo: echoA of x.dia");
    EXPECT_EQ(text.substr(0, text.find("Filter  4")),
              "Filter Settings file\n"
              "\n"
              "Kesmo: echoA of x.dia\n"
              "\n"
              "Equaliser: Generic\n"
              "echoA\n"
              "Filter  1: ON  PK       Fc 63.7 Hz  Gain -6.2 dB  Q 4.80\n"
              "Filter  2: ON  HS       Fc 1000 Hz  Gain 0.0 dB  Q 0.71\n"
              "Filter  3: OFF PK       Fc 20600 Hz  Gain 12.0 dB  Q 128.00\n");
}

TEST(RoomEqImport, DescribesWhatWasAskedAndWhatIsStored) {
    const RoomEqChannel c = channel("echoA");
    auto image = patterned();
    RoomEqPlan plan;
    ASSERT_EQ(import(rewFile("Filter 1: ON PK Fc 63.4 Hz Gain -6.2 dB Q 4.87\n"
                             "Filter 2: ON None\n"
                             "Filter 3: OFF PK Fc 1000 Hz Gain 3 dB Q 1.41\n"),
                     c, *image, &plan),
              "");
    ASSERT_EQ(plan.bands.size(), 7u);
    EXPECT_EQ(describeAsked(plan.bands[0]), "PK 63.4 Hz -6.2 dB Q 4.87");
    EXPECT_EQ(describeStored(plan.bands[0]), "P 63.7 Hz -6.2 dB Q 4.8");
    EXPECT_EQ(describeAsked(plan.bands[1]), "None");
    EXPECT_EQ(describeStored(plan.bands[1]), "BY");
    EXPECT_EQ(describeAsked(plan.bands[2]), "OFF PK 1000 Hz 3 dB Q 1.41");
    EXPECT_EQ(describeStored(plan.bands[2]), "BY 1000 Hz 3 dB Q 1.4");
    EXPECT_EQ(describeAsked(plan.bands[6]), "not in the file");
    EXPECT_EQ(describeStored(plan.bands[6]), "BY");
}

} // namespace
} // namespace kesmo
