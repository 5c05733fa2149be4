#include "pages/DEQ_Dlg.h"
#include "pages/Effect_Dlg.h"
#include "pages/MainDlg.h"
#include "pages/Mic_Dlg.h"
#include "pages/PageDlg.h"
#include "tests/controls/WidgetTestSupport.h"
#include "tests/pages/PageTestSupport.h"

#include <QTest>
#include <algorithm>
#include <cstdlib>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace kesmo {
namespace {

using Table = std::span<const PageText>;

// Created before any test and never destroyed: a static one would be destroyed at exit after
// Qt's own globals and crash once a window has been shown.
[[maybe_unused]] QApplication& application = test::app();

// What each caption must show, written out independently of the pages' own tables.
constexpr PageText kDynamicEq[] = {
    {2200, "类型", "Type"},
    {2201, "类型", "Type"},
    {2202, "类型", "Type"},
    {2210, "频率(Hz)", "Freq(Hz)"},
    {2211, "频率(Hz)", "Freq(Hz)"},
    {2212, "频率(Hz)", "Freq(Hz)"},
    {2220, "增益(dB)", "Gain(dB)"},
    {2221, "增益(dB)", "Gain(dB)"},
    {2222, "增益(dB)", "Gain(dB)"},
    {2230, "Q值", "Q"},
    {2231, "Q值", "Q"},
    {2232, "Q值", "Q"},
    {2080, "压限启动电平", "Limit Level"},
    {2081, "压限启动电平", "Limit Level"},
    {2082, "压限启动电平", "Limit Level"},
    {2110, "压限启动时间(Atk)", "Attack Time(Atk)"},
    {2111, "压限启动时间(Atk)", "Attack Time(Atk)"},
    {2112, "压限启动时间(Atk)", "Attack Time(Atk)"},
    {2140, "压限释放时间", "Release Time"},
    {2141, "压限释放时间", "Release Time"},
    {2142, "压限释放时间", "Release Time"},
    {2170, "压缩比例", "Ratio"},
    {2171, "压缩比例", "Ratio"},
    {2172, "压缩比例", "Ratio"},
    {1064, "同步", "SYNC"},
    {1065, "音乐左", "Music Left"},
    {1066, "音乐右", "Music Right"},
    {1067, "EQ 重置", "EQ Reset"},
};
constexpr PageText kDynamicEqKept[] = {{2020, "1", "1"}, {2021, "2", "2"}, {2022, "3", "3"}};

constexpr PageText kMic[] = {
    {1394, "类型", "Type"},
    {1395, "增益(dB)", "Gain(dB)"},
    {1396, "频率(Hz)", "Freq(Hz)"},
    {1397, "Q值", "Q"},
    {1064, "同步", "SYNC"},
    {1065, "话筒1", "Mic 1"},
    {1066, "话筒2", "Mic 2"},
    {1067, "EQ 重置", "EQ Reset"},
    {3041, "高通", "HPF"},
    {3043, "低通", "LPF"},
    {3044, "话筒电平", "Mic Level"},
    {3046, "啸叫抑制", "Feedback"},
    {3047, "噪声门", "NoiseGate"},
    {3048, "启动电平", "Threshold"},
    {3050, "启动时间", "Attack Time"},
    {3052, "释放时间", "Release Time"},
    {3063, "低音激励", "Low Exciter"},
    {3064, "频率", "Freq"},
    {3066, "谐波量", "Harmonic"},
    {3067, "音品", "Timbre"},
    {3054, "压限器", "Limit"},
    {3055, "压限启动电平", "Limit Level"},
    {3057, "压限启动时间(Atk)", "Attack Time(Atk)"},
    {3059, "压限释放时间", "Release Time"},
    {3061, "压缩比例", "Ratio"},
    {3068, "高音激励", "High Exciter"},
    {3069, "频率", "Freq"},
    {3071, "谐波量", "Harmonic"},
    {3072, "音品", "Timbre"},
};
constexpr PageText kMicKept[] = {{1068, "EQ Bypass", "EQ Bypass"}};

constexpr PageText kEffect[] = {
    {1064, "回声A", "EchoA"},
    {1065, "回声B", "EchoB"},
    {1066, "混响", "Reverb"},
};

constexpr PageText kOutput[] = {
    {1406, "类型", "Type"},
    {1407, "增益(dB)", "Gain(dB)"},
    {1408, "频率(Hz)", "Freq(Hz)"},
    {1409, "Q值", "Q"},
    {3700, "同步", "SYNC"},
    {3703, "EQ重置", "EQ Reset"},
    {3707, "自动", "Auto"},
    {3708, "唱歌", "Sing"},
    {3709, "热舞", "Disco"},
    {3710, "解码", "Decode"},
    {1252, "音乐电平", "Music Level"},
    {1255, "话筒电平", "Mic Level"},
    {1258, "回声A电平", "EchoA Level"},
    {1261, "回声B电平", "EchoB Level"},
    {1264, "混响电平", "Reverb Level"},
    {1268, "压限启动电平", "Limit Level"},
    {1271, "压限启动时间", "Attack Time"},
    {1274, "压限释放时间", "Release Time"},
    {1277, "压缩比例", "Ratio"},
    {1286, "高通", "HPF"},
    {1410, "低通", "LPF"},
};
constexpr PageText kOutputKept[] = {{3704, "EQ Pass", "EQ Pass"}};

struct GroupCase {
    int tab;
    const char* name;
    bool pair; // a left/right pair, not a single channel
    std::vector<PageText> texts;
};

// What a single channel does not show: link, channel buttons, R mute and the right delay.
constexpr int kPairControls[] = {3700, 3701, 3702, 3706, 1283, 1284, 1416, 3730};

const GroupCase kGroups[] = {
    {4,
     "main",
     true,
     {{3701, "主左", "Main L"},
      {3702, "主右", "Main R"},
      {3705, "左静音", "L Mute"},
      {3706, "右静音", "R Mute"},
      {1267, "主输出压限", "Main Limit"},
      {1280, "左声道延时", "Left Delay"},
      {1283, "右声道延时", "Right Delay"}}},
    {5,
     "center",
     false,
     {{3705, "静音", "Mute"},
      {1267, "中置压限", "Center Limit"},
      {1280, "中置延时", "Center Delay"}}},
    {6,
     "sub",
     false,
     {{3705, "静音", "Mute"}, {1267, "超低压限", "SUB Limit"}, {1280, "超低延时", "SUB Delay"}}},
    {7,
     "rear",
     true,
     {{3701, "后左", "Rear L"},
      {3702, "后右", "Rear R"},
      {3705, "左静音", "L Mute"},
      {3706, "右静音", "R Mute"},
      {1267, "后置输出压限", "Rear Limit"},
      {1280, "左声道延时", "Left Delay"},
      {1283, "右声道延时", "Right Delay"}}},
    {8,
     "surround",
     true,
     {{3701, "环绕左", "Surround L"},
      {3702, "环绕右", "Surround R"},
      {3705, "左静音", "L Mute"},
      {3706, "右静音", "R Mute"},
      {1267, "环绕输出压限", "Surround Limit"},
      {1280, "左声道延时", "Left Delay"},
      {1283, "右声道延时", "Right Delay"}}},
};

const GroupCase& groupOf(int tab) {
    return *std::find_if(std::begin(kGroups), std::end(kGroups),
                         [tab](const GroupCase& g) { return g.tab == tab; });
}

constexpr int kLanguages[] = {1, 0, 1};

std::string textFor(const PageText& t, int language) {
    return language != 0 ? t.chinese : t.english;
}

void expectShows(const PageDlg& page, Table rows, int language) {
    for (const PageText& t : rows) {
        const QWidget* control = page.control(t.id);
        ASSERT_NE(control, nullptr) << "no control " << t.id;
        EXPECT_EQ(controlText(control).toStdString(), textFor(t, language))
            << "control " << t.id << ", language " << language;
    }
}

// A caption wider than its control is cut off on screen.
void expectFits(const PageDlg& page, Table rows, int language) {
    for (const PageText& t : rows) {
        const QWidget* control = page.control(t.id);
        ASSERT_NE(control, nullptr) << "no control " << t.id;
        const QString text = QString::fromStdString(textFor(t, language));
        EXPECT_LE(control->fontMetrics().horizontalAdvance(text), control->contentsRect().width())
            << "control " << t.id << " cuts off " << text.toStdString();
    }
}

// A page's own table names only controls of its template, each once, and exactly the expected
// ones: a row the template lacks would set nothing and go unseen.
void expectTableMatches(const PageDlg& page, Table own, Table expected) {
    for (const PageText& t : own)
        EXPECT_NE(page.built().source()->control(t.id), nullptr)
            << "template " << page.built().source()->id << " has no control " << t.id;
    auto ids = [](Table rows) {
        std::vector<int> out;
        for (const PageText& t : rows)
            out.push_back(t.id);
        std::sort(out.begin(), out.end());
        return out;
    };
    EXPECT_EQ(ids(own), ids(expected));
}

void expectPairControls(const PageDlg& page, const GroupCase& g) {
    for (int id : kPairControls)
        EXPECT_EQ(page.control(id)->isHidden(), !g.pair) << g.name << ", control " << id;
}

void applyLanguage(test::FakePageHost& host, PageDlg& page, int language) {
    host.language = language;
    page.refreshTexts();
}

// With KESMO_SHOT_PREFIX set, the page is saved as <prefix><name>-english.png or -chinese.png.
void saveShot(PageDlg& page, const std::string& name, int language) {
    const char* prefix = std::getenv("KESMO_SHOT_PREFIX");
    if (prefix == nullptr)
        return;
    const std::string file = prefix + name + (language != 0 ? "-chinese.png" : "-english.png");
    EXPECT_TRUE(page.grab().save(QString::fromStdString(file))) << file;
}

struct PageCase {
    const char* name;
    std::unique_ptr<PageDlg> (*make)(PageHost&);
    Table (*table)(const PageDlg&);
    Table expected;
    Table kept;
};

template <class Page> PageCase pageCase(const char* name, Table expected, Table kept = {}) {
    return {name,
            [](PageHost& host) -> std::unique_ptr<PageDlg> {
                return std::make_unique<Page>(host, nullptr);
            },
            [](const PageDlg& page) { return static_cast<const Page&>(page).texts(); }, expected,
            kept};
}

class PageTexts : public testing::TestWithParam<PageCase> {};

TEST_P(PageTexts, EveryCaptionFollowsTheLanguageBothWays) {
    const PageCase& c = GetParam();
    test::FakePageHost host;
    const std::unique_ptr<PageDlg> page = c.make(host);
    page->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(page.get()));
    expectTableMatches(*page, c.table(*page), c.expected);
    for (int language : kLanguages) {
        applyLanguage(host, *page, language);
        expectShows(*page, c.expected, language);
        expectShows(*page, c.kept, language);
        expectFits(*page, c.expected, language);
    }
    saveShot(*page, c.name, 1);
    applyLanguage(host, *page, 0);
    saveShot(*page, c.name, 0);
}

