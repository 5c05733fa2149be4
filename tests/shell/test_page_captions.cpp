#include "controls/BitButton.h"
#include "controls/EnTabCtrl.h"
#include "controls/FontStatic.h"
#include "pages/PageDlg.h"
#include "shell/Show_Dlg.h"
#include "tests/shell/ShellTestSupport.h"

#include <gtest/gtest.h>

namespace kesmo::test {
namespace {

constexpr int kTabs = 1028;
constexpr int kLanguageButton = 3832;

// The real window, read from the simulator, with the language button shown (English locale).
class PageCaptionsTest : public ::testing::Test {
protected:
    PageCaptionsTest() {
        candidates.serial = {sim.path()};
        KesmoSetup setup;
        setup.languageMode = 2;
        setup.systemLocale = "en_US";
        setup.candidates = &candidates;
        setup.clock = &noPauseClock();
        window = std::make_unique<KesmoDlg>(setup);
        window->show();
    }
    bool readOut() {
        return waitFor([&] {
            return linkState().connected != 0 &&
                   window->progress()->face() == Show_Dlg::Face::Hidden &&
                   sim.engine.count(130) >= 1 &&
                   window->control<FontStatic>(3830)->text() != QStringLiteral("Off Line");
        });
    }
    void clickTab(int tab) {
        auto* tabs = window->control<EnTabCtrl>(kTabs);
        QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(tab).center());
        ASSERT_EQ(window->currentPage(), tab);
    }
    void clickLanguage() { QTest::mouseClick(window->control(kLanguageButton), Qt::LeftButton); }
    std::string caption(int tab, int id) const {
        return controlText(window->page(tab)->control(id)).toStdString();
    }
    bool hidden(int tab, int id) const { return window->page(tab)->control(id)->isHidden(); }

    FreshModel model;
    AnsweringDialogs dialogs;
    ListCandidates candidates;
    SimDevice sim;
    std::unique_ptr<KesmoDlg> window;
};

TEST_F(PageCaptionsTest, PagesFollowTheLanguageButtonAndTheOutputTabs) {
    ASSERT_TRUE(window->languageButtonShown());
    ASSERT_TRUE(readOut());

    clickTab(5);
    EXPECT_EQ(caption(5, 1267), "Center Limit");
    EXPECT_EQ(caption(5, 3705), "Mute");
    EXPECT_TRUE(hidden(5, 3701));
    EXPECT_TRUE(hidden(5, 3730));

    clickLanguage();
    EXPECT_EQ(caption(5, 1267), "中置压限");
    EXPECT_EQ(caption(5, 1280), "中置延时");
    EXPECT_EQ(caption(1, 2080), "压限启动电平");
    EXPECT_EQ(caption(2, 3054), "压限器");
    EXPECT_EQ(caption(3, 1064), "回声A");

    clickTab(7);
    EXPECT_EQ(caption(7, 1267), "后置输出压限");
    EXPECT_EQ(caption(7, 3701), "后左");
    EXPECT_EQ(caption(7, 3705), "左静音");
    EXPECT_FALSE(hidden(7, 3701));
    EXPECT_FALSE(hidden(7, 3730));

    clickLanguage();
    EXPECT_EQ(caption(7, 1267), "Rear Limit");
    EXPECT_EQ(caption(7, 3702), "Rear R");
    EXPECT_EQ(caption(7, 1264), "Reverb Level");
    EXPECT_EQ(caption(1, 2172), "Ratio");
    EXPECT_EQ(caption(2, 3066), "Harmonic");
    EXPECT_EQ(caption(3, 1066), "Reverb");
    EXPECT_TRUE(dialogs.messages.empty());
}

} // namespace
} // namespace kesmo::test
