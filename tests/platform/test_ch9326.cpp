#include "platform/Ch9326.h"
#include "platform/Ch9326Report.h"
#include "platform/FakeCh9326Bridge.h"

#include <chrono>
#include <cstdio>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <numeric>
#include <thread>

namespace kesmo {
namespace {

using Bytes = std::vector<std::uint8_t>;
using ::testing::ElementsAre;

Bytes hex(const char* text) {
    Bytes bytes;
    unsigned value = 0;
    int n = 0;
    while (std::sscanf(text, " %2x%n", &value, &n) == 1) {
        bytes.push_back(static_cast<std::uint8_t>(value));
        text += n;
    }
    return bytes;
}

Bytes padded(Bytes bytes, std::size_t size) {
    bytes.resize(size, 0);
    return bytes;
}

Bytes sequence(std::size_t count, std::uint8_t first = 1) {
    Bytes bytes(count);
    std::iota(bytes.begin(), bytes.end(), first);
    return bytes;
}

// The receive thread runs on its own; wait (briefly) for what it should have done.
template <typename Pred> bool eventually(Pred pred) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!pred()) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

TEST(Ch9326Report, GoldenBytes) {
    const struct {
        const char* what;
        Bytes actual;
        Bytes expected;
    } cases[] = {
        {"meter request out", ch9326::outputReport(hex("FF 55 03 00 7F 00 82"), 32),
         padded(hex("00 07 FF 55 03 00 7F 00 82"), 33)},
        {"full chunk out", ch9326::outputReport(sequence(31), 32),
         [] {
             Bytes b{0x00, 31};
             const auto data = sequence(31);
             b.insert(b.end(), data.begin(), data.end());
             return b;
         }()},
        {"too long out is cut to what fits",
         [] {
             const auto r = ch9326::outputReport(sequence(40), 32);
             return Bytes(r.begin(), r.begin() + 2);
         }(),
         hex("00 1F")},
        {"a small output report", ch9326::outputReport(sequence(10), 8),
         hex("00 07 01 02 03 04 05 06 07")},
        {"empty out", ch9326::outputReport({}, 32), Bytes(33, 0)},
        {"in", ch9326::inputReport(hex("FF 55 02"), 32), padded(hex("03 FF 55 02"), 32)},
        {"uart feature: the five codes", ch9326::uartFeatureReport({13, 4, 1, 4, 48}, 5).value(),
         hex("00 0D 04 01 04 30")},
        {"uart feature padded to a longer declared report",
         ch9326::uartFeatureReport({13, 4, 1, 4, 48}, 8).value(),
         hex("00 0D 04 01 04 30 00 00 00")},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.actual, c.expected) << c.what;
    }
    EXPECT_EQ(ch9326::uartFeatureReport({13, 4, 1, 4, 48}, 4), std::nullopt)
        << "a feature report too short for the five codes";
}

TEST(Ch9326Report, InputCountsAreLimitedToTheReport) {
    const Bytes report = padded(hex("03 AA BB CC DD"), 32);
    EXPECT_THAT(ch9326::inputData(report), ElementsAre(0xAA, 0xBB, 0xCC));
    const Bytes overlong = padded(hex("FF 01 02"), 32);
    EXPECT_EQ(ch9326::inputData(overlong).size(), 31u);
    const Bytes shortRead = hex("05 01 02");
    EXPECT_THAT(ch9326::inputData(shortRead), ElementsAre(0x01, 0x02));
    EXPECT_TRUE(ch9326::inputData({}).empty());
}

TEST(Ch9326Report, BridgeSideDecodesWhatTheHostEncodes) {
    const auto wire = ch9326::outputReport(hex("01 02 03"), 32);
    EXPECT_THAT(ch9326::outputData(wire), ElementsAre(1, 2, 3));
    Bytes numbered(wire.begin(), wire.end());
    numbered[0] = 5;
    EXPECT_TRUE(ch9326::outputData(numbered).empty());
    EXPECT_EQ(ch9326::uartSettingsOf(ch9326::uartFeatureReport({13, 4, 1, 4, 48}, 5).value()),
              (ch9326::UartSettings{13, 4, 1, 4, 48}));
    EXPECT_EQ(ch9326::uartSettingsOf(hex("00 0D 04 01 04")), std::nullopt);
}

