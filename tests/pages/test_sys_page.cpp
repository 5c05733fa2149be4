#include "PageTestSupport.h"
#include "SysPageTestSupport.h"
#include "controls/BitmapSlider.h"
#include "controls/Edit_Static.h"
#include "controls/EnglishEdit.h"
#include "controls/SLamp.h"
#include "devicelink/Catalogue.h"
#include "devicelink/LinkState.h"
#include "pages/SysDlg.h"
#include "resources/Skin.h"
#include "tests/pages/PageTestApp.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QTest>
#include <cstdlib>
#include <gtest/gtest.h>
#include <string>

namespace kesmo {
namespace {

QString utf8(const char* text) {
    return QString::fromUtf8(text);
}

namespace sys = layout::system;

constexpr int kAuthorityEdit = 1023, kAuthorityOk = 1361, kStatus = 1412;
constexpr int kModeCombo = 2604, kNameEdit = 2614;
constexpr int kRecall = 1066, kStore = 1067, kExport = 1069, kImport = 1384, kExportAll = 1388,
              kImportAll = 1389;

struct Sent {
    int code, arg;
    bool operator==(const Sent&) const = default;
};

class SysPageTest : public ::testing::Test {
protected:
    void SetUp() override {
        linkState().reset();
        setField(sys::kSystemPassword, "abc123");
        setField(sys::kPanelPassword, "1234");
        page.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&page));
    }
    void TearDown() override { linkState().reset(); }

    SystemBlock& block() { return host.store().workingSystem; }
    void setField(std::size_t offset, const std::string& text) {
        for (std::size_t i = 0; i < text.size(); ++i)
            block().setByte(offset + i, static_cast<std::uint8_t>(text[i]));
    }
    static void setName(ModeImage& image, const std::string& name) {
        for (std::size_t i = 0; i < layout::image::kNameSize; ++i)
            image.setByte(i, static_cast<std::uint8_t>(i < name.size() ? name[i] : ' '));
    }
    static std::string nameOf(const ModeImage& image) {
        std::string s;
        for (std::size_t i = 0; i < layout::image::kNameSize; ++i)
            s.push_back(static_cast<char>(image.byte(i)));
        return s;
    }
    static std::string staged(std::size_t offset, std::size_t size) {
        std::string s;
        for (std::size_t i = 0; i < size; ++i)
            s.push_back(static_cast<char>(linkState().passwordStaging.at(offset + i).load()));
        return s;
    }

    void online(bool storeAllowed, int currentMode) {
        linkState().connected = 1;
        linkState().storeAllowed = storeAllowed ? 1 : 0;
        block().setByte(sys::kCurrentMode, static_cast<std::uint8_t>(currentMode));
        page.refresh();
    }

    QWidget* w(int id) { return page.control(id); }
    bool enabled(int id) { return page.control(id)->isEnabled(); }
    EnglishEdit* edit(int id) { return page.control<EnglishEdit>(id); }
    QComboBox* combo(int id) { return page.control<QComboBox>(id); }
    QString text(int id) { return controlText(page.control(id)); }

    void click(int id) { test::clickControl(page, id); }
    void type(int id, const QString& text) { test::typeInto(page, id, text); }
    void choose(int comboId, int index) { test::chooseItem(page, comboId, index); }
    void sliderKey(int id, Qt::Key key, int times = 1) {
        auto* slider = page.control<BitmapSlider>(id);
        slider->setFocus();
        for (int i = 0; i < times; ++i)
            QTest::keyClick(slider, key);
        QCoreApplication::sendPostedEvents(&page);
    }
    std::vector<Sent> sent() {
        std::vector<Sent> out;
        for (const auto& c : host.commands)
            out.push_back({c.code, c.arg});
        return out;
    }

    QApplication& application = test::pageTestApp();
    test::FakePageHost host;
    SysDlg page{host, nullptr};
};

