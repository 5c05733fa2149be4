#include "pages/DEQ_Dlg.h"

#include <array>
#include <iterator>

namespace kesmo {

namespace {

constexpr int kBands = 3;

// Each band's captions, by the id of band 1; band k's control is that id + k. The band numbers
// keep their template texts.
constexpr PageText kBandCaptions[] = {
    {2200, "类型", "Type"},
    {2210, "频率(Hz)", "Freq(Hz)"},
    {2220, "增益(dB)", "Gain(dB)"},
    {2230, "Q值", "Q"},
    {2080, "压限启动电平", "Limit Level"},
    {2110, "压限启动时间(Atk)", "Attack Time(Atk)"},
    {2140, "压限释放时间", "Release Time"},
    {2170, "压缩比例", "Ratio"},
};

constexpr PageText kButtons[] = {
    {1064, "同步", "SYNC"},
    {1065, "音乐左", "Music Left"},
    {1066, "音乐右", "Music Right"},
    {1067, "EQ 重置", "EQ Reset"},
};

constexpr auto kTexts = [] {
    std::array<PageText, std::size(kBandCaptions) * kBands + std::size(kButtons)> out{};
    std::size_t n = 0;
    for (int k = 0; k < kBands; ++k)
        for (const PageText& t : kBandCaptions)
            out[n++] = {t.id + k, t.chinese, t.english};
    for (const PageText& t : kButtons)
        out[n++] = t;
    return out;
}();

} // namespace

DEQ_Dlg::DEQ_Dlg(PageHost& host, QWidget* parent) : PageDlg(144, host, parent) {}

std::span<const PageText> DEQ_Dlg::texts() const {
    return kTexts;
}

} // namespace kesmo
