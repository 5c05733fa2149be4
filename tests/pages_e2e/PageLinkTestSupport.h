#pragma once

#include "controls/EnTabCtrl.h"
#include "controls/FontStatic.h"
#include "shell/Show_Dlg.h"
#include "tests/shell/ShellTestSupport.h"

#include <QComboBox>
#include <cstdlib>
#include <gtest/gtest.h>
#include <span>

// One tab of the real main window, connected to the simulator and read out, in Full mode.
namespace kesmo::test {

// Where a screenshot of a page goes: KESMO_SHOT_DIR/<page>-english.png or -chinese.png, or an
// empty name when the variable is not set.
inline QString shotFile(const char* page, int languageMode) {
    const char* dir = std::getenv("KESMO_SHOT_DIR");
    if (dir == nullptr)
        return {};
    return QStringLiteral("%1/%2-%3.png")
        .arg(QString::fromLocal8Bit(dir), QString::fromLatin1(page),
             languageMode == 0 ? QStringLiteral("english") : QStringLiteral("chinese"));
}

// Peaking bands with these gains, from the EQ's first record on, for a curve worth looking at.
inline void setPeakingBands(sim::DeviceState& d, std::size_t eq,
                            std::span<const std::uint8_t> gains) {
    for (std::size_t i = 0; i < gains.size(); ++i) {
        d.working[eq + i * layout::eqband::kSize + layout::eqband::kType] = 1;
        d.working[eq + i * layout::eqband::kSize + layout::eqband::kGain] = gains[i];
    }
}

template <class Page, int kTab> class PageLinkTest : public ::testing::Test {
protected:
    void open(int languageMode = kDeliveredLanguageMode) {
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
                   window->template control<FontStatic>(3830)->text() !=
                       QStringLiteral("Off Line") &&
                   window->template control<FontStatic>(3830)->text() !=
                       QString::fromUtf8("脱机") &&
                   sim.engine.count(130) >= 1;
        }));
        // Full mode: every control of the page is usable.
        auto* mode = window->template control<QComboBox>(1025);
        mode->setFocus();
        QTest::keyClick(mode, Qt::Key_End);
        ASSERT_EQ(window->uiMode(), 1);
        auto* tabs = window->template control<EnTabCtrl>(1028);
        QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(kTab).center());
        page = static_cast<Page*>(window->page(kTab));
        ASSERT_TRUE(page->isVisible());
        // Typed values commit when the focus moves, which needs the window active.
        window->activateWindow();
        ASSERT_TRUE(waitFor([&] { return window->isActiveWindow(); }, 5000));
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
    void click(int buttonId) {
        QTest::mouseClick(page->control(buttonId), Qt::LeftButton);
        QCoreApplication::sendPostedEvents();
    }

    FreshModel model;
    AnsweringDialogs dialogs;
    ListCandidates candidates;
    SimDevice sim;
    std::unique_ptr<KesmoDlg> window;
    Page* page = nullptr;
};

} // namespace kesmo::test