TEST_F(SysPageTest, AuthorityStateTable) {
    struct Case {
        const char* situation;
        int connected, storeAllowed, bankValid, currentMode;
        const char* status;
        bool nameAndStore, imports, recallAndExportAll, authorityEdit;
    };
    const Case cases[] = {
        {"connected, authority, mode 3", 1, 1, 0, 3, "Store Allow", true, true, true, false},
        {"connected, authority, mode 16", 1, 1, 0, 16, "Store Allow", true, true, true, false},
        {"connected, authority, mode F1", 1, 1, 0, 17, "Store Allow", false, true, true, false},
        {"connected, no authority", 1, 0, 1, 3, "No Store Allow", false, false, true, true},
        {"offline with a bank", 0, 1, 1, 3, "No Store Allow", false, true, true, false},
        {"offline without a bank", 0, 0, 0, 3, "No Store Allow", false, true, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.situation);
        linkState().connected = c.connected;
        linkState().storeAllowed = c.storeAllowed;
        linkState().bankValid = static_cast<std::uint8_t>(c.bankValid);
        block().setByte(sys::kCurrentMode, static_cast<std::uint8_t>(c.currentMode));
        page.refresh();
        EXPECT_EQ(text(kStatus), c.status);
        EXPECT_EQ(enabled(kNameEdit), c.nameAndStore);
        EXPECT_EQ(enabled(kStore), c.nameAndStore);
        EXPECT_EQ(enabled(kImport), c.imports);
        EXPECT_EQ(enabled(kImportAll), c.imports);
        EXPECT_EQ(enabled(kRecall), c.recallAndExportAll);
        EXPECT_EQ(enabled(kExportAll), c.recallAndExportAll);
        EXPECT_EQ(enabled(kAuthorityEdit), c.authorityEdit);
        EXPECT_FALSE(enabled(kAuthorityOk));
        EXPECT_TRUE(enabled(kModeCombo));
        EXPECT_TRUE(enabled(kExport));
    }
}

TEST_F(SysPageTest, AuthorityNeedsTheExactPasswordAndShowsStoreAllowAtOnce) {
    online(false, 3);
    for (const char* wrong : {"ABC123", "abc12", "abc124", "bc123"}) {
        type(kAuthorityEdit, wrong);
        EXPECT_FALSE(enabled(kAuthorityOk)) << wrong;
    }
    type(kAuthorityEdit, "abc123");
    ASSERT_TRUE(enabled(kAuthorityOk));
    click(kAuthorityOk);
    EXPECT_EQ(sent(), (std::vector<Sent>{{codeValue(CommandCode::ChangeSystemPassword), 0}}));
    EXPECT_EQ(staged(passwordstaging::kNewSystemPassword, 6), "abc123");
    EXPECT_EQ(linkState().storeAllowed.load(), 1);
    EXPECT_EQ(text(kStatus), "Store Allow");
    EXPECT_TRUE(enabled(kStore));
    EXPECT_TRUE(enabled(kNameEdit));
    EXPECT_FALSE(enabled(kAuthorityEdit));
    EXPECT_FALSE(enabled(kAuthorityOk));
}

TEST_F(SysPageTest, AuthorityCheckNeverChangesAPaddedPassword) {
    setField(sys::kSystemPassword, " ab12 ");
    online(false, 3);
    type(kAuthorityEdit, "ab12");
    click(kAuthorityOk);
    // The frame carries the stored password as both old and new value.
    EXPECT_EQ(staged(passwordstaging::kNewSystemPassword, 6), " ab12 ");
}

struct ChainCase {
    const char* what;
    bool system;
    const char *oldText, *newText, *confirmText;
    bool newEnabled, confirmEnabled, modifyEnabled;
};

