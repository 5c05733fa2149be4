#include "FrameHex.h"
#include "devicelink/ParamSync.h"

#include <atomic>
#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

using namespace kesmo;
using kesmo::testing::hexBytes;
using kesmo::testing::wireHex;

namespace {

constexpr std::size_t kSceneSelect = 2706;

enum class At { Image, Scene, System };

struct Item {
    int code;
    int index;
    At at;
    std::size_t start; // scene items: relative to the start of the scene
    std::size_t width;
};

// The items as the parameter-change catalogue lists them, written out independently of the
// program's table. Order is irrelevant here.
std::vector<Item> catalogueItems() {
    std::vector<Item> v;
    auto img = [&](int code, int index, auto at, std::size_t width = 1) {
        v.push_back({code, index, At::Image, static_cast<std::size_t>(at), width});
    };
    auto scn = [&](int code, int index, auto rel, std::size_t width = 1) {
        v.push_back({code, index, At::Scene, static_cast<std::size_t>(rel), width});
    };
    auto sys = [&](int code, int index, std::size_t at) {
        v.push_back({code, index, At::System, at, 1});
    };
    sys(1, 0, 3), sys(1, 1, 2), sys(1, 2, 1);
    for (auto [i, at] :
         {std::pair{0, 76}, {1, 56}, {2, 58}, {3, 133}, {4, 113}, {5, 115}, {6, 170}, {7, 172}})
        img(2, i, at);
    for (auto [i, at] : {std::pair{1, 57}, {2, 59}, {4, 114}, {5, 116}, {6, 171}, {7, 173}})
        img(11, i, at);
    const std::size_t deviceChannel[] = {0, 2, 3, 4, 6, 1, 5, 7};
    for (int k = 0; k < 8; ++k)
        for (int j = 0; j < 5; ++j) {
            const int index = k <= 4 ? 8 + 5 * k + j : 18 + 5 * k + j;
            const std::size_t c = deviceChannel[k], uj = static_cast<std::size_t>(j);
            scn(2, index, 76 * c + 1 + 2 * uj);
            scn(11, index, 76 * c + 2 + 2 * uj);
        }
    struct Run {
        int first, last;
        std::size_t base;
    };
    for (Run r : {Run{0, 14, 568},
                  {15, 19, 644},
                  {20, 34, 732},
                  {35, 39, 808},
                  {40, 59, 255},
                  {60, 64, 356},
                  {65, 84, 412},
                  {85, 89, 513},
                  {90, 96, 20},
                  {97, 103, 134},
                  {104, 110, 77}})
        for (int i = r.first; i <= r.last; ++i)
            img(3, i, r.base + 5 * static_cast<std::size_t>(i - r.first), 5);
    for (int i = 111; i <= 190; ++i)
        scn(3, i,
            11 + 76 * static_cast<std::size_t>((i - 111) / 10) +
                5 * static_cast<std::size_t>((i - 111) % 10),
            5);
    int i = 0;
    for (int hp : {560, 724, 247, 404, 60, 174, 117}) {
        img(4, i, hp, 4);
        img(4, i++, hp + 4, 4);
    }
    for (std::size_t c = 0; c < 8; ++c) {
        scn(4, i, 76 * c + 66, 4);
        scn(4, i++, 76 * c + 70, 4);
    }
    img(4, 15, 670, 4), img(4, 16, 834, 4);
    i = 0;
    for (int at : {68, 70, 72, 74, 125, 127, 129, 131, 182, 184})
        img(5, i++, at, 2);
    for (std::size_t c = 0; c < 8; ++c)
        scn(5, i++, 76 * c + 74, 2);
    img(6, 0, 239), img(6, 1, 396);
    img(7, 0, 240, 4), img(7, 1, 397, 4), img(7, 7, 553, 4);
    i = 2;
    for (int rel : {62, 214, 290, 366, 518})
        scn(7, i++, rel, 4);
    for (int c = 0; c < 8; ++c)
        scn(8, c, 76 * static_cast<std::size_t>(c));
    sys(9, 0, 9);
    img(10, 0, 244, 3), img(10, 1, 401, 3), img(10, 2, 557, 3);
    sys(13, 0, 8);
    i = 0;
    for (int at : {674, 684, 694, 838, 848, 858})
        img(17, i++, at, 10);
    i = 0;
    for (int at : {708, 872, 386, 543, 704, 868, 382, 539})
        img(18, i++, at, 4);
    sys(19, 0, 9), img(19, 1, 238), img(19, 2, 395);
    sys(19, 3, 10), sys(19, 4, 11), sys(19, 5, 12), sys(19, 6, 13);
    i = 0;
    for (int at : {643, 669, 807, 833, 355, 381, 512, 538, 55, 169, 112})
        img(20, i++, at);
    for (std::size_t c = 0; c < 8; ++c)
        scn(20, i++, 76 * c + 61);
    i = 0;
    for (int at : {552, 881, 2707, 2708, 2709, 2710})
        img(135, i++, at);
    sys(137, 0, 6), sys(137, 1, 5), sys(137, 2, 4);
    sys(138, 0, 7), sys(139, 0, 14), img(142, 0, kSceneSelect);
    return v;
}

bool neverSynchronisedImageByte(std::size_t b) {
    const std::pair<std::size_t, std::size_t> ranges[] = {
        {0, 19}, {186, 237}, {390, 394}, {547, 551}, {712, 723}, {876, 880}, {2711, 2711}};
    for (auto [lo, hi] : ranges)
        if (b >= lo && b <= hi)
            return true;
    return false;
}
bool neverSynchronisedSceneByte(std::size_t rel) {
    const std::size_t c = rel / 76, r = rel % 76;
    return (c == 1 || c == 5 || c == 7) && r >= 62 && r <= 65;
}
bool neverSynchronisedSystemByte(std::size_t b) {
    return b == 0 || b >= 15;
}

// SB 9 is split between two items by nibble; every other byte belongs to one item.
bool isKeyNibble(const Item& it) {
    return it.code == 9;
}
bool isSensitivityNibble(const Item& it) {
    return it.code == 19 && it.index == 0;
}

// The frame the catalogue prescribes for an item, from the working copies.
std::vector<std::uint8_t> expectedFrame(const Item& it, const ParamStore& s, std::size_t scene) {
    std::vector<std::uint8_t> v;
    for (std::size_t k = 0; k < it.width; ++k)
        v.push_back(it.at == At::System  ? s.workingSystem.byte(it.start + k)
                    : it.at == At::Scene ? s.working.byte(scene + it.start + k)
                                         : s.working.byte(it.start + k));
    const auto index = static_cast<std::uint8_t>(it.index);
    std::vector<std::uint8_t> data;
    switch (it.code) {
    case 6:
        data = {index, 0, v[0]};
        break;
    case 8:
        data = {index, v[0], 0};
        break;
    case 9:
        data = {static_cast<std::uint8_t>(v[0] >> 4), 0, 0};
        break;
    case 10:
        data = {index, v[0], v[1], v[2], v[0] != 0 ? std::uint8_t{1} : std::uint8_t{0}};
        break;
    case 13:
    case 138:
    case 139:
    case 142:
        data = v;
        break;
    case 18:
        data = {index, (v[2] | v[3]) != 0 ? std::uint8_t{1} : std::uint8_t{0},
                v[0],  v[1],
                v[2],  v[3],
                0,     0,
                0,     0,
                0};
        break;
    default:
        data = {index};
        if (isSensitivityNibble(it))
            data.push_back(v[0] & 0x0F);
        else
            data.insert(data.end(), v.begin(), v.end());
        break;
    }
    const std::map<int, int> lengths = {{1, 4},   {2, 4},   {3, 8},  {4, 7},  {5, 5},   {6, 5},
                                        {7, 7},   {8, 5},   {9, 5},  {10, 7}, {11, 4},  {13, 3},
                                        {17, 13}, {18, 13}, {19, 4}, {20, 4}, {135, 4}, {137, 4},
                                        {138, 3}, {139, 3}, {142, 3}};
    const auto length = static_cast<std::uint8_t>(data.size() + 2);
    EXPECT_EQ(length, lengths.at(it.code)) << "code " << it.code;
    std::vector<std::uint8_t> f = {0xFF, 0x55, length, 0, static_cast<std::uint8_t>(it.code)};
    f.insert(f.end(), data.begin(), data.end());
    unsigned sum = 0;
    for (std::size_t k = 2; k < f.size(); ++k)
        sum += f[k];
    f.push_back(static_cast<std::uint8_t>(sum));
    return f;
}

std::string hex(const std::vector<std::uint8_t>& bytes) {
    Frame f;
    std::copy(bytes.begin(), bytes.end(), f.data());
    return hexBytes(f, 0, bytes.size());
}

struct SyncTest : ::testing::Test {
    std::unique_ptr<ParamStore> store = std::make_unique<ParamStore>();
    std::unique_ptr<LinkState> link = std::make_unique<LinkState>();
    Frame staging;

