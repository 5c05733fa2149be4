#include "SysPageTestSupport.h"
#include "controls/Messaging.h"
#include "controls/SLamp.h"
#include "devicelink/SerialPort.h"
#include "filters/BandSets.h"
#include "model/Presets.h"
#include "model/WorkingModel.h"
#include "pages/PageHost.h"
#include "pages/SysDlg.h"
#include "shell/ConnectionControl.h"
#include "tests/connection/ConnectionTestSupport.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QTest>
#include <algorithm>
#include <cstdlib>
#include <gtest/gtest.h>
#include <mutex>
#include <numeric>
#include <unistd.h>

// The System page against the simulator on a pseudo-terminal, through the real serial
// transport and connection control, with a small window standing in for the main window.
namespace kesmo {
namespace {

using Bytes = std::vector<std::uint8_t>;
namespace sys = layout::system;

constexpr int kAuthorityEdit = 1023, kAuthorityOk = 1361, kModeCombo = 2604, kNameEdit = 2614;
constexpr int kRecall = 1066, kStore = 1067, kImport = 1384, kExportAll = 1388, kImportAll = 1389;

Bytes readFile(const std::filesystem::path& path) {
    QFile file(QString::fromStdString(path.string()));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray all = file.readAll();
    return Bytes(all.begin(), all.end());
}

void writeFile(const std::filesystem::path& path, const Bytes& bytes) {
    QFile file(QString::fromStdString(path.string()));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
}

template <class Image> Bytes bytesOf(const Image& image) {
    const auto all = image.snapshot();
    return Bytes(all.begin(), all.end());
}

template <class Array> Bytes bytesOf(const Array& a, std::size_t from, std::size_t size) {
    return Bytes(a.begin() + static_cast<std::ptrdiff_t>(from),
                 a.begin() + static_cast<std::ptrdiff_t>(from + size));
}

// What the main window does for the System page: hosts it, runs connection control and hands
// it the device link's messages.
class PageWindow final : public MessageTarget, public PageHost, public ConnectionUi {
public:
    explicit PageWindow(const std::filesystem::path& dir)
        : m_store(std::make_unique<ParamStore>()), m_sink(this) {
        initialiseModel(*m_store, dir);
        m_bands = std::make_unique<BandSets>(*m_store);
        m_command = std::make_unique<Command>(*m_store, linkState());
        m_port = std::make_unique<SerialPort>(*m_command, test::noPauseClock(), this);
        m_link = std::make_unique<SerialLinkPort<SerialPort>>(*m_port);
        m_control =
            std::make_unique<ConnectionControl>(*this, *m_command, candidates, *m_link, nullptr);
        page = new SysDlg(*this, this);
        resize(page->size());
        setMessageSink(&m_sink);
        m_command->setSystemPageCurrent(true);
        page->refreshTexts();
        page->refresh();
    }
    ~PageWindow() override {
        m_port->close();
        setMessageSink(nullptr);
    }

    ConnectionControl& control() { return *m_control; }
    int seen(Message m) const {
        return static_cast<int>(std::count(m_seen.begin(), m_seen.end(), m));
    }
    std::vector<int> steps() {
        std::lock_guard lock(m_mutex);
        return m_steps;
    }

    // PageHost
    ParamStore& store() override { return *m_store; }
    BandSets* bandSets() override { return m_bands.get(); }
    int languageFlag() const override { return language; }
    int uiMode() const override { return 1; }
    int currentPage() const override { return 9; }
    void sendCommand(int code, int arg) override { m_control->sendCommand(code, arg); }
    void maximumLowered(int) override {}
    void exportMode() override { m_control->exportMode(); }
    void importMode() override { m_control->importMode(); }
    void exportAll() override { m_control->exportAll(); }
    void importAll() override { m_control->importAll(); }
    void refreshAll() override { page->refresh(); }
    void showProgram(bool) override {}
    void showMessage(const std::string& text) override { messages.push_back(text); }

    // ConnectionUi
    void showLookup() override {}
    void startBar(int) override {}
    void step(int n) override {
        std::lock_guard lock(m_mutex);
        m_steps.push_back(n);
    }
    void showBusy() override {}
    void hideProgress() override {}
    std::optional<std::string> saveFile(PresetFileKind, const std::filesystem::path&) override {
        return chosenPath;
    }
    std::optional<std::string> openFile(PresetFileKind, const std::filesystem::path&) override {
        return chosenPath;
    }
    void reloadSystemPage() override {
        page->refresh();
        if (linkState().connected == 0)
            page->clearMeters();
    }