TEST_F(SysPageTest, PasswordChains) {
    const ChainCase cases[] = {
        {"system: wrong old password", true, "abc12", "", "", false, false, false},
        {"system: old password differs in case", true, "ABC123", "", "", false, false, false},
        {"system: 5-character new password", true, "abc123", "12345", "12345", true, false, false},
        {"system: confirm one character off", true, "abc123", "123456", "123457", true, true,
         false},
        {"system: exact match", true, "abc123", "123456", "123456", true, true, true},
        {"system: confirm differs in case", true, "abc123", "abcdef", "abcdeF", true, true, false},
        {"panel: 3-character new password", false, "1234", "987", "987", true, false, false},
        {"panel: confirm one character off", false, "1234", "9876", "9875", true, true, false},
        {"panel: exact match", false, "1234", "9876", "9876", true, true, true},
    };
    for (const ChainCase& c : cases) {
        SCOPED_TRACE(c.what);
        online(false, 1);
        const int oldEdit = c.system ? 2612 : 2610, newEdit = c.system ? 2613 : 2611,
                  confirm = c.system ? 1024 : 1369, modify = c.system ? 1065 : 1064;
        EXPECT_TRUE(enabled(oldEdit));
        EXPECT_FALSE(enabled(newEdit));
        type(oldEdit, c.oldText);
        type(newEdit, c.newText);
        type(confirm, c.confirmText);
        EXPECT_EQ(enabled(newEdit), c.newEnabled);
        EXPECT_EQ(enabled(confirm), c.confirmEnabled);
        EXPECT_EQ(enabled(modify), c.modifyEnabled);
    }
}

TEST_F(SysPageTest, EditingAnEarlierStepWithdrawsModify) {
    online(false, 1);
    type(2612, "abc123");
    type(2613, "123456");
    type(1024, "123456");
    ASSERT_TRUE(enabled(1065));
    QTest::keyClick(edit(2613), Qt::Key_Backspace);
    EXPECT_FALSE(enabled(1024));
    EXPECT_FALSE(enabled(1065));
    QTest::keyClicks(edit(2613), "6");
    EXPECT_TRUE(enabled(1065));
    QTest::keyClick(edit(2612), Qt::Key_Backspace);
    EXPECT_FALSE(enabled(2613));
    EXPECT_FALSE(enabled(1024));
    EXPECT_FALSE(enabled(1065));
}

TEST_F(SysPageTest, ModifyStagesTheNewPasswordAndResetsTheOtherGroup) {
    online(false, 1);
    type(2610, "1234");
    type(2612, "abc123");
    type(2613, "xy9876");
    type(1024, "xy9876");
    click(1065);
    EXPECT_EQ(sent(), (std::vector<Sent>{{codeValue(CommandCode::ChangeSystemPassword), 0}}));
    EXPECT_EQ(staged(passwordstaging::kNewSystemPassword, 6), "xy9876");
    EXPECT_EQ(edit(2613)->text(), "xy9876"); // its own group stays filled
    EXPECT_TRUE(edit(2610)->text().isEmpty());
    EXPECT_TRUE(enabled(2610));
    EXPECT_FALSE(enabled(2611));

    type(2610, "1234");
    type(2611, "4321");
    type(1369, "4321");
    click(1064);
    EXPECT_EQ(sent().back(), (Sent{codeValue(CommandCode::ChangePanelPassword), 0}));
    EXPECT_EQ(staged(passwordstaging::kNewPanelPassword, 4), "4321");
    EXPECT_TRUE(edit(2612)->text().isEmpty());
    EXPECT_TRUE(enabled(2612));
    EXPECT_FALSE(enabled(2613));
    EXPECT_FALSE(enabled(1065));
}

TEST_F(SysPageTest, OfflinePasswordEditsStayClosed) {
    page.refresh();
    for (int id : {2612, 2613, 1024, 1065, 2610, 2611, 1369, 1064, kAuthorityEdit, kAuthorityOk})
        EXPECT_FALSE(enabled(id)) << id;
}

TEST_F(SysPageTest, NoDeviceAndNoBankListsBareItems) {
    setName(host.store().storedMode(2), "Stored");
    setName(host.store().working, "  Working  ");
    page.refresh();
    QComboBox* modes = combo(kModeCombo);
    ASSERT_EQ(modes->count(), 21);
    for (int k = 1; k <= 16; ++k)
        EXPECT_EQ(modes->itemText(k - 1), QString("%1-").arg(k));
    for (int k = 1; k <= 5; ++k)
        EXPECT_EQ(modes->itemText(15 + k), QString("F%1-").arg(k));
    EXPECT_EQ(modes->currentIndex(), -1); // currentMode 0
    EXPECT_EQ(edit(kNameEdit)->text(), "Working");
    EXPECT_FALSE(enabled(kRecall));
    EXPECT_FALSE(enabled(kExportAll));
    EXPECT_TRUE(enabled(kImport));
    EXPECT_TRUE(enabled(kImportAll));
    click(kRecall);
    EXPECT_TRUE(host.commands.empty());
}