    SyncTest() {
        // Leftovers of an earlier, longer frame: the step must clear what it does not name.
        std::fill(staging.data() + 2, staging.data() + Frame::kWireArea, std::uint8_t{0xEE});
    }
    std::string step() {
        EXPECT_EQ(ParamSync(staging, *store, *link), 1);
        return wireHex(staging);
    }
    // The scene selection as the device already knows it.
    void selectScene(std::uint8_t s) {
        store->working.setByte(kSceneSelect, s);
        store->mirror.setByte(kSceneSelect, s);
    }
    bool meterRequest() const {
        return staging.length() == 3 && (staging.code() == 12 || staging.code() == 24);
    }
    // Working and mirror equal, every byte different from its neighbours.
    void fillPattern(std::uint8_t scene) {
        std::uint32_t x = 12345;
        auto next = [&] {
            x = x * 1103515245u + 12345u;
            return static_cast<std::uint8_t>(x >> 16);
        };
        for (std::size_t b = 0; b < ModeImage::kSize; ++b)
            store->working.setByte(b, next());
        for (std::size_t b = 0; b < SystemBlock::kSize; ++b)
            store->workingSystem.setByte(b, next());
        store->working.setByte(kSceneSelect, scene);
        store->mirror.assign(store->working);
        store->mirrorSystem.assign(store->workingSystem);
    }
};

TEST_F(SyncTest, IdleLinkAlternatesMeterRequestsStartingWithLevels) {
    selectScene(1);
    EXPECT_EQ(step(), "FF 55 03 00 0C 01 10");
    EXPECT_EQ(step(), "FF 55 03 00 18 01 1C");
    EXPECT_EQ(step(), "FF 55 03 00 0C 01 10");
    EXPECT_EQ(step(), "FF 55 03 00 18 01 1C");
}

TEST_F(SyncTest, MeterRequestCarriesTheRawSceneSelection) {
    for (auto [scene, wire] : {std::pair<std::uint8_t, const char*>{0, "FF 55 03 00 0C 00 0F"},
                               {200, "FF 55 03 00 0C C8 D7"}}) {
        selectScene(scene);
        link->lamps.alternation = 0;
        EXPECT_EQ(step(), wire);
        EXPECT_EQ(store->mirror.byte(kSceneSelect), scene);
    }
}

TEST_F(SyncTest, OneItemOfEveryChangeCodeComposesItsFrame) {
    // The zero store edits scene 1 (sceneSelect 0 falls back to it), E = 882.
    struct Case {
        const char* name;
        bool system;
        std::size_t at;
        std::vector<std::uint8_t> bytes;
        const char* wire;
    };
    const Case cases[] = {
        {"music volume", true, 3, {0x55}, "FF 55 04 00 01 00 55 5A"},
        {"echo A repeat", false, 76, {0x20}, "FF 55 04 00 02 00 20 26"},
        {"echo A wet sign", false, 57, {1}, "FF 55 04 00 0B 01 01 11"},
        {"Main R echo A level", false, 963, {0x30}, "FF 55 04 00 02 2D 30 63"},
        {"Surround R reverb sign", false, 1424, {1}, "FF 55 04 00 0B 39 01 49"},
        {"band 0 gain", false, 570, {0x7A}, "FF 55 08 00 03 00 00 00 7A 00 00 85"},
        {"band 190 freq", false, 1470, {0x69, 0x01}, "FF 55 08 00 03 BE 69 01 00 00 00 33"},
        {"music left lpf", false, 564, {1, 0x69, 1, 0x0C}, "FF 55 07 00 04 00 01 69 01 0C 82"},
        {"Surround R lpf", false, 1484, {1, 0x10, 0, 3}, "FF 55 07 00 04 0E 01 10 00 03 2D"},
        {"echo B predelay", false, 125, {0x34, 0x12}, "FF 55 05 00 05 04 34 12 54"},
        {"Rear R delay", false, 1336, {0x88}, "FF 55 05 00 05 0F 88 00 A1"},
        {"mic 2 feedback", false, 396, {3}, "FF 55 05 00 06 01 00 03 0F"},
        {"Surround L limiter",
         false,
         1400,
         {0x10, 0x20, 0x30, 0x40},
         "FF 55 07 00 07 06 10 20 30 40 B4"},
        {"Surround R mute", false, 1414, {1}, "FF 55 05 00 08 07 01 00 15"},
        {"input select", true, 8, {4}, "FF 55 03 00 0D 04 14"},
        {"music right dyn eq band 2",
         false,
         858,
         {1, 2, 3, 4, 5, 6, 7, 8, 9, 10},
         "FF 55 0D 00 11 05 01 02 03 04 05 06 07 08 09 0A 5A"},
        {"mic 1 low exciter",
         false,
         382,
         {0x20, 0, 2},
         "FF 55 0D 00 12 06 01 20 00 02 00 00 00 00 00 00 48"},
        {"coax gain", true, 12, {9}, "FF 55 04 00 13 05 09 25"},
        {"Surround R eq bypass", false, 1475, {1}, "FF 55 04 00 14 12 01 2B"},
        {"link 2708", false, 2708, {1}, "FF 55 04 00 87 03 01 8F"},
        {"effect maximum", true, 4, {0x46}, "FF 55 04 00 89 02 46 D5"},
        {"phantom power", true, 7, {1}, "FF 55 03 00 8A 01 8E"},
        {"infrared", true, 14, {1}, "FF 55 03 00 8B 01 8F"},
        {"mic 1 noise gate", false, 244, {5}, "FF 55 07 00 0A 00 05 00 00 01 17"},
        {"key shift", true, 9, {0x50}, "FF 55 05 00 09 05 00 00 13"},
        {"scene selection", false, kSceneSelect, {2}, "FF 55 03 00 8E 02 93"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (std::size_t k = 0; k < c.bytes.size(); ++k) {
            if (c.system)
                store->workingSystem.setByte(c.at + k, c.bytes[k]);
            else
                store->working.setByte(c.at + k, c.bytes[k]);
        }
        EXPECT_EQ(step(), c.wire);
        EXPECT_EQ(staging.field(Frame::kChecksumCopy), staging[staging.wireSize() - 1]);
        step();
        EXPECT_TRUE(meterRequest()) << wireHex(staging);
    }
    EXPECT_TRUE(store->mirror.sameAs(store->working));
    EXPECT_TRUE(store->mirrorSystem.sameAs(store->workingSystem));
}

TEST_F(SyncTest, BandChangeCarriesTheWholeRecordAndSynchronisesIt) {
    for (std::size_t b = 568; b <= 572; ++b)
        store->working.setByte(b, static_cast<std::uint8_t>(b - 560));
    store->mirror.assign(store->working);
    store->working.setByte(570, 0x80);
    EXPECT_EQ(step(), "FF 55 08 00 03 00 08 09 80 0B 0C B3");
    EXPECT_TRUE(store->mirror.sameAs(store->working, 568, 5));
}

TEST_F(SyncTest, EitherCrossoverRecordTravelsUnderItsIndexHighPassFirst) {
    store->working.setByte(562, 0x11);
    store->working.setByte(566, 0x22);
    EXPECT_EQ(step(), "FF 55 07 00 04 00 00 00 11 00 1C");
    EXPECT_EQ(step(), "FF 55 07 00 04 00 00 00 22 00 2D");
}

TEST_F(SyncTest, SensitivityAndKeyShiftShareTheirByteByNibble) {
    store->workingSystem.setByte(9, 0x5A);
    EXPECT_EQ(step(), "FF 55 04 00 13 00 0A 21");
    EXPECT_EQ(store->mirrorSystem.byte(9), 0x0A);
    EXPECT_EQ(step(), "FF 55 05 00 09 05 00 00 13");
    EXPECT_EQ(store->mirrorSystem.byte(9), 0x5A);
    step();
    EXPECT_TRUE(meterRequest());
}

TEST_F(SyncTest, NoiseGateFlagFollowsItsThreshold) {
    store->working.setByte(244, 5);
    EXPECT_EQ(step(), "FF 55 07 00 0A 00 05 00 00 01 17");
    store->working.setByte(244, 0);
    EXPECT_EQ(step(), "FF 55 07 00 0A 00 00 00 00 00 11");
}

TEST_F(SyncTest, ExciterFlagFollowsHarmonicOrTimbre) {
    struct Case {
        std::vector<std::uint8_t> exciter; // bytes 382 .. 385: freq, harmonic, timbre
        const char* wire;
    };
    const Case cases[] = {
        {{0x20, 0x01, 0, 0}, "FF 55 0D 00 12 06 00 20 01 00 00 00 00 00 00 00 46"},
        {{0x20, 0x01, 0, 7}, "FF 55 0D 00 12 06 01 20 01 00 07 00 00 00 00 00 4E"},
        {{0, 0, 3, 0}, "FF 55 0D 00 12 06 01 00 00 03 00 00 00 00 00 00 29"},
        {{0, 0, 0, 0}, "FF 55 0D 00 12 06 00 00 00 00 00 00 00 00 00 00 25"},
    };
    for (const Case& c : cases) {
        for (std::size_t k = 0; k < 4; ++k)
            store->working.setByte(382 + k, c.exciter[k]);
        EXPECT_EQ(step(), c.wire);
    }
}

// Every byte is carried by exactly one item of the edited scene or is never synchronised;
// changing a carried byte sends exactly its item's frame once and synchronises it.
TEST_F(SyncTest, EveryByteIsCarriedByItsItemOrNeverSent) {
    const std::vector<Item> items = catalogueItems();
    std::map<std::pair<At, std::size_t>, std::vector<std::size_t>> owner;
    for (std::size_t n = 0; n < items.size(); ++n)
        for (std::size_t k = 0; k < items[n].width; ++k)
            owner[{items[n].at, items[n].start + k}].push_back(n);

    auto check = [&](At at, std::size_t b, bool never) {
        const auto it = owner.find({at, b});
        const std::size_t owners = it == owner.end() ? 0 : it->second.size();
        const std::size_t expected = never ? 0 : at == At::System && b == 9 ? 2 : 1;
        EXPECT_EQ(owners, expected) << "area " << static_cast<int>(at) << " byte " << b;
    };
    for (std::size_t b = 0; b < ModeImage::kSize; ++b)
        if (b < 882 || b >= 2706)
            check(At::Image, b, neverSynchronisedImageByte(b));
    for (std::size_t rel = 0; rel < 608; ++rel)
        check(At::Scene, rel, neverSynchronisedSceneByte(rel));
    for (std::size_t b = 0; b < SystemBlock::kSize; ++b)
        check(At::System, b, neverSynchronisedSystemByte(b));
    ASSERT_FALSE(HasFailure());

    std::vector<std::string> faults;
    auto fault = [&](const std::string& what) {
        if (faults.size() < 12)
            faults.push_back(what);
    };
    for (std::uint8_t scene = 1; scene <= 3; ++scene) {
        fillPattern(scene);
        const std::size_t base = 882 + 608 * (scene - 1u);
        // Changes byte `b` of an image or system block; `flip` picks the bits.
        auto probe = [&](auto& working, auto& mirror, std::size_t b, std::uint8_t flip,
                         const Item* item, const std::string& where) {
            const std::uint8_t old = working.byte(b);
            working.setByte(b, static_cast<std::uint8_t>(old ^ flip));
            const std::string sent = step();
            if (item == nullptr) {
                if (!meterRequest() || mirror.byte(b) != old)
                    fault(where + " is never synchronised but sent " + sent);
                working.setByte(b, old);
                return;
            }
            const std::string want = hex(expectedFrame(*item, *store, base));
            if (sent != want)
                fault(where + " sent " + sent + " instead of " + want);
            if (mirror.byte(b) != working.byte(b))
                fault(where + " left the mirror behind");
            step();
            if (!meterRequest())
                fault(where + " sent a second frame " + wireHex(staging));
        };
        for (std::size_t b = 0; b < ModeImage::kSize; ++b) {
            if (b == kSceneSelect)
                continue; // moves the edited scene; covered by its own tests
            const bool inScene = b >= 882 && b < 2706;
            const bool edited = b >= base && b < base + 608;
            const auto it =
                inScene ? owner.find({At::Scene, b - base}) : owner.find({At::Image, b});
            const Item* item =
                (!inScene || edited) && it != owner.end() ? &items[it->second.front()] : nullptr;
            probe(store->working, store->mirror, b, 0x01, item,
                  "scene " + std::to_string(scene) + " image byte " + std::to_string(b));
        }
        for (std::size_t b = 0; b < SystemBlock::kSize; ++b) {
            const auto it = owner.find({At::System, b});
            const std::string where = "system byte " + std::to_string(b);
            if (it == owner.end()) {
                probe(store->workingSystem, store->mirrorSystem, b, 0x01, nullptr, where);
                continue;
            }
            for (std::size_t n : it->second) {
                const Item& item = items[n];
                const std::uint8_t flip = isKeyNibble(item) ? 0x10 : 0x01;
                probe(store->workingSystem, store->mirrorSystem, b, flip, &item, where);
            }
        }
    }
    EXPECT_TRUE(faults.empty()) << ::testing::PrintToString(faults);
}

TEST_F(SyncTest, ItemsChangedTogetherArriveInTableOrder) {
    selectScene(1);
    struct Change {
        bool system;
        std::size_t at;
        const char* codeAndIndex; // bytes 4 and 5 of the frame
    };
    // In the order of comparison; applied in reverse.
    const Change changes[] = {
        {true, 1, "01 02"},
        {false, 56, "02 01"},
        {false, 883, "02 08"},
        {false, 884, "0B 08"},
        {false, 570, "03 00"},
        {false, 893, "03 6F"},
        {false, 562, "04 00"},
        {false, 566, "04 00"},
        {false, 125, "05 04"},
        {false, 240, "07 00"},
        {false, 882, "08 00"},
        {false, 238, "13 01"},
        {false, 643, "14 00"},
        {false, 552, "87 00"},
        {false, 674, "11 00"},
        {false, 239, "06 00"},
        {true, 8, "0D 04"},
        {false, 244, "0A 00"},
        {false, 708, "12 00"},
        {true, 6, "89 00"},
        {true, 7, "8A 04"},
        {true, 14, "8B 04"},
        {false, kSceneSelect, "8E 00"},
    };
    for (std::size_t n = std::size(changes); n-- > 0;) {
        const Change& c = changes[n];
        // sceneSelect 0 keeps scene 1 edited; the other values are 4 so that the bare
        // codes show a recognisable byte 5.
        const std::uint8_t v = c.at == kSceneSelect && !c.system ? 0 : 4;
        if (c.system)
            store->workingSystem.setByte(c.at, v);
        else
            store->working.setByte(c.at, v);
    }
    for (const Change& c : changes) {
        step();
        EXPECT_EQ(hexBytes(staging, 4, 6), c.codeAndIndex);
    }
    step();
    EXPECT_TRUE(meterRequest());
}

// The order of comparison, row by row, as (code, index); a code-4 index stands for both of its
// records, high-pass first.
std::vector<std::pair<int, int>> comparisonOrder() {
    std::vector<std::pair<int, int>> order = {{1, 2}, {1, 1}, {1, 0}};
    for (auto ci : {std::pair{2, 0},
                    {2, 1},
                    {11, 1},
                    {2, 2},
                    {11, 2},
                    {2, 3},
                    {2, 4},
                    {11, 4},
                    {2, 5},
                    {11, 5},
                    {2, 6},
                    {2, 7},
                    {11, 6},
                    {11, 7}})
        order.push_back(ci);
    for (int k = 0; k < 8; ++k)
        for (int code : {2, 11})
            for (int j = 0; j < 5; ++j)
                order.push_back({code, k <= 4 ? 8 + 5 * k + j : 18 + 5 * k + j});
    const std::pair<int, int> rows[] = {{3, 190}, {4, 16},  {5, 17},  {7, 7},   {8, 7},   {19, 6},
                                        {20, 18}, {135, 5}, {17, 5},  {6, 1},   {9, 0},   {13, 0},
                                        {10, 2},  {18, 7},  {137, 2}, {138, 0}, {139, 0}, {142, 0}};
    for (auto [code, last] : rows)
        for (int i = 0; i <= last; ++i)
            order.push_back({code, i});
    return order;
}

TEST_F(SyncTest, EveryItemDifferingArrivesInTheWholeOrderOfComparison) {
    std::vector<Item> expected;
    const std::vector<Item> items = catalogueItems();
    for (auto [code, index] : comparisonOrder())
        for (const Item& it : items)
            if (it.code == code && it.index == index)
                expected.push_back(it);
    ASSERT_EQ(expected.size(), items.size()) << "every item has its place in the order";

    for (std::uint8_t scene = 1; scene <= 3; ++scene) {
        SCOPED_TRACE("scene " + std::to_string(scene));
        fillPattern(scene);
        const std::size_t base = 882 + 608 * (scene - 1u);
        // The device holds the opposite of every compared byte.
        for (const Item& it : items)
            for (std::size_t k = 0; k < it.width; ++k) {
                if (it.at == At::System)
                    store->mirrorSystem.setByte(it.start + k,
                                                ~store->workingSystem.byte(it.start + k) & 0xFF);
                else {
                    const std::size_t at = (it.at == At::Scene ? base : 0) + it.start + k;
                    store->mirror.setByte(at, ~store->working.byte(at) & 0xFF);
                }
            }
        for (std::size_t n = 0; n < expected.size(); ++n) {
            const Item& it = expected[n];
            ASSERT_EQ(step(), hex(expectedFrame(it, *store, base)))
                << "frame " << n << ": code " << it.code << " index " << it.index;
        }
        step();
        EXPECT_TRUE(meterRequest()) << wireHex(staging);
    }
}

TEST_F(SyncTest, ScenesNotEditedWaitUntilTheyAreEdited) {
    selectScene(1);
    store->working.setByte(1490 + 61, 1); // scene 2, Main L EQ bypass
    step();
    EXPECT_TRUE(meterRequest());
    step();
    EXPECT_TRUE(meterRequest());
    store->working.setByte(kSceneSelect, 2);
    EXPECT_EQ(step(), "FF 55 04 00 14 0B 01 24");
    EXPECT_EQ(step(), "FF 55 03 00 8E 02 93");
    step();
    EXPECT_TRUE(meterRequest());
}

TEST_F(SyncTest, SceneSelectionAboveThreeComparesTheFallbackScene) {
    struct Case {
        std::uint8_t sceneSelect;
        int fallback;
        int compared;
    };
    for (Case c : {Case{7, 3, 3}, {255, 2, 2}, {4, 1, 1}, {200, 9, 1}, {0, 3, 3}}) {
        SCOPED_TRACE(static_cast<int>(c.sceneSelect));
        store = std::make_unique<ParamStore>();
        selectScene(c.sceneSelect);
        store->fallbackScene = c.fallback;
        // The delay of Surround R, the last bytes of each scene.
        for (std::uint8_t s = 1; s <= 3; ++s)
            store->working.setByte(882 + 608 * (s - 1u) + 606, s);
        const std::string want = "FF 55 05 00 05 11 0" + std::to_string(c.compared) + " 00 " +
                                 (c.compared == 1   ? "1C"
                                  : c.compared == 2 ? "1D"
                                                    : "1E");
        EXPECT_EQ(step(), want);
        step();
        EXPECT_TRUE(meterRequest());
        EXPECT_EQ(staging[5], c.sceneSelect);
        for (std::uint8_t s = 1; s <= 3; ++s)
            EXPECT_EQ(store->mirror.byte(882 + 608 * (s - 1u) + 606), s == c.compared ? s : 0);
    }
}

// Pages write without the lock while the worker steps; afterwards every edit arrives.
TEST_F(SyncTest, EditsDuringStepsAreAllDeliveredInTheEnd) {
    selectScene(1);
    std::atomic<bool> done{false};
    std::thread page([&] {
        for (unsigned n = 0; n < 20000; ++n) {
            const std::size_t at = 20 + (n * 97) % 1400; // never-sent bytes included
            store->working.setByte(at, static_cast<std::uint8_t>(n));
            store->workingSystem.setByte(1 + n % 14, static_cast<std::uint8_t>(n >> 3));
        }
        done = true;
    });
    while (!done)
        ParamSync(staging, *store, *link);
    page.join();
    for (int n = 0; n < 2000; ++n) {
        step();
        if (meterRequest())
            break;
    }
    ASSERT_TRUE(meterRequest());
    for (const Item& it : catalogueItems()) {
        const std::size_t at = it.start + (it.at == At::Scene ? 882 : 0);
        const bool same = it.at == At::System
                              ? store->mirrorSystem.sameAs(store->workingSystem, at, it.width)
                              : store->mirror.sameAs(store->working, at, it.width);
        EXPECT_TRUE(same) << it.code << "/" << it.index;
    }
}

} // namespace
