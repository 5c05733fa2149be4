#include "model/FieldCatalogue.h"

#include <gtest/gtest.h>
#include <set>
#include <vector>

using namespace kesmo;

namespace {

constexpr auto I = FieldBlock::Image;
constexpr auto S = FieldBlock::System;

struct Place {
    const char* address;
    FieldBlock block;
    std::size_t offset;
    std::size_t width;
};

// Offsets worked out by hand from the layout tables, not from the layout constants.
const Place kPlaces[] = {
    {"name", I, 0, 20},
    {"echoA.eq[0].freq", I, 20, 2},
    {"echoA.hpf.freq", I, 61, 2},
    {"echoA.preDelay", I, 68, 2},
    {"echoB.preDelay", I, 125, 2},
    {"echoB.repeat", I, 133, 1},
    {"reverb.reverbTime", I, 184, 2},
    {"spareReverb.reverbTime", I, 236, 2},
    {"mic1.hpf.slope", I, 250, 1},
    {"mic1.eq[19].type", I, 354, 1},
    {"mic1.highExciter.freq", I, 386, 2},
    {"mic2.reserved[4]", I, 551, 1},
    {"micLink", I, 552, 1},
    {"musicLeft.eq[0].freq", I, 568, 2},
    {"musicLeft.eq[0].gain", I, 570, 1},
    {"musicLeft.extraBands[4].type", I, 668, 1},
    {"musicLeft.mainMusicHpf.slope", I, 673, 1},
    {"musicRight.gateRelease", I, 723, 1},
    {"musicRight.dynEq[2].ratio", I, 866, 1},
    {"musicRight.dynEq[2].reserved9", I, 867, 1},
    {"musicRight.highExciter.timbre", I, 875, 1},
    {"musicLink", I, 881, 1},
    {"scene[1].mainL.mute", I, 882, 1},
    {"scene[2].rearL.delay", I, 1868, 2},
    {"scene[3].sub.limitRatio", I, 2391, 1},
    {"scene[3].surroundR.delay", I, 2704, 2},
    {"sceneSelect", I, 2706, 1},
    {"link2708", I, 2708, 1},
    {"fileSum", I, 2711, 1},
    {"system.currentMode", S, 0, 1},
    {"system.micVolume", S, 2, 1},
    {"system.sensitivityAndKey", S, 9, 1},
    {"system.panelPassword", S, 15, 4},
    {"system.systemPassword", S, 19, 6},
    {"system.reserved[40]", S, 65, 1},
    {"image[570]", I, 570, 1},
    {"image[0x23a]", I, 570, 1},
    {"image[2711]", I, 2711, 1},
    {"system[9]", S, 9, 1},
    {"system[0X41]", S, 65, 1},
};

TEST(FieldCatalogue, PathsAndRawAddressesFindTheirBytes) {
    for (const Place& p : kPlaces) {
        SCOPED_TRACE(p.address);
        const auto f = findField(p.address);
        ASSERT_TRUE(f.has_value());
        EXPECT_EQ(f->block, p.block);
        EXPECT_EQ(f->offset, p.offset);
        EXPECT_EQ(f->width, p.width);
    }
}

TEST(FieldCatalogue, UnknownAndMalformedAddressesAreNotFound) {
    for (const char* a : {"",
                          "Name",
                          "system",
                          "musicLeft.eq[0]",
                          "musicLeft.eq[15].freq",
                          "mic1.eq[20].q",
                          "scene[0].mainL.mute",
                          "scene[4].mainL.mute",
                          "scene[1].main.mute",
                          "image[2712]",
                          "system[66]",
                          "image[]",
                          "image[-1]",
                          "image[+1]",
                          "image[1x]",
                          "image[ 5]",
                          "image[570",
                          "image[0x]",
                          "image[99999999999999999999999]",
                          "system.reserved[41]"}) {
        SCOPED_TRACE(a);
        EXPECT_FALSE(findField(a).has_value());
    }
}

TEST(FieldCatalogue, EveryByteOfBothLayoutsBelongsToExactlyOneField) {
    std::vector<int> image(2712), system(66);
    std::set<std::string> paths;
    for (const Field& f : fieldCatalogue()) {
        EXPECT_TRUE(paths.insert(f.path).second) << f.path;
        EXPECT_TRUE(f.isText() || f.width == 1 || f.width == 2) << f.path;
        auto& bytes = f.block == I ? image : system;
        ASSERT_LE(f.offset + f.width, bytes.size()) << f.path;
        for (std::size_t i = 0; i < f.width; ++i)
            ++bytes[f.offset + i];
    }
    for (std::size_t i = 0; i < image.size(); ++i)
        EXPECT_EQ(image[i], 1) << "image byte " << i;
    for (std::size_t i = 0; i < system.size(); ++i)
        EXPECT_EQ(system[i], 1) << "system byte " << i;
}

TEST(FieldCatalogue, ByteLookupNamesTheHoldingField) {
    EXPECT_EQ(fieldAt(I, 569)->path, "musicLeft.eq[0].freq");
    EXPECT_EQ(fieldAt(I, 19)->path, "name");
    EXPECT_EQ(fieldAt(S, 24)->path, "system.systemPassword");
    EXPECT_EQ(fieldAt(I, 2712), nullptr);
    EXPECT_EQ(fieldAt(S, 66), nullptr);
}

TEST(FieldCatalogue, SixteenBitCodesAreLittleEndianAtOddOffsets) {
    std::vector<std::uint8_t> image(2712);
    image[125] = 0x34;
    image[126] = 0x12;
    EXPECT_EQ(fieldCode(*findField("echoB.preDelay"), image), 0x1234u);
    EXPECT_EQ(fieldCode(*findField("echoB.preDelay"), std::span(image).first(126)), 0u);
}

struct Shown {
    const char* path;
    unsigned code;
    const char* text;
};

const Shown kShown[] = {
    {"musicLeft.eq[0].freq", 2, "20.5 Hz"},
    {"musicLeft.eq[0].freq", 204, "1000 Hz"},
    {"mic1.hpf.freq", 361, "20600 Hz"},
    {"mic1.hpf.freq", 362, "out of range"},
    {"echoA.eq[0].gain", 0, "-24.0 dB"},
    {"echoA.eq[0].gain", 120, "0.0 dB"},
    {"echoA.eq[0].gain", 181, "out of range"},
    {"musicLeft.dynEq[0].gain", 59, "out of range"},
    {"musicLeft.dynEq[0].gain", 60, "-12.0 dB"},
    {"mic1.eq[0].q", 10, "Q 0.71"},
    {"mic1.eq[0].type", 2, "LS"},
    {"mic1.hpf.slope", 12, "36dBLink-Riley"},
    {"mic1.lpf.kind", 1, "low-pass"},
    {"mic1.lpf.kind", 0, "out of range"},
    {"mic2.feedback", 3, "FB.EX3"},
    {"musicLeft.gateThreshold", 0, "OFF"},
    {"musicLeft.gateThreshold", 1, "-77 dBV"},
    {"mic1.limitRatio", 40, "100"},
    {"musicLeft.limitAttack", 19, "400 ms"},
    {"musicLeft.limitRelease", 7, "Atk X32"},
    {"mic1.micLevel", 40, "10.0 dB"},
    {"scene[1].center.limitLevel", 0, "-22 dB"},
    {"musicLeft.limitLevel", 34, "12 dBV"},
    {"musicLeft.dynEq[1].threshold", 60, "12 dBV"},
    {"scene[1].mainL.delay", 1500, "150.0 ms"},
    {"scene[1].mainL.delay", 1501, "out of range"},
    {"echoA.preDelay", 1234, "123.4 ms"},
    {"reverb.reverbTime", 50000, "5000.0 ms"},
    {"echoA.rightDelay", 0, "-50 %"},
    {"scene[2].sub.musicLevel", 200, "200 %"},
    {"scene[1].mainL.musicSign", 1, "-"},
    {"micLink", 1, "on"},
    {"sceneSelect", 0, "Auto"},
    {"sceneSelect", 3, "Decode"},
    {"sceneSelect", 4, "out of range"},
    {"system.micVolume", 0x80 | 84, "level 84, muted"},
    {"system.micVolume", 85, "out of range"},
    {"system.effectVolume", 71, "out of range"},
    {"system.sensitivityAndKey", 0xE1, "sensitivity H, key 7"},
    {"system.sensitivityAndKey", 0x02, "out of range"},
    {"system.sensitivityAndKey", 0xF0, "out of range"},
    {"system.inputSelect", 8, "ARC"},
    {"system.vodGain", 0, "-10.0"},
    {"system.currentMode", 21, ""},
    {"system.currentMode", 22, "out of range"},
    {"image[570]", 255, ""},
    {"image[570]", 256, "out of range"},
};

TEST(FieldCatalogue, CodesShowInTheirDisplayScale) {
    for (const Shown& s : kShown) {
        SCOPED_TRACE(std::string(s.path) + " " + std::to_string(s.code));
        const auto f = findField(s.path);
        ASSERT_TRUE(f.has_value());
        EXPECT_EQ(fieldDisplay(*f, s.code), s.text);
    }
}

TEST(FieldCatalogue, TextFieldsShowTheirBytesQuotedAndEscaped) {
    std::vector<std::uint8_t> image(2712, ' ');
    const std::string name = "Pa\"rty\\";
    std::copy(name.begin(), name.end(), image.begin());
    image[18] = 0x01;
    image[19] = 0xC4;
    EXPECT_EQ(fieldText(*findField("name"), image),
              R"("Pa\"rty\\)" + std::string(11, ' ') + R"(\x01\xC4")");
}

} // namespace