    test::ListCandidates candidates;
    std::optional<std::string> chosenPath;
    std::vector<std::string> messages;
    int language = 0;
    SysDlg* page = nullptr;

protected:
    bool onMessage(Message message, std::intptr_t wParam, std::intptr_t lParam) override {
        m_seen.push_back(message);
        if (m_control->handleMessage(message, wParam, lParam))
            return true;
        switch (message) {
        case Message::SystemBlockArrived:
        case Message::WorkingModeArrived:
            page->refresh();
            return true;
        case Message::LampsArrived:
            page->lampsArrived(static_cast<int>(wParam));
            linkState().lamps.gate = 1;
            return true;
        default:
            return MessageTarget::onMessage(message, wParam, lParam);
        }
    }

private:
    std::unique_ptr<ParamStore> m_store;
    std::unique_ptr<BandSets> m_bands;
    std::unique_ptr<Command> m_command;
    std::unique_ptr<SerialPort> m_port;
    std::unique_ptr<LinkPort> m_link;
    std::unique_ptr<ConnectionControl> m_control;
    PostingSink m_sink;
    std::vector<Message> m_seen;
    std::mutex m_mutex;
    std::vector<int> m_steps;
};

class SysPageDeviceTest : public ::testing::Test {
protected:
    void SetUp() override {
        linkState().reset();
        dir = std::filesystem::temp_directory_path() /
              ("kesmo-sys-device-" + std::to_string(::getpid()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(dir);
        window = std::make_unique<PageWindow>(dir);
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    }
    void TearDown() override {
        window.reset();
        linkState().reset();
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
    }

    // Waits on the UI thread, handling the messages the device link posts meanwhile.
    static bool waitFor(const std::function<bool()>& done) { return QTest::qWaitFor(done, 60000); }
    void connectTo(test::SimDevice& device) {
        window->candidates.serial = {device.path()};
        window->control().connect();
        ASSERT_TRUE(waitFor([&] {
            return window->seen(Message::WorkingModeArrived) > 0 && window->steps().size() == 24;
        }));
    }

    SysDlg& page() { return *window->page; }
    ParamStore& store() { return window->store(); }
    void click(int id) {
        ASSERT_TRUE(page().control(id)->isEnabled()) << id;
        test::clickControl(page(), id);
    }
    void type(int id, const char* text) {
        ASSERT_TRUE(page().control(id)->isEnabled()) << id;
        test::typeInto(page(), id, QString::fromUtf8(text));
    }
    void choose(int comboId, int index) { test::chooseItem(page(), comboId, index); }
    SLamp* meter(int i) { return page().control<SLamp>(3900 + i); }
    bool allDark() {
        for (int i = 0; i < 12; ++i)
            for (int s = 0; s < kLampSegments; ++s)
                if (meter(i)->isLit(s))
                    return false;
        return true;
    }

    QApplication& application = test::sysPageApp();
    std::filesystem::path dir;
    std::unique_ptr<PageWindow> window;
};

TEST_F(SysPageDeviceTest, MetersShowTheDeviceLevelsAndLimitsAndGoDarkAfterDisconnect) {
    test::SimDevice device;
    sim::MeterBytes levels{}, limits{};
    for (std::size_t i = 0; i < 12; ++i) {
        levels[i] = static_cast<std::uint8_t>(110 + 6 * i); // meter i lights segments 0..i
        limits[i] = i % 3 == 0 ? 100 : 200;
    }
    levels[11] = 200;
    device.engine.setMeterLevels(levels);
    device.engine.setMeterLimits(limits);
    EXPECT_TRUE(allDark());
    connectTo(device);
    ASSERT_TRUE(
        waitFor([&] { return meter(11)->isLit(kClipLamp) && meter(0)->isLit(kLimitLamp); }));
    for (int i = 0; i < 12; ++i) {
        SCOPED_TRACE(i);
        EXPECT_TRUE(meter(i)->isLit(std::min(i, 15)));
        EXPECT_EQ(meter(i)->isLit(i + 1), i == 11);
        EXPECT_EQ(meter(i)->isLit(kLimitLamp), i % 3 == 0);
    }
    window->control().disconnect();
    EXPECT_TRUE(allDark());
    QTest::qWait(50); // a meter message still queued must leave them dark
    EXPECT_TRUE(allDark());
}

// Saved for a look when KESMO_SHOT_DIR names a folder.
TEST_F(SysPageDeviceTest, MetersMoveWithTheDeviceInBothLanguages) {
    test::SimDevice device;
    device.engine.modifyState([](sim::DeviceState& s) {
        const char name[] = "Live Stage";
        std::copy_n(name, sizeof name - 1, s.storedMode(1).begin());
    });
    connectTo(device);
    const auto litBars = [&](int i) {
        int n = 0;
        for (int segment = 0; segment < kLampBarSegments; ++segment)
            n += meter(i)->isLit(segment) ? 1 : 0;
        return n;
    };
    ASSERT_TRUE(waitFor([&] { return litBars(0) > 0; }));
    const int first = litBars(0);
    ASSERT_TRUE(waitFor([&] { return litBars(0) != first; })) << "the meter does not move";
    for (int language : {0, 1}) {
        window->language = language;
        page().refreshTexts();
        page().refresh();
        const QImage shot = window->grab().toImage();
        if (const char* shots = std::getenv("KESMO_SHOT_DIR"))
            shot.save(QString("%1/system-connected-%2.png")
                          .arg(shots, language != 0 ? "chinese" : "english"));
    }
    EXPECT_EQ(page().control<QComboBox>(kModeCombo)->currentText(), "1-Live Stage");
}

TEST_F(SysPageDeviceTest, RecallModeFiveBringsItsImageAndTheSystemBlock) {
    test::SimDevice device;
    device.engine.modifyState([](sim::DeviceState& s) {
        s.storedMode(5)[300] = 0x5A;
        s.storedSystem(5)[sys::kVodGain] = 33;
    });
    connectTo(device);
    choose(kModeCombo, 4);
    click(kRecall);
    ASSERT_TRUE(waitFor([&] {
        return store().working.byte(300) == 0x5A && store().workingSystem.byte(sys::kVodGain) == 33;
    }));
    const sim::DeviceState s = device.engine.state();
    EXPECT_EQ(bytesOf(store().working), Bytes(s.storedMode(5).begin(), s.storedMode(5).end()));
    EXPECT_EQ(bytesOf(store().workingSystem), Bytes(s.system.begin(), s.system.end()));
    EXPECT_EQ(store().workingSystem.byte(sys::kCurrentMode), 5);
    EXPECT_EQ(page().control<QComboBox>(kModeCombo)->currentIndex(), 4);
}

TEST_F(SysPageDeviceTest, AuthorityThenStoreModeDeliversPasswordAndName) {
    test::SimDevice device;
    device.engine.setIdentity(1, 0);
    device.engine.modifyState([](sim::DeviceState& s) {
        std::copy_n("q1w2e3", 6, s.system.begin() + sys::kSystemPassword);
    });
    connectTo(device);
    EXPECT_FALSE(page().control(kStore)->isEnabled());
    type(kAuthorityEdit, "q1w2e3");
    click(kAuthorityOk);
    ASSERT_TRUE(
        waitFor([&] { return device.engine.count(sim::code::kChangeSystemPassword) == 1; }));
    choose(kModeCombo, 6);
    type(kNameEdit, "Duet");
    click(kStore);
    ASSERT_TRUE(waitFor([&] { return device.engine.count(sim::code::kWriteName) == 1; }));

    const auto passwords = device.engine.frames(sim::code::kChangeSystemPassword);
    ASSERT_EQ(passwords.size(), 2u);
    for (const sim::ReceivedFrame& f : passwords)
        EXPECT_EQ(std::string(f.bytes.begin() + 5, f.bytes.begin() + 17), "q1w2e3q1w2e3");
    const sim::DeviceState s = device.engine.state();
    EXPECT_EQ(std::string(s.storedMode(7).begin(), s.storedMode(7).begin() + 20),
              "Duet                ");
    EXPECT_EQ(std::string(s.system.begin() + 19, s.system.begin() + 25), "q1w2e3");
    EXPECT_EQ(page().control<QComboBox>(kModeCombo)->itemText(6), "7-Duet");
}

TEST_F(SysPageDeviceTest, BothPasswordChangesReachTheDevice) {
    test::SimDevice device;
    device.engine.modifyState([](sim::DeviceState& s) {
        std::copy_n("abc123", 6, s.system.begin() + sys::kSystemPassword);
        std::copy_n("1234", 4, s.system.begin() + sys::kPanelPassword);
    });
    connectTo(device);
    type(2612, "abc123");
    type(2613, "Zx9876");
    type(1024, "Zx9876");
    click(1065);
    type(2610, "1234");
    type(2611, "4321");
    type(1369, "4321");
    click(1064);
    ASSERT_TRUE(waitFor([&] { return device.engine.count(sim::code::kChangePanelPassword) == 1; }));
    const sim::DeviceState s = device.engine.state();
    EXPECT_EQ(std::string(s.system.begin() + 19, s.system.begin() + 25), "Zx9876");
    EXPECT_EQ(std::string(s.system.begin() + 15, s.system.begin() + 19), "4321");
    EXPECT_EQ(bytesOf(bytesOf(store().workingSystem), sys::kPanelPassword, 10),
              bytesOf(s.system, sys::kPanelPassword, 10));
}

TEST_F(SysPageDeviceTest, ExportAllWritesTheDeviceBank) {
    test::SimDevice device;
    device.engine.modifyState([](sim::DeviceState& s) {
        for (std::size_t n = 1; n <= 21; ++n) {
            s.storedMode(n)[500] = static_cast<std::uint8_t>(n);
            s.storedSystem(n)[sys::kBgmGain] = static_cast<std::uint8_t>(n);
        }
    });
    connectTo(device);
    window->chosenPath = (dir / "all").string();
    click(kExportAll);
    ASSERT_TRUE(waitFor([&] { return std::filesystem::exists(dir / "all.dat"); }));
    EXPECT_EQ(window->steps().size(), 24u + 42u);
    const Bytes file = readFile(dir / "all.dat");
    ASSERT_EQ(file.size(), 58405u);
    const sim::DeviceState s = device.engine.state();
    for (std::size_t n = 1; n <= 21; ++n) {
        SCOPED_TRACE(n);
        EXPECT_EQ(bytesOf(file, 66 + (n - 1) * 2712, 2712),
                  Bytes(s.storedMode(n).begin(), s.storedMode(n).end()));
        EXPECT_EQ(bytesOf(file, 57019 + (n - 1) * 66, 66),
                  Bytes(s.storedSystem(n).begin(), s.storedSystem(n).end()));
    }
}

TEST_F(SysPageDeviceTest, ImportOneModeSendsItAndTheDeviceHoldsIt) {
    test::SimDevice device;
    connectTo(device);
    Bytes file = bytesOf(store().workingSystem);
    const Bytes image = bytesOf(store().working);
    file.insert(file.end(), image.begin(), image.end());
    file[sys::kMusicVolume] = 44;
    file[66 + 1000] ^= 0x01;
    writeFile(dir / "one.dia", file);
    window->chosenPath = (dir / "one.dia").string();
    linkState().storeAllowed = 1; // import needs the authority while connected
    page().refresh();
    click(kImport);
    ASSERT_TRUE(waitFor([&] {
        return device.engine.count(sim::code::kWriteMode) == 1 &&
               device.engine.count(sim::code::kWriteSystemBlock) == 1;
    }));
    const sim::DeviceState s = device.engine.state();
    EXPECT_EQ(Bytes(s.working.begin(), s.working.end()), bytesOf(store().working));
    EXPECT_EQ(Bytes(s.system.begin(), s.system.end()), bytesOf(store().workingSystem));
    EXPECT_EQ(s.working[1000], file[66 + 1000]);
    EXPECT_EQ(s.system[sys::kMusicVolume], 44);
}

TEST_F(SysPageDeviceTest, OfflineRecallFromAnImportedBank) {
    Bytes bank(58405, 0);
    for (std::size_t n = 1; n <= 21; ++n) {
        const std::size_t mode = 66 + (n - 1) * 2712;
        const std::string name = "Bank " + std::to_string(n);
        std::copy(name.begin(), name.end(), bank.begin() + static_cast<std::ptrdiff_t>(mode));
        bank[mode + 700] = static_cast<std::uint8_t>(0x40 + n);
    }
    writeFile(dir / "bank.dat", bank);
    window->chosenPath = (dir / "bank.dat").string();
    EXPECT_FALSE(page().control(kRecall)->isEnabled());
    click(kImportAll);
    ASSERT_EQ(linkState().bankValid, 1);
    EXPECT_EQ(page().control<QComboBox>(kModeCombo)->itemText(17), "F2-Bank 18");
    choose(kModeCombo, 4);
    click(kRecall);
    EXPECT_EQ(store().working.byte(700), 0x45);
    EXPECT_EQ(bytesOf(store().working), bytesOf(bank, 66 + 4 * 2712, 2712));
    EXPECT_EQ(store().workingSystem.byte(sys::kCurrentMode), 5);
}

} // namespace
} // namespace kesmo