INSTANTIATE_TEST_SUITE_P(Pages, PageTexts,
                         testing::Values(pageCase<DEQ_Dlg>("deq", kDynamicEq, kDynamicEqKept),
                                         pageCase<Mic_Dlg>("mic", kMic, kMicKept),
                                         pageCase<Effect_Dlg>("effect", kEffect),
                                         pageCase<MainDlg>("output", kOutput, kOutputKept)),
                         [](const testing::TestParamInfo<PageCase>& param) {
                             return std::string(param.param.name);
                         });

class OutputGroupTexts : public testing::TestWithParam<GroupCase> {};

TEST_P(OutputGroupTexts, GroupCaptionsFollowTheLanguageBothWays) {
    const GroupCase& g = GetParam();
    test::FakePageHost host;
    MainDlg page(host, nullptr);
    page.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&page));
    expectTableMatches(page, MainDlg::groupTexts(g.tab), g.texts);
    page.showGroup(g.tab);
    ASSERT_EQ(page.group(), g.tab);
    expectPairControls(page, g);
    for (int language : kLanguages) {
        applyLanguage(host, page, language);
        expectShows(page, g.texts, language);
        expectShows(page, kOutput, language);
        expectFits(page, g.texts, language);
    }
    saveShot(page, std::string("output-") + g.name, 1);
    applyLanguage(host, page, 0);
    saveShot(page, std::string("output-") + g.name, 0);
}

