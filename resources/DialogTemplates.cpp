#include "resources/DialogTemplate.h"

#include <algorithm>
#include <array>
#include <initializer_list>
#include <map>
#include <tuple>

// Where the original gives a control's rectangle it is used as given; the other controls of a
// column are stacked by Column in the column the original describes.
namespace kesmo {

namespace {

using K = ControlKind;

constexpr int kNoId = -1; // a caption the program never addresses

QString u(const char* text) {
    return QString::fromUtf8(text);
}

class Writer {
public:
    explicit Writer(DialogTemplate& t) : m_t(t) {}
    void add(int id, K kind, int x, int y, int w, int h, const char* text = "",
             QStringList items = {}) {
        m_t.controls.push_back({id, kind, QRect(x, y, w, h), u(text), std::move(items)});
    }
    DialogTemplate& target() { return m_t; }

private:
    DialogTemplate& m_t;
};

// Captioned rows stacked top to bottom in one column of a page.
class Column {
public:
    static constexpr int kSliderWidth = 100; // the page sliders' channel bitmap is 175 px wide
    static constexpr int kSliderHeight = 9;

    Column(Writer& w, int x, int width, int y) : m_w(w), m_x(x), m_width(width), m_y(y) {}

    int y() const { return m_y; }
    void skip(int du) { m_y += du; }

    void beginGroup(int id, const char* title) {
        m_groupIndex = m_w.target().controls.size();
        m_w.add(id, K::GroupBox, m_x, m_y, m_width, 0, title);
        m_y += 10;
    }
    void endGroup() {
        ControlTemplate& group = m_w.target().controls[m_groupIndex];
        group.rect.setHeight(m_y - group.rect.y() + 2);
        m_groupIndex = kNone;
        m_y += 4;
    }

    // caption, value label at the right, slider below; an optional toggle right of the slider.
    void slider(int captionId, const char* caption, int labelId, int sliderId, int toggleId = 0) {
        // A unit of space between caption and label: their pixel edges round apart.
        if (*caption) {
            m_w.add(captionId, K::Label, inner(), m_y, innerWidth() - 35, 8, caption);
        }
        if (labelId) {
            m_w.add(labelId, K::ValueLabel, inner() + innerWidth() - 34, m_y, 34, 8);
        }
        m_w.add(sliderId, K::BitmapSlider, inner(), m_y + 9, kSliderWidth, kSliderHeight);
        if (toggleId) {
            m_w.add(toggleId, K::Button, inner() + kSliderWidth + 2, m_y + 8, 10, 11);
        }
        m_y += 21;
    }
    // caption and slope list, frequency edit, slider.
    void filter(int captionId, const char* caption, int comboId, int editId, int sliderId) {
        // Inside a group that carries the caption the list takes the whole line.
        const int indent = *caption ? 36 : 0;
        if (*caption) {
            m_w.add(captionId, K::Label, inner(), m_y + 2, 34, 8, caption);
        }
        m_w.add(comboId, K::DropDownList, inner() + indent, m_y, innerWidth() - indent, 120, "",
                slopeItems());
        frequency(editId, sliderId, m_y + 14);
    }
    // Inside a group: the slope list and the frequency edit on one line, the slider below.
    void groupFilter(int comboId, int editId, int sliderId) {
        constexpr int kEditWidth = 38;
        m_w.add(comboId, K::DropDownList, inner(), m_y, innerWidth() - kEditWidth - 2, 120, "",
                slopeItems());
        m_w.add(editId, K::NumEdit, inner() + innerWidth() - kEditWidth, m_y, kEditWidth, 12);
        m_w.add(sliderId, K::BitmapSlider, inner(), m_y + 15, kSliderWidth, kSliderHeight);
        m_y += 26;
    }
    // caption and frequency edit, slider below.
    void frequency(int captionId, const char* caption, int editId, int sliderId) {
        m_w.add(captionId, K::Label, inner(), m_y + 2, 34, 8, caption);
        frequency(editId, sliderId, m_y);
    }
    void combo(int captionId, const char* caption, int comboId, QStringList items) {
        m_w.add(captionId, K::Label, inner(), m_y + 2, innerWidth() / 2, 8, caption);
        m_w.add(comboId, K::DropDownList, inner() + innerWidth() / 2, m_y, innerWidth() / 2, 100,
                "", std::move(items));
        m_y += 15;
    }

private:
    void frequency(int editId, int sliderId, int y) {
        m_w.add(editId, K::NumEdit, inner() + 36, y, 44, 12);
        m_w.add(sliderId, K::BitmapSlider, inner(), y + 14, kSliderWidth, kSliderHeight);
        m_y = y + 26;
    }
    bool inGroup() const { return m_groupIndex != kNone; }
    int inner() const { return m_x + (inGroup() ? 4 : 0); }
    int innerWidth() const { return m_width - (inGroup() ? 8 : 0); }

