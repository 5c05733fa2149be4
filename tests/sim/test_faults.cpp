#include "SimTestSupport.h"

#include <gtest/gtest.h>
#include <memory>

using namespace kesmo::sim;
using namespace kesmo::sim::test;
using namespace std::chrono_literals;

namespace {

const Bytes kIdentityQuery = hex("FF 55 03 00 7F 00 82");
const std::string kIdentityReply = "FF 55 04 00 7F 01 01 85";
const Bytes kVolumeChange = hex("FF 55 04 00 01 00 33 38");
const std::string kVolumeAck = "FF 55 03 00 01 00 04";

struct FaultTest : ::testing::Test {
    std::unique_ptr<Engine> engine = std::make_unique<Engine>();
    std::uint8_t musicVolume() const { return engine->state().system[3]; }
    void add(Fault fault, std::optional<std::uint8_t> code = {},
             std::optional<unsigned> count = 1) {
        engine->addFault(FaultRule{std::move(fault), code, count});
    }
};

TEST_F(FaultTest, SilentAnswersNothingAndChangesNothing) {
    const auto before = musicVolume();
    add(Fault::silent());
    EXPECT_TRUE(engine->feed(kVolumeChange).writes.empty());
    EXPECT_EQ(musicVolume(), before);
    EXPECT_EQ(engine->count(1), 1u) << "the frame was still received";
    EXPECT_EQ(answerTo(*engine, kVolumeChange), kVolumeAck) << "one frame only";
    EXPECT_EQ(musicVolume(), 0x33);
    EXPECT_EQ(engine->counters().unanswered, 1u);
}

TEST_F(FaultTest, RefuseAnswersTheStatusAndChangesNothing) {
    const auto before = musicVolume();
    add(Fault::refuse(2));
    EXPECT_EQ(answerTo(*engine, kVolumeChange), "FF 55 03 00 01 02 06");
    EXPECT_EQ(musicVolume(), before);
    add(Fault::refuse(3));
    EXPECT_EQ(answerTo(*engine, kIdentityQuery), "FF 55 03 00 7F 03 85");
    EXPECT_EQ(engine->counters().refusals, 2u);
}

TEST_F(FaultTest, BadChecksumSpoilsOnlyTheChecksum) {
    add(Fault::badChecksum());
    EXPECT_EQ(answerTo(*engine, kVolumeChange), "FF 55 03 00 01 00 05");
    EXPECT_EQ(musicVolume(), 0x33) << "the device did act on it";
}

TEST_F(FaultTest, GarbagePrefixComesBeforeTheFrame) {
    add(Fault::garbagePrefix());
    EXPECT_EQ(answerTo(*engine, kIdentityQuery), "00 A5 12 7E " + kIdentityReply);
    add(Fault::garbagePrefix({0xFF, 0x03}));
    EXPECT_EQ(answerTo(*engine, kIdentityQuery), "FF 03 " + kIdentityReply);
    add(Fault::trailingBytes({0xFF, 0x55}));
    EXPECT_EQ(answerTo(*engine, kIdentityQuery), kIdentityReply + " FF 55");
}

TEST_F(FaultTest, SplitReplyUsesSeveralWritesWithGaps) {
    add(Fault::splitReply(3));
    const Output out = engine->feed(kIdentityQuery);
    ASSERT_EQ(out.writes.size(), 3u);
    EXPECT_EQ(toHex(out.writes[0].bytes), "FF 55");
    EXPECT_EQ(toHex(out.writes[1].bytes), "04 00 7F");
    EXPECT_EQ(toHex(out.writes[2].bytes), "01 01 85");
    EXPECT_EQ(out.writes[0].delay, 0ms);
    EXPECT_EQ(out.writes[1].delay, kSplitGap);
    EXPECT_EQ(out.writes[2].delay, kSplitGap);
}

TEST_F(FaultTest, DelayHoldsTheAnswer) {
    add(Fault::delay(300ms));
    const Output out = engine->feed(kIdentityQuery);
    ASSERT_EQ(out.writes.size(), 1u);
    EXPECT_EQ(out.writes[0].delay, 300ms);
    EXPECT_EQ(toHex(out.writes[0].bytes), kIdentityReply);
}

TEST_F(FaultTest, HangUpStopsEverythingAfterIt) {
    add(Fault::hangUp());
    Bytes two = kVolumeChange;
    two.insert(two.end(), kIdentityQuery.begin(), kIdentityQuery.end());
    const Output out = engine->feed(two);
    EXPECT_TRUE(out.hangUp);
    EXPECT_TRUE(out.writes.empty());
    EXPECT_EQ(engine->count(127), 0u) << "frames behind the hang-up are not taken";
    EXPECT_NE(musicVolume(), 0x33);
}

TEST_F(FaultTest, RulesSelectByCodeAndCount) {
    add(Fault::silent(), std::uint8_t{127}, 2);
    EXPECT_EQ(answerTo(*engine, kVolumeChange), kVolumeAck) << "other codes pass";
    EXPECT_EQ(answerTo(*engine, kIdentityQuery), "");
    EXPECT_EQ(answerTo(*engine, kIdentityQuery), "");
    EXPECT_EQ(answerTo(*engine, kIdentityQuery), kIdentityReply);
    EXPECT_TRUE(engine->faults().empty());

    add(Fault::refuse(1), std::nullopt, std::nullopt);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(answerTo(*engine, kIdentityQuery), "FF 55 03 00 7F 01 83");
    }
    engine->clearFaults();
    EXPECT_EQ(answerTo(*engine, kIdentityQuery), kIdentityReply);
}

