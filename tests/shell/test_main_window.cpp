#include "controls/BitButton.h"
#include "controls/Edit_Static.h"
#include "controls/EnTabCtrl.h"
#include "controls/FontStatic.h"
#include "devicelink/Catalogue.h"
#include "pages/PageDlg.h"
#include "shell/Show_Dlg.h"
#include "tests/shell/ShellTestSupport.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QLabel>
#include <QProgressBar>
#include <QTimer>
#include <QtTest/qtestspontaneevent.h>
#include <gtest/gtest.h>

namespace kesmo::test {
namespace {

namespace sb = layout::system;
using Face = Show_Dlg::Face;

class MainWindowTest : public ::testing::Test {
protected:
    void open(std::vector<std::string> serial, QSize screen = {1920, 1080}) {
        candidates.serial = std::move(serial);
        KesmoSetup setup;
        setup.candidates = &candidates;
        setup.clock = &noPauseClock();
        setup.screenSize = screen;
        window = std::make_unique<KesmoDlg>(setup);
        QObject::connect(window->progress(), &Show_Dlg::faceChanged, window.get(),
                         [this](Face f) { faces.push_back(f); });
        window->show();
    }
    // Connected, read and idle: the bar has run out and the program label names the mode.
    bool readOut() {
        return waitFor([&] {
            return linkState().connected != 0 && window->progress()->face() == Face::Hidden &&
                   labelText(3830) != "Off Line" && sim.engine.count(130) >= 1;
        });
    }
    std::string labelText(int id) const {
        return window->control<FontStatic>(id)->text().toStdString();
    }
    std::string buttonText(int id) const {
        return window->control<BitButton>(id)->text().toStdString();
    }
    sim::DeviceState device() const { return sim.engine.state(); }

