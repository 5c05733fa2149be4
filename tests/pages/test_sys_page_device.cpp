#include "SysPageTestSupport.h"
#include "controls/BitButton.h"
#include "controls/Edit_Static.h"
#include "controls/FontStatic.h"
#include "controls/SLamp.h"
#include "devicelink/Catalogue.h"
#include "shell/Show_Dlg.h"
#include "tests/shell/ShellTestSupport.h"

#include <QComboBox>
#include <QFile>
#include <algorithm>
#include <cstdlib>
#include <gtest/gtest.h>

// The System page in the editor window against the simulator on a pseudo-terminal.
namespace kesmo {
namespace {

using Bytes = std::vector<std::uint8_t>;
namespace sys = layout::system;

constexpr int kAuthorityEdit = 1023, kAuthorityOk = 1361, kModeCombo = 2604, kNameEdit = 2614;
constexpr int kRecall = 1066, kStore = 1067, kImport = 1384, kExportAll = 1388, kImportAll = 1389;
constexpr int kConnectButton = 3831;

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

class SysPageDeviceTest : public ::testing::Test {
protected:
    void open(std::vector<std::string> serial, int languageMode = 0) {
        candidates.serial = std::move(serial);
        KesmoSetup setup;
        setup.languageMode = languageMode;
        setup.candidates = &candidates;
        setup.clock = &test::noPauseClock();
        setup.screenSize = QSize(1920, 1080);
        window = std::make_unique<KesmoDlg>(setup);
        window->show();
    }
    // Opens the window on the simulator and waits until the device has been read.
    void openConnected() { openConnectedTo(device, 0); }
    void openConnectedTo(test::SimDevice& sim, int languageMode) {
        open({sim.path()}, languageMode);
        // The bar closes when the last request is written; the working mode has arrived once
        // the program label names it.
        ASSERT_TRUE(waitFor([&] {
            return linkState().connected != 0 &&
                   window->progress()->face() == Show_Dlg::Face::Hidden &&
                   sim.engine.count(sim::code::kReadMode) >= 1 &&
                   window->control<FontStatic>(3830)->text() != QStringLiteral("Off Line");
        }));
    }
    // Opens the window with nothing to connect to.
    void openOffline() {
        open({});
        ASSERT_TRUE(waitFor([&] { return !dialogs.messages.empty(); }));
    }
    static bool waitFor(const std::function<bool()>& done) { return test::waitFor(done, 60000); }
    sim::DeviceState state() const { return device.engine.state(); }

    SysDlg& page() { return *static_cast<SysDlg*>(window->page(9)); }
    ParamStore& store() { return paramStore(); }
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