// Descriptors written out by hand, as a device would declare them.
TEST(Ch9326Report, SizesComeFromTheReportDescriptor) {
    using Sizes = ch9326::ReportSizes;
    const struct {
        const char* what;
        Bytes descriptor;
        std::optional<Sizes> expected;
    } cases[] = {
        {"vendor page, 32-byte data reports, 5-byte feature",
         hex("06 A0 FF 09 01 A1 01 09 01 15 00 26 FF 00 75 08 95 20 81 02 09 02 15 00 26 FF 00 "
             "75 08 95 20 91 02 09 03 75 08 95 05 B1 02 C0"),
         Sizes{32, 32, 5}},
        {"bit fields and padding add up, sizes and counts carry over",
         hex("A1 01 75 01 95 08 81 02 75 08 95 3F 81 02 95 10 91 02 95 05 B1 02 C0"),
         Sizes{64, 16, 5}},
        {"a partial byte rounds up", hex("75 01 95 0C 81 02"), Sizes{2, 0, 0}},
        {"push and pop restore the globals", hex("75 08 95 20 A4 95 02 B1 02 B4 81 02 91 02"),
         Sizes{32, 32, 2}},
        {"a four-byte count and a long item are read past",
         hex("75 08 97 08 00 00 00 81 02 FE 02 10 AA BB 91 02"), Sizes{8, 8, 0}},
        {"a report beyond 256 bytes is not taken", hex("75 08 96 01 02 81 02 95 08 91 02"),
         Sizes{0, 8, 0}},
        {"huge size times huge count does not wrap",
         hex("77 FF FF FF FF 97 FF FF FF FF 81 02 81 02"), Sizes{0, 0, 0}},
        {"nothing declared", Bytes{}, Sizes{0, 0, 0}},
        {"numbered reports", hex("85 01 75 08 95 20 81 02"), std::nullopt},
        {"an item cut short", hex("75 08 96 20"), std::nullopt},
        {"a long item cut short", hex("FE 05 10 AA"), std::nullopt},
        {"pop without push", hex("B4 81 02"), std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ch9326::reportSizesOf(c.descriptor), c.expected) << c.what;
    }
    EXPECT_EQ(ch9326::usableSizes(hex("85 01")), ch9326::kAssumedSizes)
        << "what cannot be read is assumed";
    EXPECT_EQ(ch9326::usableSizes(hex("75 08 95 40 81 02 95 01 91 02")), (Sizes{64, 32, 5}))
        << "a one-byte output report has no room for data";
    EXPECT_EQ(ch9326::reportSizesOf(ch9326::reportDescriptorFor({48, 16, 5})), (Sizes{48, 16, 5}));
}

// Whatever a device declares, reading it stays inside the bytes given.
TEST(Ch9326Report, AnyDescriptorIsReadSafely) {
    std::uint32_t state = 12345;
    const auto next = [&] {
        state = state * 1664525u + 1013904223u;
        return static_cast<std::uint8_t>(state >> 24);
    };
    const Bytes alphabet = hex("75 95 85 81 91 B1 A4 B4 FE 77 97 96 C0 A1 00 FF");
    for (int round = 0; round < 20000; ++round) {
        Bytes descriptor(next() % 24);
        for (auto& b : descriptor) {
            b = (next() & 1) ? alphabet[next() % alphabet.size()] : next();
        }
        const auto sizes = ch9326::reportSizesOf(descriptor);
        if (sizes) {
            EXPECT_LE(sizes->input, ch9326::kLargestReport);
            EXPECT_LE(sizes->output, ch9326::kLargestReport);
            EXPECT_LE(sizes->feature, ch9326::kLargestReport);
        }
    }
}

class Ch9326Layer : public ::testing::Test {
protected:
    static constexpr const char* kPath = "/dev/hidraw3";

    void SetUp() override {
        fake = std::make_shared<FakeCh9326Bridge>();
        fake->plugIn({.path = kPath});
        setCh9326Backend(fake);
        ASSERT_NE(CH9326DllInt(), 0);
    }

    void TearDown() override {
        for (const Ch9326Handle h : opened) {
            CH9326CloseDevice(h);
        }
        setCh9326Backend(nullptr);
    }

