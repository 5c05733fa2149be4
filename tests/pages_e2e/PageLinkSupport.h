#pragma once

#include "controls/EnTabCtrl.h"
#include "controls/FontStatic.h"
#include "shell/Show_Dlg.h"
#include "tests/shell/ShellTestSupport.h"

#include <QComboBox>
#include <gtest/gtest.h>
#include <memory>

namespace kesmo::test {

// The real main window connected to the simulator, in Full mode, showing one tab.
class ConnectedWindowTest : public ::testing::Test {
protected:
    // Connects, waits for the working mode itself (not only for the progress window to close),
    // picks Full mode and clicks the tab.
    void openTab(int tab, int languageMode = kDeliveredLanguageMode) {
        candidates.serial = {sim.path()};
        KesmoSetup setup;
        setup.languageMode = languageMode;
        setup.candidates = &candidates;
        setup.clock = &noPauseClock();
        setup.screenSize = QSize(1920, 1080);
        window = std::make_unique<KesmoDlg>(setup);
        window->show();
        ASSERT_TRUE(waitFor([&] {
            return linkState().connected != 0 &&
                   window->progress()->face() == Show_Dlg::Face::Hidden &&
                   window->control<FontStatic>(3830)->text() != QStringLiteral("Off Line") &&
                   window->control<FontStatic>(3830)->text() != QString::fromUtf8("脱机") &&
                   sim.engine.count(130) >= 1;
        }));
        // Typed values commit when the focus leaves an edit: the window must hold the focus.
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
        auto* mode = window->control<QComboBox>(1025);
        mode->setFocus();
        QTest::keyClick(mode, Qt::Key_End);
        ASSERT_EQ(window->uiMode(), 1);
        auto* tabs = window->control<EnTabCtrl>(1028);
        QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(tab).center());
        ASSERT_TRUE(window->page(tab)->isVisible());
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