    test::FreshModel model;
    test::AnsweringDialogs dialogs;
    test::ListCandidates candidates;
    test::SimDevice device;
    std::unique_ptr<KesmoDlg> window;
    const std::filesystem::path& dir = model.dir();
};

TEST_F(SysPageDeviceTest, MetersShowTheDeviceLevelsAndLimitsAndGoDarkAfterDisconnect) {
    sim::MeterBytes levels{}, limits{};
    for (std::size_t i = 0; i < 12; ++i) {
        levels[i] = static_cast<std::uint8_t>(110 + 6 * i); // meter i lights segments 0..i
        limits[i] = i % 3 == 0 ? 100 : 200;
    }
    levels[11] = 200;
    device.engine.setMeterLevels(levels);
    device.engine.setMeterLimits(limits);
    openConnected();
    ASSERT_TRUE(
        waitFor([&] { return meter(11)->isLit(kClipLamp) && meter(0)->isLit(kLimitLamp); }));
    for (int i = 0; i < 12; ++i) {
        SCOPED_TRACE(i);
        EXPECT_TRUE(meter(i)->isLit(std::min(i, 15)));
        EXPECT_EQ(meter(i)->isLit(i + 1), i == 11);
        EXPECT_EQ(meter(i)->isLit(kLimitLamp), i % 3 == 0);
    }
    QTest::mouseClick(window->control(kConnectButton), Qt::LeftButton);
    ASSERT_EQ(linkState().connected, 0);
    EXPECT_TRUE(allDark());
    QTest::qWait(50); // a meter message still queued must leave them dark
    EXPECT_TRUE(allDark());
}

TEST_F(SysPageDeviceTest, LoweringTheEffectMaximumLowersAndUnmutesTheEffectVolume) {
    device.engine.modifyState(
        [](sim::DeviceState& s) { s.system[sys::kEffectVolume] = 0x80 | 50; });
    openConnected();
    auto* maximum = page().control<BitmapSlider>(2570);
    maximum->setFocus();
    QTest::keyClick(maximum, Qt::Key_PageUp); // 70 -> 50: the volume stays as it is
    QTest::keyClick(maximum, Qt::Key_PageUp); // 50 -> 30
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(store().workingSystem.byte(sys::kEffectMaxVolume), 30);
    EXPECT_EQ(store().workingSystem.byte(sys::kEffectVolume), 30);
    EXPECT_EQ(window->control<BitmapSlider>(3822)->getPos(), 30);
    EXPECT_EQ(window->control<Edit_Static>(3812)->value(), 30);
    EXPECT_FALSE(window->control<BitButton>(4001)->down());
    ASSERT_TRUE(waitFor([&] {
        return state().system[sys::kEffectMaxVolume] == 30 &&
               state().system[sys::kEffectVolume] == 30;
    }));
}

// Saved for a look when KESMO_SHOT_DIR names a folder.
TEST_F(SysPageDeviceTest, MetersMoveWithTheDeviceInBothLanguages) {
    const auto litBars = [&](int i) {
        int n = 0;
        for (int segment = 0; segment < kLampBarSegments; ++segment)
            n += meter(i)->isLit(segment) ? 1 : 0;
        return n;
    };
    for (int language : {0, 1}) {
        SCOPED_TRACE(language);
        test::SimDevice live;
        live.engine.modifyState([](sim::DeviceState& s) {
            const char name[] = "Live Stage";
            std::copy_n(name, sizeof name - 1, s.storedMode(1).begin());
            s.system[sys::kCurrentMode] = 1;
        });
        openConnectedTo(live, language); // 0 English, 1 Chinese
        ASSERT_TRUE(waitFor([&] { return litBars(0) > 0; }));
        const int first = litBars(0);
        ASSERT_TRUE(waitFor([&] { return litBars(0) != first; })) << "the meter does not move";
        EXPECT_EQ(page().control<QComboBox>(kModeCombo)->currentText(), "1-Live Stage");
        const QImage shot = window->grab().toImage();
        if (const char* shots = std::getenv("KESMO_SHOT_DIR"))
            shot.save(QString("%1/system-connected-%2.png")
                          .arg(shots, language != 0 ? "chinese" : "english"));
        window.reset();
        linkState().reset(); // as a new process would start
    }
}

TEST_F(SysPageDeviceTest, RecallModeFiveBringsItsImageAndTheSystemBlock) {
    device.engine.modifyState([](sim::DeviceState& s) {
        s.storedMode(5)[300] = 0x5A;
        s.storedSystem(5)[sys::kVodGain] = 33;
    });
    openConnected();
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
    device.engine.setIdentity(1, 0);
    device.engine.modifyState([](sim::DeviceState& s) {
        std::copy_n("q1w2e3", 6, s.system.begin() + sys::kSystemPassword);
    });
    openConnected();
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
    device.engine.modifyState([](sim::DeviceState& s) {
        std::copy_n("abc123", 6, s.system.begin() + sys::kSystemPassword);
        std::copy_n("1234", 4, s.system.begin() + sys::kPanelPassword);
    });
    openConnected();
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
    device.engine.modifyState([](sim::DeviceState& s) {
        for (std::size_t n = 1; n <= 21; ++n) {
            s.storedMode(n)[500] = static_cast<std::uint8_t>(n);
            s.storedSystem(n)[sys::kBgmGain] = static_cast<std::uint8_t>(n);
        }
    });
    openConnected();
    std::filesystem::remove(dir / "all.dat");
    dialogs.chosen = QString::fromStdString((dir / "all").string());
    click(kExportAll);
    ASSERT_TRUE(waitFor([&] { return std::filesystem::exists(dir / "all.dat"); }));
    EXPECT_EQ(window->progress()->total(), 42);
    // The device read at connection took one of each.
    EXPECT_EQ(device.engine.count(sim::code::kReadSystemBlock), 1u + 21u);
    EXPECT_EQ(device.engine.count(sim::code::kReadMode), 1u + 21u);
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
    openConnected();
    Bytes file = bytesOf(store().workingSystem);
    const Bytes image = bytesOf(store().working);
    file.insert(file.end(), image.begin(), image.end());
    const std::uint8_t currentMode = state().system[sys::kCurrentMode];
    file[sys::kCurrentMode] = currentMode == 9 ? 8 : 9;
    file[sys::kMusicVolume] = 44;
    file[66 + 1000] ^= 0x01;
    writeFile(dir / "one.dia", file);
    dialogs.chosen = QString::fromStdString((dir / "one.dia").string());
    click(kImport);
    ASSERT_TRUE(waitFor([&] {
        return device.engine.count(sim::code::kWriteMode) == 1 &&
               device.engine.count(sim::code::kWriteSystemBlock) == 1;
    }));
    // The device holds the file, except the current mode it keeps and the image sum the
    // import recomputes.
    sim::DeviceState s = device.engine.state();
    EXPECT_EQ(s.system[sys::kCurrentMode], currentMode);
    s.system[sys::kCurrentMode] = file[sys::kCurrentMode];
    s.working[layout::image::kFileSum] = file[66 + layout::image::kFileSum];
    EXPECT_EQ(Bytes(s.system.begin(), s.system.end()), bytesOf(file, 0, 66));
    EXPECT_EQ(Bytes(s.working.begin(), s.working.end()), bytesOf(file, 66, 2712));
    EXPECT_EQ(bytesOf(store().working), bytesOf(device.engine.state().working, 0, 2712));
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
    openOffline();
    dialogs.chosen = QString::fromStdString((dir / "bank.dat").string());
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
