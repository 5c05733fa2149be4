#include "FrameHex.h"
#include "devicelink/Catalogue.h"

#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

using namespace kesmo;
using kesmo::testing::hexBytes;
using kesmo::testing::wireHex;

namespace {

struct Fields {
    int identityQuery = 0;
    int awaitReply = 0;
    int longPause = 0;
    int bulkTransfer = 0;
};

Fields fieldsOf(const Frame& f) {
    return {f.field(Frame::kIdentityQuery), f.field(Frame::kAwaitReply), f.field(Frame::kLongPause),
            f.field(Frame::kBulkTransfer)};
}

std::string describe(const Fields& f) {
    return "identity " + std::to_string(f.identityQuery) + " await " +
           std::to_string(f.awaitReply) + " long " + std::to_string(f.longPause) + " bulk " +
           std::to_string(f.bulkTransfer);
}

struct CatalogueTest : ::testing::Test {
    std::unique_ptr<ParamStore> store = std::make_unique<ParamStore>();
    std::unique_ptr<LinkState> link = std::make_unique<LinkState>();
    CommandQueue queue;

    void build(int code, int arg) { buildCommand(queue, *store, *link, code, arg); }
    void build(CommandCode code, int arg) { build(codeValue(code), arg); }
    const Frame& frame(std::size_t i) const { return queue.at(i).frame(); }