    Ch9326Handle open(const char* path = kPath) {
        const Ch9326Handle h = CH9326OpenDevicePath(path, 1);
        if (h != kCh9326InvalidHandle) {
            opened.push_back(h);
        }
        return h;
    }

    void close(Ch9326Handle h) {
        CH9326CloseDevice(h);
        std::erase(opened, h);
    }

    Bytes readAll(Ch9326Handle h) {
        Bytes out(CH9326GetThreadDataLen(h));
        std::uint32_t length = static_cast<std::uint32_t>(out.size());
        EXPECT_EQ(CH9326ReadThreadData(h, out.data(), &length), out.size());
        EXPECT_EQ(length, out.size());
        return out;
    }

    std::shared_ptr<FakeCh9326Bridge> fake;
    std::vector<Ch9326Handle> opened;
};

TEST_F(Ch9326Layer, DevicePathsListEveryProductOfTheVendor) {
    fake->plugIn({.path = "/dev/hidraw7", .productId = 0x1234});
    fake->plugIn({.path = "/dev/hidraw5", .vendorId = 0x046D});
    std::vector<std::string> paths;
    ch9326ClearLastError();
    char buffer[1024];
    for (std::uint32_t i = 0; ch9326LastError() != kCh9326NoMoreItems; ++i) {
        std::fill(std::begin(buffer), std::end(buffer), '\0');
        if (CH9326GetDevicePath(i, buffer, sizeof buffer) != 0) {
            paths.emplace_back(buffer);
        }
        ASSERT_LT(i, 10u);
    }
    EXPECT_THAT(paths, ElementsAre("/dev/hidraw3", "/dev/hidraw7"));
}

TEST_F(Ch9326Layer, DevicePathThatDoesNotFitIsRefused) {
    char small[12];
    EXPECT_EQ(CH9326GetDevicePath(0, small, sizeof small), 0);
    EXPECT_EQ(ch9326LastError(), kCh9326InsufficientBuffer);
    char exact[13];
    EXPECT_NE(CH9326GetDevicePath(0, exact, sizeof exact), 0);
    EXPECT_STREQ(exact, "/dev/hidraw3");
}

TEST_F(Ch9326Layer, OpenAndClose) {
    const Ch9326Handle h = open();
    ASSERT_NE(h, kCh9326InvalidHandle);
    EXPECT_EQ(fake->openCount(kPath), 1);
    const Ch9326Handle second = open();
    ASSERT_NE(second, kCh9326InvalidHandle);
    EXPECT_NE(second, h);
    EXPECT_EQ(fake->openCount(kPath), 2);
    close(second);
    close(h);
    EXPECT_EQ(fake->openCount(kPath), 0);

    ch9326ClearLastError();
    CH9326CloseDevice(h);
    EXPECT_EQ(ch9326LastError(), kCh9326InvalidHandleError);
    EXPECT_EQ(CH9326GetThreadDataLen(h), 0u);
}

TEST_F(Ch9326Layer, OpenFailures) {
    EXPECT_EQ(open("/dev/hidraw9"), kCh9326InvalidHandle);
    EXPECT_EQ(ch9326LastError(), kCh9326FileNotFound);
    EXPECT_EQ(open(nullptr), kCh9326InvalidHandle);
}

TEST_F(Ch9326Layer, UpperCasedPathsOpen) {
    const Ch9326Handle h = open("/DEV/HIDRAW3");
    ASSERT_NE(h, kCh9326InvalidHandle);
    EXPECT_EQ(fake->openCount(kPath), 1);
}

TEST_F(Ch9326Layer, Attributes) {
    fake->plugIn({.path = "/dev/hidraw4", .productId = 0xE011, .releaseNumber = 0x0230});
    fake->plugIn({.path = "/dev/hidraw6", .attributesFail = true});
    std::uint16_t vid = 0, pid = 0, version = 0;
    EXPECT_NE(CH9326GetAttributes(open(), &vid, &pid, &version), 0);
    EXPECT_EQ(vid, 0x1A86);
    EXPECT_EQ(pid, 0xE010);
    EXPECT_EQ(version, 0x0100);
    EXPECT_NE(CH9326GetAttributes(open("/dev/hidraw4"), &vid, &pid, &version), 0);
    EXPECT_EQ(pid, 0xE011);
    EXPECT_EQ(version, 0x0230);
    const Ch9326Handle failing = open("/dev/hidraw6");
    ASSERT_NE(failing, kCh9326InvalidHandle);
    EXPECT_EQ(CH9326GetAttributes(failing, &vid, &pid, &version), 0);
    EXPECT_EQ(CH9326GetAttributes(kCh9326InvalidHandle, &vid, &pid, &version), 0);
}