TEST_F(FaultTest, FaultsCombine) {
    add(Fault::garbagePrefix({0x00, 0x00}));
    add(Fault::splitReply(2));
    add(Fault::delay(40ms));
    const Output out = engine->feed(kIdentityQuery);
    ASSERT_EQ(out.writes.size(), 2u);
    EXPECT_EQ(out.writes[0].delay, 40ms);
    EXPECT_EQ(out.writes[1].delay, kSplitGap);
    EXPECT_EQ(toHex(out.joined()), "00 00 " + kIdentityReply);
}

TEST(FaultRuleText, ParsesNamesArgumentsCodesAndCounts) {
    struct Case {
        const char* text;
        const char* described; // nullptr: refused
    };
    const Case cases[] = {
        {"Silent", "Silent"},
        {"BadChecksum/4", "BadChecksum/4"},
        {"Refuse", "Refuse:1"},
        {"Refuse:2@127/3", "Refuse:2@127/3"},
        {"SplitReply", "SplitReply:3"},
        {"SplitReply:5@130", "SplitReply:5@130"},
        {"GarbagePrefix", "GarbagePrefix:00 A5 12 7E"},
        {"GarbagePrefix:ff03", "GarbagePrefix:FF 03"},
        {"TrailingBytes:ff55@127", "TrailingBytes:FF 55@127"},
        {"Delay:300", "Delay:300"},
        {"HangUp@12/1", "HangUp@12/1"},
        {"Refuse:4", nullptr},
        {"Refuse:0", nullptr},
        {"SplitReply:1", nullptr},
        {"Delay", nullptr},
        {"Delay:x", nullptr},
        {"GarbagePrefix:F", nullptr},
        {"TrailingBytes", nullptr},
        {"Silent:1", nullptr},
        {"Silent@256", nullptr},
        {"Silent/0", nullptr},
        {"Sleepy", nullptr},
        {"", nullptr},
    };
    for (const auto& c : cases) {
        std::string error;
        const auto rule = parseFaultRule(c.text, error);
        if (c.described == nullptr) {
            EXPECT_FALSE(rule) << c.text;
            EXPECT_FALSE(error.empty()) << c.text;
        } else {
            ASSERT_TRUE(rule) << c.text << ": " << error;
            EXPECT_EQ(describe(*rule), c.described);
        }
    }
}

} // namespace