TEST_F(SysPageTest, ConnectedListNamesTheStoredModes) {
    setName(host.store().storedMode(2), "  Rock ");
    setName(host.store().storedMode(19), "Disco");
    online(false, 0);
    EXPECT_EQ(combo(kModeCombo)->itemText(1), "2-Rock");
    EXPECT_EQ(combo(kModeCombo)->itemText(18), "F3-Disco");
    EXPECT_EQ(block().byte(sys::kCurrentMode), 1); // an unknown mode becomes mode 1
    EXPECT_EQ(combo(kModeCombo)->currentIndex(), 0);
}

TEST_F(SysPageTest, ChoosingF3DisablesNameAndStoreEvenWithAuthority) {
    setName(host.store().storedMode(19), "Club");
    online(true, 2);
    ASSERT_TRUE(enabled(kStore));
    choose(kModeCombo, 18);
    EXPECT_EQ(page.selectedMode(), 19);
    EXPECT_FALSE(enabled(kNameEdit));
    EXPECT_FALSE(enabled(kStore));
    EXPECT_EQ(edit(kNameEdit)->text(), "Club");
    choose(kModeCombo, 15);
    EXPECT_TRUE(enabled(kStore));
}

TEST_F(SysPageTest, StoreWritesThePaddedNameAndListsItTrimmed) {
    online(true, 2);
    choose(kModeCombo, 3);
    type(kNameEdit, utf8("Hallé"));
    click(kStore);
    const std::string padded = std::string("Hall\xE9") + std::string(15, ' ');
    EXPECT_EQ(nameOf(host.store().storedMode(4)), padded);
    EXPECT_EQ(nameOf(host.store().working), padded);
    EXPECT_EQ(sent(), (std::vector<Sent>{{codeValue(CommandCode::ChangeSystemPassword), 0},
                                         {codeValue(CommandCode::WriteName), 4}}));
    EXPECT_EQ(staged(passwordstaging::kNewSystemPassword, 6), "abc123");
    EXPECT_EQ(block().byte(sys::kCurrentMode), 4);
    EXPECT_EQ(combo(kModeCombo)->itemText(3), utf8("4-Hallé"));
    EXPECT_EQ(combo(kModeCombo)->currentIndex(), 3);
}

TEST_F(SysPageTest, StoreDoesNothingWithoutAuthority) {
    online(false, 2);
    click(kStore);
    linkState().connected = 0;
    linkState().storeAllowed = 1;
    page.refresh();
    click(kStore);
    EXPECT_TRUE(host.commands.empty());
}

TEST_F(SysPageTest, ModeButtonsReachTheMainWindow) {
    online(true, 1);
    choose(kModeCombo, 4);
    click(kRecall);
    click(kExportAll);
    click(kExport);
    click(kImport);
    linkState().connected = 0;
    page.refresh();
    click(kImportAll);
    EXPECT_EQ(sent(), (std::vector<Sent>{{codeValue(CommandCode::RecallMode), 5},
                                         {codeValue(CommandCode::ReadSystemBlock), 0}}));
    EXPECT_EQ(host.files,
              (std::vector<std::string>{"exportAll", "exportMode", "importMode", "importAll"}));
}

TEST_F(SysPageTest, CombosWriteTheirFieldsAndSensitivityKeepsTheKeyBits) {
    block().setByte(sys::kSensitivityAndKey, 0xE0);
    page.refresh();
    struct Case {
        int combo, index;
        std::size_t offset;
        int expected;
    };
    const Case cases[] = {
        {2601, 1, sys::kSensitivityAndKey, 0xE1},
        {2601, 0, sys::kSensitivityAndKey, 0xE0},
        {2603, 6, sys::kInputSelect, 6},
        {2600, 1, sys::kRearMicPhantom, 1},
        {2602, 1, sys::kInfrared, 1},
    };
    for (const Case& c : cases) {
        choose(c.combo, c.index);
        EXPECT_EQ(block().byte(c.offset), c.expected) << c.combo;
    }
    EXPECT_EQ(combo(2603)->currentText(), "HDMI2");
}

