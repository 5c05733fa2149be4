#include "SimTestSupport.h"

#include <gtest/gtest.h>
#include <memory>
#include <numeric>

using namespace kesmo::sim;
using namespace kesmo::sim::test;

namespace {

struct EngineTest : ::testing::Test {
    std::unique_ptr<Engine> engine = std::make_unique<Engine>();
};

TEST_F(EngineTest, GoldenShortExchanges) {
    struct Case {
        const char* what;
        const char* query;
        const char* reply;
    };
    const Case cases[] = {
        {"identity", "FF 55 03 00 7F 00 82", "FF 55 04 00 7F 01 01 85"},
        {"volume change", "FF 55 04 00 01 00 33 38", "FF 55 03 00 01 00 04"},
        {"meter limits", "FF 55 03 00 18 01 1C",
         "FF 55 0E 00 18 C8 C8 C8 C8 C8 C8 C8 C8 C8 C8 C8 C8 86"},
        {"name of a mode past the bank", "FF 55 03 00 80 16 99", "FF 55 03 00 80 01 84"},
        {"level item the device does not have", "FF 55 04 00 02 21 00 27", "FF 55 03 00 02 01 06"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(answerTo(*engine, hex(c.query)), c.reply) << c.what;
    }
}

TEST_F(EngineTest, IdentityCarriesTheConfiguredFlags) {
    engine->setIdentity(0, 1);
    EXPECT_EQ(answerTo(*engine, hex("FF 55 03 00 7F 00 82")), "FF 55 04 00 7F 00 01 84");
    EXPECT_EQ(engine->count(127), 1u);
    ASSERT_EQ(engine->frames(127).size(), 1u);
    EXPECT_EQ(toHex(engine->frames(127)[0].bytes), "FF 55 03 00 7F 00 82");
}

TEST_F(EngineTest, NamesSystemBlocksAndModesAreAnsweredByIndex) {
    engine->modifyState([](DeviceState& s) {
        s.working[0] = 'W';
        s.system[30] = 0x30;
        s.storedSystem(5)[30] = 0x35;
        s.storedMode(21)[2000] = 0x21;
    });
    const auto state = engine->state();

    const Bytes names = engine->feed(wire(128, {3})).joined();
    Bytes expectedName{3};
    expectedName.insert(expectedName.end(), state.storedMode(3).begin(),
                        state.storedMode(3).begin() + 20);
    EXPECT_EQ(hexOf(names), hexOf(wire(128, expectedName)));
    EXPECT_EQ(std::string(names.begin() + 6, names.begin() + 26), "MODE 3              ");
    EXPECT_EQ(engine->feed(wire(128, {0})).joined()[6], 'W');

    // The system block answer has no index byte.
    const Bytes working = engine->feed(wire(129, {0})).joined();
    ASSERT_EQ(working.size(), 72u);
    EXPECT_EQ(hexOf(Bytes(working.begin(), working.begin() + 5)), "FF 55 44 00 81");
    EXPECT_EQ(working[5 + 30], 0x30);
    EXPECT_EQ(engine->feed(wire(129, {5})).joined()[5 + 30], 0x35);

    const Bytes mode = engine->feed(wire(130, {21})).joined();
    ASSERT_EQ(mode.size(), 2719u);
    EXPECT_EQ(hexOf(Bytes(mode.begin(), mode.begin() + 6)), "FF 55 9B 0A 82 15");
    EXPECT_TRUE(
        std::equal(state.storedMode(21).begin(), state.storedMode(21).end(), mode.begin() + 6));
    EXPECT_EQ(engine->state().working, state.working) << "reading changes nothing";
}

TEST_F(EngineTest, WritesAreStoredAndAcknowledged) {
    Bytes image(2712);
    std::iota(image.begin(), image.end(), std::uint8_t{0});
    Bytes system(66);
    std::iota(system.begin(), system.end(), std::uint8_t{100});

    Bytes writeMode{0};
    writeMode.insert(writeMode.end(), image.begin(), image.end());
    EXPECT_EQ(answerTo(*engine, wire(132, writeMode)), "FF 55 03 00 84 00 87");
    writeMode[0] = 21;
    EXPECT_EQ(answerTo(*engine, wire(132, writeMode)), "FF 55 03 00 84 00 87");

    Bytes writeSystem{7};
    writeSystem.insert(writeSystem.end(), system.begin(), system.end());
    EXPECT_EQ(answerTo(*engine, wire(131, writeSystem)), "FF 55 03 00 83 00 86");

    Bytes writeName{9};
    for (char c : std::string("Party Night         ")) {
        writeName.push_back(static_cast<std::uint8_t>(c));
    }
    EXPECT_EQ(answerTo(*engine, wire(134, writeName)), "FF 55 03 00 86 00 89");

    const auto s = engine->state();
    EXPECT_TRUE(std::equal(image.begin(), image.end(), s.working.begin()));
    EXPECT_TRUE(std::equal(image.begin(), image.end(), s.storedMode(21).begin()));
    EXPECT_TRUE(std::equal(system.begin(), system.end(), s.storedSystem(7).begin()));
    EXPECT_EQ(std::string(s.storedMode(9).begin(), s.storedMode(9).begin() + 20),
              "Party Night         ");
    EXPECT_EQ(s.system, DeviceState::factory().system) << "working block untouched";

    writeMode[0] = 22;
    EXPECT_EQ(answerTo(*engine, wire(132, writeMode)), "FF 55 03 00 84 01 88");
}

TEST_F(EngineTest, RecallLoadsTheStoredModeAndAnswersWithIt) {
    engine->modifyState([](DeviceState& s) {
        s.storedMode(4)[100] = 0x44;
        s.storedSystem(4)[3] = 0x17;
    });
    const Bytes reply = engine->feed(wire(133, {4})).joined();
    ASSERT_EQ(reply.size(), 2719u);
    EXPECT_EQ(hexOf(Bytes(reply.begin(), reply.begin() + 6)), "FF 55 9B 0A 85 04");
    EXPECT_EQ(reply[6 + 100], 0x44);
    const auto s = engine->state();
    EXPECT_EQ(s.working, s.storedMode(4));
    EXPECT_EQ(s.system[0], 4) << "the device now runs mode 4";
    EXPECT_EQ(s.system[3], 0x17) << "per-mode system block recalled with it";

    engine->setIdentity(0, 1);
    engine->modifyState([](DeviceState& s2) { s2.storedSystem(6)[3] = 0x66; });
    engine->feed(wire(133, {6}));
    EXPECT_EQ(engine->state().system[3], 0x17) << "one shared system block";
    EXPECT_EQ(engine->state().system[0], 6);
}

TEST_F(EngineTest, PasswordChangesTakeTheNewPassword) {
    // Old password as the program holds it, then the new one.
    Bytes system{'1', '2', '3', '4', '5', '6', 'a', 'b', 'c', 'd', 'e', 'f'};
    EXPECT_EQ(answerTo(*engine, wire(140, system)), "FF 55 03 00 8C 00 8F");
    Bytes panel{'1', '2', '3', '4', 'w', 'x', 'y', 'z'};
    EXPECT_EQ(answerTo(*engine, wire(141, panel)), "FF 55 03 00 8D 00 90");
    const auto s = engine->state();
    EXPECT_EQ(std::string(s.system.begin() + 15, s.system.begin() + 25), "wxyzabcdef");
}

TEST_F(EngineTest, MeterLevelsMoveAndFollowTheRequestedScene) {
    const Bytes first = engine->feed(hex("FF 55 03 00 0C 01 10")).joined();
    const Bytes second = engine->feed(hex("FF 55 03 00 0C 02 11")).joined();
    ASSERT_EQ(first.size(), 18u);
    ASSERT_EQ(second.size(), 18u);
    EXPECT_EQ(hexOf(Bytes(first.begin(), first.begin() + 5)), "FF 55 0E 00 0C");
    EXPECT_NE(first, second);
    for (std::size_t i = 5; i < 17; ++i) {
        EXPECT_GE(first[i], 110);
        EXPECT_LE(first[i], 200);
    }
    EXPECT_EQ(engine->state().working[2706], 2);

    MeterBytes limits{};
    limits.fill(200);
    limits[3] = 150;
    engine->setMeterLimits(limits);
    EXPECT_EQ(answerTo(*engine, hex("FF 55 03 00 18 01 1C")),
              "FF 55 0E 00 18 C8 C8 C8 96 C8 C8 C8 C8 C8 C8 C8 C8 54");

    MeterBytes levels{};
    levels.fill(110);
    levels[0] = 200;
    engine->setMeterLevels(levels);
    for (int i = 0; i < 2; ++i)
        EXPECT_EQ(answerTo(*engine, hex("FF 55 03 00 0C 01 10")),
                  "FF 55 0E 00 0C C8 6E 6E 6E 6E 6E 6E 6E 6E 6E 6E 6E 9C");
    engine->setMeterLevels(std::nullopt);
    EXPECT_NE(engine->feed(hex("FF 55 03 00 0C 01 10")).joined(),
              engine->feed(hex("FF 55 03 00 0C 01 10")).joined());
}

// Each change writes exactly the bytes of its item and nothing else.
TEST_F(EngineTest, ChangeItemsLandOnTheirBytes) {
    struct Case {
        const char* what;
        std::uint8_t code;
        std::vector<std::uint8_t> data;
        bool inSystemBlock;
        std::size_t offset;
        std::vector<std::uint8_t> bytes;
    };
    const std::size_t e = 1490; // scene 2, selected below
    const Case cases[] = {
        {"music volume", 1, {0, 0x33}, true, 3, {0x33}},
        {"effect volume", 1, {2, 0x21}, true, 1, {0x21}},
        {"echo A repeat", 2, {0, 9}, false, 76, {9}},
        {"reverb dry level", 2, {7, 9}, false, 172, {9}},
        {"SUB music level", 2, {18, 9}, false, e + 3 * 76 + 1, {9}},
        {"Main R music level", 2, {43, 9}, false, e + 76 + 1, {9}},
        {"Surround R reverb sign", 11, {57, 1}, false, e + 7 * 76 + 10, {1}},
        {"echo B wet sign", 11, {4, 1}, false, 114, {1}},
        {"music left band 0", 3, {0, 1, 2, 3, 4, 5}, false, 568, {1, 2, 3, 4, 5}},
        {"mic 2 extra band 4", 3, {89, 1, 2, 3, 4, 5}, false, 533, {1, 2, 3, 4, 5}},
        {"echo B band 6", 3, {110, 1, 2, 3, 4, 5}, false, 107, {1, 2, 3, 4, 5}},
        {"Surround R band 9", 3, {190, 1, 2, 3, 4, 5}, false, e + 7 * 76 + 56, {1, 2, 3, 4, 5}},
        {"music left lpf", 4, {0, 1, 7, 1, 5}, false, 564, {1, 7, 1, 5}},
        {"music left hpf", 4, {0, 0, 7, 1, 5}, false, 560, {0, 7, 1, 5}},
        {"SUB lpf", 4, {10, 1, 9, 0, 3}, false, e + 3 * 76 + 70, {1, 9, 0, 3}},
        {"music right main hpf", 4, {16, 0, 9, 0, 3}, false, 834, {0, 9, 0, 3}},
        {"reverb time", 5, {9, 0x34, 0x12}, false, 184, {0x34, 0x12}},
        {"Surround R delay", 5, {17, 0x34, 0x12}, false, e + 7 * 76 + 74, {0x34, 0x12}},
        {"mic 2 feedback", 6, {1, 0, 3}, false, 396, {3}},
        {"Surround L limiter", 7, {6, 1, 2, 3, 4}, false, e + 6 * 76 + 62, {1, 2, 3, 4}},
        {"music limiter", 7, {7, 1, 2, 3, 4}, false, 553, {1, 2, 3, 4}},
        {"SUB mute", 8, {3, 1, 0}, false, e + 3 * 76, {1}},
        {"input select", 13, {4}, true, 8, {4}},
        {"music gate", 10, {2, 5, 6, 7, 1}, false, 557, {5, 6, 7}},
        {"music right dyn EQ 2",
         17,
         {5, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10},
         false,
         858,
         {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}},
        {"mic 2 low exciter", 18, {7, 1, 1, 2, 3, 4, 0, 0, 0, 0, 0}, false, 539, {1, 2, 3, 4}},
        {"mic 1 level", 19, {1, 77}, false, 238, {77}},
        {"OPTI gain", 19, {6, 77}, true, 13, {77}},
        {"Surround R EQ bypass", 20, {18, 1}, false, e + 7 * 76 + 61, {1}},
        {"echo A EQ bypass", 20, {8, 1}, false, 55, {1}},
        {"surround link", 135, {5, 1}, false, 2710, {1}},
        {"music maximum", 137, {0, 80}, true, 6, {80}},
        {"effect maximum", 137, {2, 60}, true, 4, {60}},
        {"rear mic phantom", 138, {1}, true, 7, {1}},
        {"infrared", 139, {0}, true, 14, {0}},
    };
    engine->feed(wire(142, {2}));
    ASSERT_EQ(engine->state().working[2706], 2);
    for (const auto& c : cases) {
        auto expected = engine->state();
        auto* target = c.inSystemBlock ? expected.system.data() : expected.working.data();
        std::copy(c.bytes.begin(), c.bytes.end(), target + c.offset);

        const Bytes frame = wire(c.code, c.data);
        EXPECT_EQ(answerTo(*engine, frame), hexOf(wire(c.code, {0}))) << c.what;
        const auto after = engine->state();
        EXPECT_EQ(after.working, expected.working) << c.what;
        EXPECT_EQ(after.system, expected.system) << c.what;
    }
}

TEST_F(EngineTest, SensitivityAndKeyShareOneByteByNibble) {
    engine->modifyState([](DeviceState& s) { s.system[9] = 0x00; });
    engine->feed(wire(19, {0, 0x0A}));
    EXPECT_EQ(engine->state().system[9], 0x0A);
    engine->feed(wire(9, {5, 0, 0}));
    EXPECT_EQ(engine->state().system[9], 0x5A);
    engine->feed(wire(19, {0, 0xF1}));
    EXPECT_EQ(engine->state().system[9], 0x51) << "only the low nibble is taken";
}

TEST_F(EngineTest, SceneEditsFollowTheSceneSelection) {
    engine->feed(wire(142, {3}));
    engine->feed(wire(8, {0, 1, 0}));
    engine->feed(wire(142, {0}));
    engine->feed(wire(8, {1, 1, 0}));
    const auto s = engine->state();
    EXPECT_EQ(s.working[2098], 1) << "scene 3 Main L";
    EXPECT_EQ(s.working[882 + 76], 1) << "Auto edits scene 1";
    EXPECT_EQ(s.working[1490 + 76], 0);
}

TEST_F(EngineTest, ChangesTheDeviceCannotPlaceAreRefusedUntouched) {
    const auto before = engine->state();
    struct Case {
        const char* what;
        Bytes frame;
        const char* reply;
    };
    const Case cases[] = {
        {"unused level index", wire(2, {35, 1}), "FF 55 03 00 02 01 06"},
        {"sign index 0 has no item", wire(11, {0, 1}), "FF 55 03 00 0B 01 0F"},
        {"band past 190", wire(3, {191, 1, 2, 3, 4, 5}), "FF 55 03 00 03 01 07"},
        {"crossover kind 2", wire(4, {3, 2, 0, 0, 0}), "FF 55 03 00 04 01 08"},
        {"low-pass kind on a lone high-pass", wire(4, {15, 1, 0, 0, 0}), "FF 55 03 00 04 01 08"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(answerTo(*engine, c.frame), c.reply) << c.what;
    }
    const auto after = engine->state();
    EXPECT_EQ(after.working, before.working);
    EXPECT_EQ(after.system, before.system);
    EXPECT_EQ(engine->counters().refusals, std::size(cases));
}

TEST_F(EngineTest, ReceivedBytesAreReassembledAndNoiseSkipped) {
    const std::string identity = "FF 55 04 00 7F 01 01 85";
    struct Case {
        const char* what;
        const char* input;
        std::string reply;
    };
    const Case cases[] = {
        {"bad checksum ignored", "FF 55 03 00 7F 00 83", ""},
        {"garbage before a frame", "00 FF 12 55 FF FF 55 03 00 7F 00 82", identity},
        {"unknown code", "FF 55 03 00 63 00 66", ""},
        {"wrong length for the code", "FF 55 04 00 7F 00 00 83", ""},
        {"runaway length then a frame", "FF 55 FF FF FF 55 03 00 7F 00 82", identity},
        {"header inside a corrupt frame", "FF 55 03 00 7F FF 55 03 00 7F 00 82", identity},
        {"two frames at once", "FF 55 03 00 7F 00 82 FF 55 03 00 7F 00 82",
         identity + " " + identity},
    };
    for (const auto& c : cases) {
        Engine fresh;
        EXPECT_EQ(answerTo(fresh, hex(c.input)), c.reply) << c.what;
    }
}

TEST_F(EngineTest, AFrameSplitAcrossFeedsIsAnsweredOnItsLastByte) {
    const Bytes query = hex("FF 55 03 00 7F 00 82");
    for (std::size_t i = 0; i + 1 < query.size(); ++i) {
        EXPECT_TRUE(engine->feed(std::span(query).subspan(i, 1)).writes.empty());
    }
    EXPECT_EQ(toHex(engine->feed(std::span(query).last(1)).joined()), "FF 55 04 00 7F 01 01 85");
    const auto counters = engine->counters();
    EXPECT_EQ(counters.framesReceived, 1u);
    EXPECT_EQ(counters.droppedBytes, 0u);
}

TEST_F(EngineTest, BadInputIsCountedAndTheNextGoodFrameServed) {
    engine->feed(hex("FF 55 03 00 7F 00 83 01 02"));
    EXPECT_EQ(answerTo(*engine, hex("FF 55 03 00 7F 00 82")), "FF 55 04 00 7F 01 01 85");
    const auto counters = engine->counters();
    EXPECT_EQ(counters.badChecksums, 1u);
    EXPECT_EQ(counters.framesReceived, 1u);
    EXPECT_EQ(counters.answers, 1u);
}

TEST_F(EngineTest, ArbitraryBytesNeverBreakTheEngine) {
    std::uint32_t seed = 12345;
    const auto next = [&] {
        seed = seed * 1103515245u + 12345u;
        return static_cast<std::uint8_t>(seed >> 16);
    };
    Bytes noise;
    for (int i = 0; i < 200000; ++i) {
        const auto b = next();
        // Bias towards header bytes and plausible lengths so the parser's deep paths run.
        noise.push_back(b < 40 ? 0xFF : b < 70 ? 0x55 : b < 90 ? 0x03 : b);
    }
    for (std::size_t at = 0; at < noise.size();) {
        const std::size_t chunk = std::min<std::size_t>(1 + next() % 64, noise.size() - at);
        engine->feed(std::span(noise).subspan(at, chunk));
        at += chunk;
    }
    // Whatever was left half-read, a clean query after enough filler is answered.
    engine->feed(Bytes(3000, 0x00));
    EXPECT_EQ(answerTo(*engine, hex("FF 55 03 00 7F 00 82")).substr(0, 14), "FF 55 04 00 7F");
}

} // namespace