    FreshModel model;
    AnsweringDialogs dialogs;
    ListCandidates candidates;
    SimDevice sim;
    std::vector<Face> faces;
    std::unique_ptr<KesmoDlg> window;
};

TEST_F(MainWindowTest, StartUpFindsTheDeviceReadsItAndOpensOnTheSystemTab) {
    open({sim.path()});
    EXPECT_EQ(window->currentPage(), 9);
    ASSERT_TRUE(readOut());
    EXPECT_EQ(faces, (std::vector<Face>{Face::Lookup, Face::Bar, Face::Hidden}));
    EXPECT_EQ(window->progress()->total(), 24);
    EXPECT_EQ(window->progress()->bar()->value(), 24);
    EXPECT_TRUE(window->progress()->ownerEnabled());
    EXPECT_TRUE(window->page(9)->isVisible());
    EXPECT_EQ(window->control<EnTabCtrl>(1028)->currentIndex(), 9);

    const sim::DeviceState d = device();
    std::string name;
    for (std::size_t i = 0; i < 20 && d.working[i] != 0; ++i)
        name.push_back(static_cast<char>(d.working[i]));
    EXPECT_EQ(labelText(3830), programLabel(d.system[0], name));
    EXPECT_EQ(buttonText(3831), "Disconnect");
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(MainWindowTest, LookupFaceShowsItsTextsInTheWindowLanguage) {
    open({sim.path()});
    QCoreApplication::sendPostedEvents(window.get());
    ASSERT_FALSE(faces.empty());
    EXPECT_EQ(faces.front(), Face::Lookup);
    ASSERT_TRUE(readOut());
    window->showLookup();
    EXPECT_EQ(window->progress()->label()->text().toStdString(), "Device lookup");
    EXPECT_EQ(window->progress()->windowTitle().toStdString(), "Device lookup ");
    window->hideProgress();
}

TEST_F(MainWindowTest, MusicVolumeDragReachesTheDevice) {
    open({sim.path()});
    ASSERT_TRUE(readOut());
    auto& slider = *window->control<BitmapSlider>(3820);
    dragSlider(slider, pixelOf(slider, 30));
    EXPECT_EQ(slider.getPos(), 30);
    EXPECT_EQ(paramStore().workingSystem.byte(sb::kMusicVolume), 30);
    ASSERT_TRUE(waitFor([&] { return device().system[sb::kMusicVolume] == 30; }));
}

TEST_F(MainWindowTest, MusicVolumeStopsAtTheDevicesMaximum) {
    sim.engine.modifyState([](sim::DeviceState& d) {
        d.system[sb::kMusicMaxVolume] = 60;
        d.system[sb::kMusicVolume] = 20;
    });
    open({sim.path()});
    ASSERT_TRUE(readOut());
    auto& slider = *window->control<BitmapSlider>(3820);
    dragSlider(slider, slider.width() + 40);
    EXPECT_EQ(slider.getPos(), 60);
    EXPECT_EQ(window->control<Edit_Static>(3810)->value(), 60);
    ASSERT_TRUE(waitFor([&] { return device().system[sb::kMusicVolume] == 60; }));
    EXPECT_EQ(paramStore().workingSystem.byte(sb::kMusicVolume), 60);
}

TEST_F(MainWindowTest, MuteSetsBitSevenAndAMovedSliderClearsIt) {
    sim.engine.modifyState([](sim::DeviceState& d) { d.system[sb::kMusicVolume] = 40; });
    open({sim.path()});
    ASSERT_TRUE(readOut());
    auto* mute = window->control<BitButton>(4000);
    QTest::mouseClick(mute, Qt::LeftButton);
    EXPECT_TRUE(mute->down());
    ASSERT_TRUE(waitFor([&] { return device().system[sb::kMusicVolume] == 0xA8; }));

    auto& slider = *window->control<BitmapSlider>(3820);
    dragSlider(slider, pixelOf(slider, 50));
    EXPECT_FALSE(mute->down());
    ASSERT_TRUE(waitFor([&] { return device().system[sb::kMusicVolume] == 50; }));
}

TEST_F(MainWindowTest, ConnectWhileConnectedGoesOffLineWithoutAMessage) {
    open({sim.path()});
    ASSERT_TRUE(readOut());
    QTest::mouseClick(window->control<BitButton>(3831), Qt::LeftButton);
    EXPECT_EQ(linkState().connected, 0);
    EXPECT_EQ(labelText(3830), "Off Line");
    EXPECT_EQ(buttonText(3831), "Connect");
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(MainWindowTest, ALostDeviceBringsTheMessageAndOffLine) {
    open({sim.path()});
    ASSERT_TRUE(readOut());
    sim.engine.addFault({sim::Fault::hangUp(), std::nullopt, std::nullopt});
    ASSERT_TRUE(waitFor([&] { return !dialogs.messages.empty(); }));
    EXPECT_EQ(dialogs.messages, std::vector<std::string>{"Unable to Open Device!"});
    EXPECT_EQ(labelText(3830), "Off Line");
    EXPECT_EQ(buttonText(3831), "Connect");
    EXPECT_EQ(window->progress()->face(), Face::Hidden);
}

TEST_F(MainWindowTest, APortThatNeverAnswersIsDroppedForTheNext) {
    SimDevice silent;
    silent.engine.addFault({sim::Fault::silent(), std::nullopt, std::nullopt});
    open({silent.path(), sim.path()});
    ASSERT_TRUE(readOut());
    EXPECT_EQ(silent.engine.count(127), 3u);
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(buttonText(3831), "Disconnect");
}

TEST_F(MainWindowTest, NoPortsAtAllShowsTheMessageAtOnce) {
    open({});
    QCoreApplication::sendPostedEvents(window.get());
    EXPECT_EQ(dialogs.messages, std::vector<std::string>{"Unable to Open Device!"});
    EXPECT_EQ(labelText(3830), "Off Line");
    EXPECT_EQ(window->progress()->face(), Face::Hidden);
}

TEST_F(MainWindowTest, EnterAndEscapeLeaveTheWindowOpen) {
    open({});
    QCoreApplication::sendPostedEvents(window.get());
    QTest::keyClick(window.get(), Qt::Key_Escape);
    QTest::keyClick(window.get(), Qt::Key_Return);
    QTest::keyClick(window->page(9), Qt::Key_Escape);
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(window->page(9)->isVisible());
}

TEST_F(MainWindowTest, SwitchingTabsShowsOnePageAndTheSystemPageGatesTheMeters) {
    open({});
    QCoreApplication::sendPostedEvents(window.get());
    auto* tabs = window->control<EnTabCtrl>(1028);
    for (int tab : {0, 3, 4, 8, 9, 2}) {
        QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(tab).center());
        EXPECT_EQ(window->currentPage(), tab);
        EXPECT_TRUE(window->page(tab)->isVisible()) << tab;
        int shown = 0;
        for (int t : {0, 1, 2, 3, 4, 9})
            shown += window->page(t)->isVisible() ? 1 : 0;
        EXPECT_EQ(shown, 1) << tab;
        EXPECT_EQ(window->command().systemPageCurrent(), tab == 9);
    }
}

TEST_F(MainWindowTest, ProgressBarHidesExactlyAtTheLastStep) {
    open({});
    QCoreApplication::sendPostedEvents(window.get());
    Show_Dlg& progress = *window->progress();
    window->startBar(42);
    for (int n = 1; n <= 41; ++n) {
        std::thread([&progress, n] { progress.step(n); }).join();
        ASSERT_TRUE(waitFor([&] { return progress.bar()->value() == n; }));
        ASSERT_EQ(progress.face(), Face::Bar) << n;
    }
    EXPECT_FALSE(progress.ownerEnabled());
    std::thread([&progress] { progress.step(42); }).join();
    ASSERT_TRUE(waitFor([&] { return progress.face() == Face::Hidden; }));
    EXPECT_TRUE(progress.ownerEnabled());
}

TEST_F(MainWindowTest, BusyAfterWriteModeStaysUntilTheAcknowledgementAndAMomentMore) {
    open({sim.path()});
    ASSERT_TRUE(readOut());
    Show_Dlg& progress = *window->progress();
    faces.clear();
    sim.engine.addFault({sim::Fault::delay(std::chrono::milliseconds(300)), 132, 1});
    window->sendCommand(codeValue(CommandCode::WriteMode), 0);
    EXPECT_EQ(progress.face(), Face::Busy);
    ASSERT_TRUE(waitFor([&] { return linkState().replyPending == 0; }));
    const auto acknowledged = std::chrono::steady_clock::now();
    EXPECT_EQ(progress.face(), Face::Busy);
    ASSERT_TRUE(waitFor([&] { return progress.face() == Face::Hidden; }));
    const auto shown = std::chrono::steady_clock::now() - acknowledged;
    EXPECT_GE(shown, std::chrono::milliseconds(450));
    EXPECT_EQ(faces, (std::vector<Face>{Face::Busy, Face::Hidden}));
}

TEST_F(MainWindowTest, TheProgressWindowIgnoresACloseRequest) {
    open({});
    QCoreApplication::sendPostedEvents(window.get());
    window->startBar(3);
    // As the window system delivers a click on the caption's close button.
    QCloseEvent request;
    QSpontaneKeyEvent::setSpontaneous(&request);
    QApplication::sendEvent(window->progress(), &request);
    EXPECT_TRUE(window->progress()->isVisible());
    QTest::keyClick(window->progress(), Qt::Key_Escape);
    EXPECT_TRUE(window->progress()->isVisible());
    window->hideProgress();
}

TEST_F(MainWindowTest, AMaximumLoweredBelowTheLevelTakesTheLevelDown) {
    open({});
    QCoreApplication::sendPostedEvents(window.get());
    SystemBlock& system = paramStore().workingSystem;
    system.setByte(sb::kMicVolume, 0x80 | 50); // muted at 50
    window->refreshTopBar();
    system.setByte(sb::kMicMaxVolume, 30);
    window->maximumLowered(1);
    EXPECT_EQ(system.byte(sb::kMicVolume), 30);
    EXPECT_EQ(window->control<BitmapSlider>(3821)->getPos(), 30);
    EXPECT_EQ(window->control<Edit_Static>(3811)->value(), 30);
    EXPECT_FALSE(window->control<BitButton>(4002)->down());
    // A maximum above the level leaves it alone.
    system.setByte(sb::kMicMaxVolume, 60);
    window->maximumLowered(1);
    EXPECT_EQ(system.byte(sb::kMicVolume), 30);
}

// The file dialogs open in the preset folder with the file kind's pattern; an unreadable file's
// box is shown with the model free, so the link thread never waits behind it.
TEST_F(MainWindowTest, PresetFileDialogsAndTheBoxesOfAFailedImport) {
    open({});
    QCoreApplication::sendPostedEvents(window.get());
    dialogs.messages.clear();
    const std::filesystem::path saved = model.dir() / "MusicFile" / "room.dia";
    dialogs.chosen = QString::fromStdString(saved.string());
    window->exportMode();
    ASSERT_EQ(dialogs.asked.size(), 1u);
    EXPECT_EQ(dialogs.asked[0], (model.dir() / "MusicFile").string() + "|*.dia");
    EXPECT_EQ(std::filesystem::file_size(saved), 2778u);

    const std::filesystem::path shortFile = model.dir() / "MusicFile" / "short.dia";
    std::filesystem::resize_file(saved, 100);
    std::filesystem::rename(saved, shortFile);
    dialogs.chosen = QString::fromStdString(shortFile.string());
    bool lockFreeDuringBox = false;
    struct LockProbe final : DialogSeam {
        AnsweringDialogs& inner;
        bool& free;
        LockProbe(AnsweringDialogs& d, bool& f) : inner(d), free(f) { setDialogSeam(this); }
        ~LockProbe() override { setDialogSeam(&inner); }
        void message(QWidget* p, const QString& text, const QString& caption) override {
            std::thread([this] {
                if (modelLock().try_lock()) {
                    free = true;
                    modelLock().unlock();
                }
            }).join();
            inner.message(p, text, caption);
        }
        std::optional<QString> openFile(QWidget* p, const QString& f, const QString& x) override {
            return inner.openFile(p, f, x);
        }
        std::optional<QString> saveFile(QWidget* p, const QString& f, const QString& x) override {
            return inner.saveFile(p, f, x);
        }
    } probe(dialogs, lockFreeDuringBox);
    const auto before = paramStore().working.snapshot();
    window->importMode();
    EXPECT_EQ(dialogs.messages, std::vector<std::string>{"MusicFile read Error"});
    EXPECT_TRUE(lockFreeDuringBox);
    EXPECT_EQ(paramStore().working.snapshot(), before);

    dialogs.messages.clear();
    dialogs.chosen = QString::fromStdString((model.dir() / "MusicFile" / "none.dat").string());
    window->importAll();
    EXPECT_EQ(dialogs.messages, std::vector<std::string>{"File read Error"});
    EXPECT_EQ(dialogs.asked.back(), (model.dir() / "MusicFile").string() + "|*.dat");
}

// The last edit before closing reaches the processor, even while its acknowledgement is slow.
TEST_F(MainWindowTest, ClosingDeliversTheLastEdit) {
    open({sim.path()});
    ASSERT_TRUE(readOut());
    sim.engine.addFault({sim::Fault::delay(std::chrono::milliseconds(400)), 3, std::nullopt});
    auto& slider = *window->control<BitmapSlider>(3820);
    dragSlider(slider, pixelOf(slider, 17));
    window->close();
    EXPECT_EQ(sim.engine.state().system[sb::kMusicVolume], 17);
    EXPECT_TRUE(dialogs.messages.empty());
}

// A link that fails while the last edits go out ends the wait without a message.
TEST_F(MainWindowTest, ClosingWithAFailingLinkShowsNoMessage) {
    open({sim.path()});
    ASSERT_TRUE(readOut());
    sim.engine.addFault({sim::Fault::hangUp(), 3, std::nullopt});
    auto& slider = *window->control<BitmapSlider>(3820);
    dragSlider(slider, pixelOf(slider, 23));
    const auto start = std::chrono::steady_clock::now();
    window->close();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(4));
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_FALSE(window->isVisible());
}

// Closing the main window ends the program also while the progress window shows.
TEST_F(MainWindowTest, ClosingTheWindowQuitsWhileTheProgressWindowShows) {
    open({});
    QCoreApplication::sendPostedEvents(window.get());
    window->startBar(5);
    bool quitting = false;
    QObject::connect(qApp, &QCoreApplication::aboutToQuit, [&] { quitting = true; });
    QTimer::singleShot(0, window.get(), [&] { window->close(); });
    QTimer::singleShot(5000, qApp, [] { QCoreApplication::exit(1); }); // a vetoed quit
    EXPECT_EQ(QApplication::exec(), 0);
    EXPECT_TRUE(quitting);
}

} // namespace
} // namespace kesmo::test
