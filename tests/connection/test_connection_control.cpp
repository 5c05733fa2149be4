#include "model/Presets.h"
#include "model/WorkingModel.h"
#include "tests/connection/ConnectionTestSupport.h"

#include <algorithm>
#include <fstream>
#include <numeric>
#include <set>
#include <unistd.h>

using namespace kesmo;
using namespace kesmo::test;
using namespace kesmo::layout;

namespace {

using Bytes = std::vector<std::uint8_t>;

std::vector<int> oneTo(int n) {
    std::vector<int> v(static_cast<std::size_t>(n));
    std::iota(v.begin(), v.end(), 1);
    return v;
}

Bytes readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

void writeFile(const std::filesystem::path& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

Bytes payload(const Frame& f, std::size_t from, std::size_t size) {
    return Bytes(f.data() + from, f.data() + from + size);
}

struct ConnectionTest : ::testing::Test {
    std::filesystem::path dir;
    std::unique_ptr<ParamStore> store = std::make_unique<ParamStore>();
    std::unique_ptr<LinkState> link = std::make_unique<LinkState>();
    std::unique_ptr<Command> command;
    RecorderUi ui;
    QueueSink sink;
    ListCandidates candidates;
    FakeClock fakeClock;
    std::unique_ptr<PerPortSerial> serial;
    std::unique_ptr<ConnectionControl> control;
    std::vector<Message> seen;

    void SetUp() override {
        dir = std::filesystem::temp_directory_path() /
              ("kesmo-connection-" + std::to_string(::getpid()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(dir);
        initialiseModel(*store, dir);
        command = std::make_unique<Command>(*store, *link);
        serial = std::make_unique<PerPortSerial>(*command, ui);
        control = std::make_unique<ConnectionControl>(ui, *command, candidates, *serial, nullptr);
        setMessageSink(&sink);
    }
    void TearDown() override {
        serial->close();
        setMessageSink(nullptr);
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
    }

    // The owner's message loop: hands every posted message to the controller.
    void pump() {
        for (const QueueSink::Posted& p : sink.take()) {
            seen.push_back(p.message);
            control->handleMessage(p.message, p.wParam, p.lParam);
        }
    }
    bool pumpUntil(const std::function<bool()>& done) {
        return eventually([&] {
            pump();
            return done();
        });
    }
    std::size_t seenCount(Message m) const {
        return static_cast<std::size_t>(std::count(seen.begin(), seen.end(), m));
    }
    // Connects to one live simulator and waits until the 24-frame read has arrived.
    void connectAndRead(SimDevice& device) {
        candidates.serial = {device.path()};
        control->connect();
        ASSERT_TRUE(pumpUntil(
            [&] { return seenCount(Message::WorkingModeArrived) > 0 && ui.steps().size() == 24; }));
        ui.clear();
    }
};

TEST_F(ConnectionTest, TwoCandidatesWhereOnlyTheSecondAnswers) {
    SimDevice silent, live;
    silent.engine.addFault({sim::Fault::silent(), std::nullopt, std::nullopt});
    serial->clocks[silent.path()] = &fakeClock;
    candidates.serial = {"", silent.path(), live.path()};

    control->connect();
    ASSERT_TRUE(pumpUntil(
        [&] { return seenCount(Message::WorkingModeArrived) > 0 && ui.steps().size() == 24; }));

    EXPECT_EQ(serial->opened, (std::vector<std::string>{silent.path(), live.path()}))
        << "the empty name is dropped";
    EXPECT_TRUE(eventually([&] { return silent.engine.count(127) == 3; }))
        << "three writes of the identity query";
    EXPECT_EQ(live.engine.count(127), 1u);
    EXPECT_EQ(live.engine.count(128), 22u);
    EXPECT_EQ(live.engine.count(129), 1u);
    EXPECT_EQ(live.engine.count(130), 1u);
    EXPECT_EQ(ui.steps(), oneTo(24));
    EXPECT_EQ(ui.calls(), (std::vector<std::string>{"lookup", "bar 24"}));
    EXPECT_EQ(control->currentPort(), live.path());
    EXPECT_EQ(link->connected, 1);
    EXPECT_EQ(link->transport, transport::kSerial);
    std::lock_guard lock(modelLock());
    EXPECT_EQ(store->working.snapshot(), live.engine.state().working);
    EXPECT_EQ(store->workingSystem.snapshot(), live.engine.state().system);
}

// Real time that counts the worker's passes (each ends with one short sleep).
class PassCountingClock final : public Clock {
public:
    TimePoint now() const override { return steadyClock().now(); }
    void sleep(Duration d) override {
        steadyClock().sleep(d);
        if (d == SerialPort::kPassSleep)
            ++m_passes;
    }
    int poll(std::span<pollfd> fds, Duration timeout) override {
        return steadyClock().poll(fds, timeout);
    }
    int passes() const { return m_passes.load(); }

private:
    std::atomic<int> m_passes{0};
};

TEST_F(ConnectionTest, ConnectingLeavesTheDevicesSceneAlone) {
    constexpr std::uint8_t kDisco = 2;
    SimDevice device;
    device.engine.modifyState([](sim::DeviceState& s) { s.working[image::kSceneSelect] = kDisco; });
    // The program starts with another scene than the device holds.
    store->working.setByte(image::kSceneSelect, 1);
    // Outlives the worker, which the fixture stops.
    static PassCountingClock clock;
    serial->clocks[device.path()] = &clock;
    candidates.serial = {device.path()};

    control->connect();
    ASSERT_TRUE(eventually([&] { return device.engine.count(127) == 1; }));
    // The worker idles for many passes before the owner queues the read-out.
    const int from = clock.passes();
    ASSERT_TRUE(eventually([&] { return clock.passes() >= from + 10; }));
    EXPECT_EQ(device.engine.count(12) + device.engine.count(24), 0u) << "no meter request";

    ASSERT_TRUE(pumpUntil([&] { return seenCount(Message::WorkingModeArrived) > 0; }));
    std::vector<std::uint8_t> codes;
    for (const sim::ReceivedFrame& f : device.engine.frames())
        codes.push_back(f.code);
    const auto readOutEnd = std::find(codes.begin(), codes.end(), 130);
    ASSERT_NE(readOutEnd, codes.end());
    EXPECT_EQ(
        std::count_if(codes.begin(), readOutEnd, [](std::uint8_t c) { return c == 12 || c == 24; }),
        0);
    EXPECT_EQ(device.engine.state().working[image::kSceneSelect], kDisco);
    std::lock_guard lock(modelLock());
    EXPECT_EQ(store->working.byte(image::kSceneSelect), kDisco);
    EXPECT_EQ(store->mirror.byte(image::kSceneSelect), kDisco);
}

// A transport that only records: which ports opened, whether its worker runs.
class FakePort final : public LinkPort {
public:
    int open(const std::string& port) override {
        log.push_back("open " + port);
        return refused.count(port) ? 0 : 1;
    }
    int start() override {
        log.push_back("start");
        return 1;
    }
    void close() override { log.push_back("close"); }
    std::set<std::string> refused;
    std::vector<std::string> log;
};

TEST_F(ConnectionTest, UsbCandidatesFollowSerialAndAUsbFailureStaysOnUsb) {
    FakePort fakeSerial, usb;
    fakeSerial.refused = {"ttyS0"};
    usb.refused = {"/dev/hidraw1"};
    ConnectionControl both(ui, *command, candidates, fakeSerial, &usb);
    candidates.serial = {"ttyS0", "ttyUSB0", "ttyUSB1"};
    candidates.usb = {"/dev/hidraw0", "/dev/hidraw1", "/dev/hidraw2"};
    auto queuedIdentity = [&] {
        return command->queue().count() == 1 && command->queue().at(0).frame().code() == 127;
    };

    struct Step {
        int lost; // transport reported lost, 0 for Connect
        const char* port;
        int transport;
    };
    const Step steps[] = {
        {0, "ttyUSB0", transport::kSerial},
        {transport::kSerial, "ttyUSB1", transport::kSerial},
        {transport::kSerial, "/dev/hidraw0", transport::kUsb},
        {transport::kUsb, "/dev/hidraw2", transport::kUsb},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.port);
        if (s.lost == 0)
            both.connect();
        else
            both.handleMessage(Message::PortLost, s.lost, 1);
        EXPECT_EQ(both.currentPort(), s.port);
        EXPECT_EQ(link->transport, s.transport);
        EXPECT_EQ(link->connected, 1);
        EXPECT_TRUE(queuedIdentity());
    }
    EXPECT_EQ(fakeSerial.log,
              (std::vector<std::string>{"open ttyS0", "open ttyUSB0", "start", "close",
                                        "open ttyUSB1", "start", "close"}));
    EXPECT_EQ(usb.log,
              (std::vector<std::string>{"open /dev/hidraw0", "start", "close", "open /dev/hidraw1",
                                        "open /dev/hidraw2", "start"}));
    EXPECT_EQ(ui.calls(), (std::vector<std::string>{"lookup"}));

    both.handleMessage(Message::PortLost, transport::kUsb, 1);
    EXPECT_EQ(link->connected, 0);
    EXPECT_EQ(link->transport, transport::kNone);
    EXPECT_EQ(ui.calls(), (std::vector<std::string>{"lookup", "hide", "program label",
                                                    "message Unable to Open Device!"}));
    EXPECT_EQ(usb.log.back(), "close");
}

TEST_F(ConnectionTest, NothingToOpenShowsTheMessageInTheCurrentLanguage) {
    struct Case {
        std::vector<std::string> ports;
        int language;
        const char* text;
    };
    const Case cases[] = {
        {{}, 0, "Unable to Open Device!"},
        {{}, 1, "不能打开设备!"},
        {{"kesmo-no-such-port", "/nonexistent/tty"}, 0, "Unable to Open Device!"},
    };
    for (const Case& c : cases) {
        ui.clear();
        ui.language = c.language;
        candidates.serial = c.ports;
        control->connect();
        EXPECT_EQ(ui.calls(), (std::vector<std::string>{std::string("message ") + c.text}));
        EXPECT_EQ(link->connectAttempt, 0);
        EXPECT_EQ(link->connected, 0);
        EXPECT_EQ(link->transport, transport::kNone);
    }
}

TEST_F(ConnectionTest, ConnectWhileConnectedDisconnectsWithoutAMessage) {
    SimDevice live;
    connectAndRead(live);
    control->connect();
    EXPECT_EQ(ui.calls(), (std::vector<std::string>{"hide", "program label", "system page"}));
    EXPECT_EQ(link->connected, 0);
    EXPECT_EQ(link->transport, transport::kNone);
    ASSERT_NE(serial->port(), nullptr);
    EXPECT_FALSE(serial->port()->threadAlive());
    EXPECT_FALSE(serial->port()->isOpen());

    // A loss the closed port reported before it went is not acted on.
    ui.clear();
    control->handleMessage(Message::PortLost, transport::kSerial, 1);
    control->handleMessage(Message::PortLost, transport::kSerial, 0);
    control->handleMessage(Message::IdentityArrived, 0, 0);
    EXPECT_TRUE(ui.calls().empty());
    EXPECT_EQ(command->queue().count(), 0u);
    EXPECT_EQ(serial->opened.size(), 1u);
}

TEST_F(ConnectionTest, ALinkLostDuringWorkGoesOfflineWithTheMessage) {
    SimDevice live;
    connectAndRead(live);
    live.engine.addFault({sim::Fault::hangUp(), 24, 1});
    ASSERT_TRUE(pumpUntil([&] { return link->connected == 0; }));
    EXPECT_EQ(ui.calls(),
              (std::vector<std::string>{"hide", "program label", "message Unable to Open Device!",
                                        "system page"}));
    EXPECT_EQ(link->transport, transport::kNone);
    EXPECT_EQ(link->replyPending, 0);
    EXPECT_EQ(serial->opened.size(), 1u) << "no other port is tried";
}

TEST_F(ConnectionTest, RecallOfflineNeedsAValidBank) {
    for (int n = 1; n <= kStoredModes; ++n)
        store->storedMode(n).fill(static_cast<std::uint8_t>(n));
    const auto before = store->working.snapshot();
    for (const int valid : {0, 1}) {
        SCOPED_TRACE(valid);
        link->bankValid = static_cast<std::uint8_t>(valid);
        store->working.load(before);
        store->workingSystem.setByte(system::kCurrentMode, 1);
        control->sendCommand(CommandCode::RecallMode, 5);
        EXPECT_EQ(command->queue().count(), 0u) << "nothing is queued offline";
        if (valid) {
            EXPECT_TRUE(store->working.sameAs(store->storedMode(5)));
            EXPECT_EQ(store->workingSystem.byte(system::kCurrentMode), 5);
            EXPECT_TRUE(store->mirror.sameAs(store->working));
        } else {
            EXPECT_EQ(store->working.snapshot(), before);
            EXPECT_EQ(store->workingSystem.byte(system::kCurrentMode), 1);
        }
    }
    EXPECT_TRUE(ui.calls().empty());
}

TEST_F(ConnectionTest, ReadingAllModesNumbersFortyTwoFramesAndSavesTheBank) {
    SimDevice live;
    live.engine.modifyState([](sim::DeviceState& s) {
        for (std::size_t n = 1; n <= kStoredModes; ++n)
            s.storedMode(n)[100] = static_cast<std::uint8_t>(0xA0 + n);
    });
    connectAndRead(live);
    ui.chosenPath = (dir / "bank").string();
    {
        std::lock_guard lock(modelLock());
        control->exportAll();
        const CommandQueue& queue = command->queue();
        ASSERT_EQ(queue.count(), 42u);
        for (std::size_t i = 0; i < 42; ++i) {
            const Frame& f = queue.at(i).frame();
            EXPECT_EQ(f.code(), i < 21 ? 129 : 130) << i;
            EXPECT_EQ(f[5], i % 21 + 1) << i;
            EXPECT_EQ(f.field(Frame::kProgressStep), i + 1) << i;
        }
    }
    ASSERT_TRUE(pumpUntil([&] { return seenCount(Message::BankArrived) > 0; }));
    EXPECT_EQ(ui.steps(), oneTo(42));
    EXPECT_EQ(ui.calls(), (std::vector<std::string>{"bar 42", "save .dat"}));
    EXPECT_EQ(link->bankValid, 1);

    const Bytes file = readFile(dir / "bank.dat");
    ASSERT_EQ(file.size(), kBankFileSizeNew);
    const sim::DeviceState device = live.engine.state();
    for (std::size_t n = 1; n <= kStoredModes; ++n) {
        const auto mode =
            file.begin() + static_cast<std::ptrdiff_t>(kSystemBlockSize + (n - 1) * kModeImageSize);
        EXPECT_TRUE(std::equal(device.storedMode(n).begin(), device.storedMode(n).end(), mode))
            << n;
        const auto sb = file.begin() +
                        static_cast<std::ptrdiff_t>(kBankFileSizeOld + (n - 1) * kSystemBlockSize);
        EXPECT_TRUE(std::equal(device.storedSystem(n).begin(), device.storedSystem(n).end(), sb))
            << n;
    }
    EXPECT_EQ(file[kBankFileSizeOld - 1], 1) << "the bank-loaded flag";
}

TEST_F(ConnectionTest, ImportOneModeSendsTheModeAndPerModeTheSystemBlock) {
    for (const int perMode : {1, 0}) {
        SCOPED_TRACE(perMode);
        SimDevice live;
        live.engine.setIdentity(static_cast<std::uint8_t>(perMode), 1);
        connectAndRead(live);

        const sim::DeviceState device = live.engine.state();
        Bytes file(device.system.begin(), device.system.end());
        file.insert(file.end(), device.working.begin(), device.working.end());
        file[0] = 9;                          // current mode: the device's is kept
        file[system::kMusicVolume] = 33;      // a system byte
        file[kSystemBlockSize + 300] ^= 0x01; // an image byte
        writeFile(dir / "one.dia", file);
        Bytes image(file.begin() + kSystemBlockSize, file.end());
        image[image::kFileSum] =
            static_cast<std::uint8_t>(std::accumulate(image.begin(), image.end(), 0u) & 0xFF);
        Bytes system(file.begin(), file.begin() + kSystemBlockSize);
        system[0] = device.system[0];
        const Bytes oldSystem(device.system.begin(), device.system.end());

        ui.chosenPath = (dir / "one.dia").string();
        {
            std::lock_guard lock(modelLock());
            control->importMode();
            const CommandQueue& queue = command->queue();
            ASSERT_EQ(queue.count(), perMode ? 2u : 1u);
            const Frame& mode = queue.at(0).frame();
            EXPECT_EQ(mode.code(), 132);
            EXPECT_EQ(mode[5], 0);
            EXPECT_EQ(payload(mode, 6, kModeImageSize), image);
            if (perMode) {
                const Frame& sb = queue.at(1).frame();
                EXPECT_EQ(sb.code(), 131);
                EXPECT_EQ(sb[5], 0);
                EXPECT_EQ(payload(sb, 6, kSystemBlockSize), system);
            }
            const auto working = store->workingSystem.snapshot();
            EXPECT_EQ(Bytes(working.begin(), working.end()), perMode ? system : oldSystem);
        }
        std::vector<std::string> calls{"open .dia", "refresh", "program label", "busy"};
        if (perMode)
            calls.push_back("busy");
        EXPECT_EQ(ui.calls(), calls);
        ASSERT_TRUE(pumpUntil([&] {
            const sim::DeviceState s = live.engine.state();
            return Bytes(s.working.begin(), s.working.end()) == image &&
                   (perMode == 0 || Bytes(s.system.begin(), s.system.end()) == system);
        }));
        EXPECT_TRUE(eventually([&] { return link->replyPending == 0; }));
        control->disconnect();
        seen.clear();
    }
}

TEST_F(ConnectionTest, FileCommandsOffline) {
    // A bank file of the older layout whose stored system block of mode 1 names mode 7.
    ParamStore source;
    for (int n = 1; n <= kStoredModes; ++n)
        source.storedMode(n).fill(static_cast<std::uint8_t>(n));
    source.fileHeaderSystem.setByte(system::kCurrentMode, 7);
    Bytes bank = writeBank(source, false);
    bank.resize(kBankFileSizeOld);
    writeFile(dir / "old.dat", bank);
    writeFile(dir / "short.dia", Bytes(kSingleModeFileSize - 1, 0x11));
    writeFile(dir / "short.dat", Bytes(kBankFileSizeOld - 1, 0x11));
    const auto before = store->working.snapshot();

    struct Case {
        const char* what;
        void (ConnectionControl::*operation)();
        std::optional<std::string> path;
        std::vector<std::string> calls;
    };
    const std::string d = dir.string() + "/";
    const Case failures[] = {
        {"cancelled", &ConnectionControl::importMode, std::nullopt, {"open .dia"}},
        {"missing",
         &ConnectionControl::importMode,
         d + "none.dia",
         {"open .dia", "message File read Error"}},
        {"short",
         &ConnectionControl::importMode,
         d + "short.dia",
         {"open .dia", "message MusicFile read Error"}},
        {"short bank",
         &ConnectionControl::importAll,
         d + "short.dat",
         {"open .dat", "message MusicFile read Error"}},
        {"not a .dat name", &ConnectionControl::importAll, d + "old.bin", {"open .dat"}},
        {"unwritable",
         &ConnectionControl::exportMode,
         d + "no/such/folder/x",
         {"save .dia", "message MusicFile Write Error"}},
        {"offline without a bank", &ConnectionControl::exportAll, d + "x", {}},
    };
    for (const Case& c : failures) {
        SCOPED_TRACE(c.what);
        ui.clear();
        ui.chosenPath = c.path;
        (control.get()->*c.operation)();
        EXPECT_EQ(ui.calls(), c.calls);
        EXPECT_EQ(store->working.snapshot(), before) << "the model is as it was";
        EXPECT_EQ(link->bankValid, 0);
    }

    ui.clear();
    ui.chosenPath = d + "old.dat";
    control->importAll();
    EXPECT_EQ(ui.calls(), (std::vector<std::string>{"open .dat", "refresh", "program label"}));
    EXPECT_TRUE(store->working.sameAs(store->storedMode(7)));
    EXPECT_EQ(link->bankHasSystemBlocks, 0);
    EXPECT_EQ(link->bankValid, 1) << "a bank from a file serves offline recall and export";

    control->sendCommand(CommandCode::RecallMode, 3);
    EXPECT_TRUE(store->working.sameAs(store->storedMode(3)));

    ui.clear();
    ui.chosenPath = d + "again";
    control->exportAll();
    EXPECT_EQ(ui.calls(), (std::vector<std::string>{"save .dat"}));
    const Bytes saved = readFile(dir / "again.dat");
    ASSERT_EQ(saved.size(), kBankFileSizeNew);
    EXPECT_EQ(saved[0], store->workingSystem.byte(system::kCurrentMode))
        << "the header is the working system block";
    EXPECT_EQ(saved[kSystemBlockSize + 2 * kModeImageSize + 50], 3);
    EXPECT_EQ(command->queue().count(), 0u);
}

} // namespace

namespace {

// Connected as far as the controller can tell, with no worker taking frames off the queue.
struct QueuedCommandTest : ConnectionTest {
    void SetUp() override {
        ConnectionTest::SetUp();
        link->connected = 1;
        link->transport = transport::kSerial;
    }
    void TearDown() override {
        link->connected = 0;
        ConnectionTest::TearDown();
    }
};

TEST_F(QueuedCommandTest, RecallAndNamingSetTheCurrentModeOnlyForAStoredMode) {
    struct Case {
        CommandCode code;
        int arg;
        int currentMode;
    };
    const Case cases[] = {{CommandCode::RecallMode, 5, 5}, {CommandCode::RecallMode, 0, 0},
                          {CommandCode::WriteName, 7, 7},  {CommandCode::WriteName, 0, 3},
                          {CommandCode::ReadMode, 0, 3},   {CommandCode::RecallMode, 22, 3}};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(codeValue(c.code)) + " " + std::to_string(c.arg));
        std::lock_guard lock(modelLock());
        store->workingSystem.setByte(system::kCurrentMode, 3);
        control->sendCommand(c.code, c.arg);
        EXPECT_EQ(store->workingSystem.byte(system::kCurrentMode), c.currentMode);
        command->queue().clear();
    }
}

TEST_F(QueuedCommandTest, ABankArrivedWithoutPerModeBlocksTakesTheWorkingBlock) {
    for (const int perMode : {0, 1}) {
        SCOPED_TRACE(perMode);
        link->perModeSystemBlocks = perMode;
        for (std::size_t i = 0; i < kSystemBlockSize; ++i) {
            store->workingSystem.setByte(i, static_cast<std::uint8_t>(i + 1));
            store->storedSystem(1).setByte(i, 0xA0);
            store->fileHeaderSystem.setByte(i, 0xB0);
        }
        const std::string name = "arrived" + std::to_string(perMode);
        ui.chosenPath = (dir / name).string();
        control->bankArrived();
        const Bytes file = readFile(dir / (name + ".dat"));
        ASSERT_EQ(file.size(), kBankFileSizeNew);
        const auto working = store->workingSystem.snapshot();
        const Bytes header(file.begin(), file.begin() + kSystemBlockSize);
        const Bytes modeOne(file.begin() + kBankFileSizeOld,
                            file.begin() + kBankFileSizeOld + kSystemBlockSize);
        EXPECT_EQ(header,
                  perMode ? Bytes(kSystemBlockSize, 0xB0) : Bytes(working.begin(), working.end()));
        EXPECT_EQ(modeOne,
                  perMode ? Bytes(kSystemBlockSize, 0xA0) : Bytes(working.begin(), working.end()));
        EXPECT_EQ(link->bankValid, 1);
    }
}

TEST_F(QueuedCommandTest, ImportAllWhileConnectedNumbersItsFramesAndKeepsTheBlocks) {
    struct Case {
        const char* what;
        std::size_t fileSize;
        int perMode;
        std::size_t systemFrames;
    };
    const Case cases[] = {{"newer layout, per-mode device", kBankFileSizeNew, 1, 21},
                          {"older layout, per-mode device", kBankFileSizeOld, 1, 2},
                          {"older layout, one block", kBankFileSizeOld, 0, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        link->perModeSystemBlocks = c.perMode;
        writeFile(dir / "all.dat", Bytes(c.fileSize, 0));
        ui.chosenPath = (dir / "all.dat").string();
        ui.clear();
        std::lock_guard lock(modelLock());
        control->importAll();
        const CommandQueue& queue = command->queue();
        const std::size_t total = 21 + c.systemFrames;
        ASSERT_EQ(queue.count(), total);
        for (std::size_t i = 0; i < total; ++i) {
            EXPECT_EQ(queue.at(i).frame().code(), i < 21 ? 132 : 131) << i;
            EXPECT_EQ(queue.at(i).frame().field(Frame::kProgressStep), i + 1) << i;
        }
        EXPECT_EQ(ui.calls().back(), "bar " + std::to_string(total));
        EXPECT_EQ(link->bankHasSystemBlocks, 1) << "the device now holds a block per mode";
        command->queue().clear();
    }
}

} // namespace