TEST_F(SysPageTest, RefreshShowsTheSettingsOfTheBlock) {
    block().setByte(sys::kSensitivityAndKey, 0x71);
    block().setByte(sys::kVodGain, 0);
    block().setByte(sys::kBgmGain, 21);
    block().setByte(sys::kOptiGain, 40);
    block().setByte(sys::kMicMaxVolume, 60);
    block().setByte(sys::kInputSelect, 8);
    page.refresh();
    EXPECT_EQ(combo(2601)->currentText(), "H");
    EXPECT_EQ(combo(2603)->currentText(), "ARC");
    EXPECT_EQ(page.control<BitmapSlider>(2577)->getPos(), 7);
    EXPECT_EQ(text(2557), "0");
    EXPECT_FALSE(w(2577)->isVisible());
    EXPECT_FALSE(w(2511)->isVisible());
    EXPECT_EQ(text(2553), "-10.0");
    EXPECT_EQ(text(2554), "0.5");
    EXPECT_EQ(text(2556), "10.0");
    EXPECT_EQ(page.control<BitmapSlider>(2571)->getPos(), 60);
    EXPECT_EQ(text(2551), "60");
}

TEST_F(SysPageTest, MaximumsAndGainsWriteTheBlockAndMaximumsAskTheMainWindow) {
    page.refresh();
    sliderKey(2570, Qt::Key_PageUp, 2); // 70 -> 50 -> 30
    EXPECT_EQ(block().byte(sys::kEffectMaxVolume), 30);
    EXPECT_EQ(text(2550), "30");
    sliderKey(2571, Qt::Key_Home);
    sliderKey(2572, Qt::Key_Down);
    EXPECT_EQ(block().byte(sys::kMicMaxVolume), 0);
    EXPECT_EQ(block().byte(sys::kMusicMaxVolume), 83);
    EXPECT_EQ(host.lowered, (std::vector<int>{2, 2, 1, 0}));

    sliderKey(2576, Qt::Key_Up, 3);
    sliderKey(2573, Qt::Key_End);
    EXPECT_EQ(block().byte(sys::kOptiGain), 3);
    EXPECT_EQ(text(2556), "-8.5");
    EXPECT_EQ(block().byte(sys::kVodGain), 40);
    EXPECT_EQ(text(2553), "10.0");
    EXPECT_EQ(host.lowered.size(), 4u);
}

TEST_F(SysPageTest, EasyModeDisablesTheAdvancedSettingsOnly) {
    page.applyUiMode(0);
    for (int id : {2600, 2602, 2573, 2574, 2575, 2576, 2553, 2554, 2555, 2556})
        EXPECT_FALSE(enabled(id)) << id;
    for (int id : {2570, 2571, 2572, 2603, 2601, 2550})
        EXPECT_TRUE(enabled(id)) << id;
    const int before = block().byte(sys::kVodGain);
    sliderKey(2573, Qt::Key_End);
    EXPECT_EQ(block().byte(sys::kVodGain), before);
    page.applyUiMode(1);
    for (int id : {2600, 2602, 2573, 2576, 2556})
        EXPECT_TRUE(enabled(id)) << id;
}

TEST_F(SysPageTest, MetersFollowLevelsAndLimitsOnlyWhileConnected) {
    auto& lamps = linkState().lamps;
    for (std::size_t i = 0; i < 12; ++i) {
        lamps.levels[i] = static_cast<std::uint8_t>(110 + 6 * i);
        lamps.limits[i] = i % 2 == 0 ? 100 : 200;
    }
    lamps.levels[11] = 200;
    const auto meter = [&](int i) { return page.control<SLamp>(3900 + i); };

    page.lampsArrived(12);
    for (int i = 0; i < 12; ++i)
        EXPECT_FALSE(meter(i)->isLit(0)) << "offline meter " << i;

    online(false, 1);
    page.lampsArrived(12);
    page.lampsArrived(24);
    for (int i = 0; i < 12; ++i) {
        SCOPED_TRACE(i);
        EXPECT_TRUE(meter(i)->isLit(std::min(i, 15)));
        EXPECT_EQ(meter(i)->isLit(i + 1), i == 11);
        EXPECT_EQ(meter(i)->isLit(kLimitLamp), i % 2 == 0);
    }
    EXPECT_TRUE(meter(11)->isLit(kClipLamp));

    page.clearMeters();
    for (int i = 0; i < 12; ++i)
        for (int s = 0; s < kLampSegments; ++s)
            EXPECT_FALSE(meter(i)->isLit(s));
}

