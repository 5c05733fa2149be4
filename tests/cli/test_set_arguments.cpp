#include "tests/cli/CliRun.h"
#include "tools/kesmo-cli/SetArguments.h"

using namespace kesmo;
using namespace kesmo::cli;
using namespace kesmo::cli::testing;

namespace {

constexpr auto I = FieldBlock::Image;
constexpr auto S = FieldBlock::System;

struct Good {
    std::vector<std::string> args;
    std::vector<ByteWrite> writes;
};

const Good kGood[] = {
    {{"musicLeft.eq[0].gain=130"}, {{I, 570, 130}}},
    {{"musicLeft.eq[0].freq=0x169"}, {{I, 568, 0x69}, {I, 569, 0x01}}},
    {{"musicLeft.eq[0].freq=0X0a"}, {{I, 568, 10}, {I, 569, 0}}},
    {{"reverb.reverbTime=50000"}, {{I, 184, 0x50}, {I, 185, 0xC3}}},
    {{"musicLeft.dynEq[0].gain=60"}, {{I, 674 + 2, 60}}},
    {{"image[570]=0xFF"}, {{I, 570, 255}}},
    {{"image[0x23A]=7"}, {{I, 570, 7}}},
    {{"system[9]=0"}, {{S, 9, 0}}},
    {{"system.micVolume=0xD4"}, {{S, 2, 0xD4}}}, // muted at level 84
    {{"system.sensitivityAndKey=0xE1"}, {{S, 9, 0xE1}}},
    {{"system.panelPassword=12"}, {{S, 15, '1'}, {S, 16, '2'}, {S, 17, ' '}, {S, 18, ' '}}},
    {{"sceneSelect=3", "scene[3].sub.delay=1500", "sceneSelect=0"},
     {{I, 2706, 3}, {I, 2400, 0xDC}, {I, 2401, 0x05}, {I, 2706, 0}}},
};

TEST(SetArguments, GoodArgumentsBecomeByteWritesInOrder) {
    for (const Good& g : kGood) {
        SCOPED_TRACE(g.args.front());
        const SetArguments parsed = parseSetArguments(g.args);
        EXPECT_TRUE(parsed.ok()) << parsed.error;
        EXPECT_EQ(parsed.writes, g.writes);
    }
}

TEST(SetArguments, TextValuesArePaddedWithSpaces) {
    const std::vector<std::string> args{"name=Party"};
    const SetArguments parsed = parseSetArguments(args);
    ASSERT_TRUE(parsed.ok()) << parsed.error;
    ASSERT_EQ(parsed.writes.size(), 20u);
    std::string text;
    for (std::size_t i = 0; i < 20; ++i) {
        EXPECT_EQ(parsed.writes[i].offset, i);
        text += static_cast<char>(parsed.writes[i].value);
    }
    EXPECT_EQ(text, "Party               ");
}

struct Bad {
    const char* arg;
    const char* error;
};

const Bad kBad[] = {
    {"musicLeft.eq[0].gain=181", "musicLeft.eq[0].gain=181: out of range (0..180)"},
    {"musicLeft.dynEq[0].gain=59", "out of range (60..180)"},
    {"musicLeft.eq[0].freq=362", "out of range (0..361)"},
    {"musicLeft.eq[0].gain=-1", "out of range (0..180)"},
    {"musicLeft.eq[0].freq=99999999999999999999999", "out of range"},
    {"musicLeft.hpf.kind=1", "out of range (0..0)"},
    {"image[570]=256", "out of range (0..255)"},
    {"system.micVolume=85", "out of range (level 0..84, plus 0x80 to mute)"},
    {"system.sensitivityAndKey=0xF0", "out of range"},
    {"musicLeft.eq[0].gian=1", "musicLeft.eq[0].gian: no such field or address"},
    {"image[2712]=0", "image[2712]: no such field or address"},
    {"system[66]=0", "no such field or address"},
    {"musicLeft.eq[0].gain", "musicLeft.eq[0].gain: expected ADDRESS=VALUE"},
    {"=5", "expected ADDRESS=VALUE"},
    {"musicLeft.eq[0].gain=", "VALUE must be a decimal or 0x-hex number"},
    {"musicLeft.eq[0].gain=12a", "decimal or 0x-hex"},
    {"musicLeft.eq[0].gain=0x", "decimal or 0x-hex"},
    {"musicLeft.eq[0].gain=+5", "decimal or 0x-hex"},
    {"musicLeft.eq[0].gain= 5", "decimal or 0x-hex"},
    {"musicLeft.eq[0].gain=5=6", "decimal or 0x-hex"},
    {"name=ABCDEFGHIJKLMNOPQRSTU", "longer than 20 characters"},
    {"system.panelPassword=12\t3", "only printable ASCII characters"},
};

TEST(SetArguments, BadArgumentsAreRefusedWithAMessageAndNoWrites) {
    for (const Bad& b : kBad) {
        SCOPED_TRACE(b.arg);
        // A good argument first: nothing of it may remain.
        const std::vector<std::string> args{"sceneSelect=1", b.arg};
        const SetArguments parsed = parseSetArguments(args);
        EXPECT_FALSE(parsed.ok());
        EXPECT_NE(parsed.error.find(b.error), std::string::npos) << parsed.error;
        EXPECT_TRUE(parsed.writes.empty());
    }
}

TEST(SetCommand, RefusesBadArgumentsBeforeAnyConnection) {
    const Outcome bad = runArgs({"set", "--port", "ttyUSB9", "sceneSelect=4"});
    EXPECT_EQ(bad.status, kExitUsage);
    EXPECT_NE(bad.err.find("kesmo-cli set: sceneSelect=4: out of range (0..3)\n"),
              std::string::npos)
        << bad.err;
    EXPECT_EQ(bad.err.find("Unable to Open Device!"), std::string::npos) << "no port was tried";

    const Outcome none = runArgs({"set"});
    EXPECT_EQ(none.status, kExitUsage);
    EXPECT_NE(none.err.find("expects ADDRESS=VALUE..."), std::string::npos);
}

} // namespace
