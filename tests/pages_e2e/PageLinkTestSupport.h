#pragma once

#include "controls/EnTabCtrl.h"
#include "controls/FontStatic.h"
#include "shell/Show_Dlg.h"
#include "tests/pages_e2e/PageLinkSupport.h"
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
        ASSERT_NO_FATAL_FAILURE(openOnDevice(window, sim, candidates, kTab, languageMode));
        page = static_cast<Page*>(window->page(kTab));
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