TEST_F(Ch9326Layer, TheRateGoesToTheBridgeAndTheTimeOutsStayOnTheHost) {
    const Ch9326Handle h = open();
    EXPECT_NE(CH9326SetRate(h, 13, 4, 1, 4, 48), 0);
    std::uint16_t in = 0, out = 0;
    EXPECT_NE(CH9326GetBufferLen(h, &in, &out), 0);
    EXPECT_EQ(in, 32);
    EXPECT_EQ(out, 32);
    EXPECT_NE(CH9326SetTimeOut(h, 2000, 2000), 0);
    EXPECT_THAT(fake->featureReports(kPath), ElementsAre(hex("00 0D 04 01 04 30")));
    EXPECT_TRUE(fake->writtenReports(kPath).empty());
    EXPECT_EQ(CH9326SetTimeOut(kCh9326InvalidHandle, 2000, 2000), 0);
}

TEST_F(Ch9326Layer, WritesGoOut31BytesToAReport) {
    const Ch9326Handle h = open();
    const Bytes meter = padded(hex("FF 55 03 00 7F 00 82"), 31);
    EXPECT_NE(CH9326WriteData(h, meter.data(), 31, nullptr), 0);
    const Bytes longer = sequence(70);
    EXPECT_NE(CH9326WriteData(h, longer.data(), 70, nullptr), 0);

    const auto reports = fake->writtenReports(kPath);
    ASSERT_EQ(reports.size(), 4u);
    EXPECT_EQ(reports[0], padded(hex("00 1F FF 55 03 00 7F 00 82"), 33));
    for (const auto& r : reports) {
        EXPECT_EQ(r.size(), 33u);
    }
    EXPECT_EQ(reports[1][1], 31);
    EXPECT_EQ(reports[2][1], 31);
    EXPECT_EQ(reports[3][1], 8);
    Bytes uart = meter;
    uart.insert(uart.end(), longer.begin(), longer.end());
    EXPECT_EQ(fake->writtenUartBytes(kPath), uart);
}

// A bridge whose descriptor declares other sizes than the usual 32 bytes.
TEST_F(Ch9326Layer, ReportsTakeTheSizesTheBridgeDeclares) {
    const char* path = "/dev/hidraw5";
    fake->plugIn({.path = path, .descriptor = ch9326::reportDescriptorFor({64, 16, 8})});
    const Ch9326Handle h = open(path);
    ASSERT_NE(h, kCh9326InvalidHandle);
    std::uint16_t in = 0, out = 0;
    EXPECT_NE(CH9326GetBufferLen(h, &in, &out), 0);
    EXPECT_EQ(in, 64);
    EXPECT_EQ(out, 16);

    EXPECT_NE(CH9326SetRate(h, 13, 4, 1, 4, 48), 0);
    EXPECT_THAT(fake->featureReports(path), ElementsAre(hex("00 0D 04 01 04 30 00 00 00")));

    const Bytes frame = sequence(40);
    EXPECT_NE(CH9326WriteData(h, frame.data(), 40, nullptr), 0);
    const auto reports = fake->writtenReports(path);
    ASSERT_EQ(reports.size(), 3u);
    for (const auto& r : reports) {
        EXPECT_EQ(r.size(), 17u);
    }
    EXPECT_EQ(reports[2][1], 10);
    EXPECT_EQ(fake->writtenUartBytes(path), frame);

    ASSERT_NE(CH9326InitThreadData(h), 0);
    fake->injectUartBytes(path, sequence(63));
    ASSERT_TRUE(eventually([&] { return CH9326GetThreadDataLen(h) == 63; }));
    EXPECT_EQ(fake->pendingReports(path), 0u) << "63 bytes arrive in one 64-byte report";
    EXPECT_EQ(readAll(h), sequence(63));
}

