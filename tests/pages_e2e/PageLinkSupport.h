#pragma once

#include "controls/EnTabCtrl.h"
#include "controls/FontStatic.h"
#include "shell/Show_Dlg.h"
#include "tests/shell/ShellTestSupport.h"

#include <QComboBox>
#include <gtest/gtest.h>
#include <memory>

namespace kesmo::test {

// A main window connected to the simulator, in Full mode (every control of a page usable), on
// the given tab. It waits for the working mode itself (the program label names it), not only
// for the progress bar to close. Call through ASSERT_NO_FATAL_FAILURE.
inline void openOnDevice(std::unique_ptr<KesmoDlg>& window, SimDevice& sim,
                         ListCandidates& candidates, int tab, int languageMode) {
    candidates.serial = {sim.path()};
    KesmoSetup setup;
    setup.languageMode = languageMode;
    setup.candidates = &candidates;
    setup.clock = &noPauseClock();
    setup.screenSize = QSize(1920, 1080);
    window = std::make_unique<KesmoDlg>(setup);
    window->show();
    KesmoDlg& w = *window;
    ASSERT_TRUE(waitFor([&] {
        const QString program = w.control<FontStatic>(3830)->text();
        return linkState().connected != 0 && w.progress()->face() == Show_Dlg::Face::Hidden &&
               program != QStringLiteral("Off Line") && program != QString::fromUtf8("脱机") &&
               sim.engine.count(130) >= 1;
    }));
    // Typed values commit when the focus leaves an edit: the window must hold the focus.
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    auto* mode = w.control<QComboBox>(1025);
    mode->setFocus();
    QTest::keyClick(mode, Qt::Key_End);
    ASSERT_EQ(w.uiMode(), 1);
    auto* tabs = w.control<EnTabCtrl>(1028);
    QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(tab).center());
    ASSERT_TRUE(w.page(tab)->isVisible());
    w.activateWindow();
    ASSERT_TRUE(waitFor([&] { return w.isActiveWindow(); }, 5000));
}

// The real main window connected to the simulator, in Full mode, showing one tab.
class ConnectedWindowTest : public ::testing::Test {
protected:
    void openTab(int tab, int languageMode = kDeliveredLanguageMode) {
        openOnDevice(window, sim, candidates, tab, languageMode);
    }

    sim::DeviceState device() const { return sim.engine.state(); }
    ModeImage& working() { return paramStore().working; }
    bool deviceHolds(std::size_t offset, std::size_t size) {
        const sim::DeviceState d = device();
        for (std::size_t i = 0; i < size; ++i)
            if (d.working[offset + i] != working().byte(offset + i))
                return false;
        return true;
    }
    bool deviceHoldsWorkingImage() { return deviceHolds(0, layout::kModeImageSize); }

    FreshModel model;
    AnsweringDialogs dialogs;
    ListCandidates candidates;
    SimDevice sim;
    std::unique_ptr<KesmoDlg> window;
};

} // namespace kesmo::test