INSTANTIATE_TEST_SUITE_P(Groups, OutputGroupTexts, testing::ValuesIn(kGroups),
                         [](const testing::TestParamInfo<GroupCase>& param) {
                             return std::string(param.param.name);
                         });

// The main window switches tabs with showGroup and a refresh, never re-applying texts: the
// captions must follow the group all the same, in the language in force, and a pair's controls
// come back after a single channel hid them.
TEST(OutputGroupSwitch, CaptionsAndPairControlsFollowEveryTabSwitch) {
    test::FakePageHost host;
    MainDlg page(host, nullptr);
    for (int language : kLanguages) {
        applyLanguage(host, page, language);
        for (int tab : {5, 7, 4, 6, 8, 4}) {
            page.showGroup(tab);
            expectShows(page, groupOf(tab).texts, language);
            expectPairControls(page, groupOf(tab));
        }
    }
}

TEST(OutputGroupSwitch, TabsOutsideTheOutputsKeepTheGroup) {
    test::FakePageHost host;
    MainDlg page(host, nullptr);
    page.showGroup(7);
    for (int tab : {3, 9, -1, 0}) {
        page.showGroup(tab);
        EXPECT_EQ(page.group(), 7) << tab;
        expectShows(page, groupOf(7).texts, 0);
        expectPairControls(page, groupOf(7));
    }
}

} // namespace
} // namespace kesmo
