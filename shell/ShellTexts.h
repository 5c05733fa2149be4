#pragma once

#include "shell/ConnectionControl.h"

#include <array>
#include <string>

// The main window's own texts in both languages, and the start-up language choice.
namespace kesmo {

inline constexpr int kTabCount = 10;
inline constexpr std::array<UiText, kTabCount> kTabTexts{{
    {"音乐", "Music"},
    {"动态均衡", "DEQ"},
    {"话筒", "Mic"},
    {"效果", "Effect"},
    {"主输出", "Main"},
    {"中置", "Center"},
    {"超低音", "SUB"},
    {"后置", "Rear"},
    {"环绕", "Surround"},
    {"系统", "System"},
}};

inline constexpr UiText kMusicVolumeText{"音乐音量", "Music Vol"};
inline constexpr UiText kMicVolumeText{"话筒音量", "Mic Vol"};
inline constexpr UiText kEffectVolumeText{"效果音量", "Effect Vol"};
// The language button names the other language.
inline constexpr UiText kLanguageButtonText{"English", "中文"};
inline constexpr UiText kWindowCaption{"Velqor SV-1.08", "Velqor SV-1.08"};
inline constexpr std::array<UiText, 2> kPageModeTexts{{
    {"简易模式", "Easy Mode"},
    {"全功能模式", "Full Mode"},
}};
inline constexpr UiText kConnectText{"联机", "Connect"};
inline constexpr UiText kDisconnectText{"断开", "Disconnect"};
inline constexpr UiText kOffLineText{"脱机", "Off Line"};
inline constexpr UiText kAboutEntryText{"关于(&A)...", "关于(&A)..."};

// The progress window's texts.
inline constexpr UiText kLookupText{"设备查找中", "Device lookup"};
inline constexpr UiText kLookupCaption{"设备查找中", "Device lookup "};
inline constexpr UiText kTransferCaption{"数据传输", "Data transmission"};
inline constexpr UiText kBusyText{"数据正在传输中", "Data transmission"};

// 0: English, button hidden; 1: Chinese, button hidden; 2: Chinese on a mainland-Chinese system
// locale, else English, button shown.
inline constexpr int kDeliveredLanguageMode = 0;

struct LanguageChoice {
    int languageFlag;
    bool buttonVisible;
};
// `systemLocale` is the system's default locale name, such as "zh_CN" or "en_US.UTF-8".
LanguageChoice chooseLanguage(int languageMode, const std::string& systemLocale);

// The program label of a connected window: "3:" or "F2:" and the working mode's name.
std::string programLabel(int programNumber, const std::string& modeName);

} // namespace kesmo
