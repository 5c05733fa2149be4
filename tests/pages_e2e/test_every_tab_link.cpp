#include "controls/BitButton.h"
#include "controls/BitmapSlider.h"
#include "controls/EnTabCtrl.h"
#include "devicelink/LinkState.h"
#include "pages/PageDlg.h"
#include "tests/pages_e2e/PageLinkSupport.h"

#include <QComboBox>
#include <gtest/gtest.h>
#include <mutex>
#include <vector>

namespace kesmo::test {
namespace {

constexpr int kTabs = 10;
constexpr int kDynamicEqTab = 1;

class EveryTabLinkTest : public ConnectedWindowTest {
protected:
    // Working image and system block as one byte list, read under the model lock.
    std::vector<std::uint8_t> model() {
        const std::lock_guard lock(modelLock());
        std::vector<std::uint8_t> bytes;
        const ParamStore& store = paramStore();
        for (std::size_t i = 0; i < layout::kModeImageSize; ++i)
            bytes.push_back(store.working.byte(i));
        for (std::size_t i = 0; i < layout::kSystemBlockSize; ++i)
            bytes.push_back(store.workingSystem.byte(i));
        return bytes;
    }
    std::vector<std::uint8_t> deviceBytes() const {
        const sim::DeviceState d = sim.engine.state();
        std::vector<std::uint8_t> bytes;
        for (std::size_t i = 0; i < layout::kModeImageSize; ++i)
            bytes.push_back(d.working[i]);
        for (std::size_t i = 0; i < layout::kSystemBlockSize; ++i)
            bytes.push_back(d.system[i]);
        return bytes;
    }

    void showTab(int tab) {
        auto* tabs = window->control<EnTabCtrl>(1028);
        QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(tab).center());
        QCoreApplication::sendPostedEvents();
        ASSERT_TRUE(window->page(tab)->isVisible()) << tab;
    }
    void chooseMode(int mode) {
        auto* modes = window->control<QComboBox>(1025);
        modes->setFocus();
        QTest::keyClick(modes, mode == 0 ? Qt::Key_Home : Qt::Key_End);
        QCoreApplication::sendPostedEvents();
        ASSERT_EQ(window->uiMode(), mode);
    }

    // One key on the first usable slider of the shown page that changes the model (the strip
    // window's trackbar, say, does not). Whether an edit was made.
    bool editOnce(PageDlg& page) {
        const std::vector<std::uint8_t> before = model();
        for (BitmapSlider* slider : page.findChildren<BitmapSlider*>()) {
            if (!slider->isVisible() || !slider->isEnabled() || !slider->isSliderEnabled())
                continue;
            for (const Qt::Key key : {Qt::Key_Up, Qt::Key_Down}) {
                slider->setFocus();
                QTest::keyClick(slider, key);
                QCoreApplication::sendPostedEvents();
                if (model() != before)
                    return true;
            }
        }
        return false;
    }
};

// Both languages, both page modes, every tab: one edit each, then the simulator holds exactly
// the editor's working copy.
TEST_F(EveryTabLinkTest, OneEditOnEveryTabReachesTheDeviceAndNothingElseDoes) {
    ASSERT_NO_FATAL_FAILURE(openTab(0, 2));
    const int firstLanguage = window->languageFlag();
    int edits = 0;
    std::vector<int> languages;
    for (int language = 0; language < 2; ++language) {
        languages.push_back(window->languageFlag());
        for (const int mode : {0, 1}) {
            ASSERT_NO_FATAL_FAILURE(chooseMode(mode));
            for (int tab = 0; tab < kTabs; ++tab) {
                SCOPED_TRACE(testing::Message() << "language " << window->languageFlag()
                                                << ", mode " << mode << ", tab " << tab);
                ASSERT_NO_FATAL_FAILURE(showTab(tab));
                const bool edited = editOnce(*window->page(tab));
                // Easy mode leaves the dynamic EQ page unresponsive.
                EXPECT_EQ(edited, !(mode == 0 && tab == kDynamicEqTab));
                edits += edited;
            }
        }
        QTest::mouseClick(window->control<BitButton>(3832), Qt::LeftButton);
        QCoreApplication::sendPostedEvents();
    }
    EXPECT_EQ(languages, (std::vector<int>{firstLanguage, 1 - firstLanguage}));
    EXPECT_EQ(window->languageFlag(), firstLanguage);
    EXPECT_EQ(edits, 2 * (2 * kTabs - 1));
    ASSERT_TRUE(waitFor([&] { return deviceBytes() == model(); }));
    const std::vector<std::uint8_t> device = deviceBytes();
    const std::vector<std::uint8_t> working = model();
    for (std::size_t i = 0; i < working.size(); ++i)
        EXPECT_EQ(device[i], working[i]) << "byte " << i;
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_NE(linkState().connected, 0);
}

} // namespace
} // namespace kesmo::test
