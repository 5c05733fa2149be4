#include "controls/BitButton.h"
#include "controls/EnTabCtrl.h"
#include "controls/FontStatic.h"
#include "pages/PageDlg.h"
#include "tests/shell/ShellTestSupport.h"

#include <QComboBox>
#include <QDialog>
#include <QImage>
#include <QLabel>
#include <gtest/gtest.h>

namespace kesmo::test {
namespace {

// Everything the window shows as text: tabs, top bar, the mode list and every page caption.
std::vector<std::string> shownTexts(const KesmoDlg& window) {
    std::vector<std::string> out;
    auto* tabs = window.control<EnTabCtrl>(1028);
    for (int i = 0; i < tabs->count(); ++i)
        out.push_back("tab " + tabs->tabText(i).toStdString());
    for (int id : {3800, 3801, 3802, 3830})
        out.push_back(window.control<FontStatic>(id)->text().toStdString());
    for (int id : {3831, 3832})
        out.push_back(window.control<BitButton>(id)->text().toStdString());
    auto* modes = window.control<QComboBox>(1025);
    for (int i = 0; i < modes->count(); ++i)
        out.push_back("mode " + modes->itemText(i).toStdString());
    out.push_back("selected " + std::to_string(modes->currentIndex()));
    out.push_back("caption " + window.windowTitle().toStdString());
    for (int tab : {0, 1, 2, 3, 4, 9})
        for (const QWidget* w : window.page(tab)->findChildren<QWidget*>())
            if (const QString t = controlText(w); !t.isEmpty())
                out.push_back(std::to_string(tab) + " " + t.toStdString());
    return out;
}

class WindowTextsTest : public ::testing::Test {
protected:
    void open(int languageMode, const std::string& locale, std::vector<std::string> serial = {}) {
        candidates.serial = std::move(serial);
        KesmoSetup setup;
        setup.languageMode = languageMode;
        setup.systemLocale = locale;
        setup.candidates = &candidates;
        setup.clock = &noPauseClock();
        setup.screenSize = QSize(1920, 1080);
        window = std::make_unique<KesmoDlg>(setup);
        window->show();
        QCoreApplication::sendPostedEvents(window.get());
    }
    void clickLanguage() { QTest::mouseClick(window->control<BitButton>(3832), Qt::LeftButton); }
    std::string tab(int i) const {
        return window->control<EnTabCtrl>(1028)->tabText(i).toStdString();
    }

    FreshModel model;
    AnsweringDialogs dialogs;
    ListCandidates candidates;
    std::unique_ptr<KesmoDlg> window;
};

TEST(LanguageChoice, ModesAndTheMainlandChineseLocale) {
    struct Case {
        int mode;
        const char* locale;
        int flag;
        bool button;
    } const cases[] = {
        {0, "zh_CN", 0, false},      {1, "en_US", 1, false}, {2, "zh_CN", 1, true},
        {2, "zh_CN.UTF-8", 1, true}, {2, "zh_TW", 0, true},  {2, "zh_CNX", 0, true},
        {2, "en_GB", 0, true},       {2, "", 0, true},
    };
    for (const Case& c : cases) {
        const LanguageChoice choice = chooseLanguage(c.mode, c.locale);
        EXPECT_EQ(choice.languageFlag, c.flag) << c.mode << " " << c.locale;
        EXPECT_EQ(choice.buttonVisible, c.button) << c.mode << " " << c.locale;
    }
}

TEST(ProgramLabel, NumbersAndFavourites) {
    EXPECT_EQ(programLabel(3, "Club"), "3:Club");
    EXPECT_EQ(programLabel(16, "A"), "16:A");
    EXPECT_EQ(programLabel(17, "B"), "F1:B");
    EXPECT_EQ(programLabel(18, "Live"), "F2:Live");
    EXPECT_EQ(programLabel(21, ""), "F5:");
}

TEST_F(WindowTextsTest, DeliveredModeIsEnglishWithoutTheLanguageButton) {
    open(kDeliveredLanguageMode, "zh_CN");
    EXPECT_EQ(window->languageFlag(), 0);
    EXPECT_FALSE(window->languageButtonShown());
    EXPECT_EQ(tab(0), "Music");
    EXPECT_EQ(tab(9), "System");
    EXPECT_EQ(window->windowTitle().toStdString(), "Velqor SV-1.08");
}

TEST_F(WindowTextsTest, ChineseSystemStartsInChineseWithTheButton) {
    open(2, "zh_CN");
    EXPECT_EQ(window->languageFlag(), 1);
    EXPECT_TRUE(window->languageButtonShown());
    EXPECT_EQ(tab(1), "动态均衡");
    EXPECT_EQ(window->control<FontStatic>(3800)->text().toStdString(), "音乐音量");
    EXPECT_EQ(window->control<BitButton>(3832)->text().toStdString(), "English");
    EXPECT_EQ(window->control<FontStatic>(3830)->text().toStdString(), "脱机");
    EXPECT_EQ(window->control<QComboBox>(1025)->itemText(1).toStdString(), "全功能模式");
}

TEST_F(WindowTextsTest, TheLanguageButtonTwiceRestoresEveryText) {
    open(2, "en_US");
    auto* modes = window->control<QComboBox>(1025);
    QTest::keyClick(modes, Qt::Key_Down); // Easy -> Full
    ASSERT_EQ(window->uiMode(), 1);
    const std::vector<std::string> before = shownTexts(*window);
    clickLanguage();
    EXPECT_EQ(tab(6), "超低音");
    EXPECT_EQ(modes->currentIndex(), 1);
    EXPECT_NE(shownTexts(*window), before);
    clickLanguage();
    EXPECT_EQ(shownTexts(*window), before);
    EXPECT_EQ(window->control<BitButton>(3832)->text().toStdString(), "中文");
}

TEST_F(WindowTextsTest, TheConnectButtonFollowsTheLanguageWhileConnected) {
    SimDevice sim;
    open(2, "en_US", {sim.path()});
    ASSERT_TRUE(waitFor(
        [&] { return window->control<BitButton>(3831)->text() == QStringLiteral("Disconnect"); }));
    const QString label = window->control<FontStatic>(3830)->text();
    clickLanguage();
    EXPECT_EQ(window->control<BitButton>(3831)->text().toStdString(), "断开");
    EXPECT_EQ(window->control<FontStatic>(3830)->text(), label);
    clickLanguage();
    EXPECT_EQ(window->control<BitButton>(3831)->text().toStdString(), "Disconnect");
}

TEST_F(WindowTextsTest, AboutBoxOpensFromF1) {
    open(0, "en_US");
    QTest::keyClick(window.get(), Qt::Key_F1);
    auto* about = window->findChild<QDialog*>();
    ASSERT_NE(about, nullptr);
    EXPECT_TRUE(about->isVisible());
    EXPECT_TRUE(about->isModal());
    about->close();
}

} // namespace
} // namespace kesmo::test
