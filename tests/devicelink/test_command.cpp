#include "devicelink/Command.h"
#include "tests/devicelink/RecordingSink.h"

#include <gtest/gtest.h>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

using namespace kesmo;
using namespace kesmo::layout;
using kesmo::test::Posted;
using kesmo::test::RecordingSink;

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes hex(const std::string& text) {
    std::istringstream in(text);
    Bytes out;
    unsigned v = 0;
    while (in >> std::hex >> v)
        out.push_back(static_cast<std::uint8_t>(v));
    return out;
}

// A frame with the given code and data bytes from byte 5, its length and checksum set.
Bytes frameBytes(std::uint8_t code, const Bytes& data) {
    const auto length = static_cast<std::uint16_t>(data.size() + 2);
    Bytes out{0xFF, 0x55, static_cast<std::uint8_t>(length & 0xFF),
              static_cast<std::uint8_t>(length >> 8), code};
    out.insert(out.end(), data.begin(), data.end());
    unsigned sum = 0;
    for (std::size_t i = 2; i < out.size(); ++i)
        sum += out[i];
    out.push_back(static_cast<std::uint8_t>(sum & 0xFF));
    return out;
}

Bytes pattern(std::size_t n, std::uint8_t seed) {
    Bytes out(n);
    for (std::size_t i = 0; i < n; ++i)
        out[i] = static_cast<std::uint8_t>(seed + i * 7);
    return out;
}

struct CommandTest : ::testing::Test {
    std::unique_ptr<ParamStore> store = std::make_unique<ParamStore>();
    std::unique_ptr<LinkState> link = std::make_unique<LinkState>();
    std::unique_ptr<Command> command;
    RecordingSink sink;

    void SetUp() override {
        link->transport = transport::kSerial;
        command = std::make_unique<Command>(*store, *link);
        setMessageSink(&sink);
    }
    void TearDown() override { setMessageSink(nullptr); }

    Frame& inFlight() { return command->inFlightRecord(transport::kSerial); }
    Frame& rx() { return command->receiveRecord(transport::kSerial); }
    void putInFlight(const Bytes& bytes) {
        std::copy(bytes.begin(), bytes.end(), inFlight().data());
    }
    int feed(const Bytes& bytes, int transport = transport::kSerial) {
        return command->feedBytes(transport, bytes);
    }
    // Dispatches a received frame while `request` is in flight.
    int receive(const Bytes& request, const Bytes& reply) {
        putInFlight(request);
        return feed(reply);
    }
};