    static constexpr std::size_t kNone = static_cast<std::size_t>(-1);
    Writer& m_w;
    int m_x;
    int m_width;
    int m_y;
    std::size_t m_groupIndex = kNone;
};

DialogTemplate page(int id, int width, int height) {
    return {id, QSize(width, height), QStringLiteral("Arial"), 9, QString(), {}};
}

// The four captions left of a row of band strips, level with the strip's rows.
void stripRowCaptions(Writer& w, int firstId) {
    w.add(firstId, K::Label, 2, 17, 30, 8, "类型");
    w.add(firstId + 1, K::Label, 2, 31, 30, 8, "增益(dB)");
    w.add(firstId + 2, K::Label, 2, 117, 30, 8, "频率(Hz)");
    w.add(firstId + 3, K::Label, 2, 131, 30, 8, "Q值");
}

struct Group {
    int id;
    const char* title;
};
struct SliderRow {
    int caption;
    const char* text;
    int label;
    int slider;
};
struct ExciterIds {
    int group;
    const char* title;
    int frequencyCaption, frequencyEdit, frequencySlider;
    int harmonicCaption, harmonicList;
    int timbreCaption, timbreList;
};

// A dynamics group (noise gate or limiter) over an exciter group, as the music and microphone
// pages have them.
void dynamicsColumn(Writer& w, int x, int width, Group dynamics,
                    std::initializer_list<SliderRow> rows, const ExciterIds& exciter) {
    Column c(w, x, width, 2);
    c.beginGroup(dynamics.id, dynamics.title);
    for (const SliderRow& r : rows) {
        c.slider(r.caption, r.text, r.label, r.slider);
    }
    c.endGroup();
    c.beginGroup(exciter.group, exciter.title);
    c.frequency(exciter.frequencyCaption, "频率", exciter.frequencyEdit, exciter.frequencySlider);
    c.combo(exciter.harmonicCaption, "谐波量", exciter.harmonicList, exciterLevelItems());
    c.combo(exciter.timbreCaption, "音品", exciter.timbreList, exciterLevelItems());
    c.endGroup();
}

DialogTemplate mainWindow() {
    DialogTemplate t{102, QSize(723, 373), QStringLiteral("Arial"), 9, u("Velqor SV-1.08"), {}};
    Writer w(t);
    // Captions run up to their sliders: "Music Vol" needs more than the original 18 units.
    w.add(3800, K::Label, 4, 3, 33, 8, "音乐音量");
    w.add(3820, K::BitmapSlider, 38, 2, 67, 11);
    w.add(3810, K::ValueLabel, 109, 3, 10, 8);
    w.add(4000, K::Button, 123, 2, 10, 10);
    w.add(3801, K::Label, 144, 3, 29, 8, "话筒音量");
    w.add(3821, K::BitmapSlider, 174, 2, 67, 11);
    w.add(3811, K::ValueLabel, 246, 3, 10, 8);
    w.add(4002, K::Button, 262, 2, 10, 10);
    w.add(3802, K::Label, 282, 3, 41, 8, "效果音量");
    w.add(3822, K::BitmapSlider, 324, 2, 67, 11);
    w.add(3812, K::ValueLabel, 396, 3, 10, 8);
    w.add(4001, K::Button, 412, 2, 10, 10);
    w.add(1025, K::DropDownList, 428, 2, 56, 30, "", {u("简易模式"), u("全功能模式")});
    w.add(3830, K::Label, 490, 3, 113, 9, "脱机");
    w.add(3831, K::Button, 608, 1, 50, 14, "联机");
    w.add(3832, K::Button, 666, 1, 50, 14, "English");
    w.add(1028, K::TabControl, 2, 16, 720, 358);
    return t;
}

DialogTemplate bandStrip() {
    DialogTemplate t = page(136, 26, 139);
    Writer w(t);
    w.add(1027, K::Label, 0, 1, 25, 10, "1");
    w.add(1025, K::DropDownList, 0, 12, 25, 132, "", bandTypeItems());
    w.add(1022, K::NumEdit, 0, 26, 25, 12);
    // Its bitmap (38 x 123 px) ends above the frequency edit.
    w.add(1291, K::BitmapSlider, 0, 41, 22, 70);
    w.add(1023, K::NumEdit, 0, 112, 25, 12);
    w.add(1024, K::NumEdit, 0, 126, 25, 12);
    return t;
}

// The bottom row of the EQ area: link, the two channels, reset and bypass.
void eqButtons(Writer& w, std::array<int, 5> ids, std::array<int, 5> x,
               std::array<const char*, 5> texts, int y = 158) {
    for (std::size_t i = 0; i < ids.size(); ++i) {
        w.add(ids[i], K::Button, x[i], y, 60, 14, texts[i]);
    }
}

DialogTemplate musicPage() {
    DialogTemplate t = page(135, 715, 359);
    Writer w(t);
    stripRowCaptions(w, 1390);
    w.add(1029, K::Trackbar, 1, 143, 367, 15);
    eqButtons(w, {1064, 1065, 1066, 1067, 1068}, {14, 80, 145, 245, 313},
              {"同步", "音乐左", "音乐右", "EQ 重置", "EQ Bypass"});
    w.add(1292, K::Graph, 6, 176, 706, 167);

    // The filter column ends above the graph, right of the EQ buttons.
    Column filters(w, 375, 110, 2);
    filters.beginGroup(1385, "音乐变调");
    filters.slider(kNoId, "", 1386, 1387);
    filters.endGroup();
    filters.beginGroup(1070, "主通道音乐高通");
    filters.groupFilter(1055, 1022, 1069);
    filters.endGroup();
    filters.beginGroup(1074, "高通");
    filters.groupFilter(1053, 1023, 1076);
    filters.endGroup();
    filters.beginGroup(1077, "低通");
    filters.groupFilter(1054, 1024, 1079);
    filters.endGroup();

    dynamicsColumn(w, 488, 110, {1044, "噪声门"},
                   {{1045, "启动电平", 1046, 1047},
                    {1048, "启动时间", 1049, 1050},
                    {1051, "释放时间", 1052, 1080}},
                   {1082, "低音激励", 1056, 1293, 1084, 1058, 1025, 1059, 1030});
    dynamicsColumn(w, 604, 108, {1032, "音乐压限器"},
                   {{1033, "压限启动电平", 1037, 1038},
                    {1034, "压限启动时间(Atk)", 1039, 1081},
                    {1035, "压限释放时间", 1040, 1041},
                    {1036, "压缩比例", 1043, 1042}},
                   {1083, "高音激励", 1062, 1294, 1085, 1061, 1026, 1060, 1031});
    return t;
}

DialogTemplate micPage() {
    DialogTemplate t = page(145, 715, 359);
    Writer w(t);
    stripRowCaptions(w, 1394);
    w.add(3000, K::Trackbar, 1, 143, 366, 15);
    eqButtons(w, {1064, 1065, 1066, 1067, 1068}, {14, 80, 145, 245, 313},
              {"同步", "话筒1", "话筒2", "EQ 重置", "EQ Bypass"});
    w.add(1295, K::Graph, 6, 176, 706, 164);

    Column filters(w, 372, 110, 2);
    filters.beginGroup(3041, "高通");
    filters.filter(kNoId, "", 3025, 3031, 3001);
    filters.endGroup();
    filters.beginGroup(3043, "低通");
    filters.filter(kNoId, "", 3024, 3030, 3002);
    filters.endGroup();
    filters.slider(3044, "话筒电平", 3045, 3003);
    filters.combo(3046, "啸叫抑制", 1053,
                  {u("OFF"), u("FB.EX1"), u("FB.EX2"), u("FB.EX3"), u("FB.EX4")});

    dynamicsColumn(w, 488, 110, {3047, "噪声门"},
                   {{3048, "启动电平", 3049, 3004},
                    {3050, "启动时间", 3051, 3005},
                    {3052, "释放时间", 3053, 3006}},
                   {3063, "低音激励", 3064, 1022, 3012, 3066, 3023, 3067, 3020});
    dynamicsColumn(w, 604, 108, {3054, "压限器"},
                   {{3055, "压限启动电平", 3056, 3007},
                    {3057, "压限启动时间(Atk)", 3058, 3008},
                    {3059, "压限释放时间", 3060, 3009},
                    {3061, "压缩比例", 3062, 3010}},
                   {3068, "高音激励", 3069, 1023, 3011, 3071, 3022, 3072, 3021});
    return t;
}

DialogTemplate dynamicEqPage() {
    DialogTemplate t = page(144, 715, 359);
    Writer w(t);
    constexpr std::array<int, 3> kColumnX{11, 258, 492};
    for (int k = 0; k < 3; ++k) {
        const int x = kColumnX[static_cast<std::size_t>(k)];
        w.add(2020 + k, K::Label, x, 4, 20, 10, k == 0 ? "1" : (k == 1 ? "2" : "3"));
        // Band: the settings left of the vertical gain slider.
        w.add(2200 + k, K::Label, x, 18, 40, 8, "类型");
        w.add(2040 + k, K::DropDownList, x + 42, 16, 40, 100, "", bandTypeItems());
        w.add(2210 + k, K::Label, x, 34, 40, 8, "频率(Hz)");
        w.add(2030 + k, K::NumEdit, x + 42, 32, 40, 12);
        w.add(2220 + k, K::Label, x, 50, 40, 8, "增益(dB)");
        w.add(2050 + k, K::NumEdit, x + 42, 48, 40, 12);
        w.add(2230 + k, K::Label, x, 66, 40, 8, "Q值");
        w.add(2060 + k, K::NumEdit, x + 42, 64, 40, 12);
        w.add(2070 + k, K::BitmapSlider, x + 88, 14, 22, 66);
        // Compressor of the band, under it.
        Column c(w, x, 160, 86);
        c.slider(2080 + k, "压限启动电平", 2090 + k, 2100 + k);
        c.slider(2110 + k, "压限启动时间(Atk)", 2120 + k, 2130 + k);
        c.slider(2140 + k, "压限释放时间", 2150 + k, 2160 + k);
    }
    for (int k = 0; k < 3; ++k) {
        const int x = kColumnX[static_cast<std::size_t>(k)] + 120;
        w.add(2170 + k, K::Label, x, 18, 60, 8, "压缩比例");
        w.add(2180 + k, K::ValueLabel, x + 60, 18, 30, 8);
        w.add(2190 + k, K::BitmapSlider, x, 27, 100, 9);
    }
    constexpr std::array<int, 4> kButtonX{10, 73, 136, 223};
    constexpr std::array<const char*, 4> kButtonText{"同步", "音乐左", "音乐右", "EQ 重置"};
    for (std::size_t i = 0; i < kButtonX.size(); ++i) {
        w.add(1064 + static_cast<int>(i), K::Button, kButtonX[i], 156, 58, 14, kButtonText[i]);
    }
    w.add(1308, K::Graph, 6, 176, 706, 164);
    return t;
}

DialogTemplate outputPage() {
    DialogTemplate t = page(149, 715, 359);
    Writer w(t);
    stripRowCaptions(w, 1406);
    eqButtons(w, {3700, 3701, 3702, 3703, 3704}, {14, 78, 145, 245, 313},
              {"同步", "主左", "主右", "EQ重置", "EQ Pass"});
    constexpr std::array<int, 4> kSceneX{446, 511, 576, 641};
    constexpr std::array<const char*, 4> kScenes{"自动", "唱歌", "热舞", "解码"};
    for (std::size_t i = 0; i < kSceneX.size(); ++i) {
        w.add(3707 + static_cast<int>(i), K::Button, kSceneX[i], 158, 60, 14, kScenes[i]);
    }
    w.add(1298, K::Graph, 6, 176, 706, 167);

    Column levels(w, 350, 118, 4);
    levels.slider(1252, "音乐电平", 1253, 3720, 3750);
    levels.slider(1255, "话筒电平", 1256, 3721, 3751);
    levels.slider(1258, "回声A电平", 1259, 3722, 3752);
    levels.slider(1261, "回声B电平", 1262, 3723, 3753);
    levels.slider(1264, "混响电平", 1265, 3724, 3754);

    w.add(3705, K::Button, 482, 5, 54, 14, "左静音");
    w.add(3706, K::Button, 540, 5, 54, 14, "右静音");
    Column limit(w, 482, 112, 24);
    limit.beginGroup(1267, "主输出压限");
    limit.slider(1268, "压限启动电平", 1269, 3725);
    limit.slider(1271, "压限启动时间", 1272, 3726);
    limit.slider(1274, "压限释放时间", 1275, 3727);
    limit.slider(1277, "压缩比例", 1278, 3728);
    limit.endGroup();

    Column delays(w, 602, 108, 2);
    for (auto [caption, label, metres, slider, text] :
         {std::tuple{1280, 1281, 1415, 3729, "左声道延时"},
          {1283, 1284, 1416, 3730, "右声道延时"}}) {
        const int y = delays.y();
        delays.slider(caption, text, label, slider);
        w.add(metres, K::ValueLabel, 602 + 100 - 40, y + 19, 40, 8);
        delays.skip(6);
    }
    delays.filter(1286, "高通", 1025, 1287, 3731);
    delays.filter(1410, "低通", 1026, 1290, 3732);
    return t;
}

DialogTemplate effectPage() {
    DialogTemplate t = page(146, 785, 359);
    Writer w(t);
    w.add(1297, K::Graph, 6, 176, 706, 164);
    w.add(1066, K::Button, 4, 80, 50, 14, "混响");
    w.add(1065, K::Button, 4, 64, 50, 14, "回声B");
    w.add(1064, K::Button, 4, 48, 50, 14, "回声A");
    return t;
}

DialogTemplate echoPanel() {
    DialogTemplate t = page(147, 715, 170);
    Writer w(t);
    stripRowCaptions(w, 1398);
    w.add(3550, K::Button, 34, 148, 60, 14, "EQ重置");
    w.add(3551, K::Button, 113, 148, 60, 14, "EQ pass");
    Column volume(w, 376, 124, 4);
    volume.slider(3500, "回声音量", 3501, 3600, 1064);
    volume.slider(3503, "回声直达声", 3504, 3601, 1065);
    volume.filter(3507, "回声高通", 1025, 3508, 3602);
    volume.filter(3510, "回声低通", 3506, 3511, 3603);
    Column delay(w, 513, 105, 4);
    delay.slider(3513, "回声预延时", 3514, 3604);
    delay.slider(3522, "回声延时", 3523, 3607);
    delay.slider(3519, "回声重复比例", 3520, 3606);
    delay.slider(3516, "右通道预延时", 3517, 3605);
    delay.slider(3525, "右通道延时", 3526, 3608);
    return t;
}

DialogTemplate reverbPanel() {
    DialogTemplate t = page(148, 715, 170);
    Writer w(t);
    stripRowCaptions(w, 1402);
    w.add(1066, K::Button, 34, 148, 60, 14, "EQ重置");
    w.add(1067, K::Button, 113, 148, 60, 14, "EQ pass");
    Column volume(w, 376, 124, 4);
    volume.slider(3528, "混响音量", 3529, 3622, 3531);
    volume.slider(1232, "混响直达声", 3533, 3623, 3534);
    volume.filter(3536, "混响高通", 3537, 3538, 3620);
    volume.filter(3540, "混响低通", 3541, 3542, 3621);
    Column delay(w, 513, 105, 4);
    delay.slider(3544, "混响预延时", 3545, 3624);
    delay.slider(3547, "混响时间", 3548, 3625);
    return t;
}

DialogTemplate systemPage() {
    DialogTemplate t = page(164, 715, 420);
    Writer w(t);
    constexpr std::array<int, 12> kMeterX{29, 66, 103, 140, 198, 231, 264, 297, 330, 363, 396, 429};
    for (std::size_t i = 0; i < kMeterX.size(); ++i) {
        w.add(3900 + static_cast<int>(i), K::Meter, kMeterX[i], 19, 10, 151);
    }

    w.add(1365, K::GroupBox, 470, 7, 241, 33, "保存权限管理");
    w.add(1366, K::Label, 476, 22, 92, 8, "系统密码验证");
    w.add(1023, K::Edit, 570, 20, 40, 12);
    w.add(1361, K::Button, 613, 19, 32, 14, "确定");
    w.add(1412, K::Label, 648, 22, 60, 8, "无保存权限");

    w.add(1368, K::GroupBox, 470, 46, 241, 102, "密码修改");
    struct PasswordColumn {
        int x, caption, oldCaption, oldEdit, newCaption, newEdit, confirmCaption, confirmEdit,
            modify;
        const char* title;
    };
    for (const PasswordColumn& p :
         {PasswordColumn{476, 2513, 2592, 2612, 2593, 2613, 1370, 1024, 1065, "系统密码修改"},
          PasswordColumn{594, 2512, 2590, 2610, 2591, 2611, 1371, 1369, 1064, "面板密码锁修改"}}) {
        w.add(p.caption, K::Label, p.x, 58, 110, 8, p.title);
        w.add(p.oldCaption, K::Label, p.x, 72, 58, 8, "旧密码");
        w.add(p.oldEdit, K::Edit, p.x + 60, 70, 48, 12);
        w.add(p.newCaption, K::Label, p.x, 88, 58, 8, "新密码");
        w.add(p.newEdit, K::Edit, p.x + 60, 86, 48, 12);
        w.add(p.confirmCaption, K::Label, p.x, 104, 58, 8, "确认密码");
        w.add(p.confirmEdit, K::Edit, p.x + 60, 102, 48, 12);
        w.add(p.modify, K::Button, p.x + 60, 124, 48, 14, "修改");
    }

    w.add(1362, K::GroupBox, 471, 174, 241, 167, "设置");
    struct SettingRow {
        int caption, slider, label;
        const char* text;
    };
    int y = 186;
    for (const SettingRow& r : {SettingRow{2500, 2570, 2550, "效果最大音量"},
                                {2501, 2571, 2551, "话筒最大音量"},
                                {2502, 2572, 2552, "音乐最大音量"},
                                {2507, 2573, 2553, "VOD 输入增益"},
                                {2508, 2574, 2554, "BGM 输入增益"},
                                {2509, 2575, 2555, "COAX 输入增益"},
                                {2510, 2576, 2556, "OPTI/HDMI1~3/ARC 输入增益"}}) {
        w.add(r.caption, K::Label, 476, y + 1, 102, 8, r.text);
        w.add(r.slider, K::BitmapSlider, 578, y, 100, 9);
        w.add(r.label, K::ValueLabel, 680, y + 1, 26, 8);
        y += 14;
    }
    struct ComboRow {
        int caption, combo;
        const char* text;
        QStringList items;
    };
    for (const ComboRow& r : {ComboRow{2505,
                                       2603,
                                       "输入选择",
                                       {u("Auto"), u("VOD"), u("BGM"), u("COAX"), u("OPTI"),
                                        u("HDMI1"), u("HDMI2"), u("HDMI3"), u("ARC")}},
                              ComboRow{2506, 2601, "模拟输入灵敏度", {u("L"), u("H")}},
                              ComboRow{2503, 2600, "后话筒幻像电源", {u("OFF"), u("ON")}},
                              ComboRow{2504, 2602, "红外遥控", {u("Disable"), u("Enable")}}}) {
        w.add(r.caption, K::Label, 476, y + 3, 102, 8, r.text);
        w.add(r.combo, K::DropDownList, 578, y, 80, 100, "", r.items);
        y += 14; // the last list closes inside the settings frame
    }
    // The music key control the page never shows.
    w.add(2511, K::Label, 476, 400, 102, 8, "音乐变调");
    w.add(2577, K::BitmapSlider, 578, 400, 100, 9);
    w.add(2557, K::ValueLabel, 680, 400, 26, 8);

    // Below the meter picture, which is a fixed 344 pixels high whatever the dialog font.
    w.add(1367, K::GroupBox, 270, 201, 196, 139, "模式");
    w.add(2514, K::Label, 278, 214, 30, 8, "模式");
    w.add(2604, K::DropDownList, 310, 212, 150, 200);
    w.add(2515, K::Label, 278, 230, 30, 8, "名称");
    w.add(2614, K::Edit, 310, 228, 150, 12);
    struct ModeButton {
        int id;
        const char* text;
    };
    y = 244;
    for (const ModeButton& b : {ModeButton{1066, "调用设备模式"},
                                {1067, "保存设备模式"},
                                {1069, "导出"},
                                {1384, "导入"},
                                {1388, "导出所有"},
                                {1389, "导入所有"}}) {
        w.add(b.id, K::Button, 310, y, 100, 14, b.text);
        y += 15;
    }
    return t;
}

DialogTemplate progressWindow() {
    DialogTemplate t{171, QSize(187, 55), QStringLiteral("System"), 10, QString(), {}};
    Writer w(t);
    w.add(1411, K::ProgressBar, 15, 32, 159, 14);
    w.add(1413, K::Label, 15, 10, 159, 14);
    return t;
}

DialogTemplate aboutBox() {
    DialogTemplate t{100, QSize(210, 62), QStringLiteral("Arial"), 9, u("关于 Kesmo"), {}};
    Writer w(t);
    w.add(kNoId, K::Label, 40, 10, 160, 8, "Kesmo 1.0");
    w.add(kNoId, K::Label, 40, 22, 160, 8, "Velqor SV 卡拉OK处理器编辑器");
    w.add(1, K::Button, 150, 40, 50, 14, "确定");
    return t;
}

const std::map<int, DialogTemplate>& templates() {
    static const std::map<int, DialogTemplate> all = [] {
        std::map<int, DialogTemplate> out;
        for (DialogTemplate t : {aboutBox(), mainWindow(), musicPage(), bandStrip(),
                                 dynamicEqPage(), micPage(), effectPage(), echoPanel(),
                                 reverbPanel(), outputPage(), systemPage(), progressWindow()}) {
            const int id = t.id;
            out.emplace(id, std::move(t));
        }
        return out;
    }();
    return all;
}

} // namespace

const QStringList& slopeItems() {
    static const QStringList items{
        u("ByPass"),           u("6dB/ct"),         u("12dB Bessel"),      u("12dB Butuerworth"),
        u("12dBLink-Riley"),   u("18dB Bessel"),    u("18dB Butuerworth"), u("24dB Bessel"),
        u("24dB Butuerworth"), u("24dBLink-Riley"), u("36dB Bessel"),      u("36dB Butuerworth"),
        u("36dBLink-Riley")};
    return items;
}

const QStringList& bandTypeItems() {
    static const QStringList items{u("BY"), u("P"), u("LS"), u("HS")};
    return items;
}

const QStringList& exciterLevelItems() {
    static const QStringList items{u("0"), u("1"), u("2"), u("3"), u("4"),
                                   u("5"), u("6"), u("7"), u("8"), u("9")};
    return items;
}

const DialogTemplate* dialogTemplate(int id) {
    const auto& all = templates();
    const auto it = all.find(id);
    return it == all.end() ? nullptr : &it->second;
}

std::span<const int> dialogTemplateIds() {
    static const std::vector<int> ids = [] {
        std::vector<int> out;
        for (const auto& [id, t] : templates()) {
            out.push_back(id);
        }
        return out;
    }();
    return ids;
}

} // namespace kesmo