TEST_F(Ch9326Layer, DescriptorsThatCannotBeUsed) {
    const struct {
        const char* what;
        Bytes descriptor;
        std::uint16_t in, out;
        bool rateSent;
    } cases[] = {
        {"unreadable: the usual sizes", Bytes{}, 32, 32, true},
        {"numbered reports: the usual sizes", hex("85 02 75 08 95 40 81 02"), 32, 32, true},
        {"a feature report too short for the codes", ch9326::reportDescriptorFor({32, 32, 4}), 32,
         32, false},
    };
    for (const auto& c : cases) {
        const char* path = "/dev/hidraw7";
        fake->plugIn({.path = path, .descriptor = c.descriptor});
        const Ch9326Handle h = open(path);
        ASSERT_NE(h, kCh9326InvalidHandle) << c.what;
        std::uint16_t in = 0, out = 0;
        EXPECT_NE(CH9326GetBufferLen(h, &in, &out), 0) << c.what;
        EXPECT_EQ(in, c.in) << c.what;
        EXPECT_EQ(out, c.out) << c.what;
        EXPECT_EQ(CH9326SetRate(h, 13, 4, 1, 4, 48) != 0, c.rateSent) << c.what;
        EXPECT_EQ(fake->featureReports(path).size(), c.rateSent ? 1u : 0u) << c.what;
        close(h);
    }
}

TEST_F(Ch9326Layer, WriteFailures) {
    const Ch9326Handle h = open();
    const Bytes chunk(31, 0xAB);
    fake->failWrites(kPath, 1);
    EXPECT_EQ(CH9326WriteData(h, chunk.data(), 31, nullptr), 0);
    EXPECT_NE(CH9326WriteData(h, chunk.data(), 31, nullptr), 0);
    EXPECT_EQ(CH9326WriteData(kCh9326InvalidHandle, chunk.data(), 31, nullptr), 0);
    EXPECT_EQ(fake->writtenReports(kPath).size(), 1u);
}

TEST_F(Ch9326Layer, ReceivedBytesAreBufferedForTheReader) {
    const Ch9326Handle h = open();
    fake->injectUartBytes(kPath, sequence(40));
    EXPECT_EQ(CH9326GetThreadDataLen(h), 0u) << "nothing is read before buffering starts";
    ASSERT_NE(CH9326InitThreadData(h), 0);
    EXPECT_NE(CH9326InitThreadData(h), 0) << "a second start is harmless";
    ASSERT_TRUE(eventually([&] { return CH9326GetThreadDataLen(h) == 40; }));

    Bytes buffer(16, 0);
    std::uint32_t length = 16;
    EXPECT_EQ(CH9326ReadThreadData(h, buffer.data(), &length), 16u);
    EXPECT_EQ(length, 16u);
    EXPECT_EQ(buffer, sequence(16));
    EXPECT_EQ(CH9326GetThreadDataLen(h), 24u);

    buffer.assign(64, 0);
    length = 64;
    EXPECT_EQ(CH9326ReadThreadData(h, buffer.data(), &length), 24u);
    EXPECT_EQ(length, 24u);
    EXPECT_EQ(Bytes(buffer.begin(), buffer.begin() + 24), sequence(24, 17));

    length = 64;
    EXPECT_EQ(CH9326ReadThreadData(h, buffer.data(), &length), 0u);
    EXPECT_EQ(length, 0u);
}

TEST_F(Ch9326Layer, ReportCountsDecideWhatIsBuffered) {
    const Ch9326Handle h = open();
    ASSERT_NE(CH9326InitThreadData(h), 0);
    fake->injectReport(kPath, padded(hex("02 AA BB CC"), 32));
    fake->injectReport(kPath, padded(hex("00 DD"), 32));
    fake->injectReport(kPath, padded(hex("01 EE"), 32));
    ASSERT_TRUE(eventually([&] { return fake->pendingReports(kPath) == 0; }));
    ASSERT_TRUE(eventually([&] { return CH9326GetThreadDataLen(h) == 3; }));
    EXPECT_EQ(readAll(h), hex("AA BB EE"));
}