TEST_F(CommandTest, ReceiveStateMachineOverByteStreams) {
    struct Case {
        const char* what;
        const char* inFlight;
        std::vector<const char*> feeds;
        std::vector<int> results;
        bool rxError;
    };
    const Case cases[] = {
        {"reply split over three feeds completes on the checksum byte",
         "FF 55 03 00 7F 00 82",
         {"FF 55 04", "00 7F 01", "00 84"},
         {0, 0, 1},
         false},
        {"bytes before the frame start other than FF 55 03 CC are dropped",
         "FF 55 03 00 7F 00 82",
         {"00 12 FF 55 04 00 7F 01 00 84"},
         {1},
         false},
        {"accepted acknowledgement",
         "FF 55 04 00 03 07 78 06 8C",
         {"FF 55 03 00 03 00 06"},
         {1},
         false},
        {"status 4 is accepted", "FF 55 03 00 0C 01 10", {"FF 55 03 00 0C 04 13"}, {1}, false},
        {"refusal 1", "FF 55 04 00 03 07 78 06 8C", {"FF 55 03 00 03 01 07"}, {0}, true},
        {"refusal 2", "FF 55 04 00 03 07 78 06 8C", {"FF 55 03 00 03 02 08"}, {0}, true},
        {"refusal 3", "FF 55 04 00 03 07 78 06 8C", {"FF 55 03 00 03 03 09"}, {0}, true},
        {"checksum error", "FF 55 03 00 7F 00 82", {"FF 55 04 00 7F 01 00 85"}, {0}, true},
        {"acknowledgement shape for another code is dispatched and completes",
         "FF 55 03 00 0C 01 10",
         {"FF 55 03 00 03 00 06"},
         {1},
         false},
        {"a refusal of another code than the one in flight is no refusal: it is dispatched",
         "FF 55 03 00 0C 01 10",
         {"FF 55 03 00 03 02 08"},
         {1},
         false},
        {"frame too short for its code completes nothing",
         "FF 55 04 00 03 07 78 06 8C",
         {"FF 55 03 00 0C 01 10"},
         {0},
         true},
        {"a frame start shifted by a stray byte never completes",
         "FF 55 03 00 7F 00 82",
         {"03 FF 55 04 00 7F 01 00 84"},
         {0},
         false},
        {"a length without code and checksum is dropped; the next frame completes",
         "FF 55 03 00 7F 00 82",
         {"FF 55 00 00 FF 55 04 00 7F 01 00 84"},
         {1},
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        command->resetRecords(transport::kSerial, true);
        putInFlight(hex(c.inFlight));
        for (std::size_t i = 0; i < c.feeds.size(); ++i)
            EXPECT_EQ(feed(hex(c.feeds[i])), c.results[i]) << "feed " << i;
        EXPECT_EQ(rx().field(Frame::kRxError) != 0, c.rxError);
        if (c.results.back() == 0) {
            EXPECT_EQ(inFlight()[4], hex(c.inFlight)[4]) << "the frame in flight stays";
        }
    }
}

TEST_F(CommandTest, CompletedExchangeClearsBothRecords) {
    putInFlight(hex("FF 55 03 00 85 05 8D"));
    inFlight().setField(Frame::kAwaitReply, 1);
    inFlight().setField(Frame::kSent, 1);
    link->replyPending = 1;
    // The reply and the start of the next one in the same read.
    EXPECT_EQ(feed(hex("FF 55 03 00 85 00 88 FF 55 04 00")), 1);
    EXPECT_EQ(link->replyPending, 0);

    EXPECT_EQ(inFlight()[0], 0xFF);
    EXPECT_EQ(inFlight()[1], 0x55);
    for (std::size_t i = 4; i < Frame::kSize; ++i)
        ASSERT_EQ(inFlight()[i], 0) << "byte " << i << ", control fields included";
    Frame cleared;
    cleared.clear();
    EXPECT_EQ(rx(), cleared) << "the bytes after the checksum were dropped";
}

TEST_F(CommandTest, OnlyTheReplyToAFrameThatAwaitsItClearsReplyPending) {
    // A WriteMode 0 is queued (replyPending set) while a parameter change is answered.
    putInFlight(hex("FF 55 08 00 03 07 78 06 8C 00 00 1C"));
    link->replyPending = 1;
    EXPECT_EQ(feed(hex("FF 55 03 00 03 00 06")), 1);
    EXPECT_EQ(link->replyPending, 1);

    putInFlight(hex("FF 55 03 00 85 05 8D"));
    inFlight().setField(Frame::kAwaitReply, 1);
    EXPECT_EQ(feed(hex("FF 55 03 00 85 00 88")), 1);
    EXPECT_EQ(link->replyPending, 0);
}

TEST_F(CommandTest, RefusalLeavesTheRecordAsItStood) {
    putInFlight(hex("FF 55 03 00 7F 00 82"));
    link->replyPending = 1;
    inFlight().setField(Frame::kAwaitReply, 1);
    EXPECT_EQ(feed(hex("FF 55 03 00 7F 02 84")), 0);
    EXPECT_EQ(rx()[5], 2);
    EXPECT_EQ(rx().word(Frame::kRxIndex), 7);
    EXPECT_EQ(rx().field(Frame::kChecksumCopy), 0x84);
    EXPECT_EQ(link->replyPending, 1);
    EXPECT_EQ(inFlight()[4], 0x7F);
}

TEST_F(CommandTest, OtherTransportsBytesAreIgnored) {
    putInFlight(hex("FF 55 03 00 7F 00 82"));
    const Bytes reply = hex("FF 55 04 00 7F 01 00 84");
    EXPECT_EQ(feed(reply, transport::kUsb), 0);
    Frame cleared;
    cleared.clear();
    EXPECT_EQ(command->receiveRecord(transport::kUsb), cleared);
    EXPECT_EQ(link->perModeSystemBlocks, 0);
    link->transport = transport::kNone;
    EXPECT_EQ(feed(reply), 0);
    EXPECT_EQ(rx(), cleared);
}

TEST_F(CommandTest, RunawayLengthsNeverWritePastTheWireArea) {
    struct Case {
        const char* what;
        Bytes stream;
        int result;
    };
    Bytes longLength = hex("FF 55 6B 10"); // L + 4 = 4207
    longLength.resize(6000, 0x5A);
    Bytes leadIn(5000, 0xFF);
    Bytes afterError = hex("FF 55 04 00 7F 01 00 85");
    afterError.resize(6000, 0x33);
    Bytes recovers = hex("FF 55 FF FF 11 22");
    const Bytes reply = hex("FF 55 04 00 7F 01 00 84");
    recovers.insert(recovers.end(), reply.begin(), reply.end());
    const Case cases[] = {
        {"length past the record", longLength, 0},
        {"lead-in bytes without end", leadIn, 0},
        {"collecting after a checksum error", afterError, 0},
        {"a runaway length is dropped and the next frame completes", recovers, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        command->resetRecords(transport::kSerial, true);
        putInFlight(hex("FF 55 03 00 7F 00 82"));
        rx().setField(Frame::kRetryCount, 2);
        rx().setField(Frame::kEmptyPolls, 3);
        int result = 0;
        // Byte by byte and in one piece.
        for (std::uint8_t b : c.stream)
            result |= feed({b});
        if (c.result == 0) {
            EXPECT_EQ(result, 0);
            EXPECT_EQ(rx().field(Frame::kRetryCount), 2) << "control fields untouched";
            EXPECT_EQ(rx().field(Frame::kEmptyPolls), 3);
            EXPECT_LE(rx().word(Frame::kRxIndex), Frame::kWireArea);
            for (std::size_t i = Frame::kSize - 8; i < Frame::kSize; ++i)
                EXPECT_EQ(rx()[i], 0) << i;
        } else {
            EXPECT_EQ(result, 1);
        }
        command->resetRecords(transport::kSerial, true);
        putInFlight(hex("FF 55 03 00 7F 00 82"));
        EXPECT_EQ(feed(c.stream), c.result);
    }
}

TEST_F(CommandTest, MetersAreStoredAndPostedOnlyThroughTheOpenGate) {
    const Bytes levels = pattern(12, 40), limits = pattern(12, 90);
    const Bytes request = hex("FF 55 03 00 0C 01 10");

    EXPECT_EQ(receive(request, frameBytes(12, levels)), 1);
    EXPECT_EQ(link->lamps.levels[11], levels[11]);
    EXPECT_TRUE(sink.posted().empty()) << "System page not current";
    EXPECT_EQ(link->lamps.gate, 1);

    command->setSystemPageCurrent(true);
    EXPECT_EQ(receive(hex("FF 55 03 00 18 01 1C"), frameBytes(24, limits)), 1);
    EXPECT_EQ(link->lamps.limits[0], limits[0]);
    EXPECT_EQ(receive(request, frameBytes(12, levels)), 1);
    EXPECT_EQ(sink.posted(), (std::vector<Posted>{{Message::LampsArrived, 24, 0}}))
        << "the closed gate holds back the second message";
    EXPECT_EQ(link->lamps.gate, 0);

    link->lamps.gate = 1;
    setMessageSink(nullptr);
    EXPECT_EQ(receive(request, frameBytes(12, levels)), 1);
    EXPECT_EQ(link->lamps.gate, 1) << "no window, no message, the gate stays open";
}

TEST_F(CommandTest, IdentityAndNames) {
    EXPECT_EQ(receive(hex("FF 55 03 00 7F 00 82"), hex("FF 55 04 00 7F 01 00 84")), 1);
    EXPECT_EQ(link->perModeSystemBlocks, 1);
    EXPECT_EQ(link->storeAllowed, 0);
    EXPECT_EQ(sink.count(Message::IdentityArrived), 1u);

    const Bytes name = pattern(20, 0x41);
    struct Case {
        std::uint8_t n;
        ModeImage* target;
    };
    const Case cases[] = {{0, &store->working},
                          {5, &store->storedMode(5)},
                          {21, &store->storedMode(21)},
                          {22, nullptr}};
    for (const Case& c : cases) {
        Bytes data{c.n};
        data.insert(data.end(), name.begin(), name.end());
        EXPECT_EQ(receive(hex("FF 55 03 00 80 00 83"), frameBytes(128, data)), 1);
        if (c.target) {
            EXPECT_EQ(c.target->byte(0), name[0]) << int(c.n);
            EXPECT_EQ(c.target->byte(19), name[19]) << int(c.n);
            EXPECT_EQ(c.target->byte(20), 0) << int(c.n);
        }
    }
    EXPECT_EQ(store->storedMode(1).byte(0), 0);
    EXPECT_EQ(store->mirror.byte(0), 0) << "names leave the mirror alone";
}

TEST_F(CommandTest, SystemBlockGoesWhereTheRequestSays) {
    // Byte 5 of this reply is system-block data, not an index.
    Bytes block = pattern(66, 3);
    block[0] = 7;
    const Bytes reply = frameBytes(129, block);

    EXPECT_EQ(receive(hex("FF 55 03 00 81 04 88"), reply), 1);
    EXPECT_EQ(store->storedSystem(4).byte(0), 7);
    EXPECT_EQ(store->storedSystem(4).byte(65), block[65]);
    EXPECT_EQ(store->storedSystem(7).byte(0), 0);
    EXPECT_EQ(store->workingSystem.byte(0), 0);
    EXPECT_TRUE(sink.posted().empty());

    for (std::size_t i = 0; i < 21; ++i)
        link->passwordStaging[i] = 0x77;
    EXPECT_EQ(receive(hex("FF 55 03 00 81 00 84"), reply), 1);
    EXPECT_EQ(store->workingSystem.byte(65), block[65]);
    EXPECT_TRUE(store->mirrorSystem.sameAs(store->workingSystem));
    for (std::size_t i = 0; i < 4; ++i)
        EXPECT_EQ(link->passwordStaging[8 + i], block[19 + i]);
    for (std::size_t i = 14; i <= 17; ++i)
        EXPECT_EQ(link->passwordStaging[i], 0x20);
    EXPECT_EQ(link->passwordStaging[20], 0);
    EXPECT_EQ(link->passwordStaging[12], 0x77) << "other staging bytes keep their values";
    EXPECT_EQ(sink.posted(), (std::vector<Posted>{{Message::SystemBlockArrived, 0, 0}}));
}

TEST_F(CommandTest, ModesAndRecall) {
    const Bytes image = pattern(kModeImageSize, 11);
    auto modeReply = [&](std::uint8_t n) {
        Bytes data{n};
        data.insert(data.end(), image.begin(), image.end());
        return frameBytes(130, data);
    };
    auto readMode = [](std::uint8_t n) { return frameBytes(130, {n}); };

    store->mirror.setByte(100, 0xEE);
    EXPECT_EQ(receive(readMode(0), modeReply(0)), 1);
    EXPECT_EQ(store->working.byte(2711), image[2711]);
    EXPECT_TRUE(store->mirror.sameAs(store->working)) << "taken over: nothing to send";

    EXPECT_EQ(receive(readMode(3), modeReply(3)), 1);
    EXPECT_EQ(store->storedMode(3).byte(1000), image[1000]);
    EXPECT_TRUE(sink.notices().empty());

    // A reply naming another mode is stored under the mode asked for, with the notice.
    EXPECT_EQ(receive(readMode(6), modeReply(9)), 1);
    EXPECT_EQ(store->storedMode(6).byte(5), image[5]);
    EXPECT_EQ(store->storedMode(9).byte(5), 0);
    ASSERT_EQ(sink.notices().size(), 1u);
    EXPECT_EQ(sink.notices()[0].first, "11");

    EXPECT_EQ(receive(readMode(21), modeReply(21)), 1);
    EXPECT_EQ(store->storedMode(21).byte(7), image[7]);

    Bytes recalled = pattern(kModeImageSize, 200);
    Bytes data{4};
    data.insert(data.end(), recalled.begin(), recalled.end());
    EXPECT_EQ(receive(frameBytes(133, {4}), frameBytes(133, data)), 1);
    EXPECT_EQ(store->working.byte(0), recalled[0]);
    EXPECT_TRUE(store->mirror.sameAs(store->working));

    EXPECT_EQ(sink.posted(), (std::vector<Posted>{{Message::WorkingModeArrived, 0, 0},
                                                  {Message::BankArrived, 0, 0},
                                                  {Message::WorkingModeArrived, 0, 0}}));
}

TEST_F(CommandTest, ProcessWideObjectTakesBulkCommands) {
    EXPECT_EQ(Command::instance(), command.get());
    buildCommand(CommandCode::ReadIdentity, 0);
    ASSERT_EQ(command->queue().count(), 1u);
    const Frame& f = command->queue().at(0).frame();
    EXPECT_EQ(Bytes(f.data(), f.data() + f.wireSize()), hex("FF 55 03 00 7F 00 82"));
    EXPECT_EQ(f.field(Frame::kIdentityQuery), 1);

    command.reset();
    EXPECT_EQ(Command::instance(), nullptr);
    buildCommand(CommandCode::ReadIdentity, 0);
}

} // namespace
