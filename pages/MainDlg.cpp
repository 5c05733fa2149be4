#include "pages/MainDlg.h"

#include <array>

namespace kesmo {

namespace {

constexpr int kFirstTab = 4;
constexpr int kLastTab = 8;
constexpr int kCenterTab = 5;
constexpr int kSubTab = 6;

// SYNC, the channel buttons, R mute and the right delay: Center and SUB have no right channel.
constexpr int kPairOnly[] = {3700, 3701, 3702, 3706, 1283, 1284, 1416, 3730};

// EQ Pass keeps its text in both languages.
constexpr PageText kTexts[] = {
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

constexpr PageText kMainGroup[] = {
    {3701, "主左", "Main L"},
    {3702, "主右", "Main R"},
    {3705, "左静音", "L Mute"},
    {3706, "右静音", "R Mute"},
    {1267, "主输出压限", "Main Limit"},
    {1280, "左声道延时", "Left Delay"},
    {1283, "右声道延时", "Right Delay"},
};
constexpr PageText kCenterGroup[] = {
    {3705, "静音", "Mute"},
    {1267, "中置压限", "Center Limit"},
    {1280, "中置延时", "Center Delay"},
};
constexpr PageText kSubGroup[] = {
    {3705, "静音", "Mute"},
    {1267, "超低压限", "SUB Limit"},
    {1280, "超低延时", "SUB Delay"},
};
constexpr PageText kRearGroup[] = {
    {3701, "后左", "Rear L"},
    {3702, "后右", "Rear R"},
    {3705, "左静音", "L Mute"},
    {3706, "右静音", "R Mute"},
    {1267, "后置输出压限", "Rear Limit"},
    {1280, "左声道延时", "Left Delay"},
    {1283, "右声道延时", "Right Delay"},
};
constexpr PageText kSurroundGroup[] = {
    {3701, "环绕左", "Surround L"},
    {3702, "环绕右", "Surround R"},
    {3705, "左静音", "L Mute"},
    {3706, "右静音", "R Mute"},
    {1267, "环绕输出压限", "Surround Limit"},
    {1280, "左声道延时", "Left Delay"},
    {1283, "右声道延时", "Right Delay"},
};

// By tab, from tab 4.
constexpr std::array<std::span<const PageText>, kLastTab - kFirstTab + 1> kGroupTexts{
    kMainGroup, kCenterGroup, kSubGroup, kRearGroup, kSurroundGroup};

} // namespace

MainDlg::MainDlg(PageHost& host, QWidget* parent) : PageDlg(149, host, parent) {}

void MainDlg::showGroup(int tab) {
    if (tab >= kFirstTab && tab <= kLastTab)
        m_group = tab;
    const bool pair = m_group != kCenterTab && m_group != kSubTab;
    for (int id : kPairOnly)
        control(id)->setVisible(pair);
    refresh();
}

void MainDlg::refresh() {
    // A tab switch refreshes without re-applying texts, and the captions name the group.
    applyGroupTexts();
}

void MainDlg::refreshTexts() {
    PageDlg::refreshTexts();
    applyGroupTexts();
}

std::span<const PageText> MainDlg::texts() const {
    return kTexts;
}

std::span<const PageText> MainDlg::groupTexts(int tab) {
    if (tab < kFirstTab || tab > kLastTab)
        return {};
    return kGroupTexts[static_cast<std::size_t>(tab - kFirstTab)];
}

void MainDlg::applyGroupTexts() {
    applyTexts(groupTexts(m_group));
}

} // namespace kesmo