    // Every data byte and checksum independently of the code under test.
    static void expectChecksum(const Frame& f) {
        unsigned sum = 0;
        for (std::size_t i = 2; i < f.wireSize() - 1; ++i)
            sum += f[i];
        EXPECT_EQ(f[f.wireSize() - 1], sum & 0xFF);
        EXPECT_EQ(f.field(Frame::kChecksumCopy), sum & 0xFF);
    }
};

TEST_F(CatalogueTest, SingleFrameRequestsCarryTheirIndexAndControlFields) {
    struct Case {
        const char* name;
        CommandCode code;
        int arg;
        const char* wire;
        Fields fields;
        int replyPending;
    };
    const Case cases[] = {
        {"identity query", CommandCode::ReadIdentity, 0, "FF 55 03 00 7F 00 82", {1, 0, 0, 0}, 0},
        {"read working system block",
         CommandCode::ReadSystemBlock,
         0,
         "FF 55 03 00 81 00 84",
         {},
         0},
        {"read working mode", CommandCode::ReadMode, 0, "FF 55 03 00 82 00 85", {}, 0},
        {"recall working mode", CommandCode::RecallMode, 0, "FF 55 03 00 85 00 88", {}, 0},
        {"recall mode 5", CommandCode::RecallMode, 5, "FF 55 03 00 85 05 8D", {0, 1, 1, 0}, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        queue.clear();
        link->replyPending = 0;
        build(c.code, c.arg);
        ASSERT_EQ(queue.count(), 1u);
        EXPECT_EQ(wireHex(frame(0)), c.wire);
        EXPECT_EQ(describe(fieldsOf(frame(0))), describe(c.fields));
        EXPECT_EQ(frame(0).field(Frame::kChecksumCopy), frame(0)[6]);
        EXPECT_EQ(link->replyPending, c.replyPending);
    }
}

TEST_F(CatalogueTest, MultiFrameRequestsAscendOverTheModes) {
    struct Case {
        const char* name;
        CommandCode code;
        int arg;
        int firstIndex;
        const char* firstWire;
        const char* lastWire;
        int bulk;
    };
    const Case cases[] = {
        {"names", CommandCode::ReadNames, 0, 0, "FF 55 03 00 80 00 83", "FF 55 03 00 80 15 98", 0},
        {"stored system blocks", CommandCode::ReadSystemBlock, 1, 1, "FF 55 03 00 81 01 85",
         "FF 55 03 00 81 15 99", 0},
        {"stored modes", CommandCode::ReadMode, 1, 1, "FF 55 03 00 82 01 86",
         "FF 55 03 00 82 15 9A", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        queue.clear();
        build(c.code, c.arg);
        ASSERT_EQ(queue.count(), static_cast<std::size_t>(22 - c.firstIndex));
        EXPECT_EQ(wireHex(frame(0)), c.firstWire);
        EXPECT_EQ(wireHex(frame(queue.count() - 1)), c.lastWire);
        for (std::size_t i = 0; i < queue.count(); ++i) {
            EXPECT_EQ(frame(i)[5], c.firstIndex + static_cast<int>(i));
            EXPECT_EQ(describe(fieldsOf(frame(i))), describe({0, 0, 0, c.bulk}));
        }
        EXPECT_EQ(link->replyPending, 0);
    }
}

TEST_F(CatalogueTest, WriteNameCopiesTheStoredNameWhenBuilt) {
    const std::string name = "Party Mode          ";
    for (std::size_t i = 0; i < name.size(); ++i)
        store->storedMode(3).setByte(i, static_cast<std::uint8_t>(name[i]));
    build(CommandCode::WriteName, 3);
    store->storedMode(3).setByte(0, 'X');
    ASSERT_EQ(queue.count(), 1u);
    EXPECT_EQ(wireHex(frame(0)), "FF 55 17 00 86 03 50 61 72 74 79 20 4D 6F 64 65 20 20 20 20 20 "
                                 "20 20 20 20 20 95");
    EXPECT_EQ(describe(fieldsOf(frame(0))), describe({0, 1, 0, 0}));
    EXPECT_EQ(link->replyPending, 1);
}

TEST_F(CatalogueTest, IndexArgumentsOutsideTheModeSlotsAppendNothing) {
    const struct {
        CommandCode code;
        int arg;
    } cases[] = {
        {CommandCode::WriteName, 0},         {CommandCode::WriteName, 22},
        {CommandCode::WriteName, -1},        {CommandCode::RecallMode, 22},
        {CommandCode::RecallMode, -3},       {CommandCode::RecallMode, 256},
        {CommandCode::WriteSystemBlock, 22}, {CommandCode::WriteSystemBlock, -1},
    };
    for (const auto& c : cases) {
        build(c.code, c.arg);
        EXPECT_FALSE(queue.hasFrames()) << codeValue(c.code) << " " << c.arg;
        EXPECT_EQ(link->replyPending, 0);
    }
}

TEST_F(CatalogueTest, WriteModeCarriesTheWholeImage) {
    for (std::size_t i = 0; i < ModeImage::kSize; ++i)
        store->working.setByte(i, static_cast<std::uint8_t>(i * 13 + 1));
    for (int n = 1; n <= layout::kStoredModes; ++n)
        store->storedMode(n).fill(static_cast<std::uint8_t>(0x40 + n));

    build(CommandCode::WriteMode, 0);
    ASSERT_EQ(queue.count(), 1u);
    const Frame& working = frame(0);
    EXPECT_EQ(hexBytes(working, 0, 6), "FF 55 9B 0A 84 00");
    EXPECT_EQ(working.wireSize(), 2719u);
    for (std::size_t i = 0; i < ModeImage::kSize; ++i)
        ASSERT_EQ(working[6 + i], store->working.byte(i)) << i;
    expectChecksum(working);
    EXPECT_EQ(describe(fieldsOf(working)), describe({0, 1, 1, 0}));
    EXPECT_EQ(link->replyPending, 1);

    queue.clear();
    link->replyPending = 0;
    build(CommandCode::WriteMode, 1);
    ASSERT_EQ(queue.count(), 21u);
    for (std::size_t k = 0; k < 21; ++k) {
        const Frame& f = frame(k);
        const int n = static_cast<int>(k) + 1;
        SCOPED_TRACE(n);
        EXPECT_EQ(hexBytes(f, 0, 5), "FF 55 9B 0A 84");
        EXPECT_EQ(f[5], n);
        EXPECT_EQ(f[6], 0x40 + n);
        EXPECT_EQ(f[6 + ModeImage::kSize - 1], 0x40 + n);
        expectChecksum(f);
        EXPECT_EQ(describe(fieldsOf(f)), describe({0, 0, 0, 1}));
    }
    EXPECT_EQ(link->replyPending, 0);
}

struct WriteSystemBlockTest : CatalogueTest {
    static constexpr int kWorking = 0; // payload source: working block, else stored block n

    WriteSystemBlockTest() {
        for (std::size_t i = 0; i < SystemBlock::kSize; ++i)
            store->workingSystem.setByte(i, static_cast<std::uint8_t>(i));
        for (int n = 1; n <= layout::kStoredModes; ++n)
            store->storedSystem(n).fill(static_cast<std::uint8_t>(0xA0 + n));
    }
    int payloadSource(const Frame& f) const {
        for (int n = 1; n <= layout::kStoredModes; ++n)
            if (f[6] == 0xA0 + n && f[6 + 65] == 0xA0 + n)
                return n;
        for (std::size_t i = 0; i < SystemBlock::kSize; ++i)
            if (f[6 + i] != i)
                return -1;
        return kWorking;
    }
};

TEST_F(WriteSystemBlockTest, ChoosesFramesFromBankArgumentAndPerModeBlocks) {
    struct Expected {
        int n;
        int source;
    };
    struct Case {
        int bank;
        int arg;
        int perMode;
        std::vector<Expected> frames;
    };
    std::vector<Expected> allStored;
    for (int n = 1; n <= 21; ++n)
        allStored.push_back({n, n});
    const Case cases[] = {
        {1, 1, 1, allStored},
        {1, 4, 0, {{4, 1}}},
        {1, 0, 1, {{0, kWorking}}},
        {1, 0, 0, {{0, 1}}},
        {0, 5, 1, {{5, kWorking}, {21, kWorking}}},
        {0, 5, 0, {{5, kWorking}}},
        {0, 0, 1, {{0, kWorking}}},
        {0, 0, 0, {{0, kWorking}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message()
                     << "bank " << c.bank << " arg " << c.arg << " perMode " << c.perMode);
        queue.clear();
        link->bankHasSystemBlocks = c.bank;
        link->perModeSystemBlocks = c.perMode;
        build(CommandCode::WriteSystemBlock, c.arg);
        ASSERT_EQ(queue.count(), c.frames.size());
        for (std::size_t i = 0; i < c.frames.size(); ++i) {
            const Frame& f = frame(i);
            EXPECT_EQ(hexBytes(f, 0, 5), "FF 55 45 00 83");
            EXPECT_EQ(f[5], c.frames[i].n);
            EXPECT_EQ(payloadSource(f), c.frames[i].source);
            expectChecksum(f);
            // Only the first 20 of the 21-frame case go without the long pause.
            const int longPause = c.frames.size() == 21 && i < 20 ? 0 : 1;
            EXPECT_EQ(describe(fieldsOf(f)), describe({0, 0, longPause, 0})) << i;
        }
        EXPECT_EQ(link->replyPending, 0);
    }
}

TEST_F(WriteSystemBlockTest, WithoutBankBlocksTheWorkingBlockGoesToTheModeAndSlot21) {
    link->bankHasSystemBlocks = 0;
    link->perModeSystemBlocks = 1;
    build(CommandCode::WriteSystemBlock, 5);
    ASSERT_EQ(queue.count(), 2u);
    EXPECT_EQ(wireHex(frame(0)),
              "FF 55 45 00 83 05 00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F 10 11 12 13 14 "
              "15 16 17 18 19 1A 1B 1C 1D 1E 1F 20 21 22 23 24 25 26 27 28 29 2A 2B 2C 2D 2E 2F "
              "30 31 32 33 34 35 36 37 38 39 3A 3B 3C 3D 3E 3F 40 41 2E");
    EXPECT_EQ(wireHex(frame(1)),
              "FF 55 45 00 83 15 00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F 10 11 12 13 14 "
              "15 16 17 18 19 1A 1B 1C 1D 1E 1F 20 21 22 23 24 25 26 27 28 29 2A 2B 2C 2D 2E 2F "
              "30 31 32 33 34 35 36 37 38 39 3A 3B 3C 3D 3E 3F 40 41 3E");
}

// Old passwords in the block, new ones staged.
struct PasswordTest : CatalogueTest {
    PasswordTest() {
        putBlock(15, "1234");
        putBlock(19, "123456");
        stage(4, "9876");
        stage(14, "654321");
    }
    void putBlock(std::size_t at, const std::string& text) {
        for (std::size_t i = 0; i < text.size(); ++i)
            store->workingSystem.setByte(at + i, static_cast<std::uint8_t>(text[i]));
    }
    void stage(std::size_t at, const std::string& text) {
        for (std::size_t i = 0; i < text.size(); ++i)
            link->passwordStaging[at + i] = static_cast<std::uint8_t>(text[i]);
    }
    std::string block(std::size_t at, std::size_t n) const {
        std::string s;
        for (std::size_t i = 0; i < n; ++i)
            s += static_cast<char>(store->workingSystem.byte(at + i));
        return s;
    }
};

TEST_F(PasswordTest, SystemPasswordFrameCarriesOldThenNewAndTheBlockTakesTheNew) {
    build(CommandCode::ChangeSystemPassword, 0);
    ASSERT_EQ(queue.count(), 1u);
    EXPECT_EQ(wireHex(frame(0)), "FF 55 0E 00 8C 31 32 33 34 35 36 36 35 34 33 32 31 04");
    EXPECT_EQ(describe(fieldsOf(frame(0))), describe({}));
    EXPECT_EQ(block(19, 6), "654321");
    EXPECT_EQ(block(15, 4), "1234");
    EXPECT_EQ(store->mirrorSystem.byte(19), 0);
}

TEST_F(PasswordTest, PanelPasswordFrameCarriesOldThenNewAndTheBlockTakesTheNew) {
    build(CommandCode::ChangePanelPassword, 0);
    ASSERT_EQ(queue.count(), 1u);
    EXPECT_EQ(wireHex(frame(0)), "FF 55 0A 00 8D 31 32 33 34 39 38 37 36 3F");
    EXPECT_EQ(block(15, 4), "9876");
    EXPECT_EQ(block(19, 6), "123456");
}

TEST_F(CatalogueTest, CodesOutsideTheCatalogueAppendNothing) {
    for (int code : {-1, 0, 1, 3, 12, 24, 126, 135, 136, 137, 138, 139, 142, 143, 255, 383}) {
        for (int arg : {0, 1}) {
            build(code, arg);
            EXPECT_FALSE(queue.hasFrames()) << code;
        }
    }
    EXPECT_EQ(link->replyPending, 0);
    EXPECT_EQ(store->workingSystem.byte(19), 0);
}

} // namespace