TEST_F(SysPageTest, EveryCaptionFitsItsControlInBothLanguages) {
    const int captions[] = {1365, 1368, 1366, 1361, 2513, 2512, 2592, 2590, 2593,
                            2591, 1370, 1371, 1065, 1064, 1367, 2514, 2515, 1066,
                            1067, 1069, 1384, 1388, 1389, 1362, 2500, 2501, 2502,
                            2503, 2504, 2505, 2506, 2507, 2508, 2509, 2510, kStatus};
    for (int language : {0, 1}) {
        host.language = language;
        for (int allowed : {0, 1}) {
            linkState().storeAllowed = allowed;
            page.refreshTexts();
            for (int id : captions) {
                const QString caption = text(id);
                EXPECT_FALSE(caption.isEmpty()) << id;
                EXPECT_LE(w(id)->fontMetrics().horizontalAdvance(caption),
                          w(id)->contentsRect().width())
                    << id << " cuts off " << caption.toStdString();
            }
        }
    }
}

TEST_F(SysPageTest, TextsFollowTheLanguageAndStatusFollowsTheAuthorityAlone) {
    host.language = 1;
    page.refreshTexts();
    EXPECT_EQ(text(1365), utf8("保存权限管理"));
    EXPECT_EQ(text(1066), utf8("调用设备模式"));
    EXPECT_EQ(text(2510), utf8("OPTI/HDMI1~3/ARC 输入增益"));
    EXPECT_EQ(text(kStatus), utf8("无保存权限"));
    linkState().storeAllowed = 1;
    page.refreshTexts();
    EXPECT_EQ(text(kStatus), utf8("有保存权限"));
    host.language = 0;
    page.refreshTexts();
    EXPECT_EQ(text(kStatus), "Store Allow");
    EXPECT_EQ(text(1365), "Save authority management ");
    EXPECT_EQ(text(1368), "Password modification ");
    EXPECT_EQ(text(2506), "VOD/BGM Sen");
}

// Both languages with lit meters; saved for a look when KESMO_SHOT_DIR names a folder.
TEST_F(SysPageTest, PagePaintsTheMeterPictureAndLitMetersInBothLanguages) {
    setName(host.store().storedMode(3), "Karaoke Night");
    auto& lamps = linkState().lamps;
    for (std::size_t i = 0; i < 12; ++i) {
        lamps.levels[i] = static_cast<std::uint8_t>(140 + 5 * i);
        lamps.limits[i] = i == 4 ? 100 : 200;
    }
    online(true, 3);
    page.lampsArrived(12);
    page.lampsArrived(24);
    page.resize(page.built().units().toPixels(QSize(715, 420)));
    QImage shots[2];
    for (int language : {0, 1}) {
        host.language = language;
        page.refreshTexts();
        shots[language] = page.grab().toImage();
        if (const char* dir = std::getenv("KESMO_SHOT_DIR"))
            shots[language].save(
                QString("%1/system-page-%2.png").arg(dir, language != 0 ? "chinese" : "english"));
    }
    const QRect meter = w(3900)->geometry();
    EXPECT_EQ(shots[0].pixel(meter.center().x(), meter.bottom() - 2) | 0xFF000000u, kLampBarColour);
    // The picture under the meters names them in the page's language.
    const QRect picture(QPoint(5, 6), skinBitmapSize(bitmap::kMetersChinese));
    EXPECT_NE(shots[0].copy(picture), shots[1].copy(picture));
    // The mode area starts below the picture and holds its controls.
    const QRect modes = w(1367)->geometry();
    EXPECT_GT(modes.top(), picture.bottom());
    for (int id :
         {2514, 2604, 2515, kNameEdit, kRecall, kStore, kExport, kImport, kExportAll, kImportAll})
        EXPECT_TRUE(modes.contains(w(id)->geometry())) << id;
}

} // namespace
} // namespace kesmo
