#include "pages/Mic_Dlg.h"

namespace kesmo {

namespace {
// EQ Bypass keeps its text in both languages.
constexpr PageText kTexts[] = {
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
} // namespace

Mic_Dlg::Mic_Dlg(PageHost& host, QWidget* parent) : PageDlg(145, host, parent) {}

std::span<const PageText> Mic_Dlg::texts() const {
    return kTexts;
}

} // namespace kesmo