TEST_F(Ch9326Layer, StopThreadDropsWaitingBytesAndBufferingCanRestart) {
    const Ch9326Handle h = open();
    ASSERT_NE(CH9326InitThreadData(h), 0);
    fake->injectUartBytes(kPath, hex("01 02 03"));
    ASSERT_TRUE(eventually([&] { return CH9326GetThreadDataLen(h) == 3; }));
    CH9326StopThread(h);
    EXPECT_EQ(CH9326GetThreadDataLen(h), 0u);
    fake->injectUartBytes(kPath, hex("04"));
    ASSERT_NE(CH9326InitThreadData(h), 0);
    ASSERT_TRUE(eventually([&] { return CH9326GetThreadDataLen(h) == 1; }));
    EXPECT_EQ(readAll(h), hex("04"));
}

TEST_F(Ch9326Layer, ABridgeThatDisappears) {
    const Ch9326Handle h = open();
    ASSERT_NE(CH9326InitThreadData(h), 0);
    fake->injectUartBytes(kPath, hex("01 02"));
    ASSERT_TRUE(eventually([&] { return CH9326GetThreadDataLen(h) == 2; }));
    fake->pullOut(kPath);

    const Bytes chunk(31, 0);
    EXPECT_EQ(CH9326WriteData(h, chunk.data(), 31, nullptr), 0);
    EXPECT_EQ(readAll(h), hex("01 02")) << "bytes received before stay readable";
    EXPECT_EQ(open(), kCh9326InvalidHandle) << "a probe open fails";
    char buffer[1024];
    ch9326ClearLastError();
    EXPECT_EQ(CH9326GetDevicePath(0, buffer, sizeof buffer), 0);
    EXPECT_EQ(ch9326LastError(), kCh9326NoMoreItems);

    fake->plugIn({.path = kPath});
    EXPECT_EQ(CH9326WriteData(h, chunk.data(), 31, nullptr), 0)
        << "a handle of the old device stays dead";
    const Ch9326Handle again = open();
    ASSERT_NE(again, kCh9326InvalidHandle);
    EXPECT_NE(CH9326WriteData(again, chunk.data(), 31, nullptr), 0);
    close(h);
    close(again);
}

TEST_F(Ch9326Layer, CloseStopsBufferingAndReleasesTheDevice) {
    const Ch9326Handle h = open();
    ASSERT_NE(CH9326InitThreadData(h), 0);
    close(h);
    EXPECT_EQ(fake->openCount(kPath), 0);
    EXPECT_EQ(CH9326InitThreadData(h), 0);
}

TEST_F(Ch9326Layer, AUartPeerAnswersWhatIsWritten) {
    fake->setUartPeer(kPath, [this](std::span<const std::uint8_t> bytes) {
        Bytes answer(bytes.begin(), bytes.end());
        std::erase(answer, 0); // the padding of a chunk
        fake->injectUartBytes(kPath, answer);
    });
    const Ch9326Handle h = open();
    ASSERT_NE(CH9326InitThreadData(h), 0);
    const Bytes chunk = padded(hex("FF 55 03 00 7F 00 82"), 31);
    ASSERT_NE(CH9326WriteData(h, chunk.data(), 31, nullptr), 0);
    ASSERT_TRUE(eventually([&] { return CH9326GetThreadDataLen(h) == 5; }));
    EXPECT_EQ(readAll(h), hex("FF 55 03 7F 82"));
}

TEST_F(Ch9326Layer, WritingWhileReceivingFromAnotherThread) {
    const Ch9326Handle h = open();
    ASSERT_NE(CH9326InitThreadData(h), 0);
    std::thread device([this] {
        for (int i = 0; i < 200; ++i) {
            fake->injectUartBytes(kPath, Bytes{static_cast<std::uint8_t>(i)});
        }
    });
    const Bytes chunk(31, 0x11);
    for (int i = 0; i < 50; ++i) {
        EXPECT_NE(CH9326WriteData(h, chunk.data(), 31, nullptr), 0);
    }
    device.join();
    Bytes received;
    ASSERT_TRUE(eventually([&] {
        const Bytes more = readAll(h);
        received.insert(received.end(), more.begin(), more.end());
        return received.size() == 200;
    }));
    for (std::size_t i = 0; i < received.size(); ++i) {
        EXPECT_EQ(received[i], static_cast<std::uint8_t>(i));
    }
    EXPECT_EQ(fake->writtenReports(kPath).size(), 50u);
}

} // namespace
} // namespace kesmo
